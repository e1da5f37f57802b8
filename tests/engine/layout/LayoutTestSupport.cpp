#include "LayoutTestSupport.h"

#include "TestUtf.h"
#include "Tokenizer.h"

namespace layout_test
{

std::u16string Wide(std::string_view utf8)
{
    return Utf8ToUtf16(utf8);
}

std::string Narrow(std::u16string_view utf16)
{
    return Utf16ToUtf8(utf16);
}

std::string Lines(std::initializer_list<std::string_view> lines)
{
    std::string out;
    bool first = true;
    for (std::string_view line : lines)
    {
        if (!first)
            out += '\n';
        out += line;
        first = false;
    }
    return out;
}

std::string Format(std::string_view input, const Setup& setup)
{
    CSQLParser engine;
    if (setup)
        setup(engine.m_Options);
    engine.m_sInput = Wide(input);
    engine.Process(CSQLParser::MODE_FORMAT);
    return Narrow(engine.m_sOutput);
}

std::string Layout(std::string_view input, const Setup& setup)
{
    CSQLParser engine;
    if (setup)
        setup(engine.m_Options);
    engine.m_sInput = Wide(input);
    engine.ClearTokens();
    Tokenize(engine.m_sInput, engine.m_aTokens);
    SplitWords(engine, engine.m_aTokens);
    Analyse(engine, engine.m_aTokens, true);
    std::u16string output;
    WriteLayout(engine, engine.m_aTokens, output);
    return Narrow(output);
}

namespace
{

std::u16string WithoutWhitespace(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text)
        if (c != u' ' && c != u'\n' && c != u'\r' && c != u'\t')
            out.push_back(c);
    return out;
}

bool Dropped(const CSQLParser& engine, const CBaseToken& token)
{
    const COptions::CComments& comments = engine.m_Options.m_Comments;
    if (token.m_nKind != TK_COMMENT || !comments.m_bRemoveComments)
        return false;
    const bool hint = token.m_sText.size() >= 3 && token.m_sText[2] == u'+';
    return !(comments.m_bDontRemoveHints && hint);
}

} // namespace

::testing::AssertionResult KeepsTokensInOrder(CSQLParser& engine)
{
    const std::u16string output = WithoutWhitespace(engine.m_sOutput);
    size_t at = 0;
    for (const CBaseToken& token : engine.m_aTokens)
    {
        if (Dropped(engine, token))
            continue;
        const std::u16string text = WithoutWhitespace(token.m_sText);
        const size_t found = output.find(text, at);
        if (found == std::u16string::npos)
            return ::testing::AssertionFailure() << "token \"" << Narrow(token.m_sText) << "\" at offset "
                                                 << token.m_nOffset << " is missing or out of order";
        at = found + text.size();
    }
    return ::testing::AssertionSuccess();
}

namespace
{

std::string FormatKeepingTokens(std::string_view input, const Setup& setup)
{
    CSQLParser engine;
    if (setup)
        setup(engine.m_Options);
    engine.m_sInput = Wide(input);
    engine.Process(CSQLParser::MODE_FORMAT);
    EXPECT_TRUE(KeepsTokensInOrder(engine)) << "input: " << input;
    return Narrow(engine.m_sOutput);
}

} // namespace

void ExpectFormat(std::string_view input, std::string_view expected, const Setup& setup)
{
    EXPECT_EQ(FormatKeepingTokens(input, setup), expected) << "input: " << input;
}

void ExpectLayout(std::string_view input, std::string_view expected, const Setup& setup)
{
    EXPECT_EQ(Layout(input, setup), expected) << "input: " << input;
    FormatKeepingTokens(input, setup);
}

} // namespace layout_test
