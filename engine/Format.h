// The engine's one entry point: a text and the options in, the formatted or
// capitalised text out. Nothing else is read or changed, so any number of
// runs may go on at once (the word lists are shared read-only).
//
// The text is first cut into script pieces (ScriptSplitter.h). Each SQL or
// PL/SQL unit then runs through the pipeline on its own: tokens, analysis,
// the layout writer (Format) or the capitalise-only writer (Capitalise), and
// the finishing step with the left margin; every other piece is copied as it
// is. A text that holds one unit and nothing but blank lines around it runs
// through the pipeline whole, as a single statement always has.
#pragma once

#include "BaseToken.h"
#include "ScriptSplitter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class COptions;
class CTextFunc;
struct CLexicon;

enum EngineMode
{
    MODE_FORMAT = 0,
    MODE_CAPITALISE = 1,
};

struct CFormatResult
{
    std::u16string m_sText;
    // The left margin the units were given: the option's, or with
    // auto-detection the one detected for the first unit formatted.
    int32_t m_nLeftMargin = 0;
    // The first lines (1-based) of the units that Format only capitalised,
    // because laid out they would have held a line that reads as a SQL*Plus
    // command, a terminator or an off switch, and so changed the script.
    std::vector<int32_t> m_aUnitsNotLaidOut;
};

// Chooses the units a run formats, by the piece and its index among the
// text's units; the others are copied as they are. Empty: every unit.
using CUnitFilter = std::function<bool(const CScriptPiece& unit, size_t unitIndex)>;

// Format (MODE_FORMAT) or Capitalise (MODE_CAPITALISE) of text. An empty
// text, or a mode that is neither, gives the text back unchanged.
CFormatResult Format(std::u16string_view text, const COptions& options, int mode,
                     const CUnitFilter& filter = {});

// The same with another lexicon, and with the caller's token list as working
// storage (it holds the tokens of the last unit afterwards).
CFormatResult Format(const CLexicon& lexicon, std::u16string_view text, const COptions& options,
                     int mode, const CUnitFilter& filter, CTokenList& tokens);

// The same for a text already cut into its pieces (SplitScript(text)), with
// the result's text written over output, whose storage is reused; the
// result's m_sText stays empty. With threads above one, the units of a long
// text (256 KB or more) are formatted on up to that many threads when no
// filter is given; the result is the same.
CFormatResult FormatInto(const CLexicon& lexicon, std::u16string_view text, const std::vector<CScriptPiece>& pieces,
                         const COptions& options, int mode, const CUnitFilter& filter, CTokenList& tokens,
                         std::u16string& output, unsigned threads = 1);

// What SettleUnitsInto gives besides the text.
struct CSettledResult : CFormatResult
{
    // The most runs a unit took, its last run changing nothing; 0 when a unit
    // still changed in the last run allowed.
    int m_nRuns = 0;
    // Where each of the text's pieces begins in the result (UTF-16 offsets).
    std::vector<size_t> m_aPieceStarts;
};

// A text brought to where formatting it again changes nothing, a unit at a
// time: each unit is run through the pipeline, then again on its own result
// until a run changes nothing, at most maxRuns runs; every other piece is
// copied. The result is written over output (m_sText stays empty); threads as
// for FormatInto. A run over the whole result gives every unit its own text
// back as long as the result cuts into the same pieces at the places the
// result names, which is for the caller to see. Empty for a text that runs
// whole (one unit and blank lines only), which settles run by run.
std::optional<CSettledResult> SettleUnitsInto(const CLexicon& lexicon, std::u16string_view text,
                                              const std::vector<CScriptPiece>& pieces, const COptions& options,
                                              int mode, int maxRuns, CTokenList& tokens, std::u16string& output,
                                              unsigned threads = 1);

// The last step of both commands on a unit's output: the left margin (-1
// leaves the indentation alone), then for Format the removal of blank lines.
// Lines that begin inside a literal or quoted identifier are never changed;
// literalLines, when given, are their numbers (as LinesInsideLiterals finds
// them), which spares a scan of the text.
// With start, only the text from there on is finished, as a text of its own.
// With terminatorLine, tells whether a line of the finished text holds only
// "/" or "." among blanks (found as the blank lines are removed, if they are).
void FinishOutput(std::u16string& text, int32_t margin, const CTextFunc& textFunc, bool removeBlankLines,
                  const std::vector<int32_t>* literalLines = nullptr, size_t start = 0,
                  bool* terminatorLine = nullptr);

// What the left-margin box does to a result: every unit of text is given the
// margin and loses its blank lines, and the other pieces stay as they are.
std::u16string ReapplyLeftMargin(std::u16string_view text, const COptions& options, int32_t margin);

// The capitalise-only writer: the input with every token's text written over
// the characters it came from.
void WriteCapitalised(std::u16string_view input, const CTokenList& tokens, std::u16string& output);
// The same, appended to output.
void AppendCapitalised(std::u16string_view input, const CTokenList& tokens, std::u16string& output);
