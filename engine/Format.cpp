#include "Format.h"

#include "Analysis.h"
#include "LayoutWriter.h"
#include "Lexicon.h"
#include "Options.h"
#include "PlsqlLayout.h"
#include "PlsqlWords.h"
#include "ShareOut.h"
#include "TextFunc.h"
#include "Tokenizer.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace
{
// Whether the text's first line starts with a character other than a blank
// or a tab: then the common indentation is 0.
bool FirstLineUnindented(std::u16string_view text)
{
    return text.empty() || (text[0] != u' ' && text[0] != u'\t');
}

// Whether some line holds nothing but blanks, tabs and carriage returns.
bool HasBlankLine(std::u16string_view text)
{
    bool blank = true;
    for (char16_t c : text)
    {
        if (c == u'\n')
        {
            if (blank)
                return true;
            blank = true;
        }
        else if (c != u' ' && c != u'\t' && c != u'\r')
        {
            blank = false;
        }
    }
    return blank && !text.empty();
}

bool WriterFindsLiteralLines(const CLexicon& lexicon)
{
    // The writer scans each text it writes on its own, which finds what a scan
    // of the whole output finds because the texts between tokens never open or
    // close a literal or comment: that holds for the standard delimiters and a
    // line break of carriage returns and line feeds.
    const bool plainNewLine = std::all_of(lexicon.m_sNewLine.begin(), lexicon.m_sNewLine.end(),
                                          [](char16_t c) { return c == u'\r' || c == u'\n'; });
    return plainNewLine && lexicon.m_sDelimiters == CTokenScanner::kStandardDelimiters;
}

// Whether the pieces hold at most one unit and nothing but blank lines besides:
// such a text runs through the pipeline whole, blank lines included.
bool IsSingleUnit(const std::vector<CScriptPiece>& pieces, ScriptPieceKind& kind)
{
    size_t units = 0;
    kind = PIECE_SQL;
    for (const CScriptPiece& piece : pieces)
    {
        if (IsUnit(piece.m_nKind))
        {
            kind = piece.m_nKind;
            ++units;
        }
        else if (piece.m_nKind != PIECE_VERBATIM)
        {
            return false;
        }
    }
    return units <= 1;
}

// The text without the line break it starts with, if any.
std::u16string_view WithoutFirstLineBreak(std::u16string_view text)
{
    if (text.substr(0, 2) == u"\r\n")
        return text.substr(2);
    if (text.substr(0, 1) == u"\n")
        return text.substr(1);
    return text;
}

// Runs units through the pipeline one after the other, keeping its working
// storage from one to the next.
class CUnitFormatter
{
public:
    CUnitFormatter(const CLexicon& lexicon, const COptions& options, int mode, CTokenList& tokens)
        : m_Lexicon(lexicon), m_Options(options), m_TextFunc(options), m_nMode(mode), m_Tokens(tokens),
          m_bWriterFindsLiteralLines(WriterFindsLiteralLines(lexicon))
    {
    }
    CUnitFormatter(const CUnitFormatter&) = delete;
    CUnitFormatter& operator=(const CUnitFormatter&) = delete;

    // Appends to output the result for text, one unit (of the given kind,
    // starting on the given line) or a whole text. Returns the left margin it
    // applied.
    int32_t Run(std::u16string_view text, ScriptPieceKind kind, int32_t firstLine, std::u16string& output);

    // The first lines of the units laid out by Capitalise instead.
    std::vector<int32_t> m_aNotLaidOut;

    // Runs the unit that output holds from start (the result of source's
    // run) again on its own result until a run changes nothing, at most
    // maxRuns runs in all. Returns the runs it took, or 0 when the last one
    // allowed still changed it. Only the first run's units not laid out are
    // reported: they are lines of the input.
    int Settle(std::u16string_view source, ScriptPieceKind kind, size_t start, int maxRuns, std::u16string& output);

    // Takes the room that units up to the given length need at once (see
    // CTokenList::ReserveFor).
    void ReserveFor(size_t longestUnit, bool settling)
    {
        m_Tokens.ReserveFor(longestUnit);
        if (settling)
            m_sRunAgain.reserve(longestUnit * 2);
    }

    int32_t DetectLeftMargin(std::u16string_view text) const
    {
        std::u16string copy(text);
        RemoveBlankLines(copy, {});
        return MinIndent(copy, m_TextFunc);
    }

private:
    // The lexicon of PL/SQL units laid out as PL/SQL: the same with PL/SQL's
    // words added to the word index.
    const CLexicon& PlsqlLexicon();
    bool KeepsStructure(std::u16string_view laidOut, ScriptPieceKind kind) const;
    int32_t RunIn(int mode, std::u16string_view text, ScriptPieceKind kind, std::u16string& output);

    const CLexicon& m_Lexicon;
    const COptions& m_Options;
    CTextFunc m_TextFunc;
    int m_nMode;
    CTokenList& m_Tokens;
    bool m_bWriterFindsLiteralLines;
    std::vector<int32_t> m_aLiteralLines;
    std::u16string m_sRunAgain; // the result of a settling run
    // Whether a line of the last unit laid out holds only "/" or "." among
    // blanks: the finishing step finds out as it walks the lines.
    bool m_bTerminatorLine = false;
    CWordIndex m_PlsqlWords; // for a lexicon other than the standard one
    CLexicon m_PlsqlLexicon;
};

const CLexicon& CUnitFormatter::PlsqlLexicon()
{
    if (!m_PlsqlLexicon.m_pWords)
    {
        const CWordIndex* words = &StandardPlsqlWordIndex();
        if (m_Lexicon.m_pWords && m_Lexicon.m_pWords != &StandardWordIndex())
        {
            m_PlsqlWords = PlsqlWordIndex(*m_Lexicon.m_pWords);
            words = &m_PlsqlWords;
        }
        m_PlsqlLexicon = CLexicon{m_Lexicon.m_sDelimiters, m_Lexicon.m_sNewLine, words};
    }
    return m_PlsqlLexicon;
}

int32_t CUnitFormatter::Run(std::u16string_view text, ScriptPieceKind kind, int32_t firstLine,
                            std::u16string& output)
{
    const size_t start = output.size();
    const int32_t margin = RunIn(m_nMode, text, kind, output);
    if (m_nMode != MODE_FORMAT || KeepsStructure(std::u16string_view(output).substr(start), kind))
        return margin;
    // Laid out, the unit would read as another script: it keeps its lines.
    output.resize(start);
    m_aNotLaidOut.push_back(firstLine);
    return RunIn(MODE_CAPITALISE, text, kind, output);
}

int CUnitFormatter::Settle(std::u16string_view source, ScriptPieceKind kind, size_t start, int maxRuns,
                           std::u16string& output)
{
    const size_t reported = m_aNotLaidOut.size();
    auto result = [&] { return std::u16string_view(output).substr(start); };
    int runs = 1;
    if (!SameUnits(result(), source))
        while (true)
        {
            if (runs == maxRuns)
            {
                runs = 0;
                break;
            }
            // The run reads the last result where it stands and writes beside
            // it; only a result that changed is copied over the last one.
            m_sRunAgain.clear();
            Run(result(), kind, 0, m_sRunAgain);
            ++runs;
            if (SameUnits(m_sRunAgain, result()))
                break;
            output.resize(start);
            output += m_sRunAgain;
        }
    m_aNotLaidOut.resize(reported);
    return runs;
}

// Whether the laid-out text of the unit whose tokens the list holds still
// reads as units only. Only a token that may start a command where a
// statement starts, a comment that may switch formatting, or a "/" or "." that
// may stand alone on a line can make it read otherwise; a text with one is
// split to be sure.
bool CUnitFormatter::KeepsStructure(std::u16string_view laidOut, ScriptPieceKind kind) const
{
    const bool commands = kind != PIECE_PLSQL; // no line of a PL/SQL unit is a command
    bool suspect = false, terminatorToken = false, statementStart = commands;
    for (const CBaseToken& token : m_Tokens)
    {
        if (statementStart && token.m_nKind != TK_COMMENT)
        {
            suspect = suspect || MayStartCommand(token.m_sText);
            statementStart = false;
        }
        if (token.m_nKind == TK_DELIMITER && !token.m_sText.empty())
        {
            const char16_t c = token.m_sText[0];
            statementStart = commands && c == u';';
            terminatorToken = terminatorToken || c == u'/' || c == u'.';
        }
        else if (token.m_nKind == TK_COMMENT)
        {
            suspect = suspect || IsFormatSwitch(token.m_sText);
        }
    }
    if (!suspect && !(terminatorToken && m_bTerminatorLine))
        return true;
    return SplitsIntoUnitsOnly(laidOut);
}

int32_t CUnitFormatter::RunIn(int mode, std::u16string_view text, ScriptPieceKind kind, std::u16string& output)
{
    const COptions::CGeneral& general = m_Options.m_General;
    const int32_t margin = general.m_bAutoDetectLeftMargin ? DetectLeftMargin(text) : general.m_nLeftMargin;
    const size_t start = output.size();

    m_Tokens.Reset(text);
    TokenizeWords(m_Lexicon.m_sDelimiters, m_Tokens.Text(), m_Tokens);
    if (kind == PIECE_PLSQL && IsJavaUnit(m_Tokens))
    {
        output += text;
        m_bTerminatorLine = HasTerminatorLine(text);
        return margin;
    }
    // With the PL/SQL layout on, PL/SQL's own words take their categories in
    // both commands, so that Capitalise cases a unit as Format does.
    const bool plsql = kind == PIECE_PLSQL && m_Options.m_Plsql.m_bLayoutBlocks;
    const CLexicon& lexicon = plsql ? PlsqlLexicon() : m_Lexicon;
    const COptions::CCapitalisation& cap = m_Options.m_Capitalisation;
    if (mode == MODE_FORMAT)
    {
        Analyse(lexicon, cap, m_Tokens, true);
        if (plsql)
        {
            ApplyAttributeCase(m_Tokens, cap.m_nKeywords);
            ApplyTimeZoneCase(m_Tokens, cap.m_nDataTypes);
            ApplyDirectiveCase(m_Tokens, cap.m_nKeywords);
            // The blank lines the PL/SQL layout keeps go with the lines inside
            // literals, which the finish leaves as they are.
            AppendPlsqlLayout(m_Options, m_Lexicon.m_sNewLine, m_Tokens, output, &m_aLiteralLines);
            if (!m_bWriterFindsLiteralLines)
                m_aLiteralLines = KeptLinesOfLaidOutUnit(std::u16string_view(output).substr(start));
            FinishOutput(output, margin, m_TextFunc, true, &m_aLiteralLines, start, &m_bTerminatorLine);
            return margin;
        }
        // The writer notes the lines inside literals as it writes them, which
        // spares the finishing step a scan of the whole output.
        std::vector<int32_t>* literalLines = m_bWriterFindsLiteralLines ? &m_aLiteralLines : nullptr;
        AppendLayout(m_Options, m_Lexicon.m_sNewLine, m_Tokens, output, literalLines);
        FinishOutput(output, margin, m_TextFunc, true, literalLines, start, &m_bTerminatorLine);
    }
    else
    {
        Analyse(lexicon, cap, m_Tokens, false);
        if (plsql)
        {
            ApplyAttributeCase(m_Tokens, cap.m_nKeywords);
            ApplyTimeZoneCase(m_Tokens, cap.m_nDataTypes);
            ApplyDirectiveCase(m_Tokens, cap.m_nKeywords);
        }
        AppendCapitalised(text, m_Tokens, output);
        FinishOutput(output, margin, m_TextFunc, false, nullptr, start);
    }
    return margin;
}
} // namespace

CFormatResult Format(std::u16string_view text, const COptions& options, int mode, const CUnitFilter& filter)
{
    CTokenList tokens;
    return Format(StandardLexicon(), text, options, mode, filter, tokens);
}

CFormatResult Format(const CLexicon& lexicon, std::u16string_view text, const COptions& options, int mode,
                     const CUnitFilter& filter, CTokenList& tokens)
{
    const std::vector<CScriptPiece> pieces =
        text.empty() || (mode != MODE_FORMAT && mode != MODE_CAPITALISE) ? std::vector<CScriptPiece>()
                                                                          : SplitScript(text);
    std::u16string output;
    CFormatResult result = FormatInto(lexicon, text, pieces, options, mode, filter, tokens, output);
    result.m_sText = std::move(output);
    return result;
}

namespace
{
// How a run goes through the pieces, beyond formatting each unit once.
struct CPieceRun
{
    const CUnitFilter* m_pFilter = nullptr; // chooses the units formatted; null: every one
    int m_nMaxRuns = 1;                     // above one, each unit settles (CUnitFormatter::Settle)
};

// What a run over pieces gives besides the text.
struct CPiecesOutcome
{
    std::optional<int32_t> m_nMargin; // that of the first unit formatted
    std::vector<int32_t> m_aNotLaidOut;
    int m_nRuns = 1;                    // the most runs a unit took; 0 when one did not settle
    std::vector<size_t> m_aPieceStarts; // when settling: where each piece begins in the output

    // Takes in the outcome of the pieces that follow, whose output was
    // appended at offset.
    void Append(CPiecesOutcome&& next, size_t offset)
    {
        if (!m_nMargin)
            m_nMargin = next.m_nMargin;
        m_aNotLaidOut.insert(m_aNotLaidOut.end(), next.m_aNotLaidOut.begin(), next.m_aNotLaidOut.end());
        m_nRuns = m_nRuns == 0 || next.m_nRuns == 0 ? 0 : std::max(m_nRuns, next.m_nRuns);
        for (size_t start : next.m_aPieceStarts)
            m_aPieceStarts.push_back(start + offset);
    }
};

// The pieces [first, last) of text, each unit run through the pipeline (those
// the filter chooses, with unitIndex the index of the first unit among them)
// and every other piece copied, appended to output.
void FormatPieces(CUnitFormatter& units, std::u16string_view text, const std::vector<CScriptPiece>& pieces,
                  size_t first, size_t last, size_t unitIndex, const CPieceRun& run, std::u16string& output,
                  CPiecesOutcome& outcome)
{
    const bool settling = run.m_nMaxRuns > 1;
    size_t longestUnit = 0;
    for (size_t i = first; i < last; ++i)
        if (IsUnit(pieces[i].m_nKind))
            longestUnit = std::max(longestUnit, pieces[i].m_nLength);
    units.ReserveFor(longestUnit, settling);
    bool dropLineBreak = false; // after a unit that came out empty
    for (size_t i = first; i < last; ++i)
    {
        const CScriptPiece& piece = pieces[i];
        std::u16string_view source = text.substr(piece.m_nStart, piece.m_nLength);
        if (settling)
            outcome.m_aPieceStarts.push_back(output.size());
        if (IsUnit(piece.m_nKind))
        {
            const size_t index = unitIndex++;
            if (!run.m_pFilter || (*run.m_pFilter)(piece, index))
            {
                const size_t before = output.size();
                const int32_t unitMargin = units.Run(source, piece.m_nKind, piece.m_nFirstLine, output);
                if (!outcome.m_nMargin)
                    outcome.m_nMargin = unitMargin;
                if (settling && outcome.m_nRuns != 0)
                {
                    const int runs = units.Settle(source, piece.m_nKind, before, run.m_nMaxRuns, output);
                    outcome.m_nRuns = runs == 0 ? 0 : std::max(outcome.m_nRuns, runs);
                }
                // A unit that was only comments, all removed, leaves no empty
                // line behind.
                dropLineBreak = output.size() == before;
                continue;
            }
        }
        if (dropLineBreak && piece.m_nKind == PIECE_VERBATIM)
            source = WithoutFirstLineBreak(source);
        dropLineBreak = false;
        output += source;
    }
    units.m_aNotLaidOut.swap(outcome.m_aNotLaidOut);
    units.m_aNotLaidOut.clear();
}

// Texts at least this long have their units formatted on several threads.
constexpr size_t kParallelTextLength = 256 * 1024;
// About this much text goes to a thread at a time.
constexpr size_t kStretchLength = 32 * 1024;

// Every unit formatted (no filter) on up to threads threads. The pieces are
// cut into stretches that begin with a unit, so that no stretch depends on the
// one before it (a dropped line break follows a unit in the same stretch);
// the threads take stretches in turn and the results are joined in order.
void FormatPiecesInParallel(const CLexicon& lexicon, const COptions& options, int mode, std::u16string_view text,
                            const std::vector<CScriptPiece>& pieces, const CPieceRun& run, unsigned threads,
                            CTokenList& tokens, std::u16string& output, CPiecesOutcome& outcome)
{
    std::vector<size_t> bounds{0}; // stretch i is pieces [bounds[i], bounds[i + 1])
    std::vector<size_t> firstUnit{0};
    size_t units = 0;
    for (size_t i = 0; i < pieces.size(); ++i)
    {
        if (!IsUnit(pieces[i].m_nKind))
            continue;
        if (i > bounds.back() && pieces[i].m_nStart - pieces[bounds.back()].m_nStart >= kStretchLength)
        {
            bounds.push_back(i);
            firstUnit.push_back(units);
        }
        ++units;
    }
    bounds.push_back(pieces.size());
    const size_t stretches = bounds.size() - 1;

    struct CStretch
    {
        std::u16string m_sText;
        CPiecesOutcome m_Outcome;
    };
    std::vector<CStretch> results(stretches);
    // Each thread keeps its working storage from stretch to stretch; the
    // calling thread uses the caller's token list.
    const size_t used = std::min<size_t>(threads, stretches);
    std::vector<CTokenList> helperTokens(used - 1);
    std::vector<std::optional<CUnitFormatter>> formatters(used);
    ShareOut(stretches, threads, [&](unsigned thread, size_t k) {
        std::optional<CUnitFormatter>& formatter = formatters[thread];
        if (!formatter)
            formatter.emplace(lexicon, options, mode, thread == 0 ? tokens : helperTokens[thread - 1]);
        CStretch& stretch = results[k];
        const size_t length = pieces[bounds[k + 1] - 1].m_nStart + pieces[bounds[k + 1] - 1].m_nLength -
                              pieces[bounds[k]].m_nStart;
        stretch.m_sText.reserve(length * 2);
        FormatPieces(*formatter, text, pieces, bounds[k], bounds[k + 1], firstUnit[k], run, stretch.m_sText,
                     stretch.m_Outcome);
    });

    size_t total = 0;
    for (const CStretch& stretch : results)
        total += stretch.m_sText.size();
    output.reserve(total);
    for (CStretch& stretch : results)
    {
        outcome.Append(std::move(stretch.m_Outcome), output.size());
        output += stretch.m_sText;
        std::u16string().swap(stretch.m_sText); // given back as it is joined
    }
}

// Whether a text runs as pieces (else whole, see IsSingleUnit); a text that
// does is run over output, its result.
bool RunPieces(const CLexicon& lexicon, std::u16string_view text, const std::vector<CScriptPiece>& pieces,
               const COptions& options, int mode, const CPieceRun& run, CTokenList& tokens, std::u16string& output,
               unsigned threads, CPiecesOutcome& outcome)
{
    ScriptPieceKind kind = PIECE_SQL;
    if (!run.m_pFilter && IsSingleUnit(pieces, kind))
        return false;
    output.clear();
    if (!run.m_pFilter && threads > 1 && text.size() >= kParallelTextLength)
    {
        FormatPiecesInParallel(lexicon, options, mode, text, pieces, run, threads, tokens, output, outcome);
        return true;
    }
    // Room for what layout adds; pages never written to cost no memory.
    output.reserve(text.size() * 2);
    CUnitFormatter units(lexicon, options, mode, tokens);
    FormatPieces(units, text, pieces, 0, pieces.size(), 0, run, output, outcome);
    return true;
}

bool Runs(std::u16string_view text, int mode)
{
    return !text.empty() && (mode == MODE_FORMAT || mode == MODE_CAPITALISE);
}
} // namespace

CFormatResult FormatInto(const CLexicon& lexicon, std::u16string_view text, const std::vector<CScriptPiece>& pieces,
                         const COptions& options, int mode, const CUnitFilter& filter, CTokenList& tokens,
                         std::u16string& output, unsigned threads)
{
    CFormatResult result;
    result.m_nLeftMargin = options.m_General.m_nLeftMargin;
    if (!Runs(text, mode))
    {
        if (options.m_General.m_bAutoDetectLeftMargin && !text.empty())
            result.m_nLeftMargin = CUnitFormatter(lexicon, options, mode, tokens).DetectLeftMargin(text);
        output.assign(text);
        return result;
    }
    CPieceRun run;
    run.m_pFilter = filter ? &filter : nullptr;
    CPiecesOutcome outcome;
    if (RunPieces(lexicon, text, pieces, options, mode, run, tokens, output, threads, outcome))
    {
        if (outcome.m_nMargin)
            result.m_nLeftMargin = *outcome.m_nMargin;
        result.m_aUnitsNotLaidOut = std::move(outcome.m_aNotLaidOut);
        return result;
    }
    // One unit and blank lines only: the text runs whole.
    const auto unit =
        std::find_if(pieces.begin(), pieces.end(), [](const CScriptPiece& piece) { return IsUnit(piece.m_nKind); });
    ScriptPieceKind kind = PIECE_SQL;
    IsSingleUnit(pieces, kind);
    output.clear();
    CUnitFormatter units(lexicon, options, mode, tokens);
    result.m_nLeftMargin = units.Run(text, kind, unit == pieces.end() ? 1 : unit->m_nFirstLine, output);
    result.m_aUnitsNotLaidOut = std::move(units.m_aNotLaidOut);
    return result;
}

std::optional<CSettledResult> SettleUnitsInto(const CLexicon& lexicon, std::u16string_view text,
                                              const std::vector<CScriptPiece>& pieces, const COptions& options,
                                              int mode, int maxRuns, CTokenList& tokens, std::u16string& output,
                                              unsigned threads)
{
    if (!Runs(text, mode))
        return std::nullopt;
    CPieceRun run;
    run.m_nMaxRuns = std::max(maxRuns, 2);
    CPiecesOutcome outcome;
    if (!RunPieces(lexicon, text, pieces, options, mode, run, tokens, output, threads, outcome))
        return std::nullopt;
    CSettledResult result;
    result.m_nLeftMargin = outcome.m_nMargin.value_or(options.m_General.m_nLeftMargin);
    result.m_aUnitsNotLaidOut = std::move(outcome.m_aNotLaidOut);
    result.m_nRuns = outcome.m_nRuns;
    result.m_aPieceStarts = std::move(outcome.m_aPieceStarts);
    return result;
}

void FinishOutput(std::u16string& text, int32_t margin, const CTextFunc& textFunc, bool removeBlankLines,
                  const std::vector<int32_t>* literalLines, size_t start, bool* terminatorLine)
{
    const std::u16string_view own = std::u16string_view(text).substr(start);
    const bool marginChanges = margin > 0 || (margin != -1 && !FirstLineUnindented(own));
    if (!literalLines)
    {
        // Both steps need the lines that begin inside literals, which takes a
        // scan of the whole text; it is made only when a step can change
        // something.
        if (!marginChanges && !(removeBlankLines && HasBlankLine(own)))
        {
            if (terminatorLine)
                *terminatorLine = HasTerminatorLine(own);
            return;
        }
        const std::vector<int32_t> lines = LinesInsideLiterals(own);
        FinishOutput(text, margin, textFunc, removeBlankLines, &lines, start, terminatorLine);
        return;
    }
    if (marginChanges)
        ApplyLeftMargin(margin, textFunc, text, *literalLines, start);
    // After the margin: an empty text takes it as one line of blanks, which
    // must go like every other.
    if (removeBlankLines)
    {
        const bool found = RemoveBlankLines(text, *literalLines, start);
        if (terminatorLine)
            *terminatorLine = found;
    }
    else if (terminatorLine)
    {
        *terminatorLine = HasTerminatorLine(std::u16string_view(text).substr(start));
    }
}

std::u16string ReapplyLeftMargin(std::u16string_view text, const COptions& options, int32_t margin)
{
    const CTextFunc textFunc(options);
    // A PL/SQL unit laid out as PL/SQL keeps its blank lines.
    auto finish = [&](std::u16string& unit, ScriptPieceKind kind) {
        if (kind == PIECE_PLSQL && options.m_Plsql.m_bLayoutBlocks)
        {
            const std::vector<int32_t> kept = KeptLinesOfLaidOutUnit(unit);
            FinishOutput(unit, margin, textFunc, true, &kept);
        }
        else
        {
            FinishOutput(unit, margin, textFunc, true);
        }
    };
    const std::vector<CScriptPiece> pieces = SplitScript(text);
    ScriptPieceKind kind = PIECE_SQL;
    if (IsSingleUnit(pieces, kind))
    {
        std::u16string whole(text);
        finish(whole, kind);
        return whole;
    }
    std::u16string result;
    result.reserve(text.size());
    std::u16string unit;
    for (const CScriptPiece& piece : pieces)
    {
        const std::u16string_view source = text.substr(piece.m_nStart, piece.m_nLength);
        if (!IsUnit(piece.m_nKind))
        {
            result += source;
            continue;
        }
        unit.assign(source);
        finish(unit, piece.m_nKind);
        result += unit;
    }
    return result;
}

void WriteCapitalised(std::u16string_view input, const CTokenList& tokens, std::u16string& output)
{
    output.clear();
    AppendCapitalised(input, tokens, output);
}

void AppendCapitalised(std::u16string_view input, const CTokenList& tokens, std::u16string& output)
{
    // The tokens were made from input, and the list's working copy of it
    // differs from it only inside tokens, where the case was changed in place.
    // So the copy is the output already, but for tokens whose text stands
    // elsewhere (joined ones).
    const std::u16string& working = tokens.Text();
    const bool fromWorkingCopy = working.size() == input.size();
    const size_t base = output.size();
    output.append(fromWorkingCopy ? std::u16string_view(working) : input);
    for (const CBaseToken& token : tokens)
    {
        // A token outside the input (one not made from it) is not written.
        if (token.m_nOffset < 1)
            continue;
        const size_t at = static_cast<size_t>(token.m_nOffset) - 1;
        if (at >= input.size())
            continue;
        if (fromWorkingCopy && token.m_sText.data() == working.data() + at)
            continue;
        const size_t length = std::min(token.m_sText.size(), input.size() - at);
        std::memcpy(output.data() + base + at, token.m_sText.data(), length * sizeof(char16_t));
    }
}
