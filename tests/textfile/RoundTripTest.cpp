// Random text through every encoding and back, and random bytes through the
// reader: what it calls lossless must re-encode to exactly the bytes it read.
#include "FakeFile.h"
#include "TextFileRead.h"
#include "TextFileWrite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace
{
// The characters of Windows-1252 beyond Latin-1's printable range.
constexpr char16_t k1252Extras[] = u"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030"
                                   u"\u0160\u2039\u0152\u017D\u2018\u2019\u201C\u201D\u2022"
                                   u"\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E\u0178";

enum class Repertoire
{
    Unicode,
    Latin1,
    Windows1252,
};

// Random lines joined by LF: no CR (the reader turns every line end into the
// separator), no NUL (it ends a line's chunk), no lone surrogate.
std::u16string RandomText(std::mt19937& random, Repertoire repertoire, std::size_t nLength)
{
    std::u16string text;
    auto pick = [&](unsigned nLow, unsigned nHigh) {
        return std::uniform_int_distribution<unsigned>(nLow, nHigh)(random);
    };
    while (text.size() < nLength)
    {
        const unsigned nKind = pick(0, 9);
        if (nKind == 0)
        {
            text += u'\n';
            continue;
        }
        if (nKind < 5)
        {
            text += static_cast<char16_t>(pick(0x20, 0x7E));
            continue;
        }
        switch (repertoire)
        {
        case Repertoire::Latin1:
            text += static_cast<char16_t>(nKind == 5 ? pick(1, 0x1F) : pick(0x80, 0xFF));
            if (text.back() == u'\r')
                text.back() = u'\t';
            break;
        case Repertoire::Windows1252:
            text += nKind == 5 ? k1252Extras[pick(0, 26)] : static_cast<char16_t>(pick(0xA0, 0xFF));
            break;
        case Repertoire::Unicode:
            if (nKind == 5)
            {
                const char32_t c = pick(0x10000, 0x10FFFF);
                text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            }
            else
            {
                char16_t u = static_cast<char16_t>(pick(nKind == 6 ? 0x80 : 0x800, 0xFFFF));
                if (IsHighSurrogate(u) || IsLowSurrogate(u))
                    u = u'\u00E9';
                text += u;
            }
            break;
        }
    }
    // A leading U+FEFF would be taken for the mark of an unmarked UTF-8 file.
    if (!text.empty() && text.front() == u'\uFEFF')
        text.front() = u'x';
    return text;
}

struct CRoundTripCase
{
    const char* pszName;
    TextEncoding nEncoding;
    unsigned nCodePage;
    Repertoire repertoire;
};

const CRoundTripCase kRoundTrips[] = {
    {"utf8", ENC_UTF8, 0, Repertoire::Unicode},
    {"utf16le", ENC_UTF16_LE, 0, Repertoire::Unicode},
    {"utf16be", ENC_UTF16_BE, 0, Repertoire::Unicode},
    {"ansi in the locale", ENC_ANSI, 0, Repertoire::Unicode},
    {"ansi 65001", ENC_ANSI, kCodePageUtf8, Repertoire::Unicode},
    {"ansi 1252", ENC_ANSI, kCodePageWindows1252, Repertoire::Windows1252},
    {"ansi latin1", ENC_ANSI, kCodePageLatin1, Repertoire::Latin1},
};

TEST(TextFileRoundTrip, RandomTextThroughEveryEncoding)
{
    std::mt19937 random(20261209);
    for (const CRoundTripCase& c : kRoundTrips)
    {
        for (int nRun = 0; nRun < 40; ++nRun)
        {
            const std::size_t nLength = std::uniform_int_distribution<std::size_t>(0, 4000)(random);
            const std::u16string text = RandomText(random, c.repertoire, nLength);
            SCOPED_TRACE(std::string(c.pszName) + ", run " + std::to_string(nRun));

            CFakeDisk disk;
            CTextFileWrite writer(FakeFile(disk), "fake.sql", c.nEncoding, c.nCodePage);
            ASSERT_TRUE(writer.Write(text));
            ASSERT_TRUE(writer.Close());
            EXPECT_TRUE(writer.IsLossless());

            CTextFileRead reader(FakeFile(disk), "fake.sql", c.nCodePage);
            std::u16string back;
            ASSERT_TRUE(reader.ReadAll(back, u"\n"));
            EXPECT_EQ(reader.GetEncoding(), c.nEncoding);
            EXPECT_TRUE(reader.IsLossless());
            ASSERT_EQ(back, text);
        }
    }
}

// Random bytes built from pieces that are valid, invalid or cut short.
std::string RandomUtf8Bytes(std::mt19937& random, std::size_t nPieces)
{
    static const char* const kPieces[] = {
        "a", "Z", " ", "\n", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xEF\xBF\xBD",
        "\x80", "\xBF", "\xC0\xAF", "\xE2\x82", "\xF0\x9F", "\xED\xA0\x80", "\xF5", "\xFF",
        "\xC3", "\xF4\x90\x80\x80", "",
    };
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
    std::string bytes;
    for (std::size_t i = 0; i < nPieces; ++i)
    {
        const std::size_t n = pick(random);
        if (n + 1 == std::size(kPieces))
            bytes += '\0';
        else
            bytes += kPieces[n];
    }
    return bytes;
}

std::string RandomUtf16Bytes(std::mt19937& random, std::size_t nUnits)
{
    std::string bytes;
    std::uniform_int_distribution<unsigned> unit(0, 0xFFFF);
    std::uniform_int_distribution<int> kind(0, 9);
    for (std::size_t i = 0; i < nUnits; ++i)
    {
        unsigned u = kind(random) == 0 ? (kind(random) < 5 ? 0 : '\n') : unit(random);
        if (u == '\r')
            u = 'r';
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    if (kind(random) < 3)
        bytes += 'x'; // an odd byte at the end
    return bytes;
}

TEST(TextFileRoundTrip, LosslessMeansTheBytesComeBackExactly)
{
    std::mt19937 random(7);
    for (int nRun = 0; nRun < 600; ++nRun)
    {
        std::string bytes;
        switch (nRun % 4)
        {
        case 0: bytes = "\xEF\xBB\xBF" + RandomUtf8Bytes(random, nRun % 50); break;
        case 1: bytes = RandomUtf8Bytes(random, nRun); break;
        case 2: bytes = "\xFF\xFE" + RandomUtf16Bytes(random, nRun % 700); break;
        case 3: bytes = RandomUtf16Bytes(random, nRun % 40); break;
        }
        SCOPED_TRACE("run " + std::to_string(nRun) + ": " + Hex(bytes.substr(0, 60)));

        CFakeDisk disk;
        disk.m_sBytes = bytes;
        CTextFileRead reader(FakeFile(disk), "fake.sql");
        std::u16string text;
        ASSERT_TRUE(reader.ReadAll(text, u"\n"));

        std::string again(ByteOrderMark(reader.GetEncoding()));
        CCodePage codePage(kCodePageLocale);
        AppendEncoded(text, reader.GetEncoding(), &codePage, 0, again);
        EXPECT_EQ(reader.IsLossless(), again == bytes) << Hex(again.substr(0, 60));
    }
}
TEST(TextFileRoundTrip, FileReaderDecodesUtf8LikeTheCodePage)
{
    // The reader decodes UTF-8 byte by byte through its buffer, the code page
    // layer a whole string at once: both must replace the same sequences.
    std::mt19937 random(11);
    for (int nRun = 0; nRun < 300; ++nRun)
    {
        std::string body = RandomUtf8Bytes(random, static_cast<std::size_t>(nRun) * 3);
        body.erase(std::remove(body.begin(), body.end(), '\0'), body.end());
        SCOPED_TRACE(Hex(body.substr(0, 60)));
        std::u16string expected;
        Utf8::Decode(body, expected);

        CFakeDisk disk;
        disk.m_sBytes = "\xEF\xBB\xBF" + body;
        CTextFileRead reader(FakeFile(disk), "fake.sql");
        std::u16string text;
        ASSERT_TRUE(reader.ReadAll(text, u"\n"));
        EXPECT_EQ(text, expected);
    }
}
} // namespace
