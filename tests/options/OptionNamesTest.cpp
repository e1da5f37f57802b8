// The readable names beside the options: one key per field in field order,
// and the strict reading of a value by its key's words and range.
#include "OptionNames.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace
{

TEST(OptionNames, EveryFieldHasOneKeyInFieldOrder)
{
    const COptions options;
    const auto& sections = OptionSections();
    ASSERT_EQ(sections.size(), options.m_aGroups.size());
    std::set<std::string_view> sectionNames;
    for (size_t g = 0; g < sections.size(); ++g)
    {
        const COptions::COptElementBase& group = *options.m_aGroups[g];
        const COptionSection& section = sections[g];
        EXPECT_EQ(section.m_sGroup, group.m_sName);
        EXPECT_TRUE(sectionNames.insert(section.m_sSection).second) << section.m_sSection;

        std::vector<std::string> fields;
        for (const auto* list : {&group.m_aInfo, &group.m_aUnstoredInfo})
            for (const auto& info : *list)
                fields.push_back(info.m_sName);
        std::vector<std::string> keyed;
        std::set<std::string_view> keys;
        for (const COptionKey& key : section.m_aKeys)
        {
            keyed.emplace_back(key.m_sField);
            EXPECT_TRUE(key.m_sKey.empty() || keys.insert(key.m_sKey).second) << key.m_sKey;
            for (char c : key.m_sKey)
                EXPECT_TRUE(std::islower(static_cast<unsigned char>(c)) || c == '-') << key.m_sKey;
        }
        EXPECT_EQ(keyed, fields) << group.m_sName;
    }
}

TEST(OptionNames, DefaultsAreAllowedValues)
{
    const COptions defaults;
    for (const COptionSection& section : OptionSections())
        for (const COptionKey& key : section.m_aKeys)
        {
            const auto target = FindOptionKey(defaults, section, key.m_sField);
            ASSERT_TRUE(target) << key.m_sField;
            COptions scratch;
            const auto into = FindOptionKey(scratch, section, key.m_sField);
            std::string reason;
            EXPECT_TRUE(SetOptionFromText(*into, OptionValueText(*target), reason))
                << target->ReadableName() << ": " << reason;
        }
}

struct CValueCase
{
    const char* m_sName;
    const char* m_sSection;
    const char* m_sKey;
    const char* m_sText;
    std::optional<int32_t> m_nValue; // nothing: refused
};

class OptionValueTest : public ::testing::TestWithParam<CValueCase>
{
};

TEST_P(OptionValueTest, ReadsStrictly)
{
    const CValueCase& c = GetParam();
    COptions options;
    const COptionSection* section = FindOptionSection(c.m_sSection);
    ASSERT_TRUE(section);
    const auto target = FindOptionKey(options, *section, c.m_sKey);
    ASSERT_TRUE(target);
    std::string reason;
    const bool ok = SetOptionFromText(*target, c.m_sText, reason);
    ASSERT_EQ(ok, c.m_nValue.has_value()) << reason;
    if (!ok)
    {
        EXPECT_NE(reason.find(OptionAllowedValues(*target)), std::string::npos) << reason;
        return;
    }
    const int32_t value = target->m_pInfo->m_nType == OPT_BOOL
                              ? *static_cast<const bool*>(target->m_pInfo->m_pField)
                              : *static_cast<const int32_t*>(target->m_pInfo->m_pField);
    EXPECT_EQ(value, *c.m_nValue);
}

const CValueCase kValueCases[] = {
    {"WordOutOfValueOrder", "capitalisation", "keywords", "keep", CAP_NOCHANGE},
    {"WordAnyCase", "capitalisation", "keywords", "InitCap-Each-Word", CAP_INITCAP_EACH},
    {"NumberOfAWord", "Options\\CCapitalisation", "m_nKeywords", "4", CAP_INITCAP_EACH},
    {"NumberOutsideTheSet", "capitalisation", "keywords", "5", std::nullopt},
    {"CommaSpacingHasNoZero", "commas", "wrapped-spacing", "0", std::nullopt},
    {"CommaSpacingWord", "CCommas", "m_nSpace", "before-and-after", COMMASPACE_BOTH},
    {"SameFieldNameOtherGroup", "parentheses", "m_nSpace", "inside", PAREN_INSIDE},
    {"FlagWithWords", "select", "column-list-style", "wrapped", 1},
    {"FlagWithWordsTakesNumbers", "alignment", "keywords", "0", 0},
    {"FlagWithWordsRefusesTrue", "alignment", "keywords", "true", std::nullopt},
    {"PlainFlagYes", "comments", "remove", "yes", 1},
    {"PlainFlagOff", "comments", "keep-hints", "OFF", 0},
    {"PlainFlagTwo", "comments", "remove", "2", std::nullopt},
    {"BlanksAround", "general", "tab-size", " \t8 ", 8},
    {"RangeLowEnd", "general", "left-margin", "-1", -1},
    {"RangeBelow", "general", "left-margin", "-2", std::nullopt},
    {"RangeHighEnd", "case", "when-indent", "1000", 1000},
    {"RangeAbove", "case", "when-indent", "1001", std::nullopt},
    {"PlusSign", "commas", "stack-length", "+60", 60},
    {"TrailingLetters", "commas", "stack-length", "60x", std::nullopt},
    {"Empty", "commas", "stack-length", "", std::nullopt},
    {"Beyond32Bits", "Options\\CGeneral", "m_nHkShowQMK", "2147483648", std::nullopt},
    {"DesktopFieldTakesAnyNumber", "Options\\CGeneral", "m_nHkShowQMK", "-2147483648", INT32_MIN},
};

INSTANTIATE_TEST_SUITE_P(Cases, OptionValueTest, ::testing::ValuesIn(kValueCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(OptionNames, SectionsByAnyOfTheirNames)
{
    EXPECT_EQ(FindOptionSection("select"), FindOptionSection("Options\\CSelect"));
    EXPECT_EQ(FindOptionSection("SELECT"), FindOptionSection("CSelect"));
    EXPECT_EQ(FindOptionSection("Options\\select"), nullptr) << "a stored section is spelt as stored";
    EXPECT_EQ(FindOptionSection("cselect"), nullptr);
}

} // namespace
