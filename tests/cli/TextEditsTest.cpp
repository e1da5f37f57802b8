// Line edits: exact edits for small cases, and for random texts edits that
// rebuild the new text and leave every common line out.
#include "TextEdits.h"

#include <gtest/gtest.h>

#include <random>

using namespace qmcli;

namespace
{

struct CEditCase
{
    const char* m_sName;
    std::u16string m_sOld;
    std::u16string m_sNew;
    std::vector<CTextEdit> m_aEdits;
};

void PrintTo(const CEditCase& c, std::ostream* out)
{
    *out << c.m_sName;
}

class LineEditsTest : public ::testing::TestWithParam<CEditCase>
{
};

TEST_P(LineEditsTest, Edits)
{
    const CEditCase& c = GetParam();
    const auto edits = LineEdits(c.m_sOld, c.m_sNew);
    ASSERT_EQ(edits.size(), c.m_aEdits.size());
    for (size_t k = 0; k < edits.size(); ++k)
    {
        EXPECT_EQ(edits[k].m_nStart, c.m_aEdits[k].m_nStart) << "edit " << k;
        EXPECT_EQ(edits[k].m_nEnd, c.m_aEdits[k].m_nEnd) << "edit " << k;
        EXPECT_TRUE(edits[k].m_sNewText == c.m_aEdits[k].m_sNewText) << "edit " << k;
    }
    EXPECT_TRUE(ApplyEdits(c.m_sOld, edits) == c.m_sNew);
}

// Offsets count UTF-16 units: "é" is one, "𝄞" (a surrogate pair) two.
const CEditCase kCases[] = {
    {"Equal", u"a\nb\n", u"a\nb\n", {}},
    {"MiddleLineChanged", u"a\nb\nc\n", u"a\nB\nc\n", {{2, 4, u"B\n"}}},
    {"LineInserted", u"a\nc\n", u"a\nb\nc\n", {{2, 2, u"b\n"}}},
    {"LineRemoved", u"a\nb\nc\n", u"a\nc\n", {{2, 4, u""}}},
    {"TwoChangesApart", u"1\n2\n3\n4\n", u"X\n2\n3\nY\n", {{0, 2, u"X\n"}, {6, 8, u"Y\n"}}},
    {"IntoEmpty", u"", u"x\n", {{0, 0, u"x\n"}}},
    {"EverythingRemoved", u"x\ny", u"", {{0, 3, u""}}},
    {"FinalLineBreakAdded", u"a\nb", u"a\nb\n", {{2, 3, u"b\n"}}},
    {"CrLfLines", u"a\r\nb\r\n", u"a\r\nB\r\n", {{3, 6, u"B\r\n"}}},
    {"NonAsciiBefore", u"é𝄞\nselect\n", u"é𝄞\nSELECT\n", {{4, 11, u"SELECT\n"}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, LineEditsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(LineEditsProperty, RebuildTheNewTextAndKeepCommonLinesOut)
{
    std::mt19937 random(11);
    const std::u16string pieces[] = {u"a\n", u"b\n", u"é\n", u"𝄞\n", u"c\r\n"};
    for (int round = 0; round < 300; ++round)
    {
        std::vector<std::u16string> oldLines, newLines;
        for (int n = random() % 30; n > 0; --n)
            oldLines.push_back(pieces[random() % 5]);
        newLines = oldLines;
        // Rounds either only insert lines or only remove them, so that the
        // edits of a minimal diff only insert or only remove as well.
        const bool inserting = random() % 2;
        for (int e = random() % 6; e > 0; --e)
        {
            const size_t at = random() % (newLines.size() + 1);
            if (inserting)
                newLines.insert(newLines.begin() + at, u"new\n");
            else if (at < newLines.size())
                newLines.erase(newLines.begin() + at);
        }
        std::u16string oldText, newText;
        for (auto& line : oldLines)
            oldText += line;
        for (auto& line : newLines)
            newText += line;

        const auto edits = LineEdits(oldText, newText);
        EXPECT_TRUE(ApplyEdits(oldText, edits) == newText) << "round " << round;
        size_t previousEnd = 0;
        for (const CTextEdit& edit : edits)
        {
            EXPECT_LE(previousEnd, edit.m_nStart) << "round " << round;
            previousEnd = edit.m_nEnd;
            if (inserting)
            {
                EXPECT_EQ(edit.m_nStart, edit.m_nEnd) << "round " << round;
            }
            else
            {
                EXPECT_TRUE(edit.m_sNewText.empty()) << "round " << round;
            }
        }
        if (oldText == newText)
        {
            EXPECT_TRUE(edits.empty());
        }
    }
}

} // namespace
