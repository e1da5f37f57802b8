#include "SQLParser.h"

#include "Analysis.h"
#include "LayoutWriter.h"
#include "Lexicon.h"
#include "Tokenizer.h"

namespace
{
CLexicon LexiconOf(const CSQLParser& engine)
{
    return CLexicon{engine.m_sDelimiters, engine.m_sNewLine, &engine.m_WordIndex};
}
} // namespace

CSQLParser::CSQLParser(CProfileStore* pStore)
    : m_sDelimiters(CTokenScanner::kStandardDelimiters)
    , m_sNewLine(u"\n")
    , m_Options(pStore)
    , m_TextFunc(m_Options)
    , m_WordIndex(StandardWordIndex())
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
    CFormatResult result = Format(LexiconOf(*this), m_sInput, m_Options, mode, {}, m_aTokens);
    m_nLastLeftMargin = result.m_nLeftMargin;
    if (mode == MODE_FORMAT || mode == MODE_CAPITALISE)
        m_sOutput = std::move(result.m_sText);
    return true;
}

void CSQLParser::WriteCapitalised(std::u16string_view input, const CTokenList& tokens,
                                  std::u16string& output) const
{
    ::WriteCapitalised(input, tokens, output);
}

void CSQLParser::FinishOutput(bool removeBlankLines)
{
    ::FinishOutput(m_sOutput, m_Options.m_General.m_nLeftMargin, m_TextFunc, removeBlankLines);
}

void CSQLParser::FinishOutput(bool removeBlankLines, const std::vector<int32_t>& literalLines)
{
    ::FinishOutput(m_sOutput, m_Options.m_General.m_nLeftMargin, m_TextFunc, removeBlankLines, &literalLines);
}

void ClearRecoWords(CSQLParser& engine)
{
    engine.m_aRecoWords.clear();
}

void BuildWordLists(CSQLParser& engine)
{
    ClearRecoWords(engine);
    for (const CListedWord& word : ListedRecoWords())
        engine.m_aRecoWords.push_back(CSQLParser::CRecoWord{word.m_pWord, word.m_nCode});
    const std::span<const char16_t* const> dataTypes = ListedDataTypes();
    const std::span<const char16_t* const> stdFunctions = ListedStdFunctions();
    engine.m_aDataTypes.assign(dataTypes.begin(), dataTypes.end());
    engine.m_aStdFunctions.assign(stdFunctions.begin(), stdFunctions.end());
}

void SplitWords(const CSQLParser& engine, CTokenList& tokens)
{
    SplitWords(engine.m_sDelimiters, tokens);
}

void TokenizeWords(const CSQLParser& engine, std::u16string_view input, CTokenList& tokens)
{
    TokenizeWords(engine.m_sDelimiters, input, tokens);
}

void ClassifyWord(CBaseToken& token, const CSQLParser& engine)
{
    ClassifyWord(token, engine.m_WordIndex);
}

void Analyse(const CSQLParser& engine, CTokenList& tokens, bool format)
{
    Analyse(LexiconOf(engine), engine.m_Options.m_Capitalisation, tokens, format);
}

void ApplyCase(const CSQLParser& engine, CBaseToken& token)
{
    ApplyCase(engine.m_sDelimiters, engine.m_Options.m_Capitalisation, token);
}

void InitCap(const CSQLParser& engine, std::span<char16_t> text, bool eachWord)
{
    InitCap(engine.m_sDelimiters, text, eachWord);
}

void WriteLayout(const CSQLParser& engine, const CTokenList& tokens, std::u16string& output,
                 std::vector<int32_t>* literalLines)
{
    WriteLayout(engine.m_Options, engine.m_sNewLine, tokens, output, literalLines);
}
