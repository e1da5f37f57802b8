// Fuzz target of the language server's message reader: arbitrary bytes,
// handed out in pieces of a size the first byte picks, with the stream falling
// silent every so often. Properties: reading ends, every call takes bytes of the
// stream, and never more than it holds; and the pieces of the rest that are
// JSON (split at NUL bytes), framed one after another, come back exactly.
#include "FuzzInput.h"
#include "MessageFraming.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace qmcli;

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

// Falls silent before every `every`-th piece when the reader is willing to wait.
class CFuzzSource : public CByteSource
{
public:
    CFuzzSource(std::string_view bytes, size_t piece, unsigned every)
        : m_sBytes(bytes), m_nPiece(piece), m_nEvery(every)
    {
    }
    Result Read(std::string& out, int waitMs) override
    {
        if (m_nNext >= m_sBytes.size())
            return READ_END;
        if (m_nEvery && waitMs >= 0 && ++m_nCalls % m_nEvery == 0)
            return READ_IDLE;
        const size_t n = std::min(m_nPiece, m_sBytes.size() - m_nNext);
        out.append(m_sBytes.substr(m_nNext, n));
        m_nNext += n;
        return READ_DATA;
    }

private:
    std::string_view m_sBytes;
    size_t m_nPiece;
    unsigned m_nEvery;
    size_t m_nNext = 0;
    unsigned m_nCalls = 0;
};

constexpr size_t kMaxBody = 1024;

void ReadEverything(std::string_view bytes, size_t piece, unsigned every)
{
    CFuzzSource source(bytes, piece, every);
    CMessageReader reader(source, kMaxBody, 0);
    CIncomingMessage message;
    size_t delivered = 0, calls = 0;
    while (reader.Next(message))
    {
        delivered += message.m_sBody.size();
        if (message.m_sProblem.empty() && !nlohmann::json::accept(message.m_sBody))
            delivered += reader.ReadToNextHeader().size();
        if (delivered > bytes.size())
            Fail("the reader delivered more bytes than the stream holds");
        // A message takes at least one byte, except an empty body after its header.
        if (++calls > bytes.size() + 1)
            Fail("the reader keeps delivering messages without reading");
    }
}

void RoundTrip(std::string_view rest)
{
    std::vector<std::string> bodies;
    std::string stream;
    for (size_t start = 0; start <= rest.size();)
    {
        size_t end = rest.find('\0', start);
        if (end == std::string_view::npos)
            end = rest.size();
        const std::string body(rest.substr(start, end - start));
        if (body.size() <= kMaxBody && nlohmann::json::accept(body))
        {
            bodies.push_back(body);
            stream += FrameMessage(body);
        }
        start = end + 1;
    }
    CMemorySource source(stream, 7);
    CMessageReader reader(source, kMaxBody, 0);
    CIncomingMessage message;
    for (const std::string& body : bodies)
    {
        if (!reader.Next(message))
            Fail("a framed message went missing");
        if (message.m_sBody != body || !message.m_sProblem.empty())
            Fail("a framed message came back as '" + message.m_sBody + "' (" +
                 message.m_sProblem + ")");
    }
    if (reader.Next(message))
        Fail("an extra message appeared");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput input(data, size);
    const size_t piece = 1 + input.Byte() % 64;
    const unsigned every = input.Byte() % 5;
    const std::string_view rest = input.RestAsBytes();
    ReadEverything(rest, piece, every);
    RoundTrip(rest);
    return 0;
}
