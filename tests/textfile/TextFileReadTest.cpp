// Reading: byte-order marks, line ends, decoding and its losses, and the buffer
// at the level of platform calls.
#include "FakeFile.h"
#include "TextFileRead.h"

#include <gtest/gtest.h>

namespace
{
struct CReadResult
{
    bool bOk = false;
    std::u16string sText;
    TextEncoding nEncoding = ENC_ANSI;
    bool bLossless = false;
};

CReadResult ReadFromBytes(const std::string& bytes, unsigned nCodePage = kCodePageLocale,
                          std::u16string_view separator = u"\r\n")
{
    CFakeDisk disk;
    disk.m_sBytes = bytes;
    CTextFileRead file(FakeFile(disk), "fake.sql", nCodePage);
    CReadResult result;
    result.sText = u"unchanged";
    result.bOk = file.ReadAll(result.sText, separator);
    result.nEncoding = file.GetEncoding();
    result.bLossless = file.IsLossless();
    return result;
}

struct CDecodeCase
{
    const char* pszName;
    std::string sBytes;
    unsigned nCodePage;
    TextEncoding nEncoding;
    std::u16string sText;
    bool bLossless;
};

TEST(TextFileRead, DecodesEachEncodingAndLineEnd)
{
    const CDecodeCase cases[] = {
        {"utf8 mark", Bytes("\xEF\xBB\xBF" "abc"), 0, ENC_UTF8, u"abc", true},
        {"utf8 mark only", Bytes("\xEF\xBB\xBF"), 0, ENC_UTF8, u"", true},
        {"cut utf8 mark rewinds", Bytes("\xEF\xBB" "A"), kCodePageWindows1252, ENC_ANSI,
         u"\u00EF\u00BB" u"A", true},
        {"utf16le with crlf", Bytes("\xFF\xFE" "A\0\r\0\n\0B\0"), 0, ENC_UTF16_LE, u"A\r\nB", true},
        {"utf16be", Bytes("\xFE\xFF\0A"), 0, ENC_UTF16_BE, u"A", true},
        {"utf16 pair passes", Bytes("\xFF\xFE\x3D\xD8\x00\xDE"), 0, ENC_UTF16_LE, u"\U0001F600", true},
        {"utf16 lone surrogate passes", Bytes("\xFE\xFF\xD8\x00"), 0, ENC_UTF16_BE, Text(u"\xD800"), true},
        {"utf8 without mark in 1252", Bytes("\xC3\xA9"), kCodePageWindows1252, ENC_ANSI,
         u"\u00C3\u00A9", true},
        {"utf8 without mark in the locale", Bytes("\xC3\xA9"), 0, ENC_ANSI, u"\u00E9", true},
        {"latin1", Bytes("caf\xE9"), kCodePageLatin1, ENC_ANSI, u"caf\u00E9", true},
        {"1252 euro", Bytes("\x80"), kCodePageWindows1252, ENC_ANSI, u"\u20AC", true},
        {"1252 unassigned byte", Bytes("a\x81" "b"), kCodePageWindows1252, ENC_ANSI, u"a\u0081b", true},
        {"lf", Bytes("a\nb"), 0, ENC_ANSI, u"a\r\nb", true},
        {"cr", Bytes("a\rb"), 0, ENC_ANSI, u"a\r\nb", true},
        {"lf cr is two ends", Bytes("a\n\rb"), 0, ENC_ANSI, u"a\r\n\r\nb", true},
        {"final crlf kept", Bytes("a\r\n"), 0, ENC_ANSI, u"a\r\n", true},
        {"blank lines", Bytes("\r\n\r\n"), 0, ENC_ANSI, u"\r\n\r\n", true},
        {"utf16 lf cr", Bytes("\xFE\xFF\0a\0\n\0\r\0b"), 0, ENC_UTF16_BE, u"a\r\n\r\nb", true},
        {"empty file", "", 0, ENC_ANSI, u"", true},
        {"one byte", "x", 0, ENC_ANSI, u"x", true},
        {"utf16 odd byte dropped", Bytes("\xFF\xFE" "A\0B"), 0, ENC_UTF16_LE, u"A", false},
        {"utf16 nul drops rest of line", Bytes("\xFF\xFE" "A\0\0\0B\0\n\0C\0"), 0, ENC_UTF16_LE,
         u"A\r\nC", false},
        {"ansi nul drops rest of line", Bytes("a\0b\nc"), 0, ENC_ANSI, u"a\r\nc", false},
        {"utf8 four bytes make a pair", Bytes("\xEF\xBB\xBF\xF0\x9F\x98\x80!"), 0, ENC_UTF8,
         u"\U0001F600!", true},
        {"utf8 pair at line end", Bytes("\xEF\xBB\xBF\xF0\x9F\x98\x80\nx"), 0, ENC_UTF8,
         u"\U0001F600\r\nx", true},
        {"utf8 replacement char is not a loss", Bytes("\xEF\xBB\xBF\xEF\xBF\xBD"), 0, ENC_UTF8,
         u"\uFFFD", true},
        {"utf8 cut at the end", Bytes("\xEF\xBB\xBF" "a\xE2\x82"), 0, ENC_UTF8, u"a\uFFFD", false},
        {"utf8 cut before a line end", Bytes("\xEF\xBB\xBF" "a\xE2\x82\nb"), 0, ENC_UTF8,
         u"a\uFFFD\r\nb", false},
        {"utf8 cut by ascii", Bytes("\xEF\xBB\xBF\xE2\x82" "A"), 0, ENC_UTF8, u"\uFFFDA", false},
        {"utf8 stray continuations", Bytes("\xEF\xBB\xBF" "a\x80\x80\x80" "b"), 0, ENC_UTF8,
         u"a\uFFFDb", false},
        {"utf8 overlong", Bytes("\xEF\xBB\xBF\xC0\xAF" "x"), 0, ENC_UTF8, u"\uFFFDx", false},
        {"utf8 encoded surrogate", Bytes("\xEF\xBB\xBF\xED\xA0\x80"), 0, ENC_UTF8, u"\uFFFD", false},
        {"utf8 beyond U+10FFFF", Bytes("\xEF\xBB\xBF\xF4\x90\x80\x80" "z"), 0, ENC_UTF8,
         u"\uFFFDz", false},
        {"utf8 invalid lead then start", Bytes("\xEF\xBB\xBF\xE2(\xA1"), 0, ENC_UTF8,
         u"\uFFFD(\uFFFD", false},
        {"utf8 FF at the end", Bytes("\xEF\xBB\xBF" "a\xFF"), 0, ENC_UTF8, u"a\uFFFD", false},
        {"utf8 invalid before a new sequence", Bytes("\xEF\xBB\xBF\xC3\xC3\xA9"), 0, ENC_UTF8,
         u"\uFFFD\u00E9", false},
        {"ansi in the locale decodes invalid too", Bytes("\xFF" "a"), 0, ENC_ANSI, u"\uFFFDa", false},
    };
    for (const CDecodeCase& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CReadResult r = ReadFromBytes(c.sBytes, c.nCodePage);
        EXPECT_TRUE(r.bOk);
        EXPECT_EQ(r.nEncoding, c.nEncoding);
        EXPECT_EQ(r.sText, c.sText);
        EXPECT_EQ(r.bLossless, c.bLossless);
    }
}

TEST(TextFileRead, SeparatorReplacesEveryLineEnd)
{
    EXPECT_EQ(ReadFromBytes("a\r\nb\rc\nd", 0, u"\n").sText, u"a\nb\nc\nd");
    EXPECT_EQ(ReadFromBytes("a\r\nb\n", 0, u"").sText, u"ab");
}

TEST(TextFileRead, LinesAndTheirEnd)
{
    CFakeDisk disk;
    disk.m_sBytes = "a\n\rb";
    CTextFileRead file(FakeFile(disk), "fake.sql");
    std::u16string line;
    std::vector<std::u16string> lines;
    while (file.ReadLine(line))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"a", u"", u"b"}));
    line = u"kept";
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_EQ(line, u"kept");
}

TEST(TextFileRead, FirstLineBreakIsReported)
{
    const struct
    {
        const char* pszName;
        std::string sBytes;
        std::u16string sBreak;
    } cases[] = {
        {"crlf first", "a\r\nb\nc", u"\r\n"},
        {"lf first", "a\nb\r\n", u"\n"},
        {"cr", "a\rb", u"\r"},
        {"cr at the end", "a\r", u"\r"},
        {"crlf at the end", "a\r\n", u"\r\n"},
        {"none", "ab", u""},
        {"utf16 crlf", Bytes("\xFF\xFE" "a\0\r\0\n\0"), u"\r\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CFakeDisk disk;
        disk.m_sBytes = c.sBytes;
        CTextFileRead file(FakeFile(disk), "fake.sql");
        std::u16string text;
        ASSERT_TRUE(file.ReadAll(text));
        EXPECT_EQ(file.GetFirstLineBreak(), c.sBreak);
    }
}

TEST(TextFileRead, LongLinesAreReadWhole)
{
    for (std::size_t nLength : {1022u, 1023u, 1024u, 1025u, 2046u, 2047u, 5000u})
    {
        for (TextEncoding nEncoding : {ENC_ANSI, ENC_UTF8, ENC_UTF16_LE, ENC_UTF16_BE})
        {
            SCOPED_TRACE(std::to_string(nLength) + " units in " + std::string(EncodingName(nEncoding)));
            std::u16string line;
            for (std::size_t i = 0; i < nLength; ++i)
                line += static_cast<char16_t>(i % 3 == 0 && nEncoding != ENC_ANSI ? u'\u00E9' : u'a' + i % 26);
            std::string bytes(ByteOrderMark(nEncoding));
            AppendEncoded(line + u"\n" + line, nEncoding, nullptr, 0, bytes);
            CReadResult r = ReadFromBytes(bytes);
            EXPECT_EQ(r.sText, line + u"\r\n" + line);
            EXPECT_TRUE(r.bLossless);
        }
    }
}

TEST(TextFileRead, NulInALongLineDropsOnlyTheRestOfItsChunk)
{
    // Lines are gathered 1023 units at a time; a NUL ends its chunk, not the line.
    std::string bytes(1023, 'a');
    bytes += std::string("b\0c", 3) + std::string(1100, 'd');
    CReadResult r = ReadFromBytes(bytes);
    std::u16string expected(1023, u'a');
    expected += u'b';
    EXPECT_EQ(r.sText.substr(0, 1024), expected);
    EXPECT_FALSE(r.bLossless);
}

struct CPlatformCallCase
{
    const char* pszName;
    std::string sBytes;
    int nReads;
    int nSeeks;
};

TEST(TextFileRead, ReadsThePlatformFileOnceEvery1024Bytes)
{
    const std::string mark = "\xEF\xBB\xBF";
    const CPlatformCallCase cases[] = {
        {"empty: mark test, rewind, end", "", 2, 1},
        {"cut mark rewinds", Bytes("\xEF\xBB" "A"), 2, 1},
        {"ansi 3000 bytes", std::string(3000, 'x'), 4, 1},
        {"marked 1024 bytes", mark + std::string(1021, 'x'), 2, 0},
        {"marked 1025 bytes", mark + std::string(1022, 'x'), 2, 0},
        {"marked 2048 bytes", mark + std::string(2045, 'x'), 3, 0},
        {"utf16 odd byte at a buffer end", "\xFF\xFE" + std::string(1023, 'x'), 2, 0},
    };
    for (const CPlatformCallCase& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CFakeDisk disk;
        disk.m_sBytes = c.sBytes;
        CTextFileRead file(FakeFile(disk), "fake.sql");
        std::u16string text;
        EXPECT_TRUE(file.ReadAll(text));
        EXPECT_EQ(disk.m_nReads, c.nReads);
        EXPECT_EQ(disk.m_nSeeks, c.nSeeks);
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(disk.m_nCloses, 1);
    }
}

TEST(TextFileRead, WithoutSeekingRereadsTheBuffer)
{
    for (const char* pszBytes : {"", "a", "ab", "abc\ndef", "\xEF\xBB" "A"})
    {
        SCOPED_TRACE(Hex(pszBytes));
        CFakeDisk disk;
        disk.m_sBytes = pszBytes;
        disk.m_bSeekable = false;
        CTextFileRead file(FakeFile(disk), "pipe", kCodePageWindows1252);
        std::u16string text;
        EXPECT_TRUE(file.ReadAll(text, u"\n"));
        std::u16string expected;
        CCodePage(kCodePageWindows1252).ToUtf16(pszBytes, expected);
        EXPECT_EQ(text, expected);
    }
}

TEST(TextFileRead, FailuresLeaveTheTextAlone)
{
    CFakeDisk missing;
    missing.m_bOpens = false;
    CTextFileRead notOpened(FakeFile(missing), "missing.sql");
    std::u16string text = u"before";
    EXPECT_FALSE(notOpened.ReadAll(text));
    EXPECT_FALSE(notOpened.ReadLine(text));
    EXPECT_EQ(text, u"before");
    EXPECT_NE(notOpened.GetError(), "");
    EXPECT_EQ(missing.m_nReads, 0);

    CFakeDisk failing;
    failing.m_sBytes = std::string(5000, 'x');
    failing.m_nReadFailsAt = 2048;
    CTextFileRead broken(FakeFile(failing), "failing.sql");
    EXPECT_FALSE(broken.ReadAll(text));
    EXPECT_EQ(text, u"before");
    EXPECT_NE(broken.GetError().find("Input/output error"), std::string::npos);
    EXPECT_FALSE(broken.Close());

    CFakeDisk unknownCodePage;
    unknownCodePage.m_sBytes = "abc";
    CTextFileRead unconvertible(FakeFile(unknownCodePage), "x.sql", 4242);
    EXPECT_FALSE(unconvertible.ReadAll(text));
    EXPECT_EQ(text, u"before");
    EXPECT_NE(unconvertible.GetError().find("4242"), std::string::npos);
}

TEST(TextFileRead, CloseTwiceIsHarmless)
{
    CFakeDisk disk;
    disk.m_sBytes = "abc";
    CTextFileRead file(FakeFile(disk), "fake.sql");
    EXPECT_TRUE(file.Close());
    EXPECT_TRUE(file.Close());
    std::u16string text = u"x";
    EXPECT_FALSE(file.ReadLine(text));
    EXPECT_FALSE(file.ReadAll(text));
    EXPECT_EQ(disk.m_nCloses, 1);
}
} // namespace
