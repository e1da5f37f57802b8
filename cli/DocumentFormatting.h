// Formatting a document an editor holds, as quillmark-format formats a file:
// its options found from its path (read afresh every time, so that a changed
// .quillmark.ini applies at once), its line breaks made LF for the engine and
// restored after, and the result settled and checked (FormatToFixedPoint).
#pragma once

#include "CommandLine.h"
#include "FixedPoint.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qmcli
{

struct CFormattedDocument
{
    bool m_bOk = false;
    std::u16string m_sText;              // the document's new text, when m_bOk
    std::string m_sError;                // why the document must not change
    std::vector<std::string> m_aWarnings; // about the options' sources
};

class CDocumentFormatter
{
public:
    // The command line's --options, --set, --left-margin and --capitalise
    // apply as they do for files; userStorePath is the desktop app's store
    // (empty: none).
    CDocumentFormatter(CCommandLine commandLine, std::string userStorePath);
    ~CDocumentFormatter();

    // path: the document's file, or empty when it has none (then the options
    // are found from the current folder). With a range (UTF-16 offsets of the
    // text), only the units that share a character with it are formatted.
    CFormattedDocument Format(std::u16string_view text, const std::string& path,
                              const std::optional<CTextRange>& range = std::nullopt);

    // Tests only: damages each result before the safety check.
    std::function<void(std::u16string&)> m_DamageResult;

private:
    CCommandLine m_CommandLine;
    std::string m_sUserStorePath;
    CFormatWorkspace m_workspace;
};

} // namespace qmcli
