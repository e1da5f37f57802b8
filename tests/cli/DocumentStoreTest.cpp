// Documents kept in step with an editor's changes: positions in UTF-16 units
// over every kind of line break, non-ASCII text and surrogate pairs, and
// changes that do not fit.
#include "DocumentStore.h"

#include <gtest/gtest.h>

using namespace qmcli;

namespace
{

struct CChangeCase
{
    const char* m_sName;
    std::u16string m_sText;
    std::vector<CTextChange> m_aChanges;
    std::u16string m_sExpected; // the text after the changes
    bool m_bFits = true;
};

void PrintTo(const CChangeCase& c, std::ostream* out)
{
    *out << c.m_sName;
}

CTextChange Replace(int64_t line0, int64_t char0, int64_t line1, int64_t char1, std::u16string text)
{
    return {CDocumentPosition{line0, char0}, CDocumentPosition{line1, char1}, std::move(text)};
}

// "é" is one UTF-16 unit, "𝄞" two (a surrogate pair).
const CChangeCase kCases[] = {
    {"InsertAtStart", u"select 1", {Replace(0, 0, 0, 0, u"-- q\n")}, u"-- q\nselect 1"},
    {"ReplaceOnSecondLine", u"a\nselect x\n", {Replace(1, 7, 1, 8, u"y")}, u"a\nselect y\n"},
    {"AfterNonAscii", u"é𝄞x\n", {Replace(0, 3, 0, 4, u"y")}, u"é𝄞y\n"},
    {"RemoveASurrogatePair", u"a𝄞b", {Replace(0, 1, 0, 3, u"")}, u"ab"},
    {"AcrossCrLf", u"a\r\nb\r\nc", {Replace(0, 1, 2, 0, u"-")}, u"a-c"},
    {"LoneCrIsALineBreak", u"a\rb\nc", {Replace(1, 0, 1, 1, u"B")}, u"a\rB\nc"},
    {"CharacterPastTheLineEndMeansItsEnd", u"ab\r\ncd", {Replace(0, 99, 0, 99, u"!")}, u"ab!\r\ncd"},
    {"EmptyLastLine", u"a\n", {Replace(1, 0, 1, 0, u"b")}, u"a\nb"},
    {"ChangesApplyInOrder", u"abc", {Replace(0, 0, 0, 1, u""), Replace(0, 0, 0, 1, u"X")}, u"Xc"},
    {"WholeText", u"old", {{std::nullopt, std::nullopt, u"new\n"}}, u"new\n"},
    {"LinePastTheEnd", u"a\n", {Replace(2, 0, 2, 0, u"x")}, u"a\n", false},
    {"NegativeCharacter", u"abc", {Replace(0, -1, 0, 1, u"x")}, u"abc", false},
    {"EndBeforeStart", u"abc", {Replace(0, 2, 0, 1, u"x")}, u"abc", false},
    {"StartInsideASurrogatePair", u"a𝄞b", {Replace(0, 2, 0, 2, u"x")}, u"a𝄞b", false},
    {"EndInsideASurrogatePair", u"a𝄞b", {Replace(0, 0, 0, 2, u"")}, u"a𝄞b", false},
    // Many edits sent from the bottom up in one message, as an editor applies
    // a formatting's, are applied in one pass: the result must be the same.
    {"BottomUpInOneMessage", u"a\nb\nc\nd\n",
     {Replace(3, 0, 4, 0, u"D\n"), Replace(1, 0, 2, 0, u"B1\nB2\n"), Replace(0, 0, 0, 1, u"A")},
     u"A\nB1\nB2\nc\nD\n"},
    {"BottomUpThenBelowAgain", u"a\nb\nc\n",
     {Replace(2, 0, 2, 1, u"C"), Replace(0, 0, 0, 1, u"A"), Replace(2, 0, 2, 1, u"X")}, u"A\nb\nX\n"},
    {"RightToLeftOnOneLine", u"abcde", {Replace(0, 4, 0, 5, u"E"), Replace(0, 0, 0, 1, u"A")}, u"AbcdE"},
    {"LineFeedInsertedAfterALoneCr", u"a\rb", {Replace(1, 0, 1, 0, u"\n"), Replace(0, 0, 0, 1, u"A")},
     u"A\r\nb"},
    {"BottomUpUpToTheOneThatDoesNotFit", u"a\nb\nc",
     {Replace(2, 0, 2, 0, u">"), Replace(1, -1, 1, 0, u"x")}, u"a\nb\n>c", false},
    {"AppliedUpToTheOneThatDoesNotFit", u"abc",
     {Replace(0, 0, 0, 0, u">"), Replace(5, 0, 5, 0, u"x")}, u">abc", false},
};

class DocumentChangeTest : public ::testing::TestWithParam<CChangeCase>
{
};

TEST_P(DocumentChangeTest, Text)
{
    const CChangeCase& c = GetParam();
    CDocumentStore store;
    store.Open("file:///q.sql", c.m_sText, 1);
    std::string error;
    EXPECT_EQ(store.Change("file:///q.sql", c.m_aChanges, 2, error), c.m_bFits) << error;
    const CDocument* document = store.Find("file:///q.sql");
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(document->m_sText == c.m_sExpected);
    EXPECT_EQ(document->m_nVersion, 2);
    EXPECT_EQ(document->m_sOutOfStep.empty(), c.m_bFits);
    EXPECT_EQ(error.empty(), c.m_bFits);
}

INSTANTIATE_TEST_SUITE_P(Cases, DocumentChangeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(DocumentStore, OutOfStepUntilTheWholeTextComes)
{
    CDocumentStore store;
    std::string error;
    EXPECT_FALSE(store.Change("file:///none.sql", {Replace(0, 0, 0, 0, u"x")}, 1, error));
    EXPECT_FALSE(store.Close("file:///none.sql"));

    store.Open("file:///q.sql", u"abc", 1);
    EXPECT_FALSE(store.Change("file:///q.sql", {Replace(9, 0, 9, 0, u"x")}, 2, error));
    EXPECT_TRUE(store.Change("file:///q.sql", {Replace(0, 0, 0, 0, u"x")}, 3, error));
    EXPECT_FALSE(store.Find("file:///q.sql")->m_sOutOfStep.empty());
    EXPECT_TRUE(store.Change("file:///q.sql", {{std::nullopt, std::nullopt, u"fresh"}}, 4, error));
    EXPECT_TRUE(store.Find("file:///q.sql")->m_sOutOfStep.empty());
    EXPECT_TRUE(store.Close("file:///q.sql"));
    EXPECT_EQ(store.Find("file:///q.sql"), nullptr);
}

TEST(LineIndex, EveryOffsetOutsideALineBreakRoundTrips)
{
    const std::u16string text = u"é𝄞\r\nx\ry\n\n𝄞";
    const CLineIndex index(text);
    for (size_t offset = 0; offset <= text.size(); ++offset)
    {
        if (offset > 0 && text[offset - 1] == u'\r' && offset < text.size() && text[offset] == u'\n')
            continue;
        const CDocumentPosition position = index.PositionOf(offset);
        EXPECT_EQ(index.OffsetOf(position), offset)
            << "offset " << offset << " at " << position.m_nLine << ":" << position.m_nCharacter;
    }
    EXPECT_EQ(index.PositionOf(text.size()).m_nLine, 4);
    EXPECT_EQ(index.PositionOf(text.size()).m_nCharacter, 2);
}

} // namespace
