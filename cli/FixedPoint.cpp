#include "FixedPoint.h"

#include "Format.h"
#include "Lexicon.h"
#include "Options.h"
#include "ParallelRunner.h"
#include "Prefault.h"
#include "SplitOnThreads.h"
#include "TokenCheck.h"

#include <algorithm>
#include <optional>
#include <span>

namespace qmcli
{

CFormatWorkspace::CFormatWorkspace() : m_pTokens(std::make_unique<CTokenList>()) {}
CFormatWorkspace::~CFormatWorkspace() = default;
CFormatWorkspace::CFormatWorkspace(CFormatWorkspace&&) noexcept = default;
CFormatWorkspace& CFormatWorkspace::operator=(CFormatWorkspace&&) noexcept = default;

void CFormatWorkspace::Release()
{
    m_pTokens->Clear();
    m_pTokens->m_aTokens.shrink_to_fit();
}

CTokenList& CFormatWorkspace::Tokens()
{
    return *m_pTokens;
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

// A text run through the engine again and again on its own result until a
// run changes nothing: the result (current), and the pieces it cuts into.
struct CRunByRun
{
    int m_nPasses = 0;
    std::string m_sError;
    std::vector<int32_t> m_aNotLaidOut; // from the first run: lines of the text
    std::u16string m_sCurrent;
    std::vector<CScriptPiece> m_aCurrentPieces; // when m_nPasses > 1; else the text's pieces are current's
};

void RunUntilSettled(CTokenList& tokens, std::u16string_view text, const std::vector<CScriptPiece>& textPieces,
                     const COptions& options, const CFixedPointSettings& settings, CRunByRun& run)
{
    CUnitChoice choice(settings.m_aLines, settings.m_aRanges);
    const std::vector<CScriptPiece>* pieces = &textPieces;
    std::u16string next; // the storage the next run writes into
    bool settled = false;
    while (!settled && run.m_nPasses < kMaxPasses)
    {
        std::vector<int32_t> notLaidOut = FormatInto(StandardLexicon(), text, *pieces, options, settings.m_nMode,
                                                     choice.NextRun(), tokens, next)
                                              .m_aUnitsNotLaidOut;
        if (run.m_nPasses == 0)
            run.m_aNotLaidOut = std::move(notLaidOut);
        if (!choice.SameUnits())
        {
            run.m_sError = "the lines asked for cannot be settled: formatting them changed how the "
                           "text divides into units";
            return;
        }
        if (settings.m_DamageEachRun)
            settings.m_DamageEachRun(next);
        ++run.m_nPasses;
        settled = next == text;
        run.m_sCurrent.swap(next);
        text = run.m_sCurrent;
        if (!settled && run.m_nPasses < kMaxPasses)
        {
            run.m_aCurrentPieces = SplitScript(run.m_sCurrent);
            pieces = &run.m_aCurrentPieces;
        }
    }
    if (!settled)
        run.m_sError = "the result does not settle: formatting it again still changed it after " +
                       std::to_string(kMaxPasses) + " runs";
}

// A script settles a section at a time: each section ends with a terminator
// line, after which the script reads as from its start, so that the runs
// over the whole text would give each section what runs over the section
// alone give it. Sections are about this long, for the threads to share.
constexpr size_t kSectionLength = 64 * 1024;
// Texts at least this long have their sections settled on several threads.
constexpr size_t kParallelTextLength = 256 * 1024;

// Sections a thread may settle ahead of those the calling thread has taken
// (each result is about twice a section's length).
constexpr size_t kSectionsAheadPerThread = 16;

struct CSection
{
    size_t m_nFirstPiece = 0;
    size_t m_nEndPiece = 0;
};

// The sections of a script: runs of pieces that each end with a terminator
// line; the text after the last one joins the section before it, so that no
// section but a script's only one lacks a terminator (a section of one unit
// would run whole, as a text of its own does, not as a piece).
std::vector<CSection> CutSections(const std::vector<CScriptPiece>& pieces)
{
    std::vector<CSection> sections;
    size_t first = 0;
    for (size_t i = 0; i < pieces.size(); ++i)
    {
        if (pieces[i].m_nKind != PIECE_TERMINATOR)
            continue;
        if (pieces[i].m_nStart + pieces[i].m_nLength - pieces[first].m_nStart >= kSectionLength)
        {
            sections.push_back({first, i + 1});
            first = i + 1;
        }
    }
    if (first == pieces.size())
        return sections;
    const bool terminated = std::any_of(pieces.begin() + static_cast<std::ptrdiff_t>(first), pieces.end(),
                                        [](const CScriptPiece& piece) { return piece.m_nKind == PIECE_TERMINATOR; });
    if (!terminated && !sections.empty())
        sections.back().m_nEndPiece = pieces.size();
    else
        sections.push_back({first, pieces.size()});
    return sections;
}

// Whether a section's result, cut into its own pieces, has the section's
// pieces one for one: of the same kinds, each where the run that settled the
// units put it (starts, counted in the whole result; the section's result
// begins at resultStart), and every piece but the units exactly as it was.
// Then runs of the engine over the whole result would give every unit of the
// section its own text back: the section is settled.
bool SectionSettled(std::u16string_view text, std::span<const CScriptPiece> pieces, std::u16string_view result,
                    const std::vector<CScriptPiece>& resultPieces, std::span<const size_t> starts,
                    size_t resultStart)
{
    if (resultPieces.size() != pieces.size())
        return false;
    for (size_t n = 0; n < pieces.size(); ++n)
    {
        const CScriptPiece& in = pieces[n];
        const CScriptPiece& out = resultPieces[n];
        if (out.m_nKind != in.m_nKind || out.m_nStart + resultStart != starts[n] ||
            (!IsUnit(in.m_nKind) && result.substr(out.m_nStart, out.m_nLength) != text.substr(in.m_nStart, in.m_nLength)))
            return false;
    }
    return true;
}

// A section as a text of its own, its pieces counted from its start.
struct CSectionText
{
    std::u16string_view m_sText;
    std::vector<CScriptPiece> m_aPieces;
    int32_t m_nLinesBefore = 0; // lines of the whole text before the section's first
};

CSectionText SectionText(std::u16string_view text, const std::vector<CScriptPiece>& pieces, const CSection& section)
{
    const CScriptPiece& first = pieces[section.m_nFirstPiece];
    const CScriptPiece& last = pieces[section.m_nEndPiece - 1];
    CSectionText own;
    own.m_sText = text.substr(first.m_nStart, last.m_nStart + last.m_nLength - first.m_nStart);
    own.m_nLinesBefore = first.m_nFirstLine - 1;
    own.m_aPieces.assign(pieces.begin() + static_cast<std::ptrdiff_t>(section.m_nFirstPiece),
                         pieces.begin() + static_cast<std::ptrdiff_t>(section.m_nEndPiece));
    for (CScriptPiece& piece : own.m_aPieces)
    {
        piece.m_nStart -= first.m_nStart;
        piece.m_nFirstLine -= own.m_nLinesBefore;
        piece.m_nLastLine -= own.m_nLinesBefore;
    }
    return own;
}

// What settling a section gives.
struct CSectionOutcome
{
    bool m_bSameTokens = true;
    bool m_bRerun = false; // settled run by run
    CRunByRun m_Run;       // the section's result, in m_sCurrent, and its runs
    int32_t m_nLinesBefore = 0;
};

// A section settled run by run, as a text of its own, and checked.
void RerunSection(CTokenList& tokens, const CSectionText& own, const COptions& options,
                  const CFixedPointSettings& settings, const CTokenCheckRules& rules, CSectionOutcome& outcome)
{
    outcome.m_bRerun = true;
    outcome.m_nLinesBefore = own.m_nLinesBefore;
    CRunByRun& run = outcome.m_Run;
    run = {};
    RunUntilSettled(tokens, own.m_sText, own.m_aPieces, options, settings, run);
    if (!run.m_sError.empty())
        return;
    const std::vector<CScriptPiece>* pieces = run.m_nPasses > 1 ? &run.m_aCurrentPieces : &own.m_aPieces;
    if (settings.m_DamageResult)
    {
        settings.m_DamageResult(run.m_sCurrent);
        run.m_aCurrentPieces = SplitScript(run.m_sCurrent);
        pieces = &run.m_aCurrentPieces;
    }
    if (settings.m_bVerify)
        outcome.m_bSameTokens = !CompareTokens(own.m_sText, own.m_aPieces, run.m_sCurrent, *pieces, rules);
}

// Where each section's result lies in the settled text.
std::pair<size_t, size_t> SettledPlace(const CSection& section, const std::vector<size_t>& starts, size_t length)
{
    return {starts[section.m_nFirstPiece], section.m_nEndPiece < starts.size() ? starts[section.m_nEndPiece] : length};
}

// Puts the results of the sections that settled run by run in place of what
// the units' settling gave them in settled.
void PutRerunSections(const std::vector<CSection>& sections, const std::vector<size_t>& starts,
                      std::vector<CSectionOutcome>& outcomes, std::u16string& settled)
{
    const size_t reruns = static_cast<size_t>(std::count_if(
        outcomes.begin(), outcomes.end(), [](const CSectionOutcome& outcome) { return outcome.m_bRerun; }));
    // A few are put in place, the last first so that the places of the others
    // stay where they were; more, and the text is put together anew, so that
    // the time stays linear in its length.
    if (reruns <= 8)
    {
        for (size_t k = sections.size(); k-- > 0;)
        {
            if (!outcomes[k].m_bRerun)
                continue;
            const auto [begin, end] = SettledPlace(sections[k], starts, settled.size());
            settled.replace(begin, end - begin, outcomes[k].m_Run.m_sCurrent);
        }
        return;
    }
    std::u16string joined;
    joined.reserve(settled.size() + settled.size() / 4);
    for (size_t k = 0; k < sections.size(); ++k)
    {
        const auto [begin, end] = SettledPlace(sections[k], starts, settled.size());
        if (outcomes[k].m_bRerun)
            joined += outcomes[k].m_Run.m_sCurrent;
        else
            joined.append(settled, begin, end - begin);
    }
    settled.swap(joined);
}

// Takes in what a section's settling gave: its runs, its first error, its
// units not laid out.
void AddSectionOutcome(CSectionOutcome& outcome, CFixedPointResult& result, bool& sameTokens)
{
    sameTokens = sameTokens && outcome.m_bSameTokens;
    result.m_nPasses = std::max(result.m_nPasses, outcome.m_Run.m_nPasses);
    if (result.m_sError.empty())
        result.m_sError = std::move(outcome.m_Run.m_sError);
    for (int32_t line : outcome.m_Run.m_aNotLaidOut)
        result.m_aUnitsNotLaidOut.push_back(line + outcome.m_nLinesBefore);
}

// Where a section's tokens differ, the whole texts are compared, which says
// where (and accepts a token that only moved into the next section).
void CheckWhole(std::u16string_view body, const std::vector<CScriptPiece>& bodyPieces, const CTokenCheckRules& rules,
                CFixedPointResult& result)
{
    if (auto difference = CompareTokens(body, bodyPieces, result.m_sText, SplitScript(result.m_sText), rules))
        result.m_sError = "safety check failed: " + difference->Describe();
}

// Settles a text without its final line break into result, on one thread
// (the engine may share a long text's units out to the settings' threads).
// Its units settle each on its own, so that no run reads the whole text
// again; a section whose result does not cut into the same pieces settles
// run by run after all.
void SettleByUnits(CTokenList& tokens, std::u16string_view body, const std::vector<CScriptPiece>& bodyPieces,
                   const COptions& options, const CFixedPointSettings& settings, const CTokenCheckRules& rules,
                   CFixedPointResult& result)
{
    std::u16string settled;
    std::optional<CSettledResult> byUnits = SettleUnitsInto(StandardLexicon(), body, bodyPieces, options,
                                                            settings.m_nMode, kMaxPasses, tokens, settled,
                                                            settings.m_nThreads);
    std::vector<CSection> sections;
    if (byUnits && byUnits->m_nRuns != 0)
        sections = CutSections(bodyPieces);
    else // one unit, or one that does not settle: the whole text runs again and again
        byUnits.reset();
    const bool whole = sections.size() <= 1;
    if (whole)
        sections = {CSection{0, bodyPieces.size()}};

    std::vector<CSectionOutcome> outcomes(sections.size());
    for (size_t k = 0; k < sections.size(); ++k)
    {
        const CSection& section = sections[k];
        CSectionOutcome& outcome = outcomes[k];
        if (byUnits)
        {
            const std::span<const CScriptPiece> pieces =
                std::span<const CScriptPiece>(bodyPieces)
                    .subspan(section.m_nFirstPiece, section.m_nEndPiece - section.m_nFirstPiece);
            const auto [begin, end] = SettledPlace(section, byUnits->m_aPieceStarts, settled.size());
            const std::u16string_view own = std::u16string_view(settled).substr(begin, end - begin);
            const std::vector<CScriptPiece> ownPieces = SplitScript(own);
            const std::span<const size_t> starts =
                std::span<const size_t>(byUnits->m_aPieceStarts).subspan(section.m_nFirstPiece, pieces.size());
            if (SectionSettled(body, pieces, own, ownPieces, starts, begin))
            {
                outcome.m_bSameTokens = !settings.m_bVerify || !CompareTokens(body, pieces, own, ownPieces, rules);
                continue;
            }
        }
        RerunSection(tokens, whole ? CSectionText{body, bodyPieces, 0} : SectionText(body, bodyPieces, section),
                     options, settings, rules, outcome);
    }

    // Sections that ran again replace what the units' settling gave them.
    bool sameTokens = true;
    result.m_nPasses = byUnits ? byUnits->m_nRuns : 0;
    result.m_aUnitsNotLaidOut = byUnits ? std::move(byUnits->m_aUnitsNotLaidOut) : std::vector<int32_t>();
    for (size_t k = 0; k < sections.size(); ++k)
    {
        if (!outcomes[k].m_bRerun)
        {
            sameTokens = sameTokens && outcomes[k].m_bSameTokens;
            continue;
        }
        const int32_t first = bodyPieces.empty() ? 1 : bodyPieces[sections[k].m_nFirstPiece].m_nFirstLine;
        const int32_t last = bodyPieces.empty() ? 1 : bodyPieces[sections[k].m_nEndPiece - 1].m_nLastLine;
        std::erase_if(result.m_aUnitsNotLaidOut, [&](int32_t line) { return line >= first && line <= last; });
        AddSectionOutcome(outcomes[k], result, sameTokens);
    }
    std::sort(result.m_aUnitsNotLaidOut.begin(), result.m_aUnitsNotLaidOut.end());
    if (!result.m_sError.empty())
        return;
    if (!byUnits)
    {
        result.m_sText = std::move(outcomes[0].m_Run.m_sCurrent);
    }
    else
    {
        PutRerunSections(sections, byUnits->m_aPieceStarts, outcomes, settled);
        result.m_sText = std::move(settled);
    }
    if (!sameTokens)
        CheckWhole(body, bodyPieces, rules, result);
}

// The same on several threads, for a text of several sections: each section
// settles as a text of its own, and is checked, on one of them, and the
// calling thread joins the results in order as they come (or hands them to
// the settings' m_TakePart). The sections of a
// script settle apart (see CutSections), so this gives what one thread gives.
void SettleSectionsOnThreads(std::u16string_view body, const std::vector<CScriptPiece>& bodyPieces,
                             const std::vector<CSection>& sections, const COptions& options,
                             const CFixedPointSettings& settings, const CTokenCheckRules& rules, unsigned threads,
                             CFixedPointResult& result)
{
    // Pages of the room never written to cost nothing.
    if (!settings.m_TakePart)
        result.m_sText.reserve(body.size() * 2);
    bool sameTokens = true;
    RunInOrder<CSectionOutcome>(
        sections.size(), threads, [] { return std::make_unique<CTokenList>(); },
        [&](std::unique_ptr<CTokenList>& tokens, size_t k) {
            const CSectionText own = SectionText(body, bodyPieces, sections[k]);
            CSectionOutcome outcome;
            outcome.m_nLinesBefore = own.m_nLinesBefore;
            CRunByRun& run = outcome.m_Run;
            std::optional<CSettledResult> byUnits =
                SettleUnitsInto(StandardLexicon(), own.m_sText, own.m_aPieces, options, settings.m_nMode, kMaxPasses,
                                *tokens, run.m_sCurrent);
            if (byUnits && byUnits->m_nRuns != 0)
            {
                std::vector<CScriptPiece> pieces = SplitScript(run.m_sCurrent);
                if (SectionSettled(own.m_sText, own.m_aPieces, run.m_sCurrent, pieces, byUnits->m_aPieceStarts, 0))
                {
                    run.m_nPasses = byUnits->m_nRuns;
                    run.m_aNotLaidOut = std::move(byUnits->m_aUnitsNotLaidOut);
                    if (settings.m_DamageResult)
                    {
                        settings.m_DamageResult(run.m_sCurrent);
                        pieces = SplitScript(run.m_sCurrent);
                    }
                    outcome.m_bSameTokens = !settings.m_bVerify ||
                                            !CompareTokens(own.m_sText, own.m_aPieces, run.m_sCurrent, pieces, rules);
                    return outcome;
                }
            }
            RerunSection(*tokens, own, options, settings, rules, outcome);
            return outcome;
        },
        [&](size_t, CSectionOutcome&& outcome) {
            AddSectionOutcome(outcome, result, sameTokens);
            if (!result.m_sError.empty())
                return;
            const std::u16string& part = outcome.m_Run.m_sCurrent;
            if (settings.m_TakePart)
            {
                settings.m_TakePart(part);
                return;
            }
            std::u16string& text = result.m_sText;
            Prefault(text.data() + text.size(), part.size() * sizeof(char16_t));
            text += part;
        },
        // The calling thread shares the cores with the workers and falls
        // behind now and then: room for the results it has still to take, so
        // that the workers do not wait for it meanwhile.
        kSectionsAheadPerThread);
    if (!result.m_sError.empty() || sameTokens)
        return;
    if (!settings.m_TakePart)
    {
        CheckWhole(body, bodyPieces, rules, result);
        return;
    }
    // The whole result is compared, and the parts handed over are no longer
    // at hand: the sections settle again, as they did, to be joined.
    CFixedPointSettings joined = settings;
    joined.m_TakePart = nullptr;
    CFixedPointResult whole;
    SettleSectionsOnThreads(body, bodyPieces, sections, options, joined, rules, threads, whole);
    result.m_sError = std::move(whole.m_sError);
}

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
    const std::vector<CScriptPiece> bodyPieces = SplitScriptOnThreads(body, settings.m_nThreads);
    CTokenCheckRules rules;
    rules.m_bCommentsRemoved = settings.m_nMode == MODE_FORMAT && options.m_Comments.m_bRemoveComments;
    rules.m_bHintsKept = options.m_Comments.m_bDontRemoveHints;

    const bool runByRun = !settings.m_aLines.empty() || !settings.m_aRanges.empty() || settings.m_DamageEachRun;
    // A test's damage of a script of several sections is done to each
    // section's result, where the threads check it.
    const std::vector<CSection> sections =
        !runByRun && (settings.m_DamageResult || (body.size() >= kParallelTextLength && settings.m_nThreads > 1))
            ? CutSections(bodyPieces)
            : std::vector<CSection>();
    if (!runByRun && (sections.size() > 1 || !settings.m_DamageResult))
    {
        const unsigned threads = body.size() >= kParallelTextLength ? settings.m_nThreads : 1;
        result.m_bInParts = sections.size() > 1 && settings.m_TakePart;
        if (sections.size() > 1)
            SettleSectionsOnThreads(body, bodyPieces, sections, options, settings, rules, threads, result);
        else
            SettleByUnits(workspace.Tokens(), body, bodyPieces, options, settings, rules, result);
        if (!result.m_sError.empty())
            result.m_sText.clear();
        else if (endsWithBreak && result.m_bInParts)
            settings.m_TakePart(u"\n");
        else if (endsWithBreak)
            result.m_sText.push_back(u'\n');
        return result;
    }

    // Only some lines, or a test's damage: the whole text runs again and again.
    CRunByRun run;
    RunUntilSettled(workspace.Tokens(), body, bodyPieces, options, settings, run);
    result.m_nPasses = run.m_nPasses;
    result.m_aUnitsNotLaidOut = std::move(run.m_aNotLaidOut);
    if (!run.m_sError.empty())
    {
        result.m_sError = std::move(run.m_sError);
        return result;
    }
    std::u16string& current = run.m_sCurrent;
    if (endsWithBreak)
        current.push_back(u'\n');
    if (settings.m_DamageResult)
        settings.m_DamageResult(current);
    if (settings.m_bVerify)
    {
        // Without the final line breaks both texts have the same tokens as
        // with them; a damaged result is cut into pieces anew.
        std::optional<CTokenDifference> difference;
        if (settings.m_DamageResult)
            difference = CompareTokens(input, current, rules);
        else
            difference = CompareTokens(body, bodyPieces,
                                       std::u16string_view(current).substr(0, current.size() - (endsWithBreak ? 1 : 0)),
                                       run.m_nPasses > 1 ? run.m_aCurrentPieces : bodyPieces, rules);
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
