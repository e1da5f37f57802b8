#include "SQLParser.h"

#include "Analysis.h"
#include "LayoutWriter.h"
#include "Tokenizer.h"

#include <algorithm>
#include <cstring>

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

bool WriterFindsLiteralLines(const CSQLParser& engine)
{
    // The writer scans each text it writes on its own, which finds what a scan
    // of the whole output finds because the texts between tokens never open or
    // close a literal or comment: that holds for the standard delimiters and a
    // line break of carriage returns and line feeds.
    const bool plainNewLine = std::all_of(engine.m_sNewLine.begin(), engine.m_sNewLine.end(),
                                          [](char16_t c) { return c == u'\r' || c == u'\n'; });
    return plainNewLine && engine.m_sDelimiters == CTokenScanner::kStandardDelimiters;
}
} // namespace

CSQLParser::CSQLParser(CProfileStore* pStore)
    : m_sDelimiters(CTokenScanner::kStandardDelimiters)
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

    // Clearing the tokens keeps the storage of the last run's working copy,
    // which the new copy of the input reuses.
    m_aTokens.Reset(m_sInput);
    TokenizeWords(*this, m_aTokens.Text(), m_aTokens);
    if (mode == MODE_FORMAT)
    {
        Analyse(*this, m_aTokens, true);
        if (WriterFindsLiteralLines(*this))
        {
            // The writer notes the lines inside literals as it writes them,
            // which spares the finishing step a scan of the whole output.
            std::vector<int32_t> literalLines;
            WriteLayout(*this, m_aTokens, m_sOutput, &literalLines);
            FinishOutput(true, literalLines);
        }
        else
        {
            WriteLayout(*this, m_aTokens, m_sOutput);
            FinishOutput(true);
        }
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
    // The tokens were made from input, and the list's working copy of it
    // differs from it only inside tokens, where the case was changed in place.
    // So the copy is the output already, but for tokens whose text stands
    // elsewhere (joined ones).
    const std::u16string& working = tokens.Text();
    const bool fromWorkingCopy = working.size() == input.size();
    output.assign(fromWorkingCopy ? std::u16string_view(working) : input);
    for (const CBaseToken& token : tokens)
    {
        // A token outside the input (one not made from it) is not written.
        if (token.m_nOffset < 1)
            continue;
        const size_t at = static_cast<size_t>(token.m_nOffset) - 1;
        if (at >= output.size())
            continue;
        if (fromWorkingCopy && token.m_sText.data() == working.data() + at)
            continue;
        const size_t length = std::min(token.m_sText.size(), output.size() - at);
        std::memcpy(output.data() + at, token.m_sText.data(), length * sizeof(char16_t));
    }
}

void CSQLParser::FinishOutput(bool removeBlankLines)
{
    // Both steps need the lines that begin inside literals, which takes a scan
    // of the whole text; it is made only when a step can change something.
    const int32_t margin = m_Options.m_General.m_nLeftMargin;
    const bool marginChanges = margin > 0 || (margin != -1 && !FirstLineUnindented(m_sOutput));
    const bool blankLines = removeBlankLines && HasBlankLine(m_sOutput);
    if (!marginChanges && !blankLines)
        return;
    FinishOutput(removeBlankLines, LinesInsideLiterals(m_sOutput));
}

void CSQLParser::FinishOutput(bool removeBlankLines, const std::vector<int32_t>& literalLines)
{
    const int32_t margin = m_Options.m_General.m_nLeftMargin;
    if (margin > 0 || (margin != -1 && !FirstLineUnindented(m_sOutput)))
        ApplyLeftMargin(margin, m_TextFunc, m_sOutput, literalLines);
    // After the margin: an empty text takes it as one line of blanks, which
    // must go like every other.
    if (removeBlankLines)
        RemoveBlankLines(m_sOutput, literalLines);
}
