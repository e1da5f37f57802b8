// Decoding files for the engine and encoding results back: marks, line
// endings, and bytes that would not survive the round trip.
#include "SqlFileText.h"

#include <gtest/gtest.h>

using namespace qmcli;

namespace
{

struct CDecodeCase
{
    const char* m_sName;
    std::string m_sBytes;
    unsigned m_nCodePage;
    const char* m_sError; // substring; null when it decodes
    std::u16string m_sText;
    TextEncoding m_nEncoding;
    bool m_bCrLf;
    bool m_bExact;
};

class DecodeTest : public ::testing::TestWithParam<CDecodeCase>
{
};

TEST_P(DecodeTest, DecodesAndEncodesBack)
{
    const CDecodeCase& c = GetParam();
    CSqlText text;
    std::string error;
    const bool ok = DecodeSqlText(c.m_sBytes, c.m_nCodePage, text, error);
    if (c.m_sError)
    {
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find(c.m_sError), std::string::npos) << error;
        return;
    }
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(text.m_sText, c.m_sText);
    EXPECT_EQ(text.m_nEncoding, c.m_nEncoding);
    EXPECT_EQ(text.m_bCrLf, c.m_bCrLf);
    EXPECT_EQ(text.m_bExact, c.m_bExact);
    std::string bytes;
    ASSERT_TRUE(EncodeSqlText(text.m_sText, text, true, bytes, error)) << error;
    if (c.m_bExact)
    {
        EXPECT_EQ(bytes, c.m_sBytes) << "an exact text encodes back to its bytes";
    }
}

using namespace std::string_literals;

const CDecodeCase kDecodeCases[] = {
    {"Utf8NoMark", "a\nb\n", kCodePageUtf8, nullptr, u"a\nb\n", ENC_ANSI, false, true},
    {"Utf8Mark", "\xEF\xBB\xBF" "x = '\xC3\xA9'\r\n", kCodePageUtf8, nullptr, u"x = '\u00e9'\n", ENC_UTF8, true, true},
    {"Utf16LeMark", "\xFF\xFE" "a\0\r\0\n\0b\0"s, kCodePageUtf8, nullptr, u"a\nb", ENC_UTF16_LE, true, true},
    {"Utf16BeMark", "\xFE\xFF\0a\0\n"s, kCodePageUtf8, nullptr, u"a\n", ENC_UTF16_BE, false, true},
    {"Latin1", "'\xE9t\xE9'", kCodePageLatin1, nullptr, u"'\u00e9t\u00e9'", ENC_ANSI, false, true},
    {"Cp1252Euro", "'\x80'", kCodePageWindows1252, nullptr, u"'\u20ac'", ENC_ANSI, false, true},
    {"MixedEndingsAreNotExact", "a\r\nb\nc", kCodePageUtf8, nullptr, u"a\nb\nc", ENC_ANSI, true, false},
    {"LoneCrIsNotExact", "a\rb", kCodePageUtf8, nullptr, u"a\nb", ENC_ANSI, false, false},
    {"EmptyFile", "", kCodePageUtf8, nullptr, u"", ENC_ANSI, false, true},
    {"InvalidUtf8", "select '\xE9' from dual", kCodePageUtf8, "is not valid UTF-8", u"", ENC_ANSI, false, false},
    {"NulByte", "a\0b"s, kCodePageUtf8, "holds a NUL character at byte offset 1 (counted from 0)", u"", ENC_ANSI, false, false},
    {"NulAfterUtf8Mark", "\xEF\xBB\xBFxy\0"s, kCodePageUtf8, "NUL character at byte offset 5 ", u"", ENC_ANSI, false, false},
    {"NulInUtf16", "\xFF\xFE" "a\0\0\0"s, kCodePageUtf8, "NUL character at byte offset 4 ", u"", ENC_ANSI, false, false},
    {"ZeroBytesOfUtf16Letters", "\xFE\xFF\0a\0b"s, kCodePageUtf8, nullptr, u"ab", ENC_UTF16_BE, false, true},
    {"OddUtf16Byte", "\xFF\xFE" "a\0b"s, kCodePageUtf8, "is not valid UTF-16LE", u"", ENC_ANSI, false, false},
    {"TruncatedUtf8AtEnd", "abc\xE2\x82", kCodePageUtf8, "is not valid", u"", ENC_ANSI, false, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, DecodeTest, ::testing::ValuesIn(kDecodeCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(EncodeTest, RefusesCharactersTheCodePageCannotHold)
{
    CSqlText latin1;
    latin1.m_nEncoding = ENC_ANSI;
    latin1.m_nCodePage = kCodePageLatin1;
    std::string bytes, error;
    EXPECT_FALSE(EncodeSqlText(u"'\u20ac'", latin1, false, bytes, error));
    EXPECT_NE(error.find("cannot represent"), std::string::npos) << error;
}

TEST(EncodeTest, CrLfOnEveryLineBreak)
{
    CSqlText crlf;
    crlf.m_nEncoding = ENC_UTF16_LE;
    crlf.m_bCrLf = true;
    std::string bytes, error;
    ASSERT_TRUE(EncodeSqlText(u"a\n\nb", crlf, true, bytes, error));
    EXPECT_EQ(bytes, "\xFF\xFE" "a\0\r\0\n\0\r\0\n\0b\0"s);
}

// Decoding and encoding in chunks on threads, and encoding a text handed over
// in parts, must give what one thread does with the whole text, wherever the
// text is cut: with chunks of one to nine bytes (units) every place is tried,
// inside a multi-byte sequence, between surrogates, between CR and LF, at an
// invalid byte.
constexpr size_t kLongestChunk = 9;

struct CDecodeChunksCase
{
    const char* m_sName;
    std::string m_sBytes;
    unsigned m_nCodePage;
};

class DecodeChunksTest : public ::testing::TestWithParam<CDecodeChunksCase>
{
};

TEST_P(DecodeChunksTest, GivesWhatOneThreadGives)
{
    const CDecodeChunksCase& c = GetParam();
    CSqlText one;
    std::string oneError;
    const bool oneOk = DecodeSqlText(c.m_sBytes, c.m_nCodePage, one, oneError);
    for (size_t chunk = 1; chunk <= kLongestChunk; ++chunk)
    {
        SCOPED_TRACE("chunks of " + std::to_string(chunk));
        CSqlText text;
        std::string error;
        EXPECT_EQ(DecodeSqlText(c.m_sBytes, c.m_nCodePage, text, error, {2, chunk}), oneOk);
        EXPECT_EQ(error, oneError);
        EXPECT_EQ(text.m_sText, one.m_sText);
        EXPECT_EQ(text.m_nEncoding, one.m_nEncoding);
        EXPECT_EQ(text.m_bCrLf, one.m_bCrLf);
        EXPECT_EQ(text.m_bExact, one.m_bExact);
    }
}

const CDecodeChunksCase kDecodeChunksCases[] = {
    {"Ascii", "select 1 from dual;\n/\nselect 2 from dual;\n", kCodePageUtf8},
    {"TwoThreeAndFourByteSequences", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xC3\xA9z\n", kCodePageUtf8},
    {"MarkAndSequenceAtEnd", "\xEF\xBB\xBFx = '\xE2\x82\xAC'\n\xF0\x9F\x98\x80", kCodePageUtf8},
    {"CrLf", "select\r\n'\xC3\xA9'\r\nfrom t\r\n", kCodePageUtf8},
    {"LoneCrAmongLf", "a\nb\rc\xC3\xA9\nd", kCodePageUtf8},
    {"InvalidLead", "select '\xFF\xC3\xA9' from dual\n", kCodePageUtf8},
    {"StrayContinuations", "ab\x80\x80\x80" "cd\xC3\xA9", kCodePageUtf8},
    {"TruncatedBeforeAscii", "ab\xF0\x9F\x98xyz", kCodePageUtf8},
    {"TruncatedAtEnd", "abcdefgh\xE2\x82", kCodePageUtf8},
    {"OverlongAndEncodedSurrogate", "a\xC0\xAF" "b\xED\xA0\x80" "c", kCodePageUtf8},
    {"NulAfterSequences", "\xC3\xA9\xC3\xA9\xC3\xA9x\0y"s, kCodePageUtf8},
    {"Latin1", "'\xE9t\xE9'\nselect 1;\n", kCodePageLatin1},
};

INSTANTIATE_TEST_SUITE_P(Cases, DecodeChunksTest, ::testing::ValuesIn(kDecodeChunksCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

struct CEncodeChunksCase
{
    const char* m_sName;
    std::u16string m_sText;
    TextEncoding m_nEncoding;
    unsigned m_nCodePage;
    bool m_bCrLf;
};

class EncodeChunksTest : public ::testing::TestWithParam<CEncodeChunksCase>
{
};

TEST_P(EncodeChunksTest, GivesWhatOneThreadGives)
{
    const CEncodeChunksCase& c = GetParam();
    CSqlText like;
    like.m_nEncoding = c.m_nEncoding;
    like.m_nCodePage = c.m_nCodePage;
    like.m_bCrLf = c.m_bCrLf;
    for (const bool withMark : {false, true})
    {
        std::string one, oneError;
        const bool oneOk = EncodeSqlText(c.m_sText, like, withMark, one, oneError);
        for (size_t chunk = 1; chunk <= kLongestChunk; ++chunk)
        {
            SCOPED_TRACE("chunks of " + std::to_string(chunk) + (withMark ? ", with mark" : ""));
            std::string bytes, error;
            EXPECT_EQ(EncodeSqlText(c.m_sText, like, withMark, bytes, error, {2, chunk}), oneOk);
            EXPECT_EQ(error, oneError);
            if (oneOk)
            {
                EXPECT_EQ(bytes, one);
            }
            if (!CSqlTextEncoder::CanEncodeInParts(like))
                continue;
            // The same, the text handed over in parts of this length.
            std::string inParts;
            CSqlTextEncoder encoder(like, withMark, inParts);
            for (size_t at = 0; at < c.m_sText.size(); at += chunk)
                encoder.Append(std::u16string_view(c.m_sText).substr(at, chunk));
            error.clear();
            EXPECT_EQ(encoder.Finish(error), oneOk);
            EXPECT_EQ(error, oneError);
            if (oneOk)
            {
                EXPECT_EQ(inParts, one);
            }
        }
    }
}

const CEncodeChunksCase kEncodeChunksCases[] = {
    {"Ascii", u"select 1\nfrom dual;\n/\n", ENC_UTF8, kCodePageUtf8, false},
    {"SequencesAndPairs", u"a\u00e9\u20ac\U0001F600\U0001F600z\n\u00e9", ENC_UTF8, kCodePageUtf8, false},
    {"CrLf", u"\nselect\n\n'\u00e9'\U0001F600\nfrom t\n", ENC_UTF8, kCodePageUtf8, true},
    {"LocaleUtf8CrLf", u"a\n\u20ac\nb", ENC_ANSI, kCodePageUtf8, true},
    {"LoneHighSurrogate", u"abc\xD83D" u"defgh", ENC_UTF8, kCodePageUtf8, false},
    {"LoneLowSurrogateFirst", u"\xDE00" u"abcdefgh", ENC_UTF8, kCodePageUtf8, false},
    {"HighSurrogateLast", u"abcdefgh\xD83D", ENC_UTF8, kCodePageUtf8, true},
    {"Latin1", u"'\u00e9t\u00e9'\nx", ENC_ANSI, kCodePageLatin1, true},
    {"Utf16", u"a\u00e9\U0001F600\nb", ENC_UTF16_BE, kCodePageUtf8, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, EncodeChunksTest, ::testing::ValuesIn(kEncodeChunksCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(LiteralLineBreakTest, FindsLiteralsAndQuotedIdentifiersThatSpanLines)
{
    EXPECT_TRUE(HasLineBreakInLiteral(u"x = 'a\nb'"));
    EXPECT_TRUE(HasLineBreakInLiteral(u"select \"a\nb\" from t"));
    EXPECT_TRUE(HasLineBreakInLiteral(u"x = q'[a\n]'"));
    EXPECT_FALSE(HasLineBreakInLiteral(u"select 'a'\nfrom t -- it's\n/* 'x\ny' */"));
}

} // namespace
