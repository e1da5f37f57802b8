// The formatting engine as one object: input, output, word lists, tokens, text
// functions and options. Process runs Format or Capitalise from text to text.
#pragma once

#include "BaseToken.h"
#include "TextFunc.h"
#include "Options.h"

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

    bool Process(int mode);
    void ClearTokens();
    void FinishOutput(bool removeBlankLines);

    std::u16string m_sOutput;
    std::vector<std::u16string> m_aDataTypes;
    std::vector<std::u16string> m_aStdFunctions;
    std::u16string m_sDelimiters;
    std::u16string m_sInput;
    std::u16string m_sNewLine;
    CTextFunc m_TextFunc;
    COptions m_Options;
    std::vector<CRecoWord> m_aRecoWords;
    CTokenList m_aTokens;
};
