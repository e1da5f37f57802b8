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
    {"NulInUtf8StaysUtf8", std::string("a\0\xC3\xA9", 4), ENC_ANSI, kCodePageLocale,
     std::u16string(u"a\0\u00E9", 3), true},
    {"MarkDecides", "\xEF\xBB\xBF" "caf\xE9", ENC_UTF8, kCodePageLocale, u"caf\uFFFD", false},
    {"Utf16LittleEndian", std::string("\xFF\xFE" "a\0", 4), ENC_UTF16_LE, kCodePageLocale, u"a", true},
    {"Empty", "", ENC_ANSI, kCodePageLocale, u"", true},
};

INSTANTIATE_TEST_SUITE_P(TextFile, Guess, testing::ValuesIn(kGuessCases),
                         [](const testing::TestParamInfo<CGuessCase>& info) { return std::string(info.param.pszName); });

// A NUL is kept wherever it stands, and the first one is found in whole
// characters: in UTF-16 two zero bytes of neighbouring units are no NUL.
TEST(Guess, KeepsNulCharactersAndFindsTheFirst)
{
    constexpr std::size_t npos = std::string_view::npos;
    const struct
    {
        const char* pszName;
        std::string sBytes;
        std::u16string sText;
        std::size_t nFirstNul;
    } cases[] = {
        {"Utf8AtTheStart", std::string("\0select 1\n", 10), std::u16string(u"\0select 1\n", 10), 0},
        {"Utf8InAString", std::string("select 'a\0b' from t;\nselect c from u\n", 37),
         std::u16string(u"select 'a\0b' from t;\nselect c from u\n", 37), 9},
        {"Utf8BesideLineBreaks", std::string("a\0\r\n\0b", 6), std::u16string(u"a\0\n\0b", 5), 1},
        {"Utf8WithMarkAtTheEnd", std::string("\xEF\xBB\xBF" "select 1;\0", 13),
         std::u16string(u"select 1;\0", 10), 12},
        {"PastTheUnitsGatheredAtATime", std::string(1050, 'd') + std::string("\0e\n", 3),
         std::u16string(1050, u'd') + std::u16string(u"\0e\n", 3), 1050},
        {"Utf16LeAtTheStart", std::string("\xFF\xFE" "\0\0a\0", 6), std::u16string(u"\0a", 2), 2},
        {"Utf16BeInTheMiddle", std::string("\xFE\xFF" "\0a\0\0\0b", 8), std::u16string(u"a\0b", 3), 4},
        {"Utf16ZeroBytesOfTwoUnits", std::string("\xFF\xFE" "A\0\0B\0\0", 8), std::u16string(u"A\u4200\0", 3), 6},
        {"Utf16WithoutNul", std::string("\xFF\xFE" "A\0\0B", 6), u"A\u4200", npos},
        {"Windows1252AtTheEnd", std::string("select '\xE9';\0", 12), std::u16string(u"select '\u00E9';\0", 12), 11},
        {"NoNul", "select 1", u"select 1", npos},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CGuessedText text;
        ASSERT_TRUE(ReadTextGuessing(c.sBytes, u"\n", text));
        EXPECT_TRUE(text.m_sText == c.sText);
        EXPECT_TRUE(text.m_bLossless);
        EXPECT_EQ(text.m_nFirstNul, c.nFirstNul);
        // Nothing was lost: written back, the text gives the bytes again
        // (line breaks as the editor's).
        std::string bytes(ByteOrderMark(text.m_nEncoding));
        CCodePage codePage(text.m_nCodePage);
        EXPECT_EQ(AppendEncoded(text.m_sText, text.m_nEncoding, &codePage, 0, bytes), 0u);
        std::string expected = c.sBytes;
        std::erase(expected, '\r');
        EXPECT_EQ(bytes, expected);
    }
}

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
