#include "LanguageServer.h"

#include "CodePage.h"
#include "DocumentFormatting.h"
#include "DocumentStore.h"
#include "TextEdits.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <limits>
#include <optional>

#include <unistd.h>

#ifndef QUILLMARK_VERSION
#define QUILLMARK_VERSION "unknown"
#endif

namespace qmcli
{

namespace
{

using json = nlohmann::json;

// JSON-RPC's error codes, and the protocol's own.
enum ErrorCode
{
    ERROR_PARSE = -32700,
    ERROR_INVALID_REQUEST = -32600,
    ERROR_METHOD_NOT_FOUND = -32601,
    ERROR_INVALID_PARAMS = -32602,
    ERROR_INTERNAL = -32603,
    ERROR_NOT_INITIALIZED = -32002,
    ERROR_REQUEST_FAILED = -32803,
};

// window/showMessage and window/logMessage types.
enum MessageType { MESSAGE_ERROR = 1, MESSAGE_WARNING = 2, MESSAGE_INFO = 3 };

// How a handler refuses its request.
struct CRequestError
{
    int m_nCode;
    std::string m_sMessage;
};

[[noreturn]] void BadParams(const std::string& what)
{
    throw CRequestError{ERROR_INVALID_PARAMS, what};
}

// Parameters are only ever looked at through references: copying a JSON value
// copies its nesting on the call stack, and a client may nest deeply.
const json& Member(const json& object, const char* name, const char* where)
{
    if (!object.is_object())
        BadParams(std::string(where) + " must be an object");
    const auto it = object.find(name);
    if (it == object.end())
        BadParams(std::string(where) + " has no '" + name + "'");
    return *it;
}

const json* OptionalMember(const json& object, const char* name)
{
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(name);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

std::string String(const json& value, const char* what)
{
    if (!value.is_string())
        BadParams(std::string(what) + " must be a string");
    return value.get<std::string>();
}

int64_t Integer(const json& value, const char* what)
{
    if (value.is_number_unsigned())
    {
        const uint64_t n = value.get<uint64_t>();
        return n > uint64_t(std::numeric_limits<int64_t>::max()) ? std::numeric_limits<int64_t>::max()
                                                                  : static_cast<int64_t>(n);
    }
    if (!value.is_number_integer())
        BadParams(std::string(what) + " must be a whole number");
    return value.get<int64_t>();
}

std::u16string Utf16(const std::string& utf8)
{
    std::u16string text;
    text.reserve(utf8.size());
    Utf8::Decode(utf8, text);
    return text;
}

std::string Utf8Of(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    Utf8::Encode(text, out);
    return out;
}

CDocumentPosition PositionOf(const json& position, const char* what)
{
    return {Integer(Member(position, "line", what), "a line"),
            Integer(Member(position, "character", what), "a character")};
}

json JsonOf(const CDocumentPosition& position)
{
    return {{"line", position.m_nLine}, {"character", position.m_nCharacter}};
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The file of a "file:" URI, or empty for any other (an unsaved buffer, a
// remote file): then the options are found from the current folder.
std::string PathOfUri(const std::string& uri)
{
    std::string_view rest = uri;
    const std::string_view scheme = "file://";
    if (rest.size() < scheme.size() ||
        !std::equal(scheme.begin(), scheme.end(), rest.begin(),
                    [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); }))
        return {};
    rest.remove_prefix(scheme.size());
    if (rest.substr(0, 9) == "localhost")
        rest.remove_prefix(9);
    if (rest.empty() || rest[0] != '/')
        return {};
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i)
    {
        const int high = rest[i] == '%' && i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(rest[i + 2]) : -1;
        if (low >= 0)
        {
            path += static_cast<char>(high * 16 + low);
            i += 2;
        }
        else
            path += rest[i];
    }
    return path.find('\0') == std::string::npos ? path : std::string();
}

// The name a message gives a document: its file's name, or the URI.
std::string NameOfUri(const std::string& uri)
{
    const std::string path = PathOfUri(uri);
    if (path.empty())
        return uri;
    return path.substr(path.find_last_of('/') + 1);
}

bool TryParse(const std::string& text, json& value, std::string& error)
{
    try
    {
        value = json::parse(text);
        return true;
    }
    catch (const json::parse_error& e)
    {
        // "[json.exception.parse_error.101] parse error at ...": the reason only.
        error = e.what();
        const size_t bracket = error.find("] ");
        if (bracket != std::string::npos)
            error.erase(0, bracket + 2);
        return false;
    }
}

bool IsId(const json& id)
{
    return id.is_string() || id.is_number();
}

class CServer
{
public:
    CServer(const MessageWriter& output, CDocumentFormatter& formatter)
        : m_Write(output), m_Formatter(formatter)
    {
    }

    // Answers one message; a message that cannot be handled at all (out of
    // memory while parsing it) is answered with an error, and counts as lost.
    void Handle(const CIncomingMessage& message, CMessageReader& reader);
    bool Stopped() const { return m_bExit || m_bOutputFailed; }
    int ExitStatus() const { return m_bShutdown && !m_bOutputFailed ? 0 : 1; }

private:
    using Handler = json (CServer::*)(const json& params);
    struct CMethod
    {
        std::string_view m_sName;
        Handler m_Handle;
    };
    static const CMethod kMethods[];

    void HandleMessage(const CIncomingMessage& message, CMessageReader& reader);
    void Dispatch(const json& message);
    void Send(const json& message);
    void Reply(const json& id, json result);
    void ReplyError(const json& id, int code, const std::string& text);
    void Notify(const char* method, json params);
    void ShowMessage(int type, const std::string& text);
    void LogMessage(int type, const std::string& text);
    void LoseTrackOfEveryDocument(const std::string& why);

    json Initialize(const json& params);
    json Initialized(const json& params);
    json Shutdown(const json& params);
    json Exit(const json& params);
    json DidOpen(const json& params);
    json DidChange(const json& params);
    json DidClose(const json& params);
    json DidChangeConfiguration(const json& params);
    json Formatting(const json& params);
    json RangeFormatting(const json& params);

    // The open document a request names, in step with the editor.
    CDocument& DocumentToFormat(const json& params, std::string& uri);
    json EditsFor(const CDocument& document, const std::string& uri,
                  const std::optional<CTextRange>& range = std::nullopt);

    const MessageWriter& m_Write;
    CDocumentFormatter& m_Formatter;
    CDocumentStore m_Documents;
    bool m_bInitialized = false;
    bool m_bShutdown = false;
    bool m_bExit = false;
    bool m_bOutputFailed = false;
};

const CServer::CMethod CServer::kMethods[] = {
    {"initialize", &CServer::Initialize},
    {"initialized", &CServer::Initialized},
    {"shutdown", &CServer::Shutdown},
    {"exit", &CServer::Exit},
    {"textDocument/didOpen", &CServer::DidOpen},
    {"textDocument/didChange", &CServer::DidChange},
    {"textDocument/didClose", &CServer::DidClose},
    {"textDocument/formatting", &CServer::Formatting},
    {"textDocument/rangeFormatting", &CServer::RangeFormatting},
    {"workspace/didChangeConfiguration", &CServer::DidChangeConfiguration},
};

void CServer::Send(const json& message)
{
    if (m_bOutputFailed)
        return;
    const std::string body = message.dump(-1, ' ', false, json::error_handler_t::replace);
    if (!m_Write(FrameMessage(body)))
        m_bOutputFailed = true;
}

void CServer::Reply(const json& id, json result)
{
    Send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void CServer::ReplyError(const json& id, int code, const std::string& text)
{
    Send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", text}}}});
}

void CServer::Notify(const char* method, json params)
{
    Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

void CServer::ShowMessage(int type, const std::string& text)
{
    Notify("window/showMessage", {{"type", type}, {"message", "Quillmark: " + text}});
}

void CServer::LogMessage(int type, const std::string& text)
{
    Notify("window/logMessage", {{"type", type}, {"message", "quillmark-format: " + text}});
}

void CServer::LoseTrackOfEveryDocument(const std::string& why)
{
    // The lost message may have been a change to any of them; formatting a
    // text that is not the editor's would damage the document.
    if (m_Documents.LoseTrack(why) != 0)
        ShowMessage(MESSAGE_WARNING, "a message from the editor was lost (" + why +
                                         "); reopen a document to format it again");
}

void CServer::Handle(const CIncomingMessage& message, CMessageReader& reader)
{
    try
    {
        HandleMessage(message, reader);
    }
    catch (const std::exception& error)
    {
        const bool memory = dynamic_cast<const std::bad_alloc*>(&error) != nullptr;
        const std::string why = memory ? "out of memory" : error.what();
        ReplyError(nullptr, ERROR_INTERNAL, why);
        LoseTrackOfEveryDocument(why);
    }
}

void CServer::HandleMessage(const CIncomingMessage& message, CMessageReader& reader)
{
    json body;
    std::string parseError;
    bool parsed = TryParse(message.m_sBody, body, parseError);
    std::string problem = message.m_sProblem;
    if (problem.empty() && !parsed)
    {
        // The body may be the front of a message whose Content-Length was
        // too small; its rest is what follows up to the next header.
        const std::string rest = reader.ReadToNextHeader();
        std::string ignored;
        if (!rest.empty() && TryParse(message.m_sBody + rest, body, ignored))
        {
            parsed = true;
            problem = "Content-Length is " + std::to_string(message.m_sBody.size()) +
                      " but the message is " + std::to_string(message.m_sBody.size() + rest.size()) +
                      " bytes long";
        }
    }
    if (!parsed)
    {
        const std::string why = problem.empty() ? "not JSON: " + parseError : problem;
        ReplyError(nullptr, ERROR_PARSE, why);
        LoseTrackOfEveryDocument(why);
        return;
    }
    if (!problem.empty())
    {
        // A request is refused, with its own id so that the editor stops
        // waiting for it; a notification is still carried out, so that the
        // documents stay in step.
        const json* id = body.is_object() ? OptionalMember(body, "id") : nullptr;
        if (id && IsId(*id))
        {
            ReplyError(*id, ERROR_INVALID_REQUEST, problem);
            return;
        }
        LogMessage(MESSAGE_WARNING, "a message framed wrongly: " + problem);
    }
    Dispatch(body);
}

void CServer::Dispatch(const json& message)
{
    if (!message.is_object())
    {
        ReplyError(nullptr, ERROR_INVALID_REQUEST,
                   message.is_array() ? "batches of messages are not supported"
                                      : "a message must be a JSON object");
        if (message.is_array())
            LoseTrackOfEveryDocument("a batch of messages");
        return;
    }
    const auto idIt = message.find("id");
    const bool isRequest = idIt != message.end();
    if (isRequest && !IsId(*idIt) && !idIt->is_null())
    {
        ReplyError(nullptr, ERROR_INVALID_REQUEST, "an id must be a number or a string");
        return;
    }
    static const json kNoId;
    const json& id = isRequest ? *idIt : kNoId;
    auto refuse = [&](int code, const std::string& text) {
        if (isRequest)
            ReplyError(id, code, text);
    };
    const auto methodIt = message.find("method");
    if (methodIt == message.end())
    {
        // An answer to a request of ours: the server sends none, so it is dropped.
        if (isRequest && (message.contains("result") || message.contains("error")))
            return;
        return refuse(ERROR_INVALID_REQUEST, "a message without a method");
    }
    if (!methodIt->is_string())
        return refuse(ERROR_INVALID_REQUEST, "the method must be a string");
    const std::string name = methodIt->get<std::string>();

    const CMethod* method = nullptr;
    for (const CMethod& candidate : kMethods)
        if (candidate.m_sName == name)
            method = &candidate;
    if (!m_bInitialized && name != "initialize" && name != "exit")
        return refuse(ERROR_NOT_INITIALIZED, "the server is not initialized: initialize comes first");
    if (m_bShutdown && name != "exit")
        return refuse(ERROR_INVALID_REQUEST, "the server is shutting down: only exit may follow");
    if (!method)
    {
        // Notifications the server does not know are dropped, as the protocol asks.
        return refuse(ERROR_METHOD_NOT_FOUND, "unknown method '" + name + "'");
    }

    static const json kNoParams = json::object();
    const auto paramsIt = message.find("params");
    const json& params = paramsIt == message.end() ? kNoParams : *paramsIt;
    try
    {
        json result = (this->*(method->m_Handle))(params);
        if (isRequest)
            Reply(id, std::move(result));
    }
    catch (const CRequestError& error)
    {
        if (isRequest)
            ReplyError(id, error.m_nCode, error.m_sMessage);
        else
            LogMessage(MESSAGE_ERROR, name + ": " + error.m_sMessage);
    }
    catch (const std::exception& error)
    {
        // Out of memory, most likely: the request fails, and a change that
        // may be half applied leaves the documents out of step.
        const bool memory = dynamic_cast<const std::bad_alloc*>(&error) != nullptr;
        refuse(ERROR_INTERNAL, memory ? "out of memory" : error.what());
        if (!isRequest)
            LoseTrackOfEveryDocument(name + " failed: " + (memory ? "out of memory" : error.what()));
    }
}

json CServer::Initialize(const json&)
{
    if (m_bInitialized)
        throw CRequestError{ERROR_INVALID_REQUEST, "initialize came a second time"};
    m_bInitialized = true;
    return {
        {"capabilities",
         {
             {"positionEncoding", "utf-16"},
             {"textDocumentSync", {{"openClose", true}, {"change", 2}}}, // 2: incremental
             {"documentFormattingProvider", true},
             {"documentRangeFormattingProvider", true},
         }},
        {"serverInfo", {{"name", "quillmark-format"}, {"version", QUILLMARK_VERSION}}},
    };
}

json CServer::Initialized(const json&)
{
    return nullptr;
}

json CServer::Shutdown(const json&)
{
    m_bShutdown = true;
    return nullptr;
}

json CServer::Exit(const json&)
{
    m_bExit = true;
    return nullptr;
}

json CServer::DidOpen(const json& params)
{
    const json& document = Member(params, "textDocument", "params");
    const std::string uri = String(Member(document, "uri", "textDocument"), "uri");
    try
    {
        const json* version = OptionalMember(document, "version");
        std::u16string text = Utf16(String(Member(document, "text", "textDocument"), "text"));
        m_Documents.Open(uri, std::move(text), version ? Integer(*version, "version") : 0);
    }
    catch (const CRequestError& bad)
    {
        // An open document opened again without a usable text: the text kept
        // is no longer the editor's.
        if (CDocument* open = m_Documents.Find(uri))
            open->m_sOutOfStep = "it was opened again, but " + bad.m_sMessage;
        throw;
    }
    return nullptr;
}

json CServer::DidChange(const json& params)
{
    const json& document = Member(params, "textDocument", "params");
    const std::string uri = String(Member(document, "uri", "textDocument"), "uri");
    const json* versionValue = OptionalMember(document, "version");
    const int64_t version = versionValue ? Integer(*versionValue, "version") : 0;
    std::vector<CTextChange> changes;
    std::string error;
    try
    {
        const json& list = Member(params, "contentChanges", "params");
        if (!list.is_array())
            BadParams("contentChanges must be an array");
        for (const json& item : list)
        {
            CTextChange change;
            change.m_sText = Utf16(String(Member(item, "text", "a content change"), "text"));
            if (const json* range = OptionalMember(item, "range"))
            {
                change.m_Start = PositionOf(Member(*range, "start", "range"), "start");
                change.m_End = PositionOf(Member(*range, "end", "range"), "end");
            }
            changes.push_back(std::move(change));
        }
    }
    catch (const CRequestError& bad)
    {
        error = bad.m_sMessage;
    }
    CDocument* open = m_Documents.Find(uri);
    const bool inStep = open && open->m_sOutOfStep.empty();
    if (error.empty() && m_Documents.Change(uri, changes, version, error))
        return nullptr;
    if (!open)
        throw CRequestError{ERROR_INVALID_PARAMS, error};
    // Told once, not at every keystroke that follows.
    open->m_sOutOfStep = error;
    if (inStep)
        ShowMessage(MESSAGE_WARNING, "lost track of " + NameOfUri(uri) + " (" + error +
                                         "); reopen it to format it again");
    return nullptr;
}

json CServer::DidClose(const json& params)
{
    const json& document = Member(params, "textDocument", "params");
    const std::string uri = String(Member(document, "uri", "textDocument"), "uri");
    if (!m_Documents.Close(uri))
        BadParams("closing a document that is not open: " + uri);
    return nullptr;
}

json CServer::DidChangeConfiguration(const json&)
{
    // Nothing to refresh: options are read afresh for every request.
    return nullptr;
}

CDocument& CServer::DocumentToFormat(const json& params, std::string& uri)
{
    const json& document = Member(params, "textDocument", "params");
    uri = String(Member(document, "uri", "textDocument"), "uri");
    CDocument* open = m_Documents.Find(uri);
    if (!open)
        BadParams("the document is not open: " + uri);
    if (!open->m_sOutOfStep.empty())
        throw CRequestError{ERROR_REQUEST_FAILED,
                            "not formatted: the server lost track of " + NameOfUri(uri) + " (" +
                                open->m_sOutOfStep + "); reopen it to format it again"};
    return *open;
}

json CServer::EditsFor(const CDocument& document, const std::string& uri,
                       const std::optional<CTextRange>& range)
{
    CFormattedDocument formatted = m_Formatter.Format(document.m_sText, PathOfUri(uri), range);
    for (const std::string& warning : formatted.m_aWarnings)
        LogMessage(MESSAGE_WARNING, warning);
    if (!formatted.m_bOk)
    {
        const std::string text = NameOfUri(uri) + " was not formatted: " + formatted.m_sError;
        ShowMessage(MESSAGE_ERROR, text);
        throw CRequestError{ERROR_REQUEST_FAILED, text};
    }
    const CLineIndex lines(document.m_sText);
    json edits = json::array();
    for (const CTextEdit& edit : LineEdits(document.m_sText, formatted.m_sText))
        edits.push_back({{"range",
                          {{"start", JsonOf(lines.PositionOf(edit.m_nStart))},
                           {"end", JsonOf(lines.PositionOf(edit.m_nEnd))}}},
                         {"newText", Utf8Of(edit.m_sNewText)}});
    return edits;
}

json CServer::Formatting(const json& params)
{
    std::string uri;
    const CDocument& document = DocumentToFormat(params, uri);
    return EditsFor(document, uri);
}

json CServer::RangeFormatting(const json& params)
{
    std::string uri;
    const CDocument& document = DocumentToFormat(params, uri);
    const json& range = Member(params, "range", "params");
    const CDocumentPosition start = PositionOf(Member(range, "start", "range"), "start");
    const CDocumentPosition end = PositionOf(Member(range, "end", "range"), "end");
    const CLineIndex lines(document.m_sText);
    const auto startOffset = lines.OffsetOf(start), endOffset = lines.OffsetOf(end);
    if (!startOffset || !endOffset || *startOffset > *endOffset)
        BadParams("the range " + std::to_string(start.m_nLine) + ":" + std::to_string(start.m_nCharacter) +
                  " to " + std::to_string(end.m_nLine) + ":" + std::to_string(end.m_nCharacter) +
                  (startOffset && endOffset ? " ends before it starts" : " is outside the document"));
    return EditsFor(document, uri, CTextRange{*startOffset, *endOffset});
}

} // namespace

int ServeLanguageServer(CByteSource& input, const MessageWriter& output, CDocumentFormatter& formatter,
                        int idleMilliseconds)
{
    CMessageReader reader(input, CMessageReader::kMaxBodyBytes, idleMilliseconds);
    CServer server(output, formatter);
    CIncomingMessage message;
    for (;;)
    {
        try
        {
            if (server.Stopped() || !reader.Next(message))
                break;
        }
        catch (const std::bad_alloc&)
        {
            // No room for the message, and the reader may not have got past
            // it: the server says so and ends, and the editor may start it again.
            server.Handle({std::string(), "no memory for the message"}, reader);
            return 1;
        }
        server.Handle(message, reader);
    }
    return server.ExitStatus();
}

int RunLanguageServer(const CCommandLine& commandLine, const std::string& userStorePath,
                      const std::function<void(std::u16string&)>& damageResult)
{
    // An editor that goes away closes the pipe: writing then fails with EPIPE
    // and ends the server, instead of a signal ending it.
    std::signal(SIGPIPE, SIG_IGN);
    CDescriptorSource input(STDIN_FILENO);
    CDocumentFormatter formatter(commandLine, userStorePath);
    formatter.m_DamageResult = damageResult;
    const MessageWriter output = [](std::string_view bytes) {
        while (!bytes.empty())
        {
            const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    };
    return ServeLanguageServer(input, output, formatter);
}

} // namespace qmcli
