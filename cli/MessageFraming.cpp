#include "MessageFraming.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <poll.h>
#include <unistd.h>

namespace qmcli
{

namespace
{

constexpr std::string_view kLengthName = "content-length";
// The longest header the search has to see whole: the name, a colon, up to 8
// blanks, up to 19 digits, 8 blanks and CR LF; a search that stopped at the
// end of the buffer resumes this far before it.
constexpr size_t kHeaderSpan = 64;
constexpr size_t kMaxHeaderLine = 4096;

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Whether a header line could still begin so: a name, then a colon (the
// line's CR may have come without its LF yet).
bool CouldBeHeaderLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() > kMaxHeaderLine)
        return false;
    const size_t colon = line.find(':');
    const std::string_view name = line.substr(0, colon);
    if (colon == 0)
        return false;
    return std::all_of(name.begin(), name.end(), IsNameChar);
}

// The value of a Content-Length header: decimal digits, nothing else.
bool ParseLength(std::string_view text, size_t& length)
{
    text = Trim(text);
    if (text.empty() || text.size() > 18)
        return false;
    length = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        length = length * 10 + static_cast<size_t>(c - '0');
    }
    return true;
}

} // namespace

CByteSource::Result CDescriptorSource::Read(std::string& out, int waitMs)
{
    for (;;)
    {
        pollfd ready{m_nFd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, waitMs);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0)
            return READ_IDLE;
        char buffer[1 << 16];
        const ssize_t n = ::read(m_nFd, buffer, sizeof buffer);
        if (n > 0)
        {
            out.append(buffer, static_cast<size_t>(n));
            return READ_DATA;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return READ_END;
    }
}

CByteSource::Result CMemorySource::Read(std::string& out, int)
{
    if (m_nNext >= m_sBytes.size())
        return READ_END;
    const size_t n = std::min(m_nPiece, m_sBytes.size() - m_nNext);
    out.append(m_sBytes, m_nNext, n);
    m_nNext += n;
    return READ_DATA;
}

CMessageReader::CMessageReader(CByteSource& source, size_t maxBody, int idleMilliseconds)
    : m_Source(source), m_nMaxBody(maxBody), m_nIdleMs(idleMilliseconds)
{
}

CByteSource::Result CMessageReader::Fill(int waitMs)
{
    if (m_bEnded)
        return CByteSource::READ_END;
    const CByteSource::Result result = m_Source.Read(m_sBuffer, waitMs);
    if (result == CByteSource::READ_END)
        m_bEnded = true;
    return result;
}

std::string CMessageReader::Take(size_t count)
{
    if (count >= m_sBuffer.size())
        return std::exchange(m_sBuffer, {});
    std::string taken = m_sBuffer.substr(0, count);
    m_sBuffer.erase(0, count);
    return taken;
}

CMessageReader::HeaderScan CMessageReader::FindHeader(size_t from, size_t& at) const
{
    const std::string_view buffer = m_sBuffer;
    for (size_t colon = buffer.find(':', from + kLengthName.size()); colon != std::string_view::npos;
         colon = buffer.find(':', colon + 1))
    {
        const size_t start = colon - kLengthName.size();
        if (!EqualsIgnoringCase(buffer.substr(start, kLengthName.size()), kLengthName))
            continue;
        size_t p = colon + 1;
        auto skipBlanks = [&] {
            for (int n = 0; p < buffer.size() && n < 8 && (buffer[p] == ' ' || buffer[p] == '\t'); ++n)
                ++p;
        };
        skipBlanks();
        const size_t digits = p;
        while (p < buffer.size() && p - digits < 19 && buffer[p] >= '0' && buffer[p] <= '9')
            ++p;
        if (p == digits && p < buffer.size())
            continue;
        skipBlanks();
        if (p < buffer.size() && buffer[p] == '\r')
            ++p;
        if (p >= buffer.size())
        {
            at = start;
            return HEADER_MAYBE;
        }
        if (buffer[p] == '\n' && p > digits)
        {
            at = start;
            return HEADER_AT;
        }
    }
    return HEADER_NONE;
}

std::string CMessageReader::ReadToNextHeader()
{
    size_t from = 0;
    for (;;)
    {
        size_t at = 0;
        const HeaderScan scan = FindHeader(from, at);
        if (scan == HEADER_AT)
            return Take(at);
        if (m_bEnded || m_sBuffer.size() > m_nMaxBody)
            return Take(m_sBuffer.size());
        from = scan == HEADER_MAYBE ? at
                                    : std::max(from, m_sBuffer.size() > kHeaderSpan
                                                         ? m_sBuffer.size() - kHeaderSpan
                                                         : size_t(0));
        if (Fill(m_nIdleMs) == CByteSource::READ_IDLE)
            return Take(scan == HEADER_MAYBE ? at : m_sBuffer.size());
    }
}

void CMessageReader::SkipOversizedBody()
{
    // Nothing of it is kept: only the tail where a header may begin.
    for (;;)
    {
        size_t at = 0;
        if (FindHeader(0, at) == HEADER_AT)
        {
            m_sBuffer.erase(0, at);
            return;
        }
        if (m_sBuffer.size() > kHeaderSpan)
            m_sBuffer.erase(0, m_sBuffer.size() - kHeaderSpan);
        if (Fill(-1) == CByteSource::READ_END)
        {
            m_sBuffer.clear();
            return;
        }
    }
}

bool CMessageReader::ReadHeaders(CIncomingMessage& message, size_t& length)
{
    bool seenHeader = false, lengthGiven = false, lengthValid = false, lengthConflict = false;
    for (;;)
    {
        const size_t end = m_sBuffer.find('\n');
        if (end == std::string::npos)
        {
            if (!CouldBeHeaderLine(m_sBuffer))
                break;
            if (Fill(-1) == CByteSource::READ_END)
            {
                // A header cut off by the end of the stream has no body to answer.
                m_sBuffer.clear();
                return false;
            }
            continue;
        }
        std::string_view line(m_sBuffer.data(), end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
        {
            Take(end + 1);
            if (!seenHeader)
                continue; // blank lines between messages
            if (lengthGiven && lengthValid)
                return true;
            message.m_sBody = ReadToNextHeader();
            message.m_sProblem = !lengthGiven     ? "the message has no Content-Length header"
                                 : lengthConflict ? "the message has two different Content-Length headers"
                                                  : "the message's Content-Length is not a number";
            return true;
        }
        if (line.find(':') == std::string_view::npos || !CouldBeHeaderLine(line))
            break;
        const size_t colon = line.find(':');
        if (EqualsIgnoringCase(line.substr(0, colon), kLengthName))
        {
            size_t value = 0;
            const bool valid = ParseLength(line.substr(colon + 1), value);
            // Two different lengths leave the body's end unknown.
            if (lengthGiven && valid && lengthValid && value != length)
                lengthConflict = true;
            lengthValid = valid && (!lengthGiven || (lengthValid && value == length));
            lengthGiven = true;
            length = value;
        }
        seenHeader = true;
        Take(end + 1);
    }
    message.m_sBody = ReadToNextHeader();
    message.m_sProblem = "bytes outside a message (no Content-Length header before them)";
    return true;
}

void CMessageReader::ReadBody(size_t length, CIncomingMessage& message)
{
    auto tooLong = [&](size_t actual) {
        message.m_sBody = Take(actual);
        message.m_sProblem = "Content-Length is " + std::to_string(length) +
                             " but the message ended after " + std::to_string(actual) + " bytes";
    };
    size_t from = 0;
    bool idleChecked = false;
    for (;;)
    {
        size_t at = 0;
        const HeaderScan scan = FindHeader(from, at);
        if (scan == HEADER_AT && at < length)
            return tooLong(at);
        if (length > m_nMaxBody && m_sBuffer.size() > m_nMaxBody)
        {
            // More than the limit has come with no header in it: not a short
            // message behind a wrong length. It is answered at once; the rest
            // of its bytes are passed over on the next call.
            message.m_sProblem = "a message of " + std::to_string(length) +
                                 " bytes is larger than the limit of " +
                                 std::to_string(m_nMaxBody >> 20) + " MiB";
            m_bSkipping = true;
            return;
        }
        if (m_sBuffer.size() >= length)
        {
            message.m_sBody = Take(length);
            return;
        }
        if (m_bEnded)
        {
            message.m_sBody = Take(m_sBuffer.size());
            message.m_sProblem = "the stream ended " + std::to_string(message.m_sBody.size()) +
                                 " bytes into a message of " + std::to_string(length);
            return;
        }
        from = scan == HEADER_MAYBE ? at
                                    : std::max(from, m_sBuffer.size() > kHeaderSpan
                                                         ? m_sBuffer.size() - kHeaderSpan
                                                         : size_t(0));
        // The sender paused inside the body. If what came is a whole JSON
        // value, nothing more can belong to it: the length was wrong, and
        // the client may be waiting for the answer. Otherwise wait for the rest.
        const CByteSource::Result result = Fill(idleChecked ? -1 : m_nIdleMs);
        if (result == CByteSource::READ_DATA)
            idleChecked = false;
        else if (result == CByteSource::READ_IDLE)
        {
            idleChecked = true;
            if (!m_sBuffer.empty() && nlohmann::json::accept(m_sBuffer))
                return tooLong(m_sBuffer.size());
        }
    }
}

bool CMessageReader::Next(CIncomingMessage& message)
{
    message = {};
    if (m_bSkipping)
    {
        m_bSkipping = false;
        SkipOversizedBody();
    }
    size_t length = 0;
    if (!ReadHeaders(message, length))
        return false;
    if (!message.m_sProblem.empty())
        return true;
    // A length over the limit is read as a wrong one until more than the
    // limit has come: a short request behind it is still answered by its id.
    ReadBody(length, message);
    return true;
}

std::string FrameMessage(std::string_view body)
{
    std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    framed += body;
    return framed;
}

} // namespace qmcli
