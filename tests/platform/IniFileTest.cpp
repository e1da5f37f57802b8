// The INI parser and writer: what each kind of line becomes, the line numbers
// that error messages quote, and text that reads back as it was written.
#include "IniFile.h"

#include <gtest/gtest.h>

namespace {

// The parse result in one line: "[section]name=value@line" for each value in
// order, "#line" for each comment, "!line" for each malformed line.
std::string Dump(const CIniParseResult& parsed)
{
    std::string out;
    for (const CIniSection& section : parsed.m_aSections)
        for (const CIniEntry& entry : section.m_aEntries)
        {
            if (!out.empty())
                out += ' ';
            if (entry.m_nKind == CIniEntry::COMMENT)
                out += "#" + std::to_string(entry.m_nLine);
            else
                out += "[" + section.m_sName + "]" + entry.m_sName + "=" + entry.m_sValue + "@" +
                       std::to_string(entry.m_nLine);
        }
    for (const CIniMalformedLine& bad : parsed.m_aMalformed)
        out += (out.empty() ? "!" : " !") + std::to_string(bad.m_nLine);
    return out;
}

struct ParseCase
{
    const char* label;
    std::string text;
    std::string expected;
};

class IniParse : public testing::TestWithParam<ParseCase>
{
};

TEST_P(IniParse, Parses)
{
    EXPECT_EQ(Dump(ParseIni(GetParam().text)), GetParam().expected);
}

const ParseCase kParseCases[] = {
    {"Empty", "", ""},
    {"OnlyBlankLines", "\n  \n\t\n", ""},
    {"TopLevelValue", "AppNameVer=Quillmark v 1.1\n", "[]AppNameVer=Quillmark v 1.1@1"},
    {"SectionWithBackslash", "[Options\\CSelect]\nm_nWithListComma=2\n",
     "[Options\\CSelect]m_nWithListComma=2@2"},
    {"ValueKeptExactly", "[S]\na= x y \n", "[S]a= x y @2"},
    {"NameTrimmed", "[S]\n  a b\t=1\n", "[S]a b=1@2"},
    {"FirstEqualsSplits", "[S]\na=b=c\n", "[S]a=b=c@2"},
    {"EmptyValue", "[S]\na=\n", "[S]a=@2"},
    {"CrLfLines", "[S]\r\na=1\r\nb=2\r\n", "[S]a=1@2 [S]b=2@3"},
    {"NoFinalLineBreak", "[S]\na=1", "[S]a=1@2"},
    {"BomSkipped", "\xEF\xBB\xBF[S]\na=1\n", "[S]a=1@2"},
    {"SemicolonComment", "; note\n[S]\n# other\na=1\n", "#1 #3 [S]a=1@4"},
    {"IndentedHeaderAndComment", "  [S]  \n  ;c\n", "#2"},
    {"HeaderNameVerbatim", "[ A ]\nx=1\n", "[ A ]x=1@2"},
    {"RepeatedHeaderKeptApart", "[S]\na=1\n[T]\nb=2\n[S]\nc=3\n", "[S]a=1@2 [T]b=2@4 [S]c=3@6"},
    {"PlainWordIsMalformed", "[S]\njunk\na=1\n", "[S]a=1@3 !2"},
    {"UnclosedHeaderIsMalformed", "[S\na=1\n", "[]a=1@2 !1"},
    {"MissingNameIsMalformed", "[S]\n=1\n", "!2"},
    {"BlankNameIsMalformed", "[S]\n  =1\n", "!2"},
    {"NulByteIsMalformed", std::string("[S]\na=1\0x\nb=2\n", 13), "[S]b=2@3 !2"},
    {"InvalidUtf8IsMalformed", "[S]\na=\xFF\xFE\nb=\xC3\xA4\n", "[S]b=\xC3\xA4@3 !2"},
    {"OverlongUtf8IsMalformed", "a=\xC0\xAF\n", "!1"},
    {"SurrogateUtf8IsMalformed", "a=\xED\xA0\x80\n", "!1"},
    {"LoneCarriageReturnStaysInValue", "a=1\r2\n", "[]a=1\r2@1"},
    {"BinaryGarbage", std::string("\x01\x02\n\x7F\x00\n", 6), "!1 !2"},
};

INSTANTIATE_TEST_SUITE_P(Cases, IniParse, testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(IniParse, MalformedLinesSayWhy)
{
    CIniParseResult parsed = ParseIni("[S\n=1\njunk\n");
    ASSERT_EQ(parsed.m_aMalformed.size(), 3u);
    for (const CIniMalformedLine& bad : parsed.m_aMalformed)
        EXPECT_FALSE(bad.m_sReason.empty()) << bad.m_nLine;
    EXPECT_FALSE(parsed.Clean());
}

TEST(IniDocument, MergesRepeatedSectionsAndValues)
{
    CIniDocument doc(ParseIni("[S]\na=1\n[T]\nb=2\n[S]\na=3\nc=4\n"));
    ASSERT_NE(doc.Find("S", "a"), nullptr);
    EXPECT_EQ(*doc.Find("S", "a"), "3");
    EXPECT_EQ(*doc.Find("S", "c"), "4");
    EXPECT_EQ(doc.Find("S", "b"), nullptr);
    EXPECT_EQ(doc.Find("U", "a"), nullptr);
    EXPECT_EQ(doc.ValueCount(), 3u);
    EXPECT_EQ(doc.Format(), "[S]\na=3\nc=4\n\n[T]\nb=2\n");
}

TEST(IniDocument, TopLevelValuesAreWrittenFirst)
{
    CIniDocument doc;
    doc.Set("Workspace", "ApplicationLook", "215");
    doc.Set("", "AppNameVer", "Quillmark v 1.1");
    EXPECT_EQ(doc.Format(), "AppNameVer=Quillmark v 1.1\n\n[Workspace]\nApplicationLook=215\n");
    CIniDocument back(ParseIni(doc.Format()));
    EXPECT_EQ(*back.Find("", "AppNameVer"), "Quillmark v 1.1");
}

TEST(IniDocument, KeepsCommentsAndDropsMalformedLines)
{
    const std::string text = "; team settings\n[S]\n# why\na=1\njunk\n";
    CIniDocument doc(ParseIni(text));
    doc.Set("S", "b", "2");
    EXPECT_EQ(doc.Format(), "; team settings\n\n[S]\n# why\na=1\nb=2\n");
}

TEST(IniDocument, EraseSectionKeepsOthersFindable)
{
    CIniDocument doc(ParseIni("[A]\nx=1\n[B]\ny=2\n[C]\nz=3\n"));
    doc.EraseSection("B");
    doc.EraseSection("missing");
    EXPECT_EQ(doc.Find("B", "y"), nullptr);
    EXPECT_EQ(*doc.Find("C", "z"), "3");
    doc.Set("C", "z", "4");
    EXPECT_EQ(doc.Format(), "[A]\nx=1\n\n[C]\nz=4\n");
}

struct RoundTripCase
{
    const char* label;
    std::string section;
    std::string name;
    std::string value;
    std::string readBack;
};

class IniRoundTrip : public testing::TestWithParam<RoundTripCase>
{
};

TEST_P(IniRoundTrip, ReadsBackWhatWasWritten)
{
    const RoundTripCase& c = GetParam();
    CIniDocument doc;
    doc.Set(c.section, c.name, c.value);
    CIniParseResult parsed = ParseIni(doc.Format());
    EXPECT_TRUE(parsed.Clean());
    CIniDocument back(parsed);
    const std::string* value = back.Find(IniLineText(c.section), c.name);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, c.readBack);
}

const RoundTripCase kRoundTripCases[] = {
    {"Plain", "Options\\CGeneral", "m_sStr", "Str", "Str"},
    {"BlanksAroundValue", "S", "a", "  x  ", "  x  "},
    {"EqualsInValue", "S", "a", "b=c", "b=c"},
    {"CommentCharsInValue", "S", "a", ";#[x]", ";#[x]"},
    {"NonAscii", "S", "a", "\xC3\xA4\xE2\x82\xAC", "\xC3\xA4\xE2\x82\xAC"},
    {"LineBreaksBecomeBlanks", "S", "a", "1\n2\r3", "1 2 3"},
    {"NulBecomesBlank", "S", "a", std::string("1\0" "2", 3), "1 2"},
    {"InvalidUtf8Replaced", "S", "a", "x\xFFy", "x\xEF\xBF\xBDy"},
    {"TopLevel", "", "AppNameVer", "Quillmark v 1.1", "Quillmark v 1.1"},
    {"FirstNameStartsWithBom", "", "\xEF\xBB\xBFname", "1", "1"},
    {"BracketInSectionName", "a]b", "n", "1", "1"},
    {"LineBreakInSectionName", "a\nb", "n", "1", "1"},
};

INSTANTIATE_TEST_SUITE_P(Cases, IniRoundTrip, testing::ValuesIn(kRoundTripCases),
                         [](const auto& info) { return std::string(info.param.label); });

struct NameCase
{
    const char* label;
    std::string name;
    bool writable;
};

class IniWritableName : public testing::TestWithParam<NameCase>
{
};

TEST_P(IniWritableName, Decides)
{
    EXPECT_EQ(CIniDocument::IsWritableName(GetParam().name), GetParam().writable);
}

const NameCase kNameCases[] = {
    {"FieldName", "m_nTabSize", true},
    {"InnerBlank", "a b", true},
    {"Empty", "", false},
    {"LeadingBlank", " a", false},
    {"TrailingBlank", "a ", false},
    {"Equals", "a=b", false},
    {"LineBreak", "a\nb", false},
    {"Semicolon", ";a", false},
    {"Hash", "#a", false},
    {"Bracket", "[a", false},
    {"Nul", std::string("a\0b", 3), false},
    {"InvalidUtf8", "a\xFF", false},
};

INSTANTIATE_TEST_SUITE_P(Cases, IniWritableName, testing::ValuesIn(kNameCases),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
