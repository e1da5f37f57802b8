// Hostile and huge inputs: each must be formatted and capitalised in seconds,
// without a crash, and with every token of the input kept in order.
#include "StressSupport.h"

#include <functional>
#include <string>

namespace {

std::u16string NestedParentheses()
{
    std::u16string text = u"select ";
    text.append(kMillion, u'(');
    text += u"a";
    text.append(kMillion, u')');
    text += u" from dual";
    return text;
}

std::u16string OpenParenthesesOnly()
{
    return u"select f" + std::u16string(kMillion, u'(') + u"x";
}

std::u16string CloseParenthesesOnly()
{
    return u"select x" + std::u16string(kMillion, u')') + u" from dual";
}

std::u16string NestedCalls()
{
    std::u16string text = u"select ";
    for (size_t i = 0; i < kMillion / 10; ++i)
        text += u"f(a, ";
    text += u"1";
    text.append(kMillion / 10, u')');
    return text;
}

std::u16string OneLongLine()
{
    return Repeat(u"select a, b + 1 as c from t join u on t.id = u.id where x in (1, 2) ",
                  kTenMegabytes);
}

std::u16string ManyShortLines()
{
    return Repeat(u"select a\nfrom t\nwhere b = 1;\n", kTenMegabytes);
}

std::u16string HugeStringLiteral()
{
    return u"select '" + Repeat(u"it''s a (long), -- literal /* ", kTenMegabytes) + u"' from dual";
}

std::u16string HugeMultiLineLiteral()
{
    return u"insert into t values ('" + Repeat(u"line\n  indented\n\n", kTenMegabytes / 4) + u"')";
}

std::u16string HugeBlockComment()
{
    return u"select /*" + Repeat(u" a, b ( select -- ", kTenMegabytes) + u"*/ 1 from dual";
}

std::u16string HugeLineComment()
{
    return u"select 1 --" + Repeat(u" a, b ( select /* ", kTenMegabytes) + u"\nfrom dual";
}

std::u16string HugeQuotedIdentifier()
{
    return u"select \"" + Repeat(u"Col, (x) ", kTenMegabytes) + u"\" from dual";
}

// Found by fuzzing: the finishing step re-indented and dropped blank lines
// inside a quoted identifier that spans lines.
std::u16string HugeMultiLineQuoted()
{
    return u"  select \"" + Repeat(u"line\n  indented\n\n", kTenMegabytes / 4) + u"\" from t";
}

std::u16string ManyCommas()
{
    return u"select " + std::u16string(kMillion, u',') + u" from dual";
}

std::u16string LongColumnList()
{
    std::u16string text = u"select ";
    for (size_t i = 0; i < kMillion; ++i)
        text += u"c,";
    return text + u"d from t order by " + Repeat(u"c, ", kMillion / 4) + u"d";
}

std::u16string LargeStatements()
{
    return Repeat(u"select a, case when b = 1 then 'x' else 'y' end c from t where d between 1 and 2;\n",
                  kTenMegabytes / 10);
}

std::u16string UnterminatedLiteral() { return LargeStatements() + u"select 'never closed ( , --"; }
std::u16string UnterminatedComment() { return LargeStatements() + u"select /* never closed ( , '"; }
std::u16string UnterminatedQuoted() { return LargeStatements() + u"select \"never closed ( , '"; }
std::u16string UnterminatedLineComment() { return LargeStatements() + u"select 1 -- no line feed"; }

// Lone surrogates of both halves, NUL, form feed, CR, no-break space and SQL
// text, mixed at random.
std::u16string HostileCharacters()
{
    const std::u16string pieces[] = {
        std::u16string(1, char16_t(0xD800)), std::u16string(1, char16_t(0xDFFF)),
        std::u16string(1, u'\0'), u"\f", u"\r", u"\r\n", u"\u00A0", u"\uFFFF", u"\uFEFF",
        u"select", u" ", u",", u"(", u")", u"'", u"\"", u"--", u"/*", u"*/", u"\n", u"case",
        u"when", u"end", u"from", u":", u"=", u"|", u"\U0001F600",
    };
    CStressRandom random(42);
    std::u16string text;
    while (text.size() < kTenMegabytes / 10)
        text += pieces[random.Below(std::size(pieces))];
    return text;
}

std::u16string NulSeparatedWords() { return Repeat(std::u16string(u"select\0a\0from\0t ", 16), kMillion); }
std::u16string FormFeeds() { return Repeat(u"select\fa\f,\fb\ffrom\ft\f", kMillion); }
std::u16string CarriageReturnsOnly() { return Repeat(u"select a,\rb\rfrom t\r\r", kMillion); }

struct StressInput
{
    const char* name;
    std::function<std::u16string()> make;
};

const StressInput kStressInputs[] = {
    {"NestedParentheses", NestedParentheses},
    {"OpenParenthesesOnly", OpenParenthesesOnly},
    {"CloseParenthesesOnly", CloseParenthesesOnly},
    {"NestedCalls", NestedCalls},
    {"OneLongLine", OneLongLine},
    {"ManyShortLines", ManyShortLines},
    {"HugeStringLiteral", HugeStringLiteral},
    {"HugeMultiLineLiteral", HugeMultiLineLiteral},
    {"HugeBlockComment", HugeBlockComment},
    {"HugeLineComment", HugeLineComment},
    {"HugeQuotedIdentifier", HugeQuotedIdentifier},
    {"HugeMultiLineQuoted", HugeMultiLineQuoted},
    {"ManyCommas", ManyCommas},
    {"LongColumnList", LongColumnList},
    {"UnterminatedLiteral", UnterminatedLiteral},
    {"UnterminatedComment", UnterminatedComment},
    {"UnterminatedQuoted", UnterminatedQuoted},
    {"UnterminatedLineComment", UnterminatedLineComment},
    {"HostileCharacters", HostileCharacters},
    {"NulSeparatedWords", NulSeparatedWords},
    {"FormFeeds", FormFeeds},
    {"CarriageReturnsOnly", CarriageReturnsOnly},
};

class StressInputTest : public testing::TestWithParam<StressInput>
{
};

TEST_P(StressInputTest, FormatKeepsEveryToken)
{
    CSQLParser engine;
    ExpectTokensKept(engine, GetParam().make(), CSQLParser::MODE_FORMAT);
}

TEST_P(StressInputTest, CapitaliseKeepsEveryToken)
{
    CSQLParser engine;
    std::u16string input = GetParam().make();
    ExpectTokensKept(engine, input, CSQLParser::MODE_CAPITALISE);
    // Capitalise changes only the case of letters: with the default margin of 0
    // the text can only lose common indentation, so it never grows.
    EXPECT_LE(engine.m_sOutput.size(), input.size());
}

TEST_P(StressInputTest, CapitaliseWithoutMarginChangesOnlyCase)
{
    // With the margin -1 nothing re-indents: the result is the input with the
    // case of ASCII letters changed, character for character.
    CSQLParser engine;
    engine.m_Options.m_General.m_nLeftMargin = -1;
    const std::u16string input = GetParam().make();
    engine.m_sInput = input;
    engine.Process(CSQLParser::MODE_CAPITALISE);
    const std::u16string& output = engine.m_sOutput;
    ASSERT_EQ(output.size(), input.size());
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    size_t i = 0;
    while (i < input.size() && fold(input[i]) == fold(output[i]))
        ++i;
    EXPECT_EQ(i, input.size()) << "first change at offset " << i + 1;
}

TEST_P(StressInputTest, RepeatedRunsGiveTheSameResult)
{
    CSQLParser engine;
    engine.m_sInput = GetParam().make();
    engine.Process(CSQLParser::MODE_FORMAT);
    std::u16string first = std::move(engine.m_sOutput);
    engine.Process(CSQLParser::MODE_CAPITALISE);
    engine.Process(CSQLParser::MODE_FORMAT);
    EXPECT_TRUE(engine.m_sOutput == first);
}

INSTANTIATE_TEST_SUITE_P(Inputs, StressInputTest, testing::ValuesIn(kStressInputs),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
