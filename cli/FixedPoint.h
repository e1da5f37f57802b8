// One text formatted as quillmark-format gives every result, for its files,
// standard input and the language server's documents alike: the engine runs
// again on its own result until a run changes nothing, so that formatting the
// result once more (--check right after -i) finds nothing to do; a final line
// break is kept; and the settled result must pass the safety check against
// the original text.
//
// A script's units are independent, so each one runs again on its own result
// only, and the text is checked a stretch at a time; this gives what runs over
// the whole text would, which is seen to hold for each stretch of the script
// between terminator lines: one that does not (its result cuts into other
// pieces) runs as a text of its own, again and again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class COptions;
class CTokenList;

namespace qmcli
{

// Runs of the engine on one text at most: a text whose last run still changed
// it has not settled, and is an error.
inline constexpr int kMaxPasses = 4;

// The engine's working storage, reused from text to text by one thread.
class CFormatWorkspace
{
public:
    CFormatWorkspace();
    ~CFormatWorkspace();
    CFormatWorkspace(CFormatWorkspace&&) noexcept;
    CFormatWorkspace& operator=(CFormatWorkspace&&) noexcept;
    // Gives back the memory of the last text (after running out of it).
    void Release();
    CTokenList& Tokens();

private:
    std::unique_ptr<CTokenList> m_pTokens;
};

// Lines of a text, 1-based, both ends included.
struct CLineRange
{
    int32_t m_nFirst = 1;
    int32_t m_nLast = 1;
};

// Characters of a text: UTF-16 offsets, m_nEnd not included.
struct CTextRange
{
    size_t m_nStart = 0;
    size_t m_nEnd = 0;
};

struct CFixedPointSettings
{
    int m_nMode = 0; // MODE_FORMAT or MODE_CAPITALISE
    bool m_bVerify = true;
    // Threads the units of a long text are formatted and checked on.
    unsigned m_nThreads = 1;
    // When not empty, only the units (as the script splitter cuts them) that
    // touch one of these lines of the input are formatted; all other text is
    // left as it is. Later runs format the units of the same places: their
    // number must not change.
    std::vector<CLineRange> m_aLines;
    // Likewise the units that share a character with one of these ranges of
    // the input; an empty range stands for the character at its start.
    std::vector<CTextRange> m_aRanges;
    // When set, the result of a long text that settles a section at a time
    // on threads (see m_bInParts) is handed to it in order, a part at a time
    // as the sections settle, the final line break last, instead of being
    // joined into m_sText; when the result is an error, the parts handed over
    // are to be dropped.
    std::function<void(std::u16string_view)> m_TakePart;
    // Tests only: damages the settled result before the safety check (that
    // of each section, for a script of several).
    std::function<void(std::u16string&)> m_DamageResult;
    // Tests only: changes every run's result, as an engine that never settles would.
    std::function<void(std::u16string&)> m_DamageEachRun;
};

struct CFixedPointResult
{
    std::u16string m_sText; // the settled result, when m_sError is empty and not m_bInParts
    bool m_bInParts = false; // the result went to m_TakePart, part by part
    int m_nPasses = 0;      // runs of the engine; the last one changed nothing
    std::string m_sError;   // why the result must not be used: "safety check failed: line 3: ..."
    // The first input lines of the units that were only capitalised, since
    // laid out they would have read as SQL*Plus commands (see Format.h).
    std::vector<int32_t> m_aUnitsNotLaidOut;
};

// input has LF line breaks, as DecodeSqlText gives it.
CFixedPointResult FormatToFixedPoint(CFormatWorkspace& workspace, std::u16string_view input,
                                     const COptions& options, const CFixedPointSettings& settings);

} // namespace qmcli
