// The options' round trip through a profile store: defaults written as text on
// a first run, the marker rule, and the lenient loading of stored values.
#include "Options.h"
#include "ProfileStore.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct StoredValue
{
    const char* section;
    const char* name;
    const char* text;
};

// Every stored field with its default, as a fresh store must hold it.
const StoredValue kDefaults[] = {
    {"Options\\CParentheses", "m_nSpace", "1"},
    {"Options\\CCommas", "m_nSpace", "2"},
    {"Options\\CCommas", "m_nListComma", "0"},
    {"Options\\CCommas", "m_nListCommaCorrection", "0"},
    {"Options\\CCommas", "m_nStackedWrappedLength", "50"},
    {"Options\\CAlignment", "m_bRight", "1"},
    {"Options\\CComments", "m_bRemoveComments", "0"},
    {"Options\\CComments", "m_bDontRemoveHints", "1"},
    {"Options\\CComments", "m_bCommentsOnNewLineBefore", "0"},
    {"Options\\CComments", "m_bCommentsOnNewLineAfter", "0"},
    {"Options\\CComments", "m_bCommentsOnNewLineLikeInInputSQL", "1"},
    {"Options\\CSelect", "m_bAlignColumnsAfterDistinct", "0"},
    {"Options\\CSelect", "m_nColumnListComma", "1"},
    {"Options\\CSelect", "m_nAlignColumnListCorrection", "0"},
    {"Options\\CSelect", "m_nFromListComma", "1"},
    {"Options\\CSelect", "m_nAlignFromListCorrection", "0"},
    {"Options\\CSelect", "m_bSelectColumnListStyle", "0"},
    {"Options\\CSelect", "m_bFromClauseStyle", "0"},
    {"Options\\CSelect", "m_bOrderByClauseStyle", "0"},
    {"Options\\CSelect", "m_nOrderByListComma", "1"},
    {"Options\\CSelect", "m_nAlignOrderByListCorrection", "0"},
    {"Options\\CSelect", "m_bGroupByClauseStyle", "0"},
    {"Options\\CSelect", "m_nGroupByListComma", "1"},
    {"Options\\CSelect", "m_nAlignGroupByListCorrection", "0"},
    {"Options\\CSelect", "m_nWithListComma", "2"},
    {"Options\\CSelect", "m_nAlignWithListCorrection", "0"},
    {"Options\\CSelect", "m_bNewLineBeforeAsKeyword", "1"},
    {"Options\\CInsert", "m_bIntoClauseStyle", "0"},
    {"Options\\CInsert", "m_nIntoListComma", "1"},
    {"Options\\CInsert", "m_nIntoListCorrection", "0"},
    {"Options\\CInsert", "m_bValuesClauseStyle", "0"},
    {"Options\\CInsert", "m_nValuesListComma", "1"},
    {"Options\\CInsert", "m_nValuesListCorrection", "0"},
    {"Options\\CCapitalisation", "m_nKeywords", "0"},
    {"Options\\CCapitalisation", "m_nDataTypes", "0"},
    {"Options\\CCapitalisation", "m_nFunctions", "1"},
    {"Options\\CCapitalisation", "m_nStFunctions", "0"},
    {"Options\\CCapitalisation", "m_nBindVars", "3"},
    {"Options\\CCapitalisation", "m_nComments", "3"},
    {"Options\\CCapitalisation", "m_nOther", "1"},
    {"Options\\CCase", "m_bCaseWhenThenInSameLine", "0"},
    {"Options\\CCase", "m_nIdentCaseFromSwitch", "2"},
    {"Options\\CCase", "m_nIdentThenFromWhen", "0"},
    {"Options\\CPlsql", "m_bLayoutBlocks", "1"},
    {"Options\\CPlsql", "m_nBlockIndent", "2"},
    {"Options\\CGeneral", "m_nLeftMargin", "0"},
    {"Options\\CGeneral", "m_bAutoDetectLeftMargin", "0"},
    {"Options\\CGeneral", "m_bStartWithStartUp", "1"},
    {"Options\\CGeneral", "m_nTabSize", "4"},
    {"Options\\CGeneral", "m_sStr", "Str"},
    {"Options\\CGeneral", "m_nHkShowQMK", "0"},
    {"Options\\CGeneral", "m_nHkFormatClipboard", "0"},
};

size_t ValueCount(const CMemoryProfileStore& store)
{
    size_t n = 0;
    for (const auto& section : store.m_aSections)
        n += section.second.size();
    return n;
}

TEST(OptionsStore, FreshStoreGetsEveryDefaultAsText)
{
    CMemoryProfileStore store;
    {
        COptions options(&store);
    }
    for (const StoredValue& v : kDefaults)
        EXPECT_EQ(store.GetString(v.section, v.name), std::optional<std::string>(v.text))
            << v.section << " " << v.name;
    EXPECT_EQ(ValueCount(store), std::size(kDefaults)); // nothing else, no right margin
    EXPECT_EQ(store.m_aSections.size(), 10u);
}

// The descriptors, walked group by group, are exactly the stored fields in
// table order: the order in which a store receives them.
TEST(OptionsStore, DescriptorsFollowTheTableOrder)
{
    COptions options;
    size_t row = 0;
    for (const COptions::COptElementBase* group : options.m_aGroups)
        for (const auto& info : group->m_aInfo)
        {
            ASSERT_LT(row, std::size(kDefaults));
            EXPECT_EQ(group->SectionName(), kDefaults[row].section) << info.m_sName;
            EXPECT_EQ(info.m_sName, kDefaults[row].name);
            EXPECT_EQ(COptions::COptElementBase::FieldText(info), kDefaults[row].text) << info.m_sName;
            ++row;
        }
    EXPECT_EQ(row, std::size(kDefaults));
}

TEST(OptionsStore, FirstLoadWritesDefaultsBeforeDestruction)
{
    CMemoryProfileStore store;
    COptions options(&store);
    EXPECT_EQ(ValueCount(store), std::size(kDefaults));
}

TEST(OptionsStore, NoStoreKeepsDefaultsAndSavesNothing)
{
    COptions options;
    EXPECT_EQ(options.m_Commas.m_nStackedWrappedLength, 50);
    EXPECT_EQ(options.m_Commas.m_nRightMarginLength, 100);
    EXPECT_EQ(options.m_General.m_sStr, u"Str");
    options.SaveAll(); // no store: must do nothing
}

TEST(OptionsStore, StoreWithoutMarkerIsRewrittenWithDefaults)
{
    CMemoryProfileStore store;
    store.WriteString("Options\\CCommas", "m_nStackedWrappedLength", "7");
    store.WriteString("Options\\CGeneral", "m_nTabSize", "9");
    COptions options(&store);
    EXPECT_EQ(options.m_Commas.m_nStackedWrappedLength, 50);
    EXPECT_EQ(options.m_General.m_nTabSize, 4);
    EXPECT_EQ(store.GetString("Options\\CCommas", "m_nStackedWrappedLength"), "50");
    EXPECT_EQ(store.GetString("Options\\CGeneral", "m_sStr"), "Str");
}

TEST(OptionsStore, EmptyMarkerCountsAsMissing)
{
    CMemoryProfileStore store;
    {
        COptions options(&store);
    }
    store.WriteString("Options\\CGeneral", "m_sStr", "");
    store.WriteString("Options\\CCase", "m_nIdentCaseFromSwitch", "6");
    COptions options(&store);
    EXPECT_EQ(options.m_Case.m_nIdentCaseFromSwitch, 2);
    EXPECT_EQ(store.GetString("Options\\CGeneral", "m_sStr"), "Str");
}

TEST(OptionsStore, SavedChangesLoadBack)
{
    CMemoryProfileStore store;
    {
        COptions options(&store);
        options.m_Select.m_bSelectColumnListStyle = true;
        options.m_Capitalisation.m_nKeywords = CAP_INITCAP_EACH;
        options.m_General.m_nLeftMargin = -1;
        options.m_General.m_sStr = u"Strä";
        options.m_Commas.m_nRightMarginLength = 80;
    }
    COptions options(&store);
    EXPECT_TRUE(options.m_Select.m_bSelectColumnListStyle);
    EXPECT_EQ(options.m_Capitalisation.m_nKeywords, CAP_INITCAP_EACH);
    EXPECT_EQ(options.m_General.m_nLeftMargin, -1);
    EXPECT_EQ(options.m_General.m_sStr, u"Strä");
    EXPECT_EQ(options.m_Commas.m_nRightMarginLength, 100); // never stored
}

// A store written before the PL/SQL group existed holds the marker and every
// other group but nothing of CPlsql: the group keeps its defaults (the layout
// stays on) and writes them, instead of reading both fields as absent.
TEST(OptionsStore, GroupAddedLaterKeepsDefaultsInAnOlderStore)
{
    CMemoryProfileStore store;
    {
        COptions options(&store);
    }
    store.DeleteSection("Options\\CPlsql");
    store.WriteString("Options\\CCase", "m_nIdentCaseFromSwitch", "6");
    COptions options(&store);
    EXPECT_TRUE(options.m_Plsql.m_bLayoutBlocks);
    EXPECT_EQ(options.m_Plsql.m_nBlockIndent, 2);
    EXPECT_EQ(options.m_Case.m_nIdentCaseFromSwitch, 6);
    EXPECT_EQ(store.GetString("Options\\CPlsql", "m_bLayoutBlocks"), "1");
}

struct LenientCase
{
    const char* label;
    const char* section;
    const char* name;
    std::optional<const char*> stored; // nothing: the value is absent
    int32_t expected;
};

int32_t FieldValue(const COptions& options, const char* section, const char* name)
{
    std::string group = std::string(section).substr(std::string("Options\\").size());
    const auto* info = options.FindGroup(group)->FindField(name);
    if (info->m_nType == OPT_BOOL)
        return *static_cast<const bool*>(info->m_pField);
    return *static_cast<const int32_t*>(info->m_pField);
}

class OptionsLenientLoad : public testing::TestWithParam<LenientCase>
{
};

TEST_P(OptionsLenientLoad, LoadsLikeTheStoreReader)
{
    const LenientCase& c = GetParam();
    CMemoryProfileStore store;
    {
        COptions options(&store);
    }
    if (c.stored)
        store.WriteString(c.section, c.name, *c.stored);
    else
        store.m_aSections[c.section].erase(c.name);
    COptions options(&store);
    EXPECT_EQ(FieldValue(options, c.section, c.name), c.expected);
}

const LenientCase kLenientCases[] = {
    {"MissingIntIsZero", "Options\\CCommas", "m_nStackedWrappedLength", std::nullopt, 0},
    {"MissingBoolIsFalse", "Options\\CAlignment", "m_bRight", std::nullopt, 0},
    {"TrailingLetters", "Options\\CGeneral", "m_nTabSize", "8x", 8},
    {"NoDigits", "Options\\CGeneral", "m_nTabSize", "x", 0},
    {"EmptyText", "Options\\CGeneral", "m_nTabSize", "", 0},
    {"LeadingBlanks", "Options\\CGeneral", "m_nTabSize", " \t 12", 12},
    {"Negative", "Options\\CGeneral", "m_nLeftMargin", "-1", -1},
    {"PlusSign", "Options\\CGeneral", "m_nLeftMargin", "+7", 7},
    {"SignAlone", "Options\\CGeneral", "m_nLeftMargin", "-", 0},
    {"BlankAfterSign", "Options\\CGeneral", "m_nLeftMargin", "- 3", 0},
    {"Decimal", "Options\\CGeneral", "m_nLeftMargin", "3.9", 3},
    {"Hex", "Options\\CGeneral", "m_nLeftMargin", "0x10", 0},
    {"HugeClampsHigh", "Options\\CGeneral", "m_nLeftMargin", "99999999999999999999999", INT32_MAX},
    {"HugeClampsLow", "Options\\CGeneral", "m_nLeftMargin", "-99999999999999999999999", INT32_MIN},
    {"IntMax", "Options\\CGeneral", "m_nLeftMargin", "2147483647", INT32_MAX},
    {"IntMin", "Options\\CGeneral", "m_nLeftMargin", "-2147483648", INT32_MIN},
    {"JustAboveIntMax", "Options\\CGeneral", "m_nLeftMargin", "2147483648", INT32_MAX},
    {"BoolFromTwo", "Options\\CAlignment", "m_bRight", "2", 1},
    {"BoolFromNegative", "Options\\CAlignment", "m_bRight", "-1", 1},
    {"BoolFromWord", "Options\\CAlignment", "m_bRight", "true", 0},
    {"ListValueOutOfSet", "Options\\CCapitalisation", "m_nKeywords", "42", 42},
    // Once the group has a value in the store, a missing one reads as absent.
    {"GroupAddedLaterMissingOneValue", "Options\\CPlsql", "m_bLayoutBlocks", std::nullopt, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, OptionsLenientLoad, testing::ValuesIn(kLenientCases),
                         [](const auto& info) { return std::string(info.param.label); });

// An empty string value leaves the field unchanged. The marker is the only
// string field, and an empty marker means "rewrite", so the rule is checked
// on the field setter that loading uses.
TEST(OptionsStore, EmptyStringValueKeepsField)
{
    COptions options;
    const auto* info = options.m_General.FindField("m_sStr");
    COptions::COptElementBase::SetFieldFromText(*info, "");
    EXPECT_EQ(options.m_General.m_sStr, u"Str");
    COptions::COptElementBase::SetFieldFromText(*info, "x");
    EXPECT_EQ(options.m_General.m_sStr, u"x");
}

TEST(OptionsStore, CopyValuesFromCopiesEveryField)
{
    COptions source;
    source.m_Parentheses.m_nSpace = 3;
    source.m_Comments.m_bRemoveComments = true;
    source.m_General.m_sStr = u"Other";
    source.m_Commas.m_nRightMarginLength = 7;
    COptions target;
    target.CopyValuesFrom(source);
    EXPECT_EQ(target.m_Parentheses.m_nSpace, 3);
    EXPECT_TRUE(target.m_Comments.m_bRemoveComments);
    EXPECT_EQ(target.m_General.m_sStr, u"Other");
    EXPECT_EQ(target.m_Commas.m_nRightMarginLength, 7);
}

TEST(OptionsStore, ReadOnlyStoreLoadsButNeverWrites)
{
    CMemoryProfileStore store;
    {
        COptions options(&store);
    }
    store.WriteString("Options\\CCase", "m_nIdentThenFromWhen", "5");
    CReadOnlyProfileStore readOnly(store);
    {
        COptions options(&readOnly);
        EXPECT_EQ(options.m_Case.m_nIdentThenFromWhen, 5);
        options.m_Case.m_nIdentThenFromWhen = 9;
    }
    EXPECT_EQ(store.GetString("Options\\CCase", "m_nIdentThenFromWhen"), "5");
}

struct Utf8Case
{
    const char* label;
    std::string utf8;
    std::u16string utf16;
};

class OptionsUtf8 : public testing::TestWithParam<Utf8Case>
{
};

TEST_P(OptionsUtf8, DecodesWithReplacement)
{
    EXPECT_EQ(OptionUtf8ToUtf16(GetParam().utf8), GetParam().utf16);
}

const Utf8Case kUtf8Cases[] = {
    {"Ascii", "Str", u"Str"},
    {"TwoBytes", "\xC3\xA4", u"\u00E4"},
    {"ThreeBytes", "\xE2\x82\xAC", u"\u20AC"},
    {"FourBytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
    {"LoneContinuation", "a\x80z", u"a\uFFFDz"},
    {"Truncated", "a\xE2\x82", u"a\uFFFD\uFFFD"},
    {"Overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
    {"Surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
};

INSTANTIATE_TEST_SUITE_P(Cases, OptionsUtf8, testing::ValuesIn(kUtf8Cases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(OptionsUtf8, LoneSurrogateEncodesAsReplacement)
{
    EXPECT_EQ(OptionUtf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(OptionUtf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

} // namespace
