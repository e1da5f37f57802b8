#include "SplitOnThreads.h"

#include "ShareOut.h"

#include <algorithm>

namespace
{
// Texts at least this long are split on several threads.
constexpr size_t kParallelTextLength = 256 * 1024;
// No chunk is shorter than this.
constexpr size_t kMinChunkLength = 64 * 1024;

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// The first place at or after from where a line that holds only "/" (blanks
// around it allowed) ends, before its line break and a carriage return
// there; npos when there is none.
size_t NextCut(std::u16string_view text, size_t from)
{
    for (size_t slash = text.find(u'/', from); slash != std::u16string_view::npos;
         slash = text.find(u'/', slash + 1))
    {
        size_t start = slash;
        while (start > 0 && IsBlank(text[start - 1]))
            --start;
        if (start > 0 && text[start - 1] != u'\n')
            continue;
        size_t end = slash + 1;
        while (end < text.size() && IsBlank(text[end]))
            ++end;
        if (end < text.size() && text[end] == u'\r')
            ++end;
        if (end == text.size())
            return std::u16string_view::npos; // the text's last line: nothing after it
        if (text[end] != u'\n')
            continue;
        return end > slash + 1 && text[end - 1] == u'\r' ? end - 1 : end;
    }
    return std::u16string_view::npos;
}

} // namespace

std::vector<CScriptPiece> SplitScriptInChunks(std::u16string_view text, size_t chunkLength, unsigned threads)
{
    std::vector<size_t> cuts{0}; // chunk k is [cuts[k], cuts[k + 1])
    for (size_t at = NextCut(text, chunkLength); at != std::u16string_view::npos;
         at = NextCut(text, std::max(at + 1, cuts.back() + chunkLength)))
        cuts.push_back(at);
    cuts.push_back(text.size());
    const size_t chunks = cuts.size() - 1;
    if (chunks == 1 || threads <= 1)
        return SplitScript(text);

    std::vector<std::vector<CScriptPiece>> split(chunks);
    ShareOut(chunks, threads,
             [&](unsigned, size_t k) { split[k] = SplitScript(text.substr(cuts[k], cuts[k + 1] - cuts[k])); });

    std::vector<CScriptPiece> pieces;
    size_t total = 0;
    for (const auto& chunk : split)
        total += chunk.size();
    pieces.reserve(total);
    int32_t linesBefore = 0; // lines of the text before the chunk's first
    auto append = [&](std::vector<CScriptPiece>& chunk, size_t start) {
        for (CScriptPiece piece : chunk)
        {
            piece.m_nStart += start;
            piece.m_nFirstLine += linesBefore;
            piece.m_nLastLine += linesBefore;
            pieces.push_back(piece);
        }
        std::vector<CScriptPiece>().swap(chunk);
    };
    // Whether the pieces end with a terminator line at the cut: then the
    // chunk from there begins where the script reads as from its start.
    auto endsAt = [&](size_t cut) {
        return !pieces.empty() && pieces.back().m_nKind == PIECE_TERMINATOR &&
               pieces.back().m_nStart + pieces.back().m_nLength == cut;
    };
    // Chunk k begins where the script reads as from its start, so its pieces
    // are those of the whole text.
    for (size_t k = 0; k < chunks;)
    {
        const size_t mark = pieces.size();
        append(split[k], cuts[k]);
        if (k + 1 == chunks)
            break;
        if (endsAt(cuts[k + 1]))
        {
            linesBefore = pieces.back().m_nLastLine - 1;
            ++k;
            continue;
        }
        // The next chunk does not begin so. The pieces of chunk k are right,
        // and after its last terminator line the script reads as from its
        // start: from there the text is split in one pass, over twice as
        // many chunks each time, up to a cut that holds (or the end), which
        // keeps the time linear.
        size_t keep = pieces.size();
        while (keep > mark && pieces[keep - 1].m_nKind != PIECE_TERMINATOR)
            --keep;
        pieces.resize(keep);
        const size_t from = keep > mark ? pieces.back().m_nStart + pieces.back().m_nLength : cuts[k];
        if (keep > mark)
            linesBefore = pieces.back().m_nLastLine - 1;
        for (size_t span = 2;; span *= 2)
        {
            const size_t end = std::min(chunks, k + span);
            std::vector<CScriptPiece> rest = SplitScript(text.substr(from, cuts[end] - from));
            append(rest, from);
            if (end == chunks)
                return pieces;
            if (endsAt(cuts[end]))
            {
                linesBefore = pieces.back().m_nLastLine - 1;
                k = end;
                break;
            }
            pieces.resize(keep);
        }
    }
    return pieces;
}

std::vector<CScriptPiece> SplitScriptOnThreads(std::u16string_view text, unsigned threads)
{
    if (threads <= 1 || text.size() < kParallelTextLength)
        return SplitScript(text);
    // Chunks small enough that a cut that does not hold costs little.
    return SplitScriptInChunks(text, std::max(kMinChunkLength, text.size() / (threads * 16)), threads);
}
