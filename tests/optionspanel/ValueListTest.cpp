// The list vocabularies: which item a stored value shows, what each item
// stores, and the lenient number conversion of the edit boxes.
#include "PanelTest.h"

#include "DialogTemplate.h"
#include "InterfaceBehavior.h"
#include "ValueLists.h"

namespace {

using ::PrintTo;

struct CShowCase
{
    const char* m_sName;
    const CValueList* m_pList;
    int32_t m_nStored;
    const char* m_sShown;
};

class ValueListShows : public testing::TestWithParam<CShowCase> {};

TEST_P(ValueListShows, StoredValueSelectsItem)
{
    const CShowCase& row = GetParam();
    QComboBox list;
    FillValueList(list, *row.m_pList, row.m_nStored);
    EXPECT_EQ(list.currentText(), QString::fromUtf8(row.m_sShown));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ValueListShows,
    testing::Values(CShowCase{"CapUpper", &kCapitalisationList, 0, "Uppercase"},
                    CShowCase{"CapLower", &kCapitalisationList, 1, "Lowercase"},
                    CShowCase{"CapInitCap", &kCapitalisationList, 2, "InitCap"},
                    CShowCase{"CapStored3IsNoChange", &kCapitalisationList, 3, "No Change"},
                    CShowCase{"CapStored4IsInitCapEachWord", &kCapitalisationList, 4, "InitCap Each Word"},
                    CShowCase{"CapStored7ShowsUppercase", &kCapitalisationList, 7, "Uppercase"},
                    CShowCase{"CapNegativeShowsUppercase", &kCapitalisationList, -1, "Uppercase"},
                    CShowCase{"CommaSpaceStored0ShowsSpaceBefore", &kCommaSpacingList, 0, "Space before"},
                    CShowCase{"CommaSpaceAfter", &kCommaSpacingList, 2, "Space after"},
                    CShowCase{"CommaSpaceBoth", &kCommaSpacingList, 3, "Space before and after"},
                    CShowCase{"ParenInside", &kParenSpacingList, 2, "Space inside"},
                    CShowCase{"ParenUnknownShowsCompact", &kParenSpacingList, 9, "Compact"},
                    CShowCase{"CommaPosUnknownShowsAfter", &kCommaPositionList, 5, "After Comma"},
                    CShowCase{"CommaPosBeforeWithSpace", &kCommaPositionList, 2, "Before Comma With Space"},
                    CShowCase{"AlignmentRight", &kKeywordAlignmentList, 1, "Right"}),
    [](const testing::TestParamInfo<CShowCase>& info) { return std::string(info.param.m_sName); });

struct CStoreCase
{
    const char* m_sName;
    const CValueList* m_pList;
    int m_nIndex;
    int32_t m_nBefore;
    int32_t m_nStored;
};

class ValueListStores : public testing::TestWithParam<CStoreCase> {};

TEST_P(ValueListStores, ChosenItemStoresValue)
{
    const CStoreCase& row = GetParam();
    QComboBox list;
    FillValueList(list, *row.m_pList, 0);
    list.setCurrentIndex(row.m_nIndex);
    int32_t field = row.m_nBefore;
    ReadValueList(list, *row.m_pList, field);
    EXPECT_EQ(field, row.m_nStored);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ValueListStores,
    testing::Values(CStoreCase{"CapFourthItemStores4", &kCapitalisationList, 3, 0, 4},
                    CStoreCase{"CapFifthItemStores3", &kCapitalisationList, 4, 0, 3},
                    CStoreCase{"CapThirdItemStores2", &kCapitalisationList, 2, 0, 2},
                    CStoreCase{"CapNoSelectionKeepsField", &kCapitalisationList, -1, 7, 7},
                    CStoreCase{"CommaSpaceFirstItemStores1", &kCommaSpacingList, 0, 0, 1},
                    CStoreCase{"CommaSpaceLastItemStores3", &kCommaSpacingList, 2, 0, 3},
                    CStoreCase{"ParenLastItemStores3", &kParenSpacingList, 3, 0, 3},
                    CStoreCase{"CommaPosNoSelectionKeepsField", &kCommaPositionList, -1, 2, 2}),
    [](const testing::TestParamInfo<CStoreCase>& info) { return std::string(info.param.m_sName); });

TEST(ValueLists, CapitalisationItemsInListOrder)
{
    QComboBox list;
    FillValueList(list, kCapitalisationList, 0);
    EXPECT_EQ(ListItems(&list), (QStringList{"Uppercase", "Lowercase", "InitCap", "InitCap Each Word", "No Change"}));
}

TEST(InterfaceBehavior, ListStyleAndCommaPosition)
{
    CInterfaceBehavior behaviour;
    QComboBox style;
    behaviour.FillListStyleCombo(style, true);
    EXPECT_EQ(ListItems(&style), (QStringList{"Stacked", "Wrapped"}));
    EXPECT_EQ(style.currentText(), "Wrapped");
    EXPECT_TRUE(behaviour.ReadListStyle(style));
    style.setCurrentIndex(0);
    EXPECT_FALSE(behaviour.ReadListStyle(style));

    QComboBox comma;
    behaviour.FillCommaPositionCombo(comma, 1);
    EXPECT_EQ(ListItems(&comma), (QStringList{"After Comma", "Before Comma", "Before Comma With Space"}));
    EXPECT_EQ(comma.currentIndex(), 1);
    int32_t field = 0;
    comma.setCurrentIndex(2);
    behaviour.ReadCommaPosition(comma, field);
    EXPECT_EQ(field, 2);
    comma.setCurrentIndex(-1);
    behaviour.ReadCommaPosition(comma, field);
    EXPECT_EQ(field, 2) << "no selection leaves the field as it was";
}

struct CNumberCase
{
    const char* m_sName;
    const char* m_sText;
    int32_t m_nValue;
};

class TextToIntConverts : public testing::TestWithParam<CNumberCase> {};

TEST_P(TextToIntConverts, LikeTheCLibrary)
{
    EXPECT_EQ(TextToInt(QString::fromUtf8(GetParam().m_sText)), GetParam().m_nValue);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, TextToIntConverts,
    testing::Values(CNumberCase{"Empty", "", 0}, CNumberCase{"Digits", "12", 12},
                    CNumberCase{"LeadingBlanks", "  7", 7}, CNumberCase{"StopsAtLetter", "42abc", 42},
                    CNumberCase{"Negative", "-3", -3}, CNumberCase{"Plus", "+5", 5},
                    CNumberCase{"NotANumber", "abc", 0}, CNumberCase{"SignOnly", "-", 0},
                    CNumberCase{"HugeIsClamped", "99999999999999999999", 2147483647},
                    CNumberCase{"HugeNegativeIsClamped", "-99999999999999999999", -2147483647 - 1}),
    [](const testing::TestParamInfo<CNumberCase>& info) { return std::string(info.param.m_sName); });

} // namespace
