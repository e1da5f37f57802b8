// The texts of the documents an editor has open, kept in step with the changes
// it sends, and positions in them as the language server protocol counts them:
// a 0-based line and a UTF-16 unit within it, where a line ends at LF, CR LF or
// a lone CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qmcli
{

struct CDocumentPosition
{
    int64_t m_nLine = 0;
    int64_t m_nCharacter = 0;
};

class CLineIndex
{
public:
    explicit CLineIndex(std::u16string_view text);

    // The offset of a position; nothing when its line is not in the text (or
    // a number is negative). A character past the end of its line stands for
    // the line's end, before its line break, as the protocol says.
    std::optional<size_t> OffsetOf(const CDocumentPosition& position) const;
    CDocumentPosition PositionOf(size_t offset) const;

private:
    std::vector<size_t> m_aStarts; // where each line begins
    std::vector<size_t> m_aEnds;   // where each line's text ends, before its break
};

struct CTextChange
{
    // A replaced range [start, end), or the whole text when there is none.
    std::optional<CDocumentPosition> m_Start, m_End;
    std::u16string m_sText;
};

struct CDocument
{
    std::u16string m_sText;
    int64_t m_nVersion = 0;
    // Why the text may no longer be the editor's (a change that could not be
    // applied); empty while the two are in step. Nothing is formatted until
    // the editor sends the whole text again.
    std::string m_sOutOfStep;
};

class CDocumentStore
{
public:
    void Open(const std::string& uri, std::u16string text, int64_t version);
    // False when the document was not open.
    bool Close(const std::string& uri);
    CDocument* Find(const std::string& uri);
    // Marks every document that is in step as out of step; how many were.
    size_t LoseTrack(const std::string& why);

    // Applies the changes in order. False, with the reason, when the document
    // is not open or a change does not fit its text: then the changes before
    // it stay applied and the document is out of step.
    bool Change(const std::string& uri, const std::vector<CTextChange>& changes, int64_t version,
                std::string& error);

private:
    std::map<std::string, CDocument> m_aDocuments;
};

} // namespace qmcli
