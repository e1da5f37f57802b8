// The word lists and the classification of words by them.
#include "EngineTestHelpers.h"
#include "WordLists.h"

#include <set>

namespace
{
struct ClassifyCase
{
    const char* name;
    std::string word;
    int kind;
    int code;
};

class ClassifyWordTest : public ::testing::TestWithParam<ClassifyCase>
{
};

TEST_P(ClassifyWordTest, GivesCategory)
{
    CSQLParser engine;
    TokenizeAndSplit(engine, U(GetParam().word));
    ASSERT_EQ(engine.m_aTokens.size(), 1u);
    CBaseToken& token = engine.m_aTokens[0];
    ClassifyWord(token, engine);
    EXPECT_EQ(token.m_nKind, GetParam().kind);
    EXPECT_EQ(token.m_nCode, GetParam().code);
}

const ClassifyCase kClassifyCases[] = {
    {"LowerKeyword", "select", TK_KEYWORD, KW_SELECT},
    {"MixedKeyword", "Select", TK_KEYWORD, 1},
    {"UpperKeyword", "SELECT", TK_KEYWORD, 1},
    {"From", "from", TK_KEYWORD, 26},
    {"With", "WITH", TK_KEYWORD, 87},
    {"Columns", "columns", TK_KEYWORD, 110},
    {"DataType", "Varchar2", TK_DATATYPE, 0},
    {"MixedCaseListedDataType", "xmltype", TK_DATATYPE, 0},
    {"StandardFunction", "to_char", TK_STDFUNCTION, 0},
    {"ReplaceIsStandardFunction", "replace", TK_STDFUNCTION, 0},
    {"RegrPrefixAlone", "REGR_", TK_STDFUNCTION, 0},
    {"RegrLongerWord", "regr_slope", TK_WORD, 0},
    {"Number", "123", TK_NUMBER, 0},
    {"DigitsThenLetter", "12a", TK_WORD, 0},
    {"Exponent", "1e5", TK_WORD, 0},
    {"True", "true", TK_KEYWORD, KW_TRUE},
    {"False", "False", TK_KEYWORD, KW_FALSE},
    {"Type", "TYPE", TK_KEYWORD, KW_TYPE},
    {"NonAsciiLetter", "sélect", TK_WORD, 0},
    {"DotlessI", "\u0131n", TK_WORD, 0},
    {"Identifier", "employees", TK_WORD, 0},
    {"QuotedKeyword", "\"select\"", TK_QUOTED, 0},
    {"Literal", "'select'", TK_STRING, 0},
    {"Comment", "--select", TK_COMMENT, 1},
    {"VeryLongWord", std::string(100, 'a'), TK_WORD, 0},
    {"LongDigits", std::string(100, '7'), TK_NUMBER, 0},
};

INSTANTIATE_TEST_SUITE_P(WordLists, ClassifyWordTest, ::testing::ValuesIn(kClassifyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WordLists, HoldTheirFixedCounts)
{
    CSQLParser engine;
    EXPECT_EQ(engine.m_aRecoWords.size(), 113u);
    EXPECT_EQ(engine.m_aDataTypes.size(), 37u);
    EXPECT_EQ(engine.m_aStdFunctions.size(), 182u);
    std::set<std::u16string> words;
    for (const CSQLParser::CRecoWord& w : engine.m_aRecoWords)
        EXPECT_TRUE(words.insert(w.m_sWord).second) << N(w.m_sWord);
    for (int code = 1; code <= 110; ++code)
        EXPECT_EQ(engine.m_aRecoWords[static_cast<size_t>(code) - 1].m_nCode, code);
}

TEST(WordLists, RebuildingDoesNotDuplicate)
{
    CSQLParser engine;
    BuildWordLists(engine);
    EXPECT_EQ(engine.m_aRecoWords.size(), 113u);
    ClearRecoWords(engine);
    EXPECT_TRUE(engine.m_aRecoWords.empty());
}

// The hash lookup must agree with walking the three lists in order, with the
// later list's result standing.
TEST(WordLists, HashLookupAgreesWithOrderedWalk)
{
    CSQLParser engine;
    auto equalWords = [](std::u16string_view a, std::u16string_view b) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
        {
            auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
            if (fold(a[i]) != fold(b[i]))
                return false;
        }
        return true;
    };
    std::vector<std::u16string> probes;
    for (const auto& w : engine.m_aRecoWords)
        probes.push_back(w.m_sWord);
    probes.insert(probes.end(), engine.m_aDataTypes.begin(), engine.m_aDataTypes.end());
    probes.insert(probes.end(), engine.m_aStdFunctions.begin(), engine.m_aStdFunctions.end());
    const size_t listed = probes.size();
    for (size_t i = 0; i < listed; ++i)
    {
        std::u16string lower = probes[i];
        for (char16_t& c : lower)
            if (c >= u'A' && c <= u'Z')
                c = char16_t(c + 32);
        probes.push_back(lower);
        probes.push_back(probes[i] + u"X");
        probes.push_back(probes[i].substr(1));
    }
    for (const std::u16string& probe : probes)
    {
        if (probe.empty())
            continue;
        int kind = TK_WORD;
        int code = 0;
        for (const auto& w : engine.m_aRecoWords)
            if (equalWords(w.m_sWord, probe))
            {
                kind = TK_KEYWORD;
                code = w.m_nCode;
                break;
            }
        for (const auto& w : engine.m_aDataTypes)
            if (equalWords(w, probe))
            {
                kind = TK_DATATYPE;
                code = 0;
                break;
            }
        for (const auto& w : engine.m_aStdFunctions)
            if (equalWords(w, probe))
            {
                kind = TK_STDFUNCTION;
                code = 0;
                break;
            }
        CBaseToken token;
        token.m_sText = probe;
        ClassifyWord(token, engine);
        EXPECT_EQ(token.m_nKind, kind) << N(probe);
        EXPECT_EQ(token.m_nCode, code) << N(probe);
    }
}
} // namespace
