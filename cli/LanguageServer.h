// quillmark-format --lsp: a language server that formats the SQL documents an
// editor has open. It reads JSON-RPC messages, keeps the open documents in
// step, and answers a formatting request with the line edits that turn the
// document into its formatted text, or with an error (and a message for the
// user) when the text must not change. Bad input is answered with a JSON-RPC
// error; the server goes on with the next message.
#pragma once

#include "CommandLine.h"
#include "MessageFraming.h"

#include <functional>
#include <string>
#include <string_view>

namespace qmcli
{

class CDocumentFormatter;

// Writes the bytes of one framed message; false when they cannot be written
// (the editor has gone), which ends the server.
using MessageWriter = std::function<bool(std::string_view bytes)>;

// Serves until the exit notification or the end of the input. Returns the
// exit status: 0 when a shutdown request came first, 1 otherwise (or when the
// output fails).
int ServeLanguageServer(CByteSource& input, const MessageWriter& output, CDocumentFormatter& formatter,
                        int idleMilliseconds = CMessageReader::kIdleMilliseconds);

// quillmark-format --lsp on standard input and output. damageResult is set
// only by the test build of the command (see CToolEnvironment).
int RunLanguageServer(const CCommandLine& commandLine, const std::string& userStorePath,
                      const std::function<void(std::u16string&)>& damageResult = {});

} // namespace qmcli
