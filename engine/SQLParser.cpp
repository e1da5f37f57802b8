#include "SQLParser.h"

#include "Analysis.h"
#include "LayoutWriter.h"
#include "Tokenizer.h"

#include <algorithm>
#include <cstring>

CSQLParser::CSQLParser(CProfileStore* pStore)
    : m_sDelimiters(u",.()-+=<>|/*;:!")
    , m_sNewLine(u"\n")
    , m_Options(pStore)
    , m_TextFunc(m_Options)
{
    BuildWordLists(*this);
}

CSQLParser::~CSQLParser()
{
    ClearTokens();
    ClearRecoWords(*this);
}

void CSQLParser::ClearTokens()
{
    m_aTokens.Clear();
}

bool CSQLParser::Process(int mode)
{
    if (m_sInput.empty())
        return true;

    COptions::CGeneral& general = m_Options.m_General;
    if (general.m_bAutoDetectLeftMargin)
    {
        std::u16string copy = m_sInput;
        RemoveBlankLines(copy, {});
        general.m_nLeftMargin = MinIndent(copy, m_TextFunc);
    }

    if (mode != MODE_FORMAT && mode != MODE_CAPITALISE)
        return true;

    ClearTokens();
    Tokenize(m_sInput, m_aTokens);
    SplitWords(*this, m_aTokens);
    if (mode == MODE_FORMAT)
    {
        Analyse(*this, m_aTokens, true);
        WriteLayout(*this, m_aTokens, m_sOutput);
        FinishOutput(true);
    }
    else
    {
        Analyse(*this, m_aTokens, false);
        WriteCapitalised(m_sInput, m_aTokens, m_sOutput);
        FinishOutput(false);
    }
    return true;
}

void CSQLParser::WriteCapitalised(std::u16string_view input, const CTokenList& tokens,
                                  std::u16string& output) const
{
    output.assign(input);
    for (const CBaseToken& token : tokens)
    {
        // A token outside the input (one not made from it) is not written.
        if (token.m_nOffset < 1)
            continue;
        const size_t at = static_cast<size_t>(token.m_nOffset) - 1;
        if (at >= output.size())
            continue;
        const size_t length = std::min(token.m_sText.size(), output.size() - at);
        std::memcpy(output.data() + at, token.m_sText.data(), length * sizeof(char16_t));
    }
}

void CSQLParser::FinishOutput(bool removeBlankLines)
{
    const int32_t margin = m_Options.m_General.m_nLeftMargin;
    if (margin == -1 && !removeBlankLines)
        return;
    const std::vector<int32_t> literalLines = LinesInsideLiterals(m_sOutput);
    ApplyLeftMargin(margin, m_TextFunc, m_sOutput, literalLines);
    if (removeBlankLines)
        RemoveBlankLines(m_sOutput, literalLines);
}
