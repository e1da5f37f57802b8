// Opening a file whose encoding nobody named: the mark, else the first set in
// which every byte is valid (the locale's, here UTF-8, then Windows-1252), so
// that no byte is lost, and what the reader still cannot keep is said.
#include "../platform/TempFolder.h"
#include "TextFileGuess.h"

#include <gtest/gtest.h>


namespace
{
struct CGuessCase
{
    const char* pszName;
    std::string sBytes;
    TextEncoding nEncoding;
    unsigned nCodePage;
    std::u16string sText;
    bool bLossless;
};

void PrintTo(const CGuessCase& c, std::ostream* os)
{
    *os << c.pszName;
}

class Guess : public testing::TestWithParam<CGuessCase>
{
};

TEST_P(Guess, ReadsEveryByteInTheFirstSetThatHoldsThemAll)
{
    const CGuessCase& c = GetParam();
    CGuessedText text;
    ASSERT_TRUE(ReadTextGuessing(c.sBytes, u"\n", text));
    EXPECT_EQ(text.m_nEncoding, c.nEncoding);
    EXPECT_EQ(text.m_nCodePage, c.nCodePage);
    EXPECT_TRUE(text.m_sText == c.sText);
    EXPECT_EQ(text.m_bLossless, c.bLossless);
    if (c.nEncoding == ENC_ANSI && c.bLossless)
    {
        // Written back in the set it was read in, the text gives the bytes again.
        std::string bytes;
        CCodePage codePage(c.nCodePage);
        EXPECT_EQ(AppendEncoded(text.m_sText, ENC_ANSI, &codePage, 0, bytes), 0u);
        EXPECT_EQ(bytes, c.sBytes);
    }
}

const CGuessCase kGuessCases[] = {
    {"Ascii", "select 1 from dual\n", ENC_ANSI, kCodePageLocale, u"select 1 from dual\n", true},
    {"Utf8", "select 'caf\xC3\xA9' from dual", ENC_ANSI, kCodePageLocale, u"select 'caf\u00E9' from dual", true},
    {"Latin1", "select 'caf\xE9' from dual", ENC_ANSI, kCodePageWindows1252, u"select 'caf\u00E9' from dual",
     true},
    {"Windows1252Quotes", "-- \x93quoted\x94 \x80\n", ENC_ANSI, kCodePageWindows1252,
     u"-- \u201Cquoted\u201D \u20AC\n", true},
    {"MixedBytes", "'\xC3\xA9' '\xE9'", ENC_ANSI, kCodePageWindows1252, u"'\u00C3\u00A9' '\u00E9'", true},
    {"UnassignedWindows1252Byte", "a\x81z", ENC_ANSI, kCodePageWindows1252, u"a\u0081z", true},
    {"NulInUtf8StaysUtf8", std::string("a\0\xC3\xA9", 4), ENC_ANSI, kCodePageLocale, u"a", false},
    {"MarkDecides", "\xEF\xBB\xBF" "caf\xE9", ENC_UTF8, kCodePageLocale, u"caf\uFFFD", false},
    {"Utf16LittleEndian", std::string("\xFF\xFE" "a\0", 4), ENC_UTF16_LE, kCodePageLocale, u"a", true},
    {"Empty", "", ENC_ANSI, kCodePageLocale, u"", true},
};

INSTANTIATE_TEST_SUITE_P(TextFile, Guess, testing::ValuesIn(kGuessCases),
                         [](const testing::TestParamInfo<CGuessCase>& info) { return std::string(info.param.pszName); });

TEST(Guess, ReadsFromDiskAndReportsAFileThatCannotBeRead)
{
    CTempFolder temp;
    const std::filesystem::path folder = temp.Path();
    const std::filesystem::path path = folder / "latin1.sql";
    WriteBytes(path, "select '\xE9'\r\nfrom t");
    CGuessedText text;
    ASSERT_TRUE(ReadTextFileGuessing(path, u"\n", text));
    EXPECT_TRUE(text.m_sText == u"select '\u00E9'\nfrom t");
    EXPECT_EQ(text.m_nCodePage, kCodePageWindows1252);

    CGuessedText missing;
    EXPECT_FALSE(ReadTextFileGuessing(folder / "missing.sql", u"\n", missing));
    EXPECT_NE(missing.m_sError.find("missing.sql"), std::string::npos) << missing.m_sError;
    EXPECT_FALSE(ReadTextFileGuessing(folder, u"\n", missing)) << "a folder is no file";
}
} // namespace
