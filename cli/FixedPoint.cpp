#include "FixedPoint.h"

#include "Format.h"
#include "Lexicon.h"
#include "Options.h"
#include "TokenCheck.h"

#include <algorithm>
#include <system_error>
#include <future>
#include <optional>

namespace qmcli
{

// One run of the engine, written over output (whose storage is reused).
struct CPassRunner
{
    // Returns the first lines of the units only capitalised.
    static std::vector<int32_t> Run(CFormatWorkspace& workspace, const COptions& options,
                                    const CFixedPointSettings& settings, std::u16string_view text,
                                    const std::vector<CScriptPiece>& pieces, const CUnitFilter& filter,
                                    std::u16string& output)
    {
        return FormatInto(StandardLexicon(), text, pieces, options, settings.m_nMode, filter, *workspace.m_pTokens,
                          output, settings.m_nThreads)
            .m_aUnitsNotLaidOut;
    }
};

CFormatWorkspace::CFormatWorkspace() : m_pTokens(std::make_unique<CTokenList>()) {}
CFormatWorkspace::~CFormatWorkspace() = default;
CFormatWorkspace::CFormatWorkspace(CFormatWorkspace&&) noexcept = default;
CFormatWorkspace& CFormatWorkspace::operator=(CFormatWorkspace&&) noexcept = default;

void CFormatWorkspace::Release()
{
    m_pTokens->Clear();
    m_pTokens->m_aTokens.shrink_to_fit();
}

namespace
{

// Chooses the units of each run when only some lines are formatted: on the
// first run the units that touch the lines, on later runs the units at the
// same places, so that a unit moved by formatting is still the one chosen.
class CUnitChoice
{
public:
    CUnitChoice(const std::vector<CLineRange>& lines, const std::vector<CTextRange>& ranges)
        : m_aLines(lines), m_aRanges(ranges)
    {
    }

    // The filter of the next run; empty when every unit is formatted.
    CUnitFilter NextRun()
    {
        if (m_aLines.empty() && m_aRanges.empty())
            return {};
        m_nSeen = 0;
        if (m_bFirstRun)
            return [this](const CScriptPiece& unit, size_t) {
                ++m_nSeen;
                bool touches = false;
                for (const CLineRange& range : m_aLines)
                    touches = touches || (unit.m_nFirstLine <= range.m_nLast && unit.m_nLastLine >= range.m_nFirst);
                for (const CTextRange& range : m_aRanges)
                {
                    const size_t end = std::max(range.m_nEnd, range.m_nStart + 1);
                    touches = touches || (unit.m_nStart < end && range.m_nStart < unit.m_nStart + unit.m_nLength);
                }
                m_aChosen.push_back(touches);
                return touches;
            };
        return [this](const CScriptPiece&, size_t index) {
            ++m_nSeen;
            return index < m_aChosen.size() && m_aChosen[index];
        };
    }
    // After a run: false when the text it was given held another number of
    // units than the first run's.
    bool SameUnits()
    {
        const bool same = m_bFirstRun || m_nSeen == m_aChosen.size();
        m_bFirstRun = false;
        return same;
    }

private:
    const std::vector<CLineRange>& m_aLines;
    const std::vector<CTextRange>& m_aRanges;
    std::vector<bool> m_aChosen; // by unit index, from the first run
    size_t m_nSeen = 0;          // units the last run was given
    bool m_bFirstRun = true;
};

} // namespace

CFixedPointResult FormatToFixedPoint(CFormatWorkspace& workspace, std::u16string_view input,
                                     const COptions& options, const CFixedPointSettings& settings)
{
    // The workspace keeps its storage from run to run of this text, and no
    // copy of the text or its tokens afterwards.
    struct CReleaseAtEnd
    {
        CFormatWorkspace& m_Workspace;
        ~CReleaseAtEnd() { m_Workspace.Release(); }
    } releaseAtEnd{workspace};

    CFixedPointResult result;
    // The engine gets the text without its final line break, which it would
    // take for an empty last line: one without indentation, so that every
    // run of Capitalise with a left margin would indent the text further.
    // The break is put back on the result.
    const bool endsWithBreak = !input.empty() && input.back() == u'\n';
    const std::u16string_view body = input.substr(0, input.size() - (endsWithBreak ? 1 : 0));
    // Each text is cut into pieces once: for the run that reads it and for
    // the safety check.
    const std::vector<CScriptPiece> bodyPieces = SplitScript(body);
    std::u16string_view text = body; // what the next run reads
    const std::vector<CScriptPiece>* pieces = &bodyPieces;
    std::vector<CScriptPiece> resultPieces;
    // The last run's result, and the storage the next run writes into.
    std::u16string current, next;
    CTokenCheckRules rules;
    rules.m_bCommentsRemoved = settings.m_nMode == MODE_FORMAT && options.m_Comments.m_bRemoveComments;
    rules.m_bHintsKept = options.m_Comments.m_bDontRemoveHints;
    // With threads to spare, the first result is checked while the next run
    // reads it: when that run changes nothing, the check is the one needed.
    // (Declared after the texts it reads, so that it is waited for before
    // they go.)
    const bool checkEarly = settings.m_bVerify && settings.m_nThreads > 1 && body.size() >= 64 * 1024 &&
                            !settings.m_DamageResult && !settings.m_DamageEachRun;
    std::future<std::optional<CTokenDifference>> earlyCheck;
    std::optional<CTokenDifference> difference;
    bool checked = false;
    bool settled = false;
    CUnitChoice choice(settings.m_aLines, settings.m_aRanges);
    while (!settled && result.m_nPasses < kMaxPasses)
    {
        std::vector<int32_t> notLaidOut =
            CPassRunner::Run(workspace, options, settings, text, *pieces, choice.NextRun(), next);
        if (result.m_nPasses == 0)
            result.m_aUnitsNotLaidOut = std::move(notLaidOut); // lines of the input
        if (earlyCheck.valid())
        {
            difference = earlyCheck.get();
            checked = next == text;
        }
        if (!choice.SameUnits())
        {
            result.m_sError = "the lines asked for cannot be settled: formatting them changed how the "
                              "text divides into units";
            return result;
        }
        if (settings.m_DamageEachRun)
            settings.m_DamageEachRun(next);
        ++result.m_nPasses;
        settled = next == text;
        current.swap(next);
        text = current;
        if (!settled && result.m_nPasses < kMaxPasses)
        {
            resultPieces = SplitScript(current);
            pieces = &resultPieces;
            if (checkEarly && result.m_nPasses == 1)
            {
                try
                {
                    earlyCheck = std::async(std::launch::async, [&] {
                        return CompareTokens(body, bodyPieces, current, resultPieces, rules);
                    });
                }
                catch (const std::system_error&)
                {
                    // No thread to spare after all: the check runs at the end.
                }
            }
        }
    }
    if (!settled)
    {
        result.m_sError = "the result does not settle: formatting it again still changed it after " +
                          std::to_string(kMaxPasses) + " runs";
        return result;
    }
    // Settled: current is the text the last run read, so *pieces are its pieces.
    if (endsWithBreak)
        current.push_back(u'\n');
    if (settings.m_DamageResult)
        settings.m_DamageResult(current);
    if (settings.m_bVerify)
    {
        // Without the final line breaks both texts have the same tokens as
        // with them; a damaged result is cut into pieces anew.
        if (settings.m_DamageResult)
            difference = CompareTokens(input, current, rules);
        else if (!checked)
            difference = CompareTokens(body, bodyPieces,
                                       std::u16string_view(current).substr(0, current.size() - (endsWithBreak ? 1 : 0)),
                                       *pieces, rules);
        if (difference)
        {
            result.m_sError = "safety check failed: " + difference->Describe();
            return result;
        }
    }
    result.m_sText = std::move(current);
    return result;
}

} // namespace qmcli
