// Messages of the language server protocol on a byte stream: a block of header
// lines ("Content-Length: N", others ignored) ended by a blank line, then N
// bytes of JSON.
//
// A client may get the framing wrong, and the reader must neither hang nor lose
// its place. It relies on one fact: a raw line break cannot occur inside a JSON
// string, so "Content-Length: <digits>" followed by a raw line break is never
// part of a well-formed body; wherever it appears, the next message starts.
// - A Content-Length that is too large (even past the size limit): the body
//   ends where the next header starts, or, when the stream falls silent after
//   a complete JSON value, there.
// - Too small: the rest of the body is what ReadToNextHeader returns.
// - Bytes that are not a header (or a message without Content-Length, or more
//   bytes of one message than the limit): delivered with a problem, and
//   reading resumes at the next header.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qmcli
{

// Where the bytes come from: a descriptor, or memory in the tests.
class CByteSource
{
public:
    enum Result { READ_DATA, READ_IDLE, READ_END };

    virtual ~CByteSource() = default;
    // Appends what is there to out: READ_DATA when some bytes came, READ_IDLE
    // when none came within waitMs milliseconds (negative: wait as long as it
    // takes), READ_END at the end of the stream.
    virtual Result Read(std::string& out, int waitMs) = 0;
};

// A descriptor read with poll(2) and read(2); a read error ends the stream.
class CDescriptorSource : public CByteSource
{
public:
    explicit CDescriptorSource(int fd) : m_nFd(fd) {}
    Result Read(std::string& out, int waitMs) override;

private:
    int m_nFd;
};

// Bytes in memory, handed out in pieces of at most m_nPiece bytes; the stream
// never falls silent, it ends.
class CMemorySource : public CByteSource
{
public:
    explicit CMemorySource(std::string bytes, size_t piece = 4096)
        : m_sBytes(std::move(bytes)), m_nPiece(piece ? piece : 1)
    {
    }
    Result Read(std::string& out, int waitMs) override;

private:
    std::string m_sBytes;
    size_t m_nPiece;
    size_t m_nNext = 0;
};

struct CIncomingMessage
{
    std::string m_sBody;
    // Empty when the message was framed soundly; otherwise why the body is
    // doubtful (it may still be a whole JSON request, whose id the answer
    // should carry).
    std::string m_sProblem;
};

class CMessageReader
{
public:
    static constexpr size_t kMaxBodyBytes = size_t(256) << 20;
    static constexpr int kIdleMilliseconds = 250;

    explicit CMessageReader(CByteSource& source, size_t maxBody = kMaxBodyBytes,
                            int idleMilliseconds = kIdleMilliseconds);

    // The next message; false when the stream has ended and nothing is left.
    bool Next(CIncomingMessage& message);

    // The bytes from here to the next header (or to the end, or to where the
    // stream falls silent): after a body that is not JSON, the rest of a
    // message whose Content-Length was too small.
    std::string ReadToNextHeader();

private:
    enum HeaderScan { HEADER_NONE, HEADER_AT, HEADER_MAYBE };

    bool ReadHeaders(CIncomingMessage& message, size_t& length);
    void ReadBody(size_t length, CIncomingMessage& message);
    void SkipOversizedBody();
    CByteSource::Result Fill(int waitMs);
    // Looks for a header from offset `from` of the buffer on; `at` is where it
    // starts (HEADER_AT), or where a header may start once more bytes come
    // (HEADER_MAYBE).
    HeaderScan FindHeader(size_t from, size_t& at) const;
    std::string Take(size_t count);

    CByteSource& m_Source;
    size_t m_nMaxBody;
    int m_nIdleMs;
    std::string m_sBuffer; // bytes read and not yet taken
    bool m_bEnded = false;
    bool m_bSkipping = false; // the body of an oversized message comes next
};

// The bytes that carry a message body: its header and the body.
std::string FrameMessage(std::string_view body);

} // namespace qmcli
