// The message reader on sound and broken streams, each read whole, a byte at a
// time, and with the sender falling silent where the case says.
#include "MessageFraming.h"
#include "PausingSource.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

using namespace qmcli;

namespace
{

struct CExpected
{
    CExpected(std::string body, bool problem = false, std::string stray = {})
        : m_sBody(std::move(body)), m_bProblem(problem), m_sStray(std::move(stray))
    {
    }
    std::string m_sBody;
    bool m_bProblem;
    std::string m_sStray; // what ReadToNextHeader gives after a body that is not JSON
};

struct CFramingCase
{
    const char* m_sName;
    std::vector<std::string> m_aPieces;
    std::vector<CExpected> m_aMessages;
    size_t m_nMaxBody = CMessageReader::kMaxBodyBytes;
};

void PrintTo(const CFramingCase& c, std::ostream* out)
{
    *out << c.m_sName;
}

std::string Framed(const std::string& body)
{
    return FrameMessage(body);
}

const CFramingCase kCases[] = {
    {"BackToBack", {Framed(R"({"a":1})") + Framed(R"({"b":"é"})")},
     {{R"({"a":1})"}, {R"({"b":"é"})"}}},
    {"HeadersInAnyCaseWithContentType",
     {"content-TYPE: application/vscode-jsonrpc; charset=utf-8\r\nCONTENT-LENGTH:7\r\n\r\n{\"a\":1}"},
     {{R"({"a":1})"}}},
    {"BareLineFeedsAndBlankLinesBetween", {"\r\n\nContent-Length: 2\n\n{}\r\n" + Framed("[]")},
     {{"{}"}, {"[]"}}},
    {"EmptyBody", {"Content-Length: 0\r\n\r\n" + Framed("{}")}, {{""}, {"{}"}}},
    {"LengthTooLongBeforeTheNextHeader",
     {"Content-Length: 50\r\n\r\n{\"id\":1}" + Framed(R"({"id":2})")},
     {{R"({"id":1})", true}, {R"({"id":2})"}}},
    {"LengthTooLongThenSilence", {"Content-Length: 50\r\n\r\n{\"id\":1}", "", Framed("{}")},
     {{R"({"id":1})", true}, {"{}"}}},
    {"PauseInsideAnUnfinishedBodyIsWaitedOut",
     {"Content-Length: 13\r\n\r\n{\"id\":", "", "\"abcd\"}"}, {{R"({"id":"abcd"})"}}},
    {"LengthTooLongAtTheEnd", {"Content-Length: 50\r\n\r\n{\"id\":1"}, {{R"({"id":1)", true}}},
    {"LengthTooShort", {"Content-Length: 5\r\n\r\n{\"id\":1}" + Framed("{}")},
     {{R"({"id")", false, ":1}"}, {"{}"}}},
    {"LengthTooShortThenSilence", {"Content-Length: 5\r\n\r\n{\"id\":1}", ""},
     {{R"({"id")", false, ":1}"}}},
    {"NoContentLength", {"Content-Type: x\r\n\r\n{\"id\":3}" + Framed("{}")},
     {{R"({"id":3})", true}, {"{}"}}},
    {"LengthNotANumber", {"Content-Length: 1e3\r\n\r\n{}", ""}, {{"{}", true}}},
    {"TwoDifferentLengths", {"Content-Length: 2\r\nContent-Length: 3\r\n\r\n{}", ""},
     {{"{}", true}}},
    {"JsonWithoutHeaders", {"{\"id\":4}\n" + Framed("{}")}, {{"{\"id\":4}\n", true}, {"{}"}}},
    {"GarbageBeforeAMessage", {"hello world\r\n" + Framed("{}")}, {{"hello world\r\n", true}, {"{}"}}},
    {"TooLarge", {"Content-Length: 100\r\n\r\n{\"x\":\"" + std::string(92, 'y') + "\"}" + Framed("{}")},
     {{"", true}, {"{}"}}, 64},
    // A length past the limit on a short request: still read up to the next
    // header or the silence, so that the request is answered by its id.
    {"LengthOverTheLimitBeforeTheNextHeader",
     {"Content-Length: 99999999999\r\n\r\n{\"id\":1}" + Framed("{}")}, {{R"({"id":1})", true}, {"{}"}}, 64},
    {"LengthOverTheLimitThenSilence", {"Content-Length: 99999999999\r\n\r\n{\"id\":1}", "", Framed("{}")},
     {{R"({"id":1})", true}, {"{}"}}, 64},
    {"HeaderCutOffByTheEnd", {Framed("{}") + "Content-Len"}, {{"{}"}}},
    // A raw line break cannot be inside a JSON string, so this text in a
    // string is not a header, while the same after the body is.
    {"HeaderTextInsideAString",
     {Framed(R"({"text":"Content-Length: 3\r\n"})")}, {{R"({"text":"Content-Length: 3\r\n"})"}}},
};

class MessageFramingTest : public ::testing::TestWithParam<std::tuple<CFramingCase, size_t>>
{
};

TEST_P(MessageFramingTest, Messages)
{
    const auto& [c, split] = GetParam();
    CPausingSource source(c.m_aPieces, split);
    CMessageReader reader(source, c.m_nMaxBody, 0);
    CIncomingMessage message;
    for (const CExpected& expected : c.m_aMessages)
    {
        ASSERT_TRUE(reader.Next(message)) << "missing message " << expected.m_sBody;
        EXPECT_EQ(message.m_sBody, expected.m_sBody);
        EXPECT_EQ(!message.m_sProblem.empty(), expected.m_bProblem) << message.m_sProblem;
        if (message.m_sProblem.empty() && !nlohmann::json::accept(message.m_sBody))
        {
            EXPECT_EQ(reader.ReadToNextHeader(), expected.m_sStray);
        }
    }
    EXPECT_FALSE(reader.Next(message)) << "extra message " << message.m_sBody;
}

INSTANTIATE_TEST_SUITE_P(Cases, MessageFramingTest,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Values(1, 4096)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).m_sName) +
                                    (std::get<1>(info.param) == 1 ? "_ByteByByte" : "_Whole");
                         });

TEST(MessageFraming, TenMegabytesArriveWhole)
{
    const std::string body = "{\"text\":\"" + std::string(10 << 20, 'x') + "\"}";
    CMemorySource source(Framed(body) + Framed("{}"), 1 << 16);
    CMessageReader reader(source);
    CIncomingMessage message;
    ASSERT_TRUE(reader.Next(message));
    EXPECT_TRUE(message.m_sBody == body);
    EXPECT_EQ(message.m_sProblem, "");
    ASSERT_TRUE(reader.Next(message));
    EXPECT_EQ(message.m_sBody, "{}");
}

} // namespace
