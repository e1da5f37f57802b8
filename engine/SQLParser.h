// The formatting engine as one object: input, output, word lists, tokens, text
// functions and options. Process runs Format or Capitalise from m_sInput to
// m_sOutput through the pure entry point of Format.h; callers that need no
// object call that entry point directly.
#pragma once

#include "BaseToken.h"
#include "Format.h"
#include "Options.h"
#include "TextFunc.h"
#include "WordLists.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CProfileStore;

class CSQLParser
{
public:
    enum Mode { MODE_FORMAT = ::MODE_FORMAT, MODE_CAPITALISE = ::MODE_CAPITALISE };

    struct CRecoWord
    {
        std::u16string m_sWord; // upper case
        int32_t m_nCode = 0;
    };

    // The options are loaded from the store (if any) now and saved to it when
    // the engine is destroyed.
    explicit CSQLParser(CProfileStore* pStore = nullptr);
    virtual ~CSQLParser();
    CSQLParser(const CSQLParser&) = delete;
    CSQLParser& operator=(const CSQLParser&) = delete;

    // Runs Format or Capitalise over m_sInput into m_sOutput, with the
    // engine's delimiters, line break and options. An empty input, or a mode
    // that is neither, leaves the output as it was. The margin the run
    // applied (with auto-detection, the detected one) goes to
    // m_nLastLeftMargin; the options are not changed. Always true.
    bool Process(int mode);
    void ClearTokens();
    // The capitalise-only writer: output is input with every token's text
    // written over the characters it came from.
    void WriteCapitalised(std::u16string_view input, const CTokenList& tokens,
                          std::u16string& output) const;
    // The left margin of the options, then (for Format) the removal of blank
    // lines, on m_sOutput. Text inside a string literal or quoted identifier
    // that spans lines is never changed.
    void FinishOutput(bool removeBlankLines);
    // The same with the lines of the output that begin inside a literal
    // already known (as LinesInsideLiterals would find them).
    void FinishOutput(bool removeBlankLines, const std::vector<int32_t>& literalLines);

    std::u16string m_sOutput;
    std::vector<std::u16string> m_aDataTypes;
    std::vector<std::u16string> m_aStdFunctions;
    std::u16string m_sDelimiters;
    std::u16string m_sInput;
    std::u16string m_sNewLine;
    COptions m_Options;
    CTextFunc m_TextFunc; // after m_Options, whose reference it holds
    std::vector<CRecoWord> m_aRecoWords;
    CTokenList m_aTokens;
    const CWordIndex& m_WordIndex; // the three word lists by hash, for ClassifyWord
    int32_t m_nLastLeftMargin = 0;
};

// Fills the engine's recognised-word table, data-type list and standard-
// function list (emptying the table first).
void BuildWordLists(CSQLParser& engine);
// Empties the recognised-word table.
void ClearRecoWords(CSQLParser& engine);

// The stages with the engine object's delimiters, line break, word index and
// options.
void SplitWords(const CSQLParser& engine, CTokenList& tokens);
void TokenizeWords(const CSQLParser& engine, std::u16string_view input, CTokenList& tokens);
void ClassifyWord(CBaseToken& token, const CSQLParser& engine);
void Analyse(const CSQLParser& engine, CTokenList& tokens, bool format);
void ApplyCase(const CSQLParser& engine, CBaseToken& token);
void InitCap(const CSQLParser& engine, std::span<char16_t> text, bool eachWord);
void WriteLayout(const CSQLParser& engine, const CTokenList& tokens, std::u16string& output,
                 std::vector<int32_t>* literalLines = nullptr);
