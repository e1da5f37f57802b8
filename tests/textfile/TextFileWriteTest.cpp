// Writing: marks, encodings, replacements, and the buffer at the level of
// platform calls.
#include "FakeFile.h"
#include "TextFileWrite.h"

#include <gtest/gtest.h>

namespace
{
struct CWriteCase
{
    const char* pszName;
    TextEncoding nEncoding;
    unsigned nCodePage;
    std::u16string sText;
    std::string sBytes;
    bool bLossless;
};

TEST(TextFileWrite, EncodesEachEncoding)
{
    const CWriteCase cases[] = {
        {"ansi has no mark", ENC_ANSI, 0, u"abc", "abc", true},
        {"empty ansi", ENC_ANSI, 0, u"", "", true},
        {"empty utf8 is its mark", ENC_UTF8, 0, u"", Bytes("\xEF\xBB\xBF"), true},
        {"euro in utf8", ENC_UTF8, 0, u"\u20AC", Bytes("\xEF\xBB\xBF\xE2\x82\xAC"), true},
        {"two-byte utf8", ENC_UTF8, 0, u"\u00E9\u07FF", Bytes("\xEF\xBB\xBF\xC3\xA9\xDF\xBF"), true},
        {"utf16be", ENC_UTF16_BE, 0, u"A\u20AC", Bytes("\xFE\xFF\0A\x20\xAC"), true},
        {"utf16le", ENC_UTF16_LE, 0, u"A\u20AC", Bytes("\xFF\xFE" "A\0\xAC\x20"), true},
        {"pair in utf8 is four bytes", ENC_UTF8, 0, u"\U0001F600",
         Bytes("\xEF\xBB\xBF\xF0\x9F\x98\x80"), true},
        {"lone high in utf8", ENC_UTF8, 0, Text(u"a\xD83D" u"b"),
         Bytes("\xEF\xBB\xBF" "a\xEF\xBF\xBD" "b"), false},
        {"lone low in utf8", ENC_UTF8, 0, Text(u"\xDE00"), Bytes("\xEF\xBB\xBF\xEF\xBF\xBD"), false},
        {"high high low in utf8", ENC_UTF8, 0, Text(u"\xD83D\xD83D\xDE00"),
         Bytes("\xEF\xBB\xBF\xEF\xBF\xBD\xF0\x9F\x98\x80"), false},
        {"lone surrogate in utf16 as it is", ENC_UTF16_LE, 0, Text(u"\xD800"),
         Bytes("\xFF\xFE\x00\xD8"), true},
        {"line ends as they stand", ENC_ANSI, 0, u"a\r\nb\nc\r", "a\r\nb\nc\r", true},
        {"nul is written", ENC_UTF8, 0, Text(u"a\0b"), Bytes("\xEF\xBB\xBF" "a\0b"), true},
        {"1252", ENC_ANSI, kCodePageWindows1252, u"\u00E9\u20AC", Bytes("\xE9\x80"), true},
        {"1252 cannot hold omega", ENC_ANSI, kCodePageWindows1252, u"a\u03A9b", "a?b", false},
        {"latin1 pair is one question mark", ENC_ANSI, kCodePageLatin1, u"\U0001F600", "?", false},
        {"latin1 lone surrogate", ENC_ANSI, kCodePageLatin1, Text(u"\xDC00" u"x"), "?x", false},
        {"locale is utf8 here", ENC_ANSI, 0, u"\u00E9", Bytes("\xC3\xA9"), true},
        {"explicit 65001", ENC_ANSI, kCodePageUtf8, u"\U0001F600", Bytes("\xF0\x9F\x98\x80"), true},
    };
    for (const CWriteCase& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CFakeDisk disk;
        CTextFileWrite file(FakeFile(disk), "fake.sql", c.nEncoding, c.nCodePage);
        EXPECT_TRUE(file.Write(c.sText));
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(Hex(disk.m_sBytes), Hex(c.sBytes));
        EXPECT_EQ(file.IsLossless(), c.bLossless);
    }
}

TEST(TextFileWrite, DefaultCharacterStandsForWhatTheCodePageLacks)
{
    CFakeDisk disk;
    CTextFileWrite file(FakeFile(disk), "fake.sql", ENC_ANSI, kCodePageLatin1);
    file.m_cDefaultChar = '#';
    file.Write(u"\u20AC1");
    file.Close();
    EXPECT_EQ(disk.m_sBytes, "#1");
}

TEST(TextFileWrite, PairSplitBetweenWritesIsOneCharacter)
{
    const struct
    {
        const char* pszName;
        TextEncoding nEncoding;
        unsigned nCodePage;
        std::vector<std::u16string> aPieces;
        std::string sBytes;
    } cases[] = {
        {"utf8 pair across writes", ENC_UTF8, 0, {Text(u"a\xD83D"), Text(u"\xDE00" u"b")},
         Bytes("\xEF\xBB\xBF" "a\xF0\x9F\x98\x80" "b")},
        {"utf8 high then text", ENC_UTF8, 0, {Text(u"\xD83D"), u"b"},
         Bytes("\xEF\xBB\xBF\xEF\xBF\xBD" "b")},
        {"utf8 high at close", ENC_UTF8, 0, {Text(u"a\xD83D")}, Bytes("\xEF\xBB\xBF" "a\xEF\xBF\xBD")},
        {"utf8 high, empty write, low", ENC_UTF8, 0, {Text(u"\xD83D"), u"", Text(u"\xDE00")},
         Bytes("\xEF\xBB\xBF\xF0\x9F\x98\x80")},
        {"ansi utf8 pair across writes", ENC_ANSI, 0, {Text(u"\xD83D"), Text(u"\xDE00")},
         Bytes("\xF0\x9F\x98\x80")},
        {"utf16 halves as they come", ENC_UTF16_BE, 0, {Text(u"\xD83D"), Text(u"\xDE00")},
         Bytes("\xFE\xFF\xD8\x3D\xDE\x00")},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CFakeDisk disk;
        CTextFileWrite file(FakeFile(disk), "fake.sql", c.nEncoding, c.nCodePage);
        for (const std::u16string& sPiece : c.aPieces)
            EXPECT_TRUE(file.Write(sPiece));
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(Hex(disk.m_sBytes), Hex(c.sBytes));
    }
}

struct CFlushCase
{
    const char* pszName;
    TextEncoding nEncoding;
    std::size_t nUnits;                       // 'x' characters written in one call
    std::vector<std::size_t> aBeforeClose;    // platform writes made by Write
    std::vector<std::size_t> aAll;            // and by Close
};

TEST(TextFileWrite, WritesThePlatformFileOnceEvery1024Bytes)
{
    const CFlushCase cases[] = {
        {"nothing", ENC_ANSI, 0, {}, {}},
        {"one byte", ENC_ANSI, 1, {}, {1}},
        {"1023 bytes", ENC_ANSI, 1023, {}, {1023}},
        {"exactly 1024: one write, at close", ENC_ANSI, 1024, {}, {1024}},
        {"1025: full buffer when the last byte arrives", ENC_ANSI, 1025, {1024}, {1024, 1}},
        {"2048", ENC_ANSI, 2048, {1024}, {1024, 1024}},
        {"2049", ENC_ANSI, 2049, {1024, 1024}, {1024, 1024, 1}},
        {"utf8 mark counts", ENC_UTF8, 1021, {}, {1024}},
        {"utf8 mark and 1022", ENC_UTF8, 1022, {1024}, {1024, 1}},
        {"utf16 mark only", ENC_UTF16_LE, 0, {}, {2}},
        {"utf16 511 units fill the buffer", ENC_UTF16_LE, 511, {}, {1024}},
        {"utf16 512 units", ENC_UTF16_BE, 512, {1024}, {1024, 2}},
    };
    for (const CFlushCase& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CFakeDisk disk;
        CTextFileWrite file(FakeFile(disk), "fake.sql", c.nEncoding);
        file.Write(std::u16string(c.nUnits, u'x'));
        EXPECT_EQ(disk.m_aWrites, c.aBeforeClose);
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(disk.m_aWrites, c.aAll);
        EXPECT_EQ(disk.m_sBytes.size(), ByteOrderMark(c.nEncoding).size() +
                                            c.nUnits * (c.nEncoding == ENC_UTF16_LE ||
                                                        c.nEncoding == ENC_UTF16_BE ? 2 : 1));
    }
}

TEST(TextFileWrite, ManySmallWritesShareTheBuffer)
{
    CFakeDisk disk;
    CTextFileWrite file(FakeFile(disk), "fake.sql", ENC_ANSI);
    for (int i = 0; i < 3000; ++i)
        file.Write(u"y");
    file.Close();
    EXPECT_EQ(disk.m_aWrites, (std::vector<std::size_t>{1024, 1024, 952}));
    EXPECT_EQ(disk.m_sBytes, std::string(3000, 'y'));
}

TEST(TextFileWrite, FailuresAreReportedAndNothingIsKept)
{
    CFakeDisk full;
    full.m_sBytes = "old contents";
    full.m_nSpace = 1500;
    CTextFileWrite tooBig(FakeFile(full), "full.sql", ENC_ANSI);
    const bool bWritten = tooBig.Write(std::u16string(4000, u'z'));
    EXPECT_FALSE(bWritten);
    EXPECT_FALSE(tooBig.Close());
    EXPECT_NE(tooBig.GetError().find("No space left"), std::string::npos);
    EXPECT_EQ(full.m_sBytes, "old contents");
    EXPECT_EQ(full.m_aWrites.size(), 2u) << "no write after the first failure";

    // The failure shows at close when the bytes were still in the buffer.
    CFakeDisk small;
    small.m_sBytes = "old";
    small.m_nSpace = 10;
    CTextFileWrite late(FakeFile(small), "small.sql", ENC_UTF8);
    EXPECT_TRUE(late.Write(u"more than ten bytes"));
    EXPECT_FALSE(late.Close());
    EXPECT_EQ(small.m_sBytes, "old");

    CFakeDisk missing;
    missing.m_bOpens = false;
    CTextFileWrite notOpened(FakeFile(missing), "missing.sql", ENC_UTF8);
    EXPECT_FALSE(notOpened.Write(std::u16string(5000, u'x')));
    EXPECT_FALSE(notOpened.Close());
    EXPECT_TRUE(missing.m_aWrites.empty());

    CFakeDisk untouched;
    untouched.m_sBytes = "old";
    CTextFileWrite unknownCodePage(FakeFile(untouched), "x.sql", ENC_ANSI, 4242);
    EXPECT_FALSE(unknownCodePage.IsOpen()) << "refused before the file is opened";
    EXPECT_FALSE(unknownCodePage.Write(u"abc"));
    EXPECT_FALSE(unknownCodePage.Close());
    EXPECT_NE(unknownCodePage.GetError().find("4242"), std::string::npos);
    EXPECT_EQ(untouched.m_sBytes, "old");
}

TEST(TextFileWrite, ChangingToABadCodePageAbandonsTheFile)
{
    CFakeDisk disk;
    disk.m_sBytes = "old";
    CTextFileWrite file(FakeFile(disk), "x.sql", ENC_ANSI);
    EXPECT_TRUE(file.Write(u"new"));
    file.m_nCodePage = 4242;
    EXPECT_FALSE(file.Write(u"more"));
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(disk.m_nAbandons, 1);
    EXPECT_EQ(disk.m_sBytes, "old");
}

TEST(TextFileWrite, CloseTwiceAndDestroyAfterCloseAreHarmless)
{
    CFakeDisk disk;
    {
        CTextFileWrite file(FakeFile(disk), "x.sql", ENC_UTF8);
        file.Write(u"a");
        EXPECT_TRUE(file.Close());
        EXPECT_TRUE(file.Close());
        EXPECT_FALSE(file.Write(u"b"));
    }
    EXPECT_EQ(disk.m_nCloses, 1);
    EXPECT_EQ(disk.m_aWrites, (std::vector<std::size_t>{4}));

    CFakeDisk destroyed;
    {
        CTextFileWrite file(FakeFile(destroyed), "y.sql", ENC_UTF16_BE);
        file.Write(u"a");
    }
    EXPECT_EQ(destroyed.m_sBytes, Bytes("\xFE\xFF\0a"));
}
} // namespace
