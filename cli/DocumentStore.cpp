#include "DocumentStore.h"

#include <algorithm>

namespace qmcli
{

CLineIndex::CLineIndex(std::u16string_view text)
{
    m_aStarts.push_back(0);
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != u'\n' && text[i] != u'\r')
            continue;
        m_aEnds.push_back(i);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        m_aStarts.push_back(i + 1);
    }
    m_aEnds.push_back(text.size());
}

std::optional<size_t> CLineIndex::OffsetOf(const CDocumentPosition& position) const
{
    if (position.m_nLine < 0 || position.m_nCharacter < 0 ||
        static_cast<uint64_t>(position.m_nLine) >= m_aStarts.size())
        return std::nullopt;
    const size_t line = static_cast<size_t>(position.m_nLine);
    const size_t length = m_aEnds[line] - m_aStarts[line];
    return m_aStarts[line] + std::min(length, static_cast<size_t>(position.m_nCharacter));
}

CDocumentPosition CLineIndex::PositionOf(size_t offset) const
{
    const size_t line = static_cast<size_t>(
        std::upper_bound(m_aStarts.begin(), m_aStarts.end(), offset) - m_aStarts.begin() - 1);
    return {static_cast<int64_t>(line), static_cast<int64_t>(offset - m_aStarts[line])};
}

void CDocumentStore::Open(const std::string& uri, std::u16string text, int64_t version)
{
    // Opening an open document again starts it afresh.
    m_aDocuments[uri] = CDocument{std::move(text), version, {}};
}

bool CDocumentStore::Close(const std::string& uri)
{
    return m_aDocuments.erase(uri) != 0;
}

CDocument* CDocumentStore::Find(const std::string& uri)
{
    auto it = m_aDocuments.find(uri);
    return it == m_aDocuments.end() ? nullptr : &it->second;
}

size_t CDocumentStore::LoseTrack(const std::string& why)
{
    size_t count = 0;
    for (auto& [uri, document] : m_aDocuments)
        if (document.m_sOutOfStep.empty())
        {
            document.m_sOutOfStep = why;
            ++count;
        }
    return count;
}

namespace
{

std::string Describe(const CDocumentPosition& position)
{
    return std::to_string(position.m_nLine) + ":" + std::to_string(position.m_nCharacter);
}

// Whether an offset falls between the two units of a surrogate pair. An
// editor that counts in UTF-16 never puts a position there; a change there
// would leave halves of a character that no answer in UTF-8 can carry back.
bool SplitsAPair(std::u16string_view text, size_t offset)
{
    return offset > 0 && offset < text.size() && text[offset - 1] >= 0xD800 && text[offset - 1] <= 0xDBFF &&
           text[offset] >= 0xDC00 && text[offset] <= 0xDFFF;
}

// A ranged change resolved to offsets of the text.
struct CSplice
{
    size_t m_nStart, m_nEnd;
    const std::u16string* m_pText;
};

// The text with the splices (disjoint, in descending order) applied, in one pass.
std::u16string Spliced(const std::u16string& text, const std::vector<CSplice>& splices)
{
    size_t length = text.size();
    for (const CSplice& splice : splices)
        length = length - (splice.m_nEnd - splice.m_nStart) + splice.m_pText->size();
    std::u16string out;
    out.reserve(length);
    size_t next = 0;
    for (auto it = splices.rbegin(); it != splices.rend(); ++it)
    {
        out.append(text, next, it->m_nStart - next);
        out += *it->m_pText;
        next = it->m_nEnd;
    }
    out.append(text, next);
    return out;
}

} // namespace

bool CDocumentStore::Change(const std::string& uri, const std::vector<CTextChange>& changes,
                            int64_t version, std::string& error)
{
    CDocument* document = Find(uri);
    if (!document)
    {
        error = "a change to a document that is not open: " + uri;
        return false;
    }
    document->m_nVersion = version;
    size_t next = 0;
    while (next < changes.size())
    {
        if (!changes[next].m_Start || !changes[next].m_End)
        {
            document->m_sText = changes[next++].m_sText;
            document->m_sOutOfStep.clear();
            continue;
        }
        // An editor applying many edits (a formatting's) sends them from the
        // bottom up. While each change ends on a line above the one where the
        // change before it starts, the lines it touches are the same in the
        // text before the run, so the whole run is resolved against that
        // text and applied in one pass, instead of one pass over the text for
        // every change.
        const CLineIndex index(document->m_sText);
        std::vector<CSplice> run;
        for (; next < changes.size(); ++next)
        {
            const CTextChange& change = changes[next];
            if (!change.m_Start || !change.m_End ||
                (!run.empty() && change.m_End->m_nLine >= changes[next - 1].m_Start->m_nLine))
                break;
            const auto start = index.OffsetOf(*change.m_Start);
            const auto end = index.OffsetOf(*change.m_End);
            if (start && end && *start <= *end && !SplitsAPair(document->m_sText, *start) &&
                !SplitsAPair(document->m_sText, *end))
            {
                run.push_back({*start, *end, &change.m_sText});
                continue;
            }
            if (!run.empty())
                break; // the changes before it are applied first, then it is refused
            error = "a change of " + Describe(*change.m_Start) + " to " + Describe(*change.m_End) +
                    (!start || !end  ? ", outside the text"
                     : *start > *end ? ", which ends before it starts"
                                     : ", inside a character of two UTF-16 units") +
                    " (version " + std::to_string(version) + " of " + uri + ")";
            document->m_sOutOfStep = error;
            return false;
        }
        if (run.size() == 1)
            document->m_sText.replace(run[0].m_nStart, run[0].m_nEnd - run[0].m_nStart, *run[0].m_pText);
        else
            document->m_sText = Spliced(document->m_sText, run);
    }
    return true;
}

} // namespace qmcli
