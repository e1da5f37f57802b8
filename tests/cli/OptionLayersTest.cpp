// Options files read strictly, --set, and the dump that reads back.
#include "OptionLayers.h"
#include "OptionNames.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace qmcli;

namespace
{

struct COptionsTextCase
{
    const char* m_sName;
    const char* m_sText;
    std::vector<std::string> m_aErrors; // substrings, one per expected error line, in order
    std::function<void(const COptions&)> m_Check;
    std::function<void(const CToolSettings&)> m_ToolCheck;
};

class OptionsTextTest : public ::testing::TestWithParam<COptionsTextCase>
{
};

TEST_P(OptionsTextTest, Applies)
{
    const COptionsTextCase& c = GetParam();
    COptions options;
    std::vector<std::string> errors;
    CToolSettings tool;
    const bool ok = ApplyOptionsText(c.m_sText, "team.ini", options, tool, errors);
    EXPECT_EQ(ok, c.m_aErrors.empty());
    ASSERT_EQ(errors.size(), c.m_aErrors.size()) << (errors.empty() ? "" : errors[0]);
    for (size_t i = 0; i < errors.size(); ++i)
        EXPECT_NE(errors[i].find(c.m_aErrors[i]), std::string::npos) << errors[i];
    if (c.m_Check)
        c.m_Check(options);
    if (c.m_ToolCheck)
        c.m_ToolCheck(tool);
}

const COptionsTextCase kTextCases[] = {
    {"EmptyFileKeepsDefaults", "", {},
     [](const COptions& o) {
         EXPECT_EQ(o.m_Commas.m_nStackedWrappedLength, 50);
         EXPECT_TRUE(o.m_Alignment.m_bRight);
     }, {}},
    {"OnlyNamedFieldsChange_NoMarkerNeeded",
     "; team settings\n[Options\\CCapitalisation]\nm_nKeywords=1\n\n[Options\\CAlignment]\nm_bRight=0\n", {},
     [](const COptions& o) {
         EXPECT_EQ(o.m_Capitalisation.m_nKeywords, 1);
         EXPECT_FALSE(o.m_Alignment.m_bRight);
         EXPECT_EQ(o.m_Capitalisation.m_nOther, 1) << "an unnamed field keeps its default";
         EXPECT_EQ(o.m_Commas.m_nStackedWrappedLength, 50);
     }, {}},
    {"ReadableNamesAndWords",
     "[capitalisation]\nkeywords = lower\n[select]\ncolumn-list-comma = after\ncolumn-list-style = wrapped\n"
     "[alignment]\nkeywords = left\n[comments]\nremove = yes\n",
     {},
     [](const COptions& o) {
         EXPECT_EQ(o.m_Capitalisation.m_nKeywords, CAP_LOWER);
         EXPECT_EQ(o.m_Select.m_nColumnListComma, COMMA_AFTER);
         EXPECT_TRUE(o.m_Select.m_bSelectColumnListStyle);
         EXPECT_FALSE(o.m_Alignment.m_bRight);
         EXPECT_TRUE(o.m_Comments.m_bRemoveComments);
     }, {}},
    {"BlanksCommentsAndCase",
     "  [Capitalisation]  \n  Keywords   =   LOWER   ; the team's rule\n# a whole line\n"
     "functions=upper # inline\n\tother\t=\tkeep\t\n",
     {},
     [](const COptions& o) {
         EXPECT_EQ(o.m_Capitalisation.m_nKeywords, CAP_LOWER);
         EXPECT_EQ(o.m_Capitalisation.m_nFunctions, CAP_UPPER);
         EXPECT_EQ(o.m_Capitalisation.m_nOther, CAP_NOCHANGE);
     }, {}},
    {"StoredNamesAndNumbersMix", "[Options\\CCapitalisation]\nkeywords=4\n[capitalisation]\nm_nOther = 2\n", {},
     [](const COptions& o) {
         EXPECT_EQ(o.m_Capitalisation.m_nKeywords, CAP_INITCAP_EACH);
         EXPECT_EQ(o.m_Capitalisation.m_nOther, CAP_INITCAP);
     }, {}},
    {"CrLfAndNegativeNumbers", "[Options\\CGeneral]\r\nm_nLeftMargin=-1\r\n", {},
     [](const COptions& o) { EXPECT_EQ(o.m_General.m_nLeftMargin, -1); }, {}},
    {"RightMarginIsSettable", "[Options\\CCommas]\nm_nRightMarginLength=80\n[commas]\nright-margin = 90\n", {},
     [](const COptions& o) { EXPECT_EQ(o.m_Commas.m_nRightMarginLength, 90); }, {}},
    {"DesktopFieldsKeepTheirStoredNames", "[Options\\CGeneral]\nm_nHkShowQMK=-7\n", {},
     [](const COptions& o) { EXPECT_EQ(o.m_General.m_nHkShowQMK, -7); }, {}},
    {"UnknownSection", "[Options\\CSelekt]\nm_nColumnListComma=0\n",
     {"team.ini:1: unknown section [Options\\CSelekt]; the sections are [parentheses], "}, {}, {}},
    {"SectionOutsideOptions", "[Workspace]\nx=1\n", {"team.ini:1: unknown section [Workspace]"}, {}, {}},
    {"UnknownField", "[Options\\CSelect]\nm_nColumnListComa=0\n",
     {"team.ini:2: unknown key 'm_nColumnListComa' in [Options\\CSelect] (keys: align-after-distinct, "}, {}, {}},
    {"DesktopFieldHasNoReadableKey", "[general]\nstart-with-start-up = 1\n", {"unknown key"}, {}, {}},
    {"NotAWholeNumber", "[Options\\CCommas]\nm_nStackedWrappedLength=8x\n",
     {"team.ini:2: commas.stack-length: '8x' is not a whole number from 0 to 10000"}, {}, {}},
    {"ChoiceOutOfRange", "[Options\\CCapitalisation]\nm_nKeywords=99\n",
     {"team.ini:2: capitalisation.keywords: '99' is not one of upper | lower | initcap | "
      "initcap-each-word | keep"},
     {}, {}},
    {"NumberOutOfRange", "[general]\nleft-margin = -2\n",
     {"team.ini:2: general.left-margin: '-2' is not a whole number from -1 to 1000"}, {}, {}},
    {"FlagNotAFlagWord", "[comments]\nremove = maybe\n",
     {"team.ini:2: comments.remove: 'maybe' is not one of true | false"}, {}, {}},
    {"CommentWithoutBlankIsPartOfTheValue", "[capitalisation]\nkeywords = lower;x\n",
     {"'lower;x' is not one of"}, {}, {}},
    {"ValueBeforeAnySection", "m_nKeywords=1\n", {"team.ini:1: 'm_nKeywords' stands before any"}, {}, {}},
    {"MalformedLine", "[Options\\CCase]\njust words\n", {"team.ini:2:"}, {}, {}},
    {"EveryErrorIsReported",
     "[Options\\CCase]\nm_nIdentCaseFromSwitch=x\nm_nNope=1\n",
     {"team.ini:2:", "team.ini:3:"}, {}, {}},
    {"ToolSection",
     "[quillmark-format]\nencoding = latin1 ; the old files\nrespect-gitignore = off\n"
     "exclude = build/ *.tmp.sql\nexclude = vendor/**\n",
     {}, {},
     [](const CToolSettings& t) {
         EXPECT_EQ(t.m_sEncoding, "latin1");
         EXPECT_FALSE(t.m_bRespectGitignore);
         ASSERT_EQ(t.m_aExclude.size(), 3u);
         EXPECT_EQ(t.m_aExclude[1].Text(), "*.tmp.sql");
         EXPECT_EQ(t.m_aExclude[2].Origin(), "team.ini:5");
     }},
    {"ToolSectionDefaults", "", {}, {},
     [](const CToolSettings& t) {
         EXPECT_FALSE(t.m_sEncoding);
         EXPECT_TRUE(t.m_bRespectGitignore);
         EXPECT_TRUE(t.m_aExclude.empty());
     }},
    {"ToolSectionErrors",
     "[quillmark-format]\nencoding = klingon\nrespect-gitignore = sometimes\nexclude = !\nindent = 2\n",
     {"team.ini:2: encoding: unknown encoding 'klingon'", "team.ini:3: respect-gitignore: 'sometimes'",
      "team.ini:4: exclude: '!' matches nothing", "team.ini:5: unknown key 'indent' in [quillmark-format]"},
     {}, {}},
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
        {"capitalisation", "keywords", "lower", nullptr},
        {"CCapitalisation", "m_nKeywords", "1", nullptr},
        {"Options\\CSelect", "from-list-style", "wrapped", nullptr},
        {"CGeneral", "m_sStr", "Other", nullptr},
        {"commas", "right-margin", "80", nullptr},
        {"CCapitalisaton", "m_nKeywords", "1", "unknown section 'CCapitalisaton' (sections: parentheses, "},
        {"CCapitalisation", "m_nKeyword", "1", "unknown key 'm_nKeyword' in capitalisation (keys: keywords, "},
        {"CCapitalisation", "m_nKeywords", "one", "capitalisation.keywords: 'one' is not one of upper | "},
        {"CCapitalisation", "m_nKeywords", "99999999999", "is not one of"},
        {"CComments", "m_bRemoveComments", "2", "'2' is not one of true | false"},
        {"case", "then-indent", "1001", "'1001' is not a whole number from 0 to 1000"},
        {"quillmark-format", "encoding", "latin1", "set in an options file, or with --encoding"},
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
        EXPECT_EQ(error.rfind("--set " + setting.m_sArgument + ": ", 0), 0u) << error;
    }
}

TEST(FormatOptionsTextTest, WritesTheReadableFormWithoutDesktopFields)
{
    COptions options;
    CToolSettings tool;
    tool.m_sEncoding = "latin1";
    tool.m_aExclude.emplace_back("build/", ".", "x");
    const std::string text = FormatOptionsText(options, &tool);
    EXPECT_EQ(text.rfind("[parentheses]\n# compact | before | inside | before-and-inside\nspacing = before\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("[capitalisation]\n# upper | lower | initcap | initcap-each-word | keep\nkeywords = upper\n"),
              std::string::npos);
    EXPECT_NE(text.find("# -1 to 1000: blanks before every line; -1 keeps the input's indentation\nleft-margin = 0\n"),
              std::string::npos);
    EXPECT_NE(text.find("right-margin = 100\n"), std::string::npos);
    EXPECT_NE(text.find("\n[quillmark-format]\n"), std::string::npos);
    EXPECT_NE(text.find("\nencoding = latin1\n"), std::string::npos);
    EXPECT_NE(text.find("\nexclude = build/\n"), std::string::npos);
    for (const char* desktopOnly : {"m_", "Hk", "StartUp", "Str"})
        EXPECT_EQ(text.find(desktopOnly), std::string::npos) << desktopOnly;
}

// Every key with every value it may hold, written and read back: catches a
// word that maps to the wrong value or a range that refuses its own ends.
TEST(FormatOptionsTextTest, EveryValueOfEveryKeyReadsBack)
{
    for (const COptionSection& section : OptionSections())
        for (const COptionKey& key : section.m_aKeys)
        {
            if (key.m_sKey.empty())
                continue;
            std::vector<std::string> values;
            for (const COptionWord& word : key.m_aWords)
                values.emplace_back(word.m_sWord);
            if (values.empty())
                values = {std::to_string(key.m_nMin), std::to_string(key.m_nMax), "true", "false"};
            for (const std::string& value : values)
            {
                COptions written;
                const auto target = FindOptionKey(written, section, key.m_sKey);
                ASSERT_TRUE(target) << key.m_sKey;
                std::string reason;
                if (!SetOptionFromText(*target, value, reason))
                    continue; // "true" for a number, or a number for a flag
                const std::string text = FormatOptionsText(written);
                COptions read;
                std::vector<std::string> errors;
                ASSERT_TRUE(ApplyOptionsText(text, "dump", read, errors)) << errors[0];
                EXPECT_EQ(FormatOptionsText(read), text) << target->ReadableName() << " = " << value;
                EXPECT_EQ(COptions::COptElementBase::FieldText(*FindOptionKey(read, section, key.m_sKey)->m_pInfo),
                          COptions::COptElementBase::FieldText(*target->m_pInfo))
                    << target->ReadableName() << " = " << value;
            }
        }
}

// The man page lists every key under its section with the values it allows and
// its default, so it cannot drift from the table.
TEST(OptionsReferenceTest, ManPageListsEveryKeyWithValuesAndDefault)
{
    std::ifstream in(std::string(QUILLMARK_SOURCE_DIR) + "/cli/quillmark-format.1");
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string man = buffer.str();
    ASSERT_FALSE(man.empty());
    auto roff = [](std::string_view text) {
        std::string out;
        for (char c : text)
            out += c == '-' ? std::string("\\-") : std::string(1, c);
        return out;
    };
    const COptions defaults;
    for (const COptionSection& section : OptionSections())
    {
        const size_t start = man.find(".SS [" + roff(section.m_sSection) + "]\n");
        ASSERT_NE(start, std::string::npos) << section.m_sSection;
        const std::string part = man.substr(start, man.find(".SS ", start + 1) - start);
        for (const COptionKey& key : section.m_aKeys)
        {
            if (key.m_sKey.empty())
                continue;
            const auto target = FindOptionKey(defaults, section, key.m_sField);
            const std::string entry = ".B " + roff(key.m_sKey) + "\n" + roff(OptionAllowedValues(*target)) +
                                      "; default \\fB" + roff(OptionValueText(*target)) + "\\fR.\n";
            EXPECT_NE(part.find(entry), std::string::npos) << entry;
        }
    }
}

// The example options file reads without an error.
TEST(OptionsReferenceTest, ExampleOptionsFileIsClean)
{
    const std::string path = std::string(QUILLMARK_SOURCE_DIR) + "/examples/quillmark.ini";
    std::ifstream in(path);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    ASSERT_FALSE(buffer.str().empty()) << path;
    COptions options;
    CToolSettings tool;
    std::vector<std::string> errors;
    EXPECT_TRUE(ApplyOptionsText(buffer.str(), path, options, tool, errors)) << errors[0];
}

} // namespace
