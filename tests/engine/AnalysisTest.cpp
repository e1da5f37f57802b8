// The analysis passes: calls of user functions, merged operators and the case
// of every token.
#include "Analysis.h"
#include "EngineTestHelpers.h"

namespace
{
using Setter = void (*)(COptions&);

struct AnalyseCase
{
    const char* name;
    std::string input;
    bool format;
    std::vector<KindText> expected;
    Setter setOptions = nullptr;
};

class AnalyseTest : public ::testing::TestWithParam<AnalyseCase>
{
};

TEST_P(AnalyseTest, GivesKindsAndTexts)
{
    CSQLParser engine;
    if (GetParam().setOptions)
        GetParam().setOptions(engine.m_Options);
    TokenizeAndSplit(engine, U(GetParam().input));
    Analyse(engine, engine.m_aTokens, GetParam().format);
    EXPECT_EQ(KindTexts(engine.m_aTokens), GetParam().expected);
    for (const CBaseToken& t : engine.m_aTokens)
        EXPECT_EQ(t.m_nLength, static_cast<int>(t.m_sText.size()));
}

constexpr bool kFormat = true;
constexpr bool kCapitalise = false;

const AnalyseCase kAnalyseCases[] = {
    // Calls of user functions.
    {"StandardFunctionStays", "count(*)", kFormat,
     {{TK_STDFUNCTION, "COUNT"}, {TK_DELIMITER, "("}, {TK_DELIMITER, "*"}, {TK_DELIMITER, ")"}}},
    {"UserFunction", "My_Func(1)", kFormat,
     {{TK_FUNCTION, "my_func"}, {TK_DELIMITER, "("}, {TK_NUMBER, "1"}, {TK_DELIMITER, ")"}}},
    {"OuterJoinMarker", "a.col(+)", kFormat,
     {{TK_WORD, "a"}, {TK_DELIMITER, "."}, {TK_WORD, "col"}, {TK_DELIMITER, "("},
      {TK_DELIMITER, "+"}, {TK_DELIMITER, ")"}}},
    {"CommentBeforeParenthesis", "f /*x*/ (1)", kFormat,
     {{TK_WORD, "f"}, {TK_COMMENT, "/*x*/"}, {TK_DELIMITER, "("}, {TK_NUMBER, "1"}, {TK_DELIMITER, ")"}}},
    {"ParenthesisAtEnd", "f(", kFormat, {{TK_FUNCTION, "f"}, {TK_DELIMITER, "("}}},
    {"BlanksBeforeParenthesis", "f  (x", kCapitalise,
     {{TK_FUNCTION, "f"}, {TK_DELIMITER, "("}, {TK_WORD, "x"}}},
    {"KeywordBeforeParenthesis", "in (1)", kFormat,
     {{TK_KEYWORD, "IN"}, {TK_DELIMITER, "("}, {TK_NUMBER, "1"}, {TK_DELIMITER, ")"}}},
    // Operators.
    {"AssignInFormat", "x:=1", kFormat, {{TK_WORD, "x"}, {TK_ASSIGN, ":="}, {TK_NUMBER, "1"}}},
    {"AssignApartInCapitalise", "x:=1", kCapitalise,
     {{TK_WORD, "x"}, {TK_DELIMITER, ":"}, {TK_DELIMITER, "="}, {TK_NUMBER, "1"}}},
    {"BindVariableInCapitalise", ":Abc", kCapitalise, {{TK_DELIMITER, ":"}, {TK_WORD, "abc"}}},
    {"BindVariableInFormat", ":Abc", kFormat, {{TK_BINDVAR, ":Abc"}}},
    {"BindVariableAcrossBlank", ": x", kFormat, {{TK_BINDVAR, ":x"}}},
    {"BindVariableOfLiteral", ":'x'", kFormat, {{TK_BINDVAR, ":'x'"}}},
    {"DoubleColon", "x::y", kFormat, {{TK_WORD, "x"}, {TK_BINDVAR, "::"}, {TK_WORD, "y"}}},
    {"ThreeBars", "a|||b", kFormat,
     {{TK_WORD, "a"}, {TK_CONCAT, "||"}, {TK_DELIMITER, "|"}, {TK_WORD, "b"}}},
    {"OneBar", "a|b", kFormat, {{TK_WORD, "a"}, {TK_DELIMITER, "|"}, {TK_WORD, "b"}}},
    {"BarsApart", "a | | b", kFormat, {{TK_WORD, "a"}, {TK_CONCAT, "||"}, {TK_WORD, "b"}}},
    {"CompareBeforeMinus", "where a = -1", kFormat,
     {{TK_KEYWORD, "WHERE"}, {TK_WORD, "a"}, {TK_COMPARE, "="}, {TK_DELIMITER, "-"}, {TK_NUMBER, "1"}}},
    {"EqualsAtEnd", "a =", kFormat, {{TK_WORD, "a"}, {TK_DELIMITER, "="}}},
    {"CompareAcrossBlank", "a < = b", kFormat, {{TK_WORD, "a"}, {TK_COMPARE, "<="}, {TK_WORD, "b"}}},
    {"NotEquals", "a != b", kFormat, {{TK_WORD, "a"}, {TK_COMPARE, "!="}, {TK_WORD, "b"}}},
    {"ThreeCompareCharacters", "a<=>b", kFormat,
     {{TK_WORD, "a"}, {TK_COMPARE, "<="}, {TK_COMPARE, ">"}, {TK_WORD, "b"}}},
    {"ArrowOfNamedArgument", "f(p=>1)", kFormat,
     {{TK_FUNCTION, "f"}, {TK_DELIMITER, "("}, {TK_WORD, "p"}, {TK_COMPARE, "=>"}, {TK_NUMBER, "1"},
      {TK_DELIMITER, ")"}}},
    {"ColonAtEnd", "a:", kFormat, {{TK_WORD, "a"}, {TK_DELIMITER, ":"}}},
    // Case.
    {"LiteralNeverChanges", "'Mixed Case'", kFormat, {{TK_STRING, "'Mixed Case'"}}},
    {"QuotedIdentifierKeepsCase", "\"MyTable\"", kFormat, {{TK_QUOTED, "\"MyTable\""}}},
    {"PrefixedLiteralKeepsCase", "N'Abc' q'[Xy]'", kCapitalise,
     {{TK_STRING, "N'Abc'"}, {TK_STRING, "q'[Xy]'"}}},
    {"DataTypeUpper", "varchar2", kCapitalise, {{TK_DATATYPE, "VARCHAR2"}}},
    {"OnlyAsciiLetters", "straße", kCapitalise, {{TK_WORD, "STRAßE"}},
     [](COptions& o) { o.m_Capitalisation.m_nOther = CAP_UPPER; }},
    // Only A to Z and a to z change, whether they stand in a run of four
    // units or after it: neighbours of the letters in ASCII, letters beyond
    // it, and units whose low bits are those of a letter stay.
    {"CommentUpperOnlyAsciiLetters", "-- aZ@[`{\u00e9\u00c0\u8041\u8061\uff41xyz", kCapitalise,
     {{TK_COMMENT, "-- AZ@[`{\u00e9\u00c0\u8041\u8061\uff41XYZ"}},
     [](COptions& o) { o.m_Capitalisation.m_nComments = CAP_UPPER; }},
    {"CommentLowerOnlyAsciiLetters", "-- Az@[`{\u00e9\u00c0\u8041\u8061\uff21XYZ", kCapitalise,
     {{TK_COMMENT, "-- az@[`{\u00e9\u00c0\u8041\u8061\uff21xyz"}},
     [](COptions& o) { o.m_Capitalisation.m_nComments = CAP_LOWER; }},
    {"CommentInitCapEachWord", "-- hello world", kCapitalise, {{TK_COMMENT, "-- Hello World"}},
     [](COptions& o) { o.m_Capitalisation.m_nComments = CAP_INITCAP_EACH; }},
    {"CommentInitCap", "-- hello world", kCapitalise, {{TK_COMMENT, "-- Hello world"}},
     [](COptions& o) { o.m_Capitalisation.m_nComments = CAP_INITCAP; }},
    {"LineStartInCommentIsNoSeparator", "/* a\nb \tc */", kCapitalise, {{TK_COMMENT, "/* A\nb \tC */"}},
     [](COptions& o) { o.m_Capitalisation.m_nComments = CAP_INITCAP_EACH; }},
    {"LowLineStartsNoWord", "MY_FUNC(1)", kCapitalise,
     {{TK_FUNCTION, "My_func"}, {TK_DELIMITER, "("}, {TK_NUMBER, "1"}, {TK_DELIMITER, ")"}},
     [](COptions& o) { o.m_Capitalisation.m_nFunctions = CAP_INITCAP; }},
    {"KeywordsLower", "SELECT", kCapitalise, {{TK_KEYWORD, "select"}},
     [](COptions& o) { o.m_Capitalisation.m_nKeywords = CAP_LOWER; }},
    {"NoChange", "SeLeCt", kCapitalise, {{TK_KEYWORD, "SeLeCt"}},
     [](COptions& o) { o.m_Capitalisation.m_nKeywords = CAP_NOCHANGE; }},
    {"UnknownModeChangesNothing", "SeLeCt", kCapitalise, {{TK_KEYWORD, "SeLeCt"}},
     [](COptions& o) { o.m_Capitalisation.m_nKeywords = 77; }},
    {"BindVariableUpper", ":Abc", kFormat, {{TK_BINDVAR, ":ABC"}},
     [](COptions& o) { o.m_Capitalisation.m_nBindVars = CAP_UPPER; }},
    {"BindVariableOfLiteralKeepsCase", ":'Ab'", kFormat, {{TK_BINDVAR, ":'Ab'"}},
     [](COptions& o) { o.m_Capitalisation.m_nBindVars = CAP_UPPER; }},
    {"BindVariableOfQuotedKeepsCase", ":\"Ab\"", kFormat, {{TK_BINDVAR, ":\"Ab\""}},
     [](COptions& o) { o.m_Capitalisation.m_nBindVars = CAP_LOWER; }},
    {"JoinedAcrossBlankIsCased", "a < = B", kFormat, {{TK_WORD, "A"}, {TK_COMPARE, "<="}, {TK_WORD, "B"}},
     [](COptions& o) { o.m_Capitalisation.m_nOther = CAP_UPPER; }},
};

INSTANTIATE_TEST_SUITE_P(Analysis, AnalyseTest, ::testing::ValuesIn(kAnalyseCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct InitCapCase
{
    const char* name;
    std::string text;
    bool eachWord;
    std::string expected;
};

class InitCapTest : public ::testing::TestWithParam<InitCapCase>
{
};

TEST_P(InitCapTest, RaisesFirstLetters)
{
    CSQLParser engine;
    std::u16string text = U(GetParam().text);
    InitCap(engine, text, GetParam().eachWord);
    EXPECT_EQ(N(text), GetParam().expected);
}

const InitCapCase kInitCapCases[] = {
    {"FirstOnly", "HELLO WORLD", false, "Hello world"},
    {"EachWord", "HELLO WORLD", true, "Hello World"},
    {"LeadingSeparators", "  (x.y", false, "  (X.y"},
    {"EveryDelimiterSeparates", "a,b.c(d)e-f+g=h<i>j|k/l*m;n:o!p\"q'r\ts", true,
     "A,B.C(D)E-F+G=H<I>J|K/L*M;N:O!P\"Q'R\tS"},
    {"LowLineAndLineFeedDoNotSeparate", "a_b\nc\rd", true, "A_b\nc\rd"},
    {"DigitTakesTheCapital", "1abc def", true, "1abc Def"},
    {"NonAsciiTakesTheCapital", "ébc def", false, "ébc def"},
    {"Empty", "", true, ""},
};

INSTANTIATE_TEST_SUITE_P(Analysis, InitCapTest, ::testing::ValuesIn(kInitCapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MergeOperators, KeepsPositionOfFirstPart)
{
    CSQLParser engine;
    TokenizeAndSplit(engine, u"a\n <\n = b");
    MergeOperators(engine.m_aTokens);
    const std::vector<TokenRow> expected = {{TK_WORD, "a", 1}, {TK_COMPARE, "<=", 4, 2}, {TK_WORD, "b", 9, 3}};
    EXPECT_EQ(Rows(engine.m_aTokens), expected);
}

TEST(MarkFunctions, MarksOnlyWords)
{
    CSQLParser engine;
    TokenizeAndSplit(engine, u"f(g(+) h (");
    MarkFunctions(engine.m_aTokens);
    const std::vector<KindText> expected = {{TK_FUNCTION, "f"}, {TK_DELIMITER, "("}, {TK_WORD, "g"},
                                            {TK_DELIMITER, "("}, {TK_DELIMITER, "+"}, {TK_DELIMITER, ")"},
                                            {TK_FUNCTION, "h"}, {TK_DELIMITER, "("}};
    EXPECT_EQ(KindTexts(engine.m_aTokens), expected);
}
} // namespace

namespace
{
// Analyse runs its steps in one walk; the result must be that of running them
// one after the other over the whole array.
void ExpectSameAsSeparateSteps(const std::u16string& text, bool format)
{
    CSQLParser fused;
    fused.m_Options.m_Capitalisation.m_nBindVars = CAP_INITCAP_EACH;
    fused.m_Options.m_Capitalisation.m_nComments = CAP_INITCAP;
    TokenizeAndSplit(fused, text);
    Analyse(fused, fused.m_aTokens, format);

    CSQLParser stepwise;
    stepwise.m_Options.m_Capitalisation.m_nBindVars = CAP_INITCAP_EACH;
    stepwise.m_Options.m_Capitalisation.m_nComments = CAP_INITCAP;
    TokenizeAndSplit(stepwise, text);
    for (CBaseToken& t : stepwise.m_aTokens)
        ClassifyWord(t, stepwise);
    MarkFunctions(stepwise.m_aTokens);
    if (format)
        MergeOperators(stepwise.m_aTokens);
    for (CBaseToken& t : stepwise.m_aTokens)
        ApplyCase(stepwise, t);

    EXPECT_EQ(Rows(fused.m_aTokens), Rows(stepwise.m_aTokens));
}
} // namespace

TEST(Analyse, OneWalkEqualsTheStepsInTurn)
{
    const std::u16string text =
        u"select f(a), g(+), count(*), x.y(1) from t where a<=>b and c||d|||e and :v = : w\n"
        u"and h := 1; k::l, :'lit', :\"Q\" -- note here\n/* block */ m ( n ) o|| p != q >= r = s < :";
    ExpectSameAsSeparateSteps(text, true);
    ExpectSameAsSeparateSteps(text, false);
}
