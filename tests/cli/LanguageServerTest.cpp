// The language server driven by a scripted client in-process: every kind of bad
// input is answered with a JSON-RPC error and the server goes on; a document
// is never formatted from a text that may not be the editor's; edits count
// UTF-16 units; options files are read afresh; and over the corpus, a
// document with the server's edits applied equals quillmark-format's output.
#include "DocumentFormatting.h"
#include "FormatTool.h"
#include "LanguageServer.h"
#include "PausingSource.h"
#include "TestUtf.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using json = nlohmann::json;
using namespace qmcli;

namespace
{

const std::string kUri = "file:///nonexistent-quillmark-folder/q.sql";
const std::string kSql = "select a, b from t where x = 1;\n";

std::string Framed(const json& message)
{
    return FrameMessage(message.dump());
}

std::string Request(const json& id, const std::string& method, const json& params = json::object())
{
    return Framed({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
}

std::string Notification(const std::string& method, const json& params = json::object())
{
    return Framed({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

std::string Open(const std::string& uri, const std::string& text)
{
    return Notification("textDocument/didOpen",
                        {{"textDocument", {{"uri", uri}, {"languageId", "sql"}, {"version", 1}, {"text", text}}}});
}

std::string FormattingRequest(const json& id, const std::string& uri = kUri)
{
    return Request(id, "textDocument/formatting",
                   {{"textDocument", {{"uri", uri}}}, {"options", {{"tabSize", 4}, {"insertSpaces", true}}}});
}

std::string Change(const json& range, const std::string& text, int version = 2)
{
    json change = {{"text", text}};
    if (!range.is_null())
        change["range"] = range;
    return Notification("textDocument/didChange", {{"textDocument", {{"uri", kUri}, {"version", version}}},
                                                   {"contentChanges", json::array({change})}});
}

json Range(int line0, int char0, int line1, int char1)
{
    return {{"start", {{"line", line0}, {"character", char0}}}, {"end", {{"line", line1}, {"character", char1}}}};
}

const std::string kOpening = Request(1, "initialize", {{"capabilities", json::object()}}) +
                             Notification("initialized") + Open(kUri, kSql);

// What the server sent in one session.
struct CSession
{
    std::vector<json> m_aReceived;
    int m_nStatus = -1;

    const json* Answer(const json& id) const
    {
        for (const json& message : m_aReceived)
            if (message.contains("id") && message["id"] == id && !message.contains("method"))
                return &message;
        return nullptr;
    }
    // The error code of the answer to id, 0 for a result, 1 for no answer.
    int Code(const json& id) const
    {
        const json* answer = Answer(id);
        return !answer ? 1 : answer->contains("error") ? (*answer)["error"]["code"].get<int>() : 0;
    }
    std::vector<json> Notifications(const std::string& method) const
    {
        std::vector<json> found;
        for (const json& message : m_aReceived)
            if (message.value("method", "") == method)
                found.push_back(message["params"]);
        return found;
    }
};

CSession Serve(const std::vector<std::string>& pieces, CDocumentFormatter& formatter)
{
    CPausingSource source(pieces);
    std::string written;
    CSession session;
    session.m_nStatus = ServeLanguageServer(
        source, [&](std::string_view bytes) { written += bytes; return true; }, formatter, 0);
    CMemorySource back(written);
    CMessageReader reader(back);
    CIncomingMessage message;
    while (reader.Next(message))
    {
        EXPECT_EQ(message.m_sProblem, "");
        session.m_aReceived.push_back(json::parse(message.m_sBody));
    }
    return session;
}

CSession Serve(const std::vector<std::string>& pieces)
{
    CDocumentFormatter formatter({}, "");
    return Serve(pieces, formatter);
}

// Applies the protocol's edits to a text on its own terms: lines end at LF,
// CR LF or CR, and characters are UTF-16 units.
std::u16string ApplyTextEdits(std::u16string text, const json& edits)
{
    std::vector<size_t> lineStarts{0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')))
            lineStarts.push_back(i + 1);
    auto offsetOf = [&](const json& position) {
        return lineStarts.at(position["line"].get<size_t>()) + position["character"].get<size_t>();
    };
    // From the last edit back, so that each range still means the old text.
    for (auto it = edits.rbegin(); it != edits.rend(); ++it)
    {
        const size_t start = offsetOf((*it)["range"]["start"]);
        const size_t end = offsetOf((*it)["range"]["end"]);
        text.replace(start, end - start, Utf8ToUtf16((*it)["newText"].get<std::string>()));
    }
    return text;
}

struct CErrorCase
{
    const char* m_sName;
    std::vector<std::string> m_aPieces; // after the opening (initialize, initialized, didOpen)
    json m_Id;                          // the request whose answer is checked; null: no id
    int m_nCode;                        // its error code, 0 for a result
    bool m_bShown;                      // a window/showMessage came
    int m_nLater;                       // the code of a formatting request sent after it
    bool m_bInitialize = true;
};

void PrintTo(const CErrorCase& c, std::ostream* out)
{
    *out << c.m_sName;
}

const std::string kFormatFive = R"({"jsonrpc":"2.0","id":5,"method":"textDocument/formatting","params":{"textDocument":{"uri":")" +
                                kUri + R"("}}})";

enum
{
    PARSE = -32700,
    INVALID_REQUEST = -32600,
    NO_METHOD = -32601,
    INVALID_PARAMS = -32602,
    NOT_INITIALIZED = -32002,
    FAILED = -32803,
    NO_ANSWER = 1,
};

const CErrorCase kErrorCases[] = {
    // A message that cannot be read may have been a change to any document:
    // none is formatted again until the editor sends its text anew.
    {"MalformedJson", {FrameMessage(R"({"id":5,)")}, nullptr, PARSE, true, FAILED},
    {"NotUtf8", {FrameMessage("{\"id\":5,\"x\":\"\xff\"}")}, nullptr, PARSE, true, FAILED},
    {"LoneSurrogateEscape", {FrameMessage(R"({"id":5,"x":"\ud800"})")}, nullptr, PARSE, true, FAILED},
    {"Batch", {FrameMessage("[" + kFormatFive + "]")}, nullptr, INVALID_REQUEST, true, FAILED},
    // A request framed wrongly but readable gets its error under its own id.
    {"ContentLengthTooLongThenSilence",
     {"Content-Length: 999\r\n\r\n" + kFormatFive, ""}, 5, INVALID_REQUEST, false, 0},
    {"ContentLengthTooLongBeforeTheNext", {"Content-Length: 999\r\n\r\n" + kFormatFive}, 5,
     INVALID_REQUEST, false, 0},
    {"ContentLengthTooShort",
     {"Content-Length: " + std::to_string(kFormatFive.size() - 3) + "\r\n\r\n" + kFormatFive}, 5,
     INVALID_REQUEST, false, 0},
    {"ContentLengthPastTheLimitThenSilence", {"Content-Length: 99999999999\r\n\r\n" + kFormatFive, ""}, 5,
     INVALID_REQUEST, false, 0},
    {"NoHeaders", {kFormatFive, ""}, 5, INVALID_REQUEST, false, 0},
    {"UnknownMethod", {Request(5, "quillmark/unknown")}, 5, NO_METHOD, false, 0},
    {"UnknownNotificationIsDropped", {Notification("quillmark/unknown")}, nullptr, NO_ANSWER, false, 0},
    {"NoMethod", {Framed({{"jsonrpc", "2.0"}, {"id", 5}})}, 5, INVALID_REQUEST, false, 0},
    {"IdOfTheWrongType", {Framed({{"jsonrpc", "2.0"}, {"id", {{"a", 1}}}, {"method", "shutdown"}})},
     nullptr, INVALID_REQUEST, false, 0},
    {"WrongParamTypes", {Request(5, "textDocument/formatting", {{"textDocument", {{"uri", 42}}}})}, 5,
     INVALID_PARAMS, false, 0},
    {"DeeplyNestedParams",
     {FrameMessage(R"({"jsonrpc":"2.0","id":5,"method":"textDocument/formatting","params":)" +
                   std::string(100000, '[') + std::string(100000, ']') + "}")},
     5, INVALID_PARAMS, false, 0},
    {"UnopenedDocument", {FormattingRequest(5, "file:///other.sql")}, 5, INVALID_PARAMS, false, 0},
    {"ClosedDocument", {Notification("textDocument/didClose", {{"textDocument", {{"uri", kUri}}}}),
                        FormattingRequest(5)}, 5, INVALID_PARAMS, false, INVALID_PARAMS},
    {"ChangeOutOfRange", {Change(Range(50, 0, 50, 0), "x")}, nullptr, NO_ANSWER, true, FAILED},
    {"ChangeOutOfRangeThenReopened", {Change(Range(50, 0, 50, 0), "x"), Open(kUri, kSql)}, nullptr,
     NO_ANSWER, true, 0},
    {"ChangeOutOfRangeThenWholeText", {Change(Range(50, 0, 50, 0), "x"), Change(nullptr, kSql, 3)},
     nullptr, NO_ANSWER, true, 0},
    {"ChangeWithoutText", {Notification("textDocument/didChange",
                                        {{"textDocument", {{"uri", kUri}, {"version", 2}}},
                                         {"contentChanges", {{{"range", Range(0, 0, 0, 0)}}}}})},
     nullptr, NO_ANSWER, true, FAILED},
    {"ReopenedWithoutItsText",
     {Notification("textDocument/didOpen", {{"textDocument", {{"uri", kUri}, {"version", 2}}}})}, nullptr,
     NO_ANSWER, false, FAILED},
    {"ChangeToAnUnopenedDocument",
     {Notification("textDocument/didChange", {{"textDocument", {{"uri", "file:///other.sql"}}},
                                              {"contentChanges", json::array()}})},
     nullptr, NO_ANSWER, false, 0},
    {"SecondInitialize", {Request(5, "initialize")}, 5, INVALID_REQUEST, false, 0},
    {"RequestAfterShutdown", {Request(5, "shutdown")}, 5, 0, false, INVALID_REQUEST},
    {"RequestBeforeInitialize", {FormattingRequest(5)}, 5, NOT_INITIALIZED, false, NOT_INITIALIZED, false},
};

class LanguageServerErrorTest : public ::testing::TestWithParam<CErrorCase>
{
};

TEST_P(LanguageServerErrorTest, AnsweredAndTheServerGoesOn)
{
    const CErrorCase& c = GetParam();
    std::vector<std::string> pieces;
    if (c.m_bInitialize)
        pieces.push_back(kOpening);
    pieces.insert(pieces.end(), c.m_aPieces.begin(), c.m_aPieces.end());
    pieces.push_back(FormattingRequest(99));
    const CSession session = Serve(pieces);

    EXPECT_EQ(session.Code(c.m_Id), c.m_nCode);
    EXPECT_EQ(session.Code(99), c.m_nLater);
    EXPECT_EQ(!session.Notifications("window/showMessage").empty(), c.m_bShown);
    if (c.m_nLater == 0)
    {
        const json& edits = (*session.Answer(99))["result"];
        EXPECT_EQ(Utf16ToUtf8(ApplyTextEdits(Utf8ToUtf16(kSql), edits)),
                  "SELECT a\n      ,b\n  FROM t\n WHERE x = 1;\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LanguageServerErrorTest, ::testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(LanguageServer, ExitStatus)
{
    const std::string shutdown = Request(2, "shutdown"), exit = Notification("exit");
    EXPECT_EQ(Serve({kOpening, shutdown, exit}).m_nStatus, 0);
    EXPECT_EQ(Serve({kOpening, exit}).m_nStatus, 1);
    EXPECT_EQ(Serve({kOpening}).m_nStatus, 1);
    // Nothing after exit is read.
    EXPECT_EQ(Serve({kOpening, shutdown, exit, FormattingRequest(5)}).Code(5), NO_ANSWER);
}

TEST(LanguageServer, AdvertisesWhatItDoes)
{
    const CSession session = Serve({kOpening});
    const json& capabilities = (*session.Answer(1))["result"]["capabilities"];
    EXPECT_EQ(capabilities["documentFormattingProvider"], true);
    EXPECT_EQ(capabilities["documentRangeFormattingProvider"], true);
    EXPECT_EQ(capabilities["textDocumentSync"]["change"], 2);
    EXPECT_EQ(capabilities["textDocumentSync"]["openClose"], true);
    EXPECT_EQ(capabilities["positionEncoding"], "utf-16");
}

TEST(LanguageServer, RefusedResultLeavesTheDocumentAlone)
{
    CDocumentFormatter formatter({}, "");
    formatter.m_DamageResult = [](std::u16string& text) { text.erase(0, 1); };
    const CSession session = Serve({kOpening, FormattingRequest(5)}, formatter);
    ASSERT_EQ(session.Code(5), FAILED);
    EXPECT_NE((*session.Answer(5))["error"]["message"].get<std::string>().find("safety check"),
              std::string::npos);
    const auto shown = session.Notifications("window/showMessage");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]["type"], 1);
    EXPECT_NE(shown[0]["message"].get<std::string>().find("q.sql was not formatted"), std::string::npos);
}

// Documents the engine must not change, or must change in a known way.
struct CDocumentCase
{
    const char* m_sName;
    std::string m_sText;
    std::string m_sFormatted; // empty: refused
};

void PrintTo(const CDocumentCase& c, std::ostream* out)
{
    *out << c.m_sName;
}

const CDocumentCase kDocumentCases[] = {
    {"NonAsciiAndSurrogatePairs", "select 'é𝄞' x, \"𝄞\" from t",
     "SELECT 'é𝄞' x\n      ,\"𝄞\"\n  FROM t"},
    {"SurrogatePairsBeforeAnUnchangedLine", "-- 𝄞𝄞 é\nselect 1 from dual\n",
     "-- 𝄞𝄞 é\nSELECT 1\n  FROM dual\n"},
    {"CrLfKept", "select a, b\r\nfrom t\r\n", "SELECT a\r\n      ,b\r\n  FROM t\r\n"},
    {"ByteOrderMarkKeptInFront", "\uFEFFselect a, b from t\n", "\uFEFFSELECT a\n      ,b\n  FROM t\n"},
    {"AlreadyFormatted", "SELECT 1\n  FROM dual\n", "SELECT 1\n  FROM dual\n"},
    {"Empty", "", ""},
    {"MixedLineEndingsAndALiteralAcrossLines", "select 'a\r\nb' from t\nwhere x = 1\r\n", ""},
};

class LanguageServerDocumentTest : public ::testing::TestWithParam<CDocumentCase>
{
};

TEST_P(LanguageServerDocumentTest, EditsGiveTheFormattedText)
{
    const CDocumentCase& c = GetParam();
    const CSession session =
        Serve({Request(1, "initialize"), Open(kUri, c.m_sText), FormattingRequest(5)});
    const bool refused = c.m_sFormatted.empty() && !c.m_sText.empty();
    ASSERT_EQ(session.Code(5), refused ? FAILED : 0);
    if (refused)
        return;
    EXPECT_EQ(Utf16ToUtf8(ApplyTextEdits(Utf8ToUtf16(c.m_sText), (*session.Answer(5))["result"])),
              c.m_sFormatted);
}

INSTANTIATE_TEST_SUITE_P(Cases, LanguageServerDocumentTest, ::testing::ValuesIn(kDocumentCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

// A script: a command line, two SQL units with their terminators, an off region.
const std::string kScript = "set serveroutput on\n"     // line 0
                            "select a, b from t;\n"     // 1
                            "/\n"                       // 2
                            "select '𝄞', d from u;\n"   // 3: the pair is characters 8 and 9
                            "/\n"                       // 4
                            "-- quillmark: off\n"       // 5
                            "select e from v;\n"        // 6
                            "-- quillmark: on\n";       // 7
const std::string kFirstUnit = "SELECT a\n      ,b\n  FROM t;\n";
const std::string kSecondUnit = "SELECT '𝄞'\n      ,d\n  FROM u;\n";

std::string ScriptWith(const std::string& first, const std::string& second)
{
    return "set serveroutput on\n" + first + "/\n" + second +
           "/\n-- quillmark: off\nselect e from v;\n-- quillmark: on\n";
}

struct CRangeCase
{
    const char* m_sName;
    json m_Range;
    std::string m_sFormatted; // the script after the edits; empty: an error (invalid params)
    bool m_bCrLf = false;
};

void PrintTo(const CRangeCase& c, std::ostream* out)
{
    *out << c.m_sName;
}

const std::string kFirst = "select a, b from t;\n", kSecond = "select '𝄞', d from u;\n";

const CRangeCase kRangeCases[] = {
    {"InsideTheSecondUnit", Range(3, 0, 3, 5), ScriptWith(kFirst, kSecondUnit)},
    {"AfterASurrogatePair", Range(3, 10, 3, 11), ScriptWith(kFirst, kSecondUnit)},
    {"AcrossBothUnits", Range(1, 3, 3, 2), ScriptWith(kFirstUnit, kSecondUnit)},
    {"EmptyRangeInAUnit", Range(1, 4, 1, 4), ScriptWith(kFirstUnit, kSecond)},
    {"EndingWhereTheTerminatorStarts", Range(1, 0, 2, 0), ScriptWith(kFirstUnit, kSecond)},
    {"TheCommandLineOnly", Range(0, 0, 0, 3), kScript},
    {"TheTerminatorOnly", Range(2, 0, 2, 1), kScript},
    {"InTheOffRegion", Range(6, 0, 6, 5), kScript},
    {"WholeScript", Range(0, 0, 8, 0), ScriptWith(kFirstUnit, kSecondUnit)},
    {"CrLfDocument", Range(3, 0, 3, 5), ScriptWith(kFirst, kSecondUnit), true},
    {"OutsideTheDocument", Range(20, 0, 21, 0), ""},
    {"EndBeforeStart", Range(3, 5, 3, 1), ""},
};

class LanguageServerRangeTest : public ::testing::TestWithParam<CRangeCase>
{
};

TEST_P(LanguageServerRangeTest, FormatsTheUnitsItTouches)
{
    const CRangeCase& c = GetParam();
    auto crlf = [&](std::string text) {
        if (!c.m_bCrLf)
            return text;
        std::string out;
        for (char ch : text)
            out += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        return out;
    };
    const CSession session = Serve(
        {Request(1, "initialize"), Open(kUri, crlf(kScript)),
         Request(5, "textDocument/rangeFormatting",
                 {{"textDocument", {{"uri", kUri}}}, {"range", c.m_Range}, {"options", json::object()}})});
    if (c.m_sFormatted.empty())
    {
        EXPECT_EQ(session.Code(5), INVALID_PARAMS);
        return;
    }
    ASSERT_EQ(session.Code(5), 0);
    EXPECT_EQ(Utf16ToUtf8(ApplyTextEdits(Utf8ToUtf16(crlf(kScript)), (*session.Answer(5))["result"])),
              crlf(c.m_sFormatted));
}

INSTANTIATE_TEST_SUITE_P(Cases, LanguageServerRangeTest, ::testing::ValuesIn(kRangeCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(LanguageServer, IncrementalChangesCountUtf16Units)
{
    // "𝄞" takes characters 8 and 9 of the first line, so "x" is at 12.
    const std::string text = "select '𝄞' x from t;\n";
    const CSession session = Serve({Request(1, "initialize"), Open(kUri, text),
                                    Change(Range(0, 12, 0, 13), "yz"), Change(Range(1, 0, 1, 0), "-- é\n", 3),
                                    FormattingRequest(5)});
    ASSERT_EQ(session.Code(5), 0);
    // The edits are those of the text the changes made.
    const std::u16string changed = u"select '𝄞' yz from t;\n-- é\n";
    CDocumentFormatter formatter({}, "");
    EXPECT_TRUE(ApplyTextEdits(changed, (*session.Answer(5))["result"]) == formatter.Format(changed, "").m_sText);
}

TEST(LanguageServer, AChangedOptionsFileAppliesAtOnce)
{
    std::string pattern = (fs::temp_directory_path() / "qm-lsp-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const std::string uri = "file://" + (dir / "sub folder" / "q%.sql").string();
    fs::create_directories(dir / "sub folder");
    auto writeOptions = [&](const std::string& keywords) {
        std::ofstream(dir / ".quillmark.ini") << "[Options\\CCapitalisation]\nm_nKeywords=" << keywords << "\n";
    };
    // The URI's blank and percent sign are escaped, as editors send them.
    std::string escaped = uri;
    for (size_t at = 0; (at = escaped.find_first_of(" %", at)) != std::string::npos; at += 3)
        escaped.replace(at, 1, escaped[at] == ' ' ? "%20" : "%25");

    writeOptions("1"); // lower case
    CDocumentFormatter formatter({}, "");
    auto formatOnce = [&] {
        const CSession session =
            Serve({Request(1, "initialize"), Open(escaped, "select 1 from dual\n"), FormattingRequest(5, escaped)},
                  formatter);
        return Utf16ToUtf8(ApplyTextEdits(u"select 1 from dual\n", (*session.Answer(5))["result"]));
    };
    EXPECT_EQ(formatOnce(), "select 1\n  from dual\n");
    writeOptions("0"); // upper case
    EXPECT_EQ(formatOnce(), "SELECT 1\n  FROM dual\n");
    writeOptions("x"); // not an option value: refused, with the file named
    const CSession bad = Serve({Request(1, "initialize"), Open(escaped, "select 1 from dual\n"),
                                FormattingRequest(5, escaped)},
                               formatter);
    ASSERT_EQ(bad.Code(5), FAILED);
    EXPECT_NE((*bad.Answer(5))["error"]["message"].get<std::string>().find(".quillmark.ini"),
              std::string::npos);
    fs::remove_all(dir);
}

fs::path CorpusDir()
{
    if (const char* env = std::getenv("QUILLMARK_CORPUS_DIR"); env && *env)
        return env;
    return QUILLMARK_CORPUS_DIR;
}

// Over a sample of the corpus: the document with the server's edits applied is
// byte for byte what quillmark-format writes for the file, and the edits leave
// every line that does not change out; a range on the middle line gives what
// --lines writes for that line.
TEST(LanguageServerCorpus, EditsGiveWhatTheCommandWrites)
{
    std::error_code error;
    if (!fs::is_directory(CorpusDir(), error))
        GTEST_SKIP() << "no corpus at " << CorpusDir();
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(CorpusDir()))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    CDocumentFormatter formatter({}, "");
    size_t compared = 0;
    for (size_t i = 0; i < files.size(); i += 10)
    {
        std::ostringstream out, err;
        CToolEnvironment env;
        env.m_pOut = &out;
        env.m_pErr = &err;
        if (RunFormatTool({files[i].string()}, env) != EXIT_OK)
            continue; // not UTF-8, or refused: not the server's business
        std::ifstream in(files[i], std::ios::binary);
        std::ostringstream read;
        read << in.rdbuf();
        // An editor shows a file without its byte-order mark.
        std::string text = read.str();
        if (text.rfind("\xEF\xBB\xBF", 0) == 0)
            text.erase(0, 3);
        if (Utf16ToUtf8(Utf8ToUtf16(text)) != text)
            continue; // an editor would have decoded it first

        const std::string uri = "file://" + files[i].string();
        const int middle = static_cast<int>(std::count(text.begin(), text.end(), '\n') / 2);
        std::ostringstream linesOut;
        env.m_pOut = &linesOut;
        const std::string lines = std::to_string(middle + 1) + ":" + std::to_string(middle + 1);
        ASSERT_EQ(RunFormatTool({"--lines", lines, files[i].string()}, env), EXIT_OK) << files[i];
        const CSession session =
            Serve({Request(1, "initialize"), Open(uri, text), FormattingRequest(5, uri),
                   Request(6, "textDocument/rangeFormatting",
                           {{"textDocument", {{"uri", uri}}}, {"range", Range(middle, 0, middle, 1)}})},
                  formatter);
        if (session.Code(5) == FAILED &&
            (*session.Answer(5))["error"]["message"].get<std::string>().find("mixed line endings") !=
                std::string::npos)
            continue; // refused by -i as well
        ASSERT_EQ(session.Code(5), 0) << files[i];
        const json& edits = (*session.Answer(5))["result"];
        EXPECT_EQ(Utf16ToUtf8(ApplyTextEdits(Utf8ToUtf16(text), edits)), out.str()) << files[i];
        for (const json& edit : edits)
            EXPECT_FALSE(edit["range"]["start"] == edit["range"]["end"] && edit["newText"] == "")
                << "an edit that changes nothing in " << files[i];
        ASSERT_EQ(session.Code(6), 0) << files[i];
        EXPECT_EQ(Utf16ToUtf8(ApplyTextEdits(Utf8ToUtf16(text), (*session.Answer(6))["result"])),
                  linesOut.str())
            << files[i] << " --lines " << lines;
        ++compared;
    }
    EXPECT_GT(compared, files.size() / 50);
}

} // namespace

namespace
{

TEST(LanguageServer, TenMegabyteDocument)
{
    // Every line changes: the worst case for the line diff.
    std::string text;
    for (int i = 0; text.size() < (10u << 20); ++i)
        text += "select a, b from t" + std::to_string(i % 1000) + " where x = 'é𝄞';\n";
    const CSession session = Serve({kOpening, Open(kUri, text), FormattingRequest(5)});
    ASSERT_EQ(session.Code(5), 0);
    CDocumentFormatter formatter({}, "");
    const std::u16string document = Utf8ToUtf16(text);
    EXPECT_TRUE(ApplyTextEdits(document, (*session.Answer(5))["result"]) ==
                formatter.Format(document, "").m_sText);
}

} // namespace
