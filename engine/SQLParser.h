// The formatting engine as one object: input, output, word lists, tokens, text
// functions and options. Process runs Format or Capitalise from text to text.
#pragma once

#include "BaseToken.h"
#include "TextFunc.h"
#include "Options.h"
#include "WordLists.h"

#include <cstdint>
#include <string>
#include <vector>

class CProfileStore;

class CSQLParser
{
public:
    enum Mode { MODE_FORMAT = 0, MODE_CAPITALISE = 1 };

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

    // Runs Format or Capitalise over m_sInput into m_sOutput. An empty input
    // leaves the output as it was. Always true.
    bool Process(int mode);
    void ClearTokens();
    // The capitalise-only writer: output is input with every token's text
    // written over the characters it came from.
    void WriteCapitalised(std::u16string_view input, const CTokenList& tokens,
                          std::u16string& output) const;
    // The left margin, then (for Format) the removal of blank lines. Text
    // inside a string literal or quoted identifier that spans lines is never
    // changed.
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
    CWordIndex m_WordIndex; // the three word lists by hash, for ClassifyWord
};
