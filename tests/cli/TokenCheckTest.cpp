// The safety check: which changes between input and result it accepts, and
// which it refuses with the first difference named.
#include "TokenCheck.h"

#include <gtest/gtest.h>

using namespace qmcli;

namespace
{

struct CCheckCase
{
    const char* m_sName;
    std::u16string m_sInput;
    std::u16string m_sOutput;
    bool m_bCommentsRemoved;
    bool m_bHintsKept;
    const char* m_sDifference; // substring of the description; null: the same tokens
};

class TokenCheckTest : public ::testing::TestWithParam<CCheckCase>
{
};

TEST_P(TokenCheckTest, Compares)
{
    const CCheckCase& c = GetParam();
    CTokenCheckRules rules;
    rules.m_bCommentsRemoved = c.m_bCommentsRemoved;
    rules.m_bHintsKept = c.m_bHintsKept;
    const auto difference = CompareTokens(c.m_sInput, c.m_sOutput, rules);
    if (!c.m_sDifference)
    {
        EXPECT_FALSE(difference.has_value()) << difference->Describe();
        return;
    }
    ASSERT_TRUE(difference.has_value());
    EXPECT_NE(difference->Describe().find(c.m_sDifference), std::string::npos)
        << difference->Describe();
}

const CCheckCase kCases[] = {
    // Accepted: layout and case.
    {"NewLayoutAndCase", u"select a,b from t", u"SELECT a\n      ,b\n  FROM t", false, true, nullptr},
    {"OperatorsJoinedAcrossBlanks", u"x : = 1 and a < = b", u"x := 1 AND a <= b", false, true, nullptr},
    {"CommentWhitespaceAndCase", u"/* Hello\n   world */ x", u"/* hello\n world */\nX", false, true, nullptr},
    {"LineCommentCrLf", u"a -- note\r\nb", u"a -- note\nb", false, true, nullptr},
    {"RemovedCommentMayGo", u"x /* gone */ b -- also\n c", u"x b c", true, false, nullptr},
    {"HintKeptWhenComentsRemoved", u"select /*+ full(t) */ a from t", u"SELECT /*+ full(t) */ a FROM t",
     true, true, nullptr},
    {"EmptyBoth", u"", u"", false, true, nullptr},
    {"WhitespaceOnly", u"  \n\t", u"\n", false, true, nullptr},
    {"MarginInsideCommentOnly", u"/*\nx\n*/", u"    /*\n    x\n    */", false, true, nullptr},
    {"PrefixedLiteralWhole", u"x = q'[it's]'", u"X = q'[it's]'", false, true, nullptr},

    // Refused.
    {"WordChanged", u"select a from t", u"select a form t", false, true, "`from` became `form`"},
    {"WordSplit", u"select abc from t", u"select ab c from t", false, true, "`abc` became `ab`"},
    {"TokenLost", u"select a from t", u"select a from", false, true, "`t` is missing"},
    {"TokenAdded", u"select a", u"select a x", false, true, "the result has `x`"},
    {"LiteralCaseChanged", u"x = 'Abc'", u"x = 'abc'", false, true, "`'Abc'` became `'abc'`"},
    {"LiteralBlankChanged", u"x = 'a b'", u"x = 'a  b'", false, true, "became"},
    {"QuotedIdentifierCase", u"select \"Mixed\" from t", u"select \"mixed\" from t", false, true, "became"},
    {"CommentWordChanged", u"a /* keep me */", u"a /* kept me */", false, true, "became"},
    {"CommentLostWhileKept", u"a /* keep */ b", u"a b", false, true, "line 1"},
    {"HintDroppedButKept", u"select /*+ x */ a", u"select a", true, true, "`/*+ x */`"},
    {"DashesBecomeComment", u"a - -b\nc", u"a --b\nc", false, true, "became"},
    {"LiteralLineBreakLost", u"x = 'a\nb'", u"x = 'a b'", false, true, "became"},
    {"LineNumbersInMessage", u"a\nb\nc", u"a\nb\n\nd", false, true, "line 3: `c` became `d` (result line 4)"},
};

INSTANTIATE_TEST_SUITE_P(Cases, TokenCheckTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(TokenCheckMessage, LongTokensAreShortenedToOneLine)
{
    const std::u16string longLiteral = u"'" + std::u16string(100, u'x') + u"\n'";
    const auto difference =
        CompareTokens(u"a " + longLiteral, u"a " + longLiteral.substr(1), CTokenCheckRules());
    ASSERT_TRUE(difference.has_value());
    const std::string text = difference->Describe();
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_NE(text.find("..."), std::string::npos);
    EXPECT_LT(text.size(), 150u);
}

} // namespace
