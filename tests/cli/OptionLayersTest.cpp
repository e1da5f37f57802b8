// Options files read strictly, --set, and the dump that reads back.
#include "OptionLayers.h"

#include <gtest/gtest.h>

using namespace qmcli;

namespace
{

struct COptionsTextCase
{
    const char* m_sName;
    const char* m_sText;
    std::vector<std::string> m_aErrors; // substrings, one per expected error line, in order
    std::function<void(const COptions&)> m_Check;
};

class OptionsTextTest : public ::testing::TestWithParam<COptionsTextCase>
{
};

TEST_P(OptionsTextTest, Applies)
{
    const COptionsTextCase& c = GetParam();
    COptions options;
    std::vector<std::string> errors;
    const bool ok = ApplyOptionsText(c.m_sText, "team.ini", options, errors);
    EXPECT_EQ(ok, c.m_aErrors.empty());
    ASSERT_EQ(errors.size(), c.m_aErrors.size()) << (errors.empty() ? "" : errors[0]);
    for (size_t i = 0; i < errors.size(); ++i)
        EXPECT_NE(errors[i].find(c.m_aErrors[i]), std::string::npos) << errors[i];
    if (c.m_Check)
        c.m_Check(options);
}

const COptionsTextCase kTextCases[] = {
    {"EmptyFileKeepsDefaults", "", {},
     [](const COptions& o) {
         EXPECT_EQ(o.m_Commas.m_nStackedWrappedLength, 50);
         EXPECT_TRUE(o.m_Alignment.m_bRight);
     }},
    {"OnlyNamedFieldsChange_NoMarkerNeeded",
     "; team settings\n[Options\\CCapitalisation]\nm_nKeywords=1\n\n[Options\\CAlignment]\nm_bRight=0\n", {},
     [](const COptions& o) {
         EXPECT_EQ(o.m_Capitalisation.m_nKeywords, 1);
         EXPECT_FALSE(o.m_Alignment.m_bRight);
         EXPECT_EQ(o.m_Capitalisation.m_nOther, 1) << "an unnamed field keeps its default";
         EXPECT_EQ(o.m_Commas.m_nStackedWrappedLength, 50);
     }},
    {"CrLfAndNegativeNumbers", "[Options\\CGeneral]\r\nm_nLeftMargin=-1\r\n", {},
     [](const COptions& o) { EXPECT_EQ(o.m_General.m_nLeftMargin, -1); }},
    {"UnknownSection", "[Options\\CSelekt]\nm_nColumnListComma=0\n",
     {"team.ini:1: unknown section [Options\\CSelekt]"}, {}},
    {"SectionOutsideOptions", "[Workspace]\nx=1\n", {"team.ini:1: unknown section [Workspace]"}, {}},
    {"UnknownField", "[Options\\CSelect]\nm_nColumnListComa=0\n",
     {"team.ini:2: unknown field 'm_nColumnListComa' in [Options\\CSelect]"}, {}},
    {"UnstoredFieldIsUnknown", "[Options\\CCommas]\nm_nRightMarginLength=80\n",
     {"team.ini:2: unknown field 'm_nRightMarginLength'"}, {}},
    {"NotAWholeNumber", "[Options\\CCommas]\nm_nStackedWrappedLength=8x\n",
     {"team.ini:2: CCommas.m_nStackedWrappedLength needs a whole number, not '8x'"}, {}},
    {"FlagNotZeroOrOne", "[Options\\CAlignment]\nm_bRight=yes\n",
     {"team.ini:2: CAlignment.m_bRight needs 0 or 1, not 'yes'"}, {}},
    {"ValueBeforeAnySection", "m_nKeywords=1\n", {"team.ini:1: 'm_nKeywords' stands before any"}, {}},
    {"MalformedLine", "[Options\\CCase]\njust words\n", {"team.ini:2:"}, {}},
    {"EveryErrorIsReported",
     "[Options\\CCase]\nm_nIdentCaseFromSwitch=x\nm_nNope=1\n",
     {"team.ini:2:", "team.ini:3:"}, {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, OptionsTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(ApplySettingTest, SetsOrNamesWhatIsWrong)
{
    struct
    {
        const char* group;
        const char* field;
        const char* value;
        const char* error; // null: accepted
    } rows[] = {
        {"CCapitalisation", "m_nKeywords", "1", nullptr},
        {"CGeneral", "m_sStr", "Other", nullptr},
        {"CComments", "m_bRemoveComments", "1", nullptr},
        {"CCapitalisaton", "m_nKeywords", "1", "unknown group 'CCapitalisaton'"},
        {"CCapitalisation", "m_nKeyword", "1", "unknown field 'm_nKeyword' in CCapitalisation"},
        {"CCapitalisation", "m_nKeywords", "one", "needs a whole number, not 'one'"},
        {"CCapitalisation", "m_nKeywords", "99999999999", "needs a whole number"},
        {"CComments", "m_bRemoveComments", "2", "needs 0 or 1"},
    };
    for (const auto& row : rows)
    {
        COptions options;
        COptionSetting setting{row.group, row.field, row.value,
                               std::string(row.group) + "." + row.field + "=" + row.value};
        std::string error;
        const bool ok = ApplySetting(setting, options, error);
        if (!row.error)
        {
            EXPECT_TRUE(ok) << error;
            continue;
        }
        EXPECT_FALSE(ok) << row.field;
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
        EXPECT_EQ(error.rfind("--set " + setting.m_sArgument, 0), 0u) << error;
    }
}

TEST(FormatOptionsTextTest, ReadsBackToTheSameValues)
{
    COptions changed;
    changed.m_Capitalisation.m_nKeywords = 2;
    changed.m_Select.m_bFromClauseStyle = true;
    changed.m_General.m_nLeftMargin = -1;
    changed.m_General.m_sStr = u"Str";
    const std::string text = FormatOptionsText(changed);
    EXPECT_NE(text.find("[Options\\CParentheses]\nm_nSpace=1\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("m_nRightMarginLength"), std::string::npos);

    COptions read;
    std::vector<std::string> errors;
    ASSERT_TRUE(ApplyOptionsText(text, "dump", read, errors)) << errors[0];
    EXPECT_EQ(FormatOptionsText(read), text);
}

} // namespace
