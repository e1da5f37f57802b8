#include "LayoutTestSupport.h"

#include "Format.h"
#include "Lexicon.h"
#include "TestUtf.h"
#include "TextFunc.h"
#include "Tokenizer.h"

#include <algorithm>
#include <numeric>

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
    COptions options;
    if (setup)
        setup(options);
    return Narrow(::Format(Wide(input), options, MODE_FORMAT).m_sText);
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

bool Dropped(const COptions& options, const CBaseToken& token)
{
    const COptions::CComments& comments = options.m_Comments;
    if (token.m_nKind != TK_COMMENT || !comments.m_bRemoveComments)
        return false;
    const bool hint = token.m_sText.size() >= 3 && token.m_sText[2] == u'+';
    return !(comments.m_bDontRemoveHints && hint);
}

} // namespace

::testing::AssertionResult KeepsTokensInOrder(const COptions& options, std::u16string_view input,
                                              std::u16string_view output)
{
    // Unit by unit, as Format reads a script: a SQL*Plus command line is not
    // SQL, so its text is looked for whole.
    const std::u16string compact = WithoutWhitespace(output);
    size_t at = 0;
    auto find = [&](std::u16string_view text) {
        const std::u16string wanted = WithoutWhitespace(text);
        const size_t found = compact.find(wanted, at);
        if (found == std::u16string::npos)
            return false;
        at = found + wanted.size();
        return true;
    };
    CTokenList tokens;
    for (const CScriptPiece& piece : SplitScript(input))
    {
        const std::u16string_view raw = input.substr(piece.m_nStart, piece.m_nLength);
        if (!IsUnit(piece.m_nKind))
        {
            if (!find(raw))
                return ::testing::AssertionFailure() << "\"" << Narrow(raw) << "\" is missing or out of order";
            continue;
        }
        // Analysed as Format analyses them, so they have the case they get.
        Tokenize(raw, tokens);
        SplitWords(CTokenScanner::kStandardDelimiters, tokens);
        Analyse(StandardLexicon(), options.m_Capitalisation, tokens, true);
        for (const CBaseToken& token : tokens)
            if (!Dropped(options, token) && !find(token.m_sText))
                return ::testing::AssertionFailure() << "token \"" << Narrow(token.m_sText) << "\" at offset "
                                                     << piece.m_nStart + token.m_nOffset
                                                     << " is missing or out of order";
    }
    return ::testing::AssertionSuccess();
}

namespace
{

std::string FormatKeepingTokens(std::string_view input, const Setup& setup)
{
    COptions options;
    if (setup)
        setup(options);
    const std::u16string text = Wide(input);
    const std::u16string output = ::Format(text, options, MODE_FORMAT).m_sText;
    EXPECT_TRUE(KeepsTokensInOrder(options, text, output)) << "input: " << input;
    return Narrow(output);
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

std::string FormatText(std::string_view input, const Setup& setup)
{
    COptions options;
    if (setup)
        setup(options);
    return Narrow(::Format(Wide(input), options, MODE_FORMAT).m_sText);
}

void ExpectTextLinesHold(const CBaseToken& token, const std::string& where)
{
    const std::u16string_view text = token.m_sText;
    const int32_t lineFeeds = static_cast<int32_t>(std::count(text.begin(), text.end(), u'\n'));
    const std::vector<int32_t> inside = LinesInsideLiterals(text);
    std::vector<int32_t> allButFirst(static_cast<size_t>(lineFeeds));
    std::iota(allButFirst.begin(), allButFirst.end(), 2);
    switch (TextLinesOf(token))
    {
    case TEXT_ONE_LINE: EXPECT_EQ(lineFeeds, 0) << where << ": kind " << token.m_nKind; break;
    case TEXT_NO_LITERAL: EXPECT_EQ(inside, std::vector<int32_t>()) << where << ": kind " << token.m_nKind; break;
    case TEXT_LITERAL: EXPECT_EQ(inside, allButFirst) << where << ": kind " << token.m_nKind; break;
    default: break;
    }
}

std::vector<std::u16string> LooseTokens(std::u16string_view text, bool withoutComments)
{
    CTokenList tokens;
    TokenizeWords(CTokenScanner::kStandardDelimiters, text, tokens);
    std::vector<std::u16string> out;
    for (const CBaseToken& token : tokens)
    {
        if (withoutComments && token.m_nKind == TK_COMMENT)
            continue;
        std::u16string t;
        for (char16_t c : token.m_sText)
        {
            if (token.m_nKind != TK_STRING && (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'))
                continue;
            t.push_back(token.m_nKind != TK_STRING && c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c);
        }
        if (!t.empty())
            out.push_back(std::move(t));
    }
    return out;
}

void ExpectPlsql(std::string_view input, std::string_view expected, const Setup& setup)
{
    COptions options;
    if (setup)
        setup(options);
    const std::string once = FormatText(input, setup);
    EXPECT_EQ(once, expected) << "input: " << input;
    const bool removed = options.m_Comments.m_bRemoveComments;
    EXPECT_EQ(LooseTokens(Wide(input), removed), LooseTokens(Wide(once), removed)) << "input: " << input;
    EXPECT_EQ(FormatText(expected, setup), expected) << "formatted again: " << expected;
}

} // namespace layout_test
