// Fuzz target of the language server as an editor drives it: arbitrary bytes
// as the client's side of the conversation (seeded with whole sessions), read
// in pieces of a size the first byte picks. Properties: the server ends, and
// everything it writes is a well-framed JSON-RPC message, every error one with
// a code and a message.
#include "DocumentFormatting.h"
#include "FuzzInput.h"
#include "LanguageServer.h"
#include "MessageFraming.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace qmcli;

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

void CheckWritten(const std::string& written)
{
    CMemorySource source(written);
    CMessageReader reader(source);
    CIncomingMessage message;
    while (reader.Next(message))
    {
        if (!message.m_sProblem.empty())
            Fail("the server wrote a message framed wrongly: " + message.m_sProblem);
        const auto value = nlohmann::json::parse(message.m_sBody, nullptr, false);
        if (value.is_discarded() || !value.is_object() || value.value("jsonrpc", "") != "2.0")
            Fail("the server wrote something that is not a JSON-RPC message: " + message.m_sBody);
        if (value.contains("error") &&
            (!value["error"].contains("code") || !value["error"]["code"].is_number_integer() ||
             !value["error"].contains("message")))
            Fail("an error without a code or message: " + message.m_sBody);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CDocumentFormatter formatter({}, "");
    CFuzzInput input(data, size);
    const size_t piece = 1 + input.Byte() % 255;
    CMemorySource source(std::string(input.RestAsBytes()), piece);
    std::string written;
    ServeLanguageServer(
        source,
        [&](std::string_view bytes) {
            written += bytes;
            return true;
        },
        formatter, 0);
    CheckWritten(written);
    return 0;
}
