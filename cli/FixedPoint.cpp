#include "FixedPoint.h"

#include "Format.h"
#include "Lexicon.h"
#include "Options.h"
#include "TokenCheck.h"

#include <algorithm>

namespace qmcli
{

// One run of the engine; the workspace keeps no copy of the text or its tokens.
struct CPassRunner
{
    static std::u16string Run(CFormatWorkspace& workspace, const COptions& options, int mode,
                              std::u16string_view text, const CUnitFilter& filter,
                              std::vector<int32_t>& notLaidOut)
    {
        CFormatResult result = Format(StandardLexicon(), text, options, mode, filter, *workspace.m_pTokens);
        workspace.Release();
        notLaidOut = std::move(result.m_aUnitsNotLaidOut);
        return std::move(result.m_sText);
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
    CFixedPointResult result;
    // The engine gets the text without its final line break, which it would
    // take for an empty last line: one without indentation, so that every
    // run of Capitalise with a left margin would indent the text further.
    // The break is put back on the result.
    const bool endsWithBreak = !input.empty() && input.back() == u'\n';
    std::u16string current(input.substr(0, input.size() - (endsWithBreak ? 1 : 0)));
    bool settled = false;
    CUnitChoice choice(settings.m_aLines, settings.m_aRanges);
    while (!settled && result.m_nPasses < kMaxPasses)
    {
        std::vector<int32_t> notLaidOut;
        std::u16string next =
            CPassRunner::Run(workspace, options, settings.m_nMode, current, choice.NextRun(), notLaidOut);
        if (result.m_nPasses == 0)
            result.m_aUnitsNotLaidOut = std::move(notLaidOut); // lines of the input
        if (!choice.SameUnits())
        {
            result.m_sError = "the lines asked for cannot be settled: formatting them changed how the "
                              "text divides into units";
            return result;
        }
        if (settings.m_DamageEachRun)
            settings.m_DamageEachRun(next);
        ++result.m_nPasses;
        settled = next == current;
        current = std::move(next);
    }
    if (!settled)
    {
        result.m_sError = "the result does not settle: formatting it again still changed it after " +
                          std::to_string(kMaxPasses) + " runs";
        return result;
    }
    if (endsWithBreak)
        current.push_back(u'\n');
    if (settings.m_DamageResult)
        settings.m_DamageResult(current);
    if (settings.m_bVerify)
    {
        CTokenCheckRules rules;
        rules.m_bCommentsRemoved =
            settings.m_nMode == MODE_FORMAT && options.m_Comments.m_bRemoveComments;
        rules.m_bHintsKept = options.m_Comments.m_bDontRemoveHints;
        if (auto difference = CompareTokens(input, current, rules))
        {
            result.m_sError = "safety check failed: " + difference->Describe();
            return result;
        }
    }
    result.m_sText = std::move(current);
    return result;
}

} // namespace qmcli
