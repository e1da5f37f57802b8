// Code pages: names, the locale's character set, and conversion both ways with
// the replacement rules.
#include "CodePage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace
{
template <std::size_t N>
std::string B(const char (&s)[N])
{
    return std::string(s, N - 1);
}
template <std::size_t N>
std::u16string U(const char16_t (&s)[N])
{
    return std::u16string(s, N - 1);
}

TEST(CodePage, NamesUsersGive)
{
    const struct
    {
        const char* pszName;
        std::optional<unsigned> nCodePage;
    } cases[] = {
        {"utf-8", 65001},         {"UTF8", 65001},          {"65001", 65001},
        {"latin1", 28591},        {"Latin-1", 28591},       {"ISO-8859-1", 28591},
        {"iso8859_1", 28591},     {"cp1252", 1252},         {"Windows-1252", 1252},
        {"1252", 1252},           {"iso-8859-15", 28605},   {"latin9", 28605},
        {"shift_jis", 932},       {"cp437", 437},           {"IBM850", 850},
        {"koi8-r", 20866},        {"gb18030", 54936},       {"ascii", 20127},
        {"", std::nullopt},       {"0", std::nullopt},      {"cp99999", std::nullopt},
        {"utf-16", std::nullopt}, {"klingon", std::nullopt}, {"iso-8859-99", std::nullopt},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        EXPECT_EQ(CodePageFromName(c.pszName), c.nCodePage);
    }
}

TEST(CodePage, EveryKnownCodePageConverts)
{
    int nKnown = 0;
    for (unsigned n = 1; n < 70000; ++n)
    {
        if (!CharsetForCodePage(n))
            continue;
        ++nKnown;
        SCOPED_TRACE(n);
        CCodePage codePage(n);
        EXPECT_TRUE(codePage.IsValid()) << codePage.GetError();
        std::u16string text;
        EXPECT_EQ(codePage.ToUtf16("select 1;", text), 0u);
        EXPECT_EQ(text, u"select 1;");
    }
    EXPECT_GE(nKnown, 40);

    CCodePage unknown(4242);
    EXPECT_FALSE(unknown.IsValid());
    EXPECT_NE(unknown.GetError().find("4242"), std::string::npos);
}

TEST(CodePage, AnsiCharsetOfALocale)
{
    const struct
    {
        const char* pszCodeset;
        const char* pszCharset;
    } cases[] = {
        {"ANSI_X3.4-1968", "UTF-8"}, {"", "UTF-8"}, {"utf8", "UTF-8"},
        {"ISO-8859-15", "ISO-8859-15"}, {"EUC-JP", "EUC-JP"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszCodeset);
        EXPECT_EQ(AnsiCharsetForCodeset(c.pszCodeset), c.pszCharset);
    }
}

// Sets LC_ALL for one test and puts the old value back.
class CLocaleEnvironment
{
public:
    explicit CLocaleEnvironment(const char* pszValue)
    {
        if (const char* pszOld = std::getenv("LC_ALL"))
            m_sOld = pszOld;
        ::setenv("LC_ALL", pszValue, 1);
    }
    ~CLocaleEnvironment()
    {
        if (m_sOld)
            ::setenv("LC_ALL", m_sOld->c_str(), 1);
        else
            ::unsetenv("LC_ALL");
    }

private:
    std::optional<std::string> m_sOld;
};

TEST(CodePage, LocaleCharsetFollowsTheEnvironment)
{
    // Only C, POSIX and C.UTF-8 exist on every machine; a name that is not
    // installed falls back like C does.
    for (const char* pszLocale : {"C", "POSIX", "C.UTF-8", "xx_YY.ISO-8859-1"})
    {
        SCOPED_TRACE(pszLocale);
        CLocaleEnvironment environment(pszLocale);
        EXPECT_EQ(LocaleCharset(), "UTF-8");
        CCodePage ansi(kCodePageLocale);
        std::u16string text;
        EXPECT_EQ(ansi.ToUtf16(B("caf\xC3\xA9"), text), 0u);
        EXPECT_EQ(text, u"caf\u00E9");
    }
}

struct CToUtf16Case
{
    const char* pszName;
    unsigned nCodePage;
    std::string sBytes;
    std::u16string sText;
    std::size_t nReplaced;
};

TEST(CodePage, ToUtf16)
{
    const CToUtf16Case cases[] = {
        {"utf8 two bytes", 65001, B("a\xC3\xA9"), u"a\u00E9", 0},
        {"utf8 four bytes", 65001, B("\xF0\x9F\x98\x80"), u"\U0001F600", 0},
        {"utf8 cut at the end", 65001, B("a\xE2\x82"), u"a\uFFFD", 1},
        {"utf8 stray run is one", 65001, B("\x80\x80\x80" "a"), u"\uFFFDa", 1},
        {"utf8 two invalid", 65001, B("\xE2(\xA1"), u"\uFFFD(\uFFFD", 2},
        {"utf8 nul kept", 65001, B("a\0b"), U(u"a\0b"), 0},
        // Runs of ASCII are taken eight bytes at a time: other bytes at and
        // around the edges of such blocks.
        {"utf8 after eight ascii", 65001, B("abcdefgh\xC3\xA9" "ijklmnopq"), u"abcdefgh\u00E9ijklmnopq", 0},
        {"utf8 last of a block", 65001, B("abcdefg\xC3\xA9" "h"), u"abcdefg\u00E9h", 0},
        {"utf8 cut after nine ascii", 65001, B("abcdefghi\xE2\x82"), u"abcdefghi\uFFFD", 1},
        {"utf8 stray byte between blocks", 65001, B("abcdefgh\x80" "abcdefgh"), u"abcdefgh\uFFFDabcdefgh", 1},
        {"1252 euro", 1252, B("\x80\xE9"), u"\u20AC\u00E9", 0},
        {"1252 unassigned bytes are C1 controls", 1252, B("\x81\x8D\x8F\x90\x9D" "a"),
         u"\u0081\u008D\u008F\u0090\u009Da", 0},
        {"latin1 every byte", 28591, B("\x80\xFF"), u"\u0080\u00FF", 0},
        {"cp932", 932, B("\x82\xA0" "a"), u"\u3042a", 0},
        {"cp932 cut lead", 932, B("a\x82"), u"a\uFFFD", 1},
        {"ascii rejects high bytes", 20127, B("\xE9"), u"\uFFFD", 1},
        {"iso-2022-jp", 50220, B("\x1B$B$\"\x1B(B" "a"), u"\u3042a", 0},
        {"empty", 1252, "", u"", 0},
    };
    for (const CToUtf16Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CCodePage codePage(c.nCodePage);
        std::u16string text = u">";
        EXPECT_EQ(codePage.ToUtf16(c.sBytes, text), c.nReplaced);
        EXPECT_EQ(text, u">" + c.sText);
    }
}

struct CFromUtf16Case
{
    const char* pszName;
    unsigned nCodePage;
    std::u16string sText;
    char cDefault;
    std::string sBytes;
    std::size_t nReplaced;
};

TEST(CodePage, FromUtf16)
{
    const CFromUtf16Case cases[] = {
        {"utf8 pair", 65001, u"\U0001F600", 0, B("\xF0\x9F\x98\x80"), 0},
        {"utf8 lone high", 65001, U(u"\xD83D" u"a"), 0, B("\xEF\xBF\xBD" "a"), 1},
        {"utf8 high high low", 65001, U(u"\xD83D\xD83D\xDE00"), 0,
         B("\xEF\xBF\xBD\xF0\x9F\x98\x80"), 1},
        {"utf8 after four ascii", 65001, u"abcd\u00E9efgh\U0001F600ij", 0,
         B("abcd\xC3\xA9" "efgh\xF0\x9F\x98\x80" "ij"), 0},
        {"utf8 lone low after five ascii", 65001, U(u"abcde\xDC00"), 0, B("abcde\xEF\xBF\xBD"), 1},
        {"utf8 largest", 65001, u"\U0010FFFF\uFFFF", 0, B("\xF4\x8F\xBF\xBF\xEF\xBF\xBF"), 0},
        {"1252", 1252, u"\u20AC\u00E9", 0, B("\x80\xE9"), 0},
        {"1252 omega", 1252, u"a\u03A9", 0, "a?", 1},
        {"1252 omega with default", 1252, u"a\u03A9", '#', "a#", 1},
        {"1252 C1 controls of unassigned bytes", 1252, u"\u0081\u009D", 0, B("\x81\x9D"), 0},
        {"1252 C1 control of the euro", 1252, u"\u0080", 0, "?", 1},
        {"1252 pair is one", 1252, u"\U0001F600", 0, "?", 1},
        {"latin1 pair is one", 28591, u"\U0001F600", 0, "?", 1},
        {"latin1 lone surrogates", 28591, U(u"\xDC00\xD800"), 0, "??", 2},
        {"cp932", 932, u"\u3042", 0, B("\x82\xA0"), 0},
        {"iso-2022-jp shifts back", 50220, u"\u3042a", 0, B("\x1B$B$\"\x1B(B" "a"), 0},
        {"empty", 1252, u"", 0, "", 0},
    };
    for (const CFromUtf16Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CCodePage codePage(c.nCodePage);
        std::string bytes = ">";
        EXPECT_EQ(codePage.FromUtf16(c.sText, bytes, c.cDefault), c.nReplaced);
        EXPECT_EQ(bytes, ">" + c.sBytes);
    }
}

TEST(CodePage, EveryWindows1252ByteReadsAndWritesBack)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    CCodePage codePage(kCodePageWindows1252);
    std::u16string text;
    EXPECT_EQ(codePage.ToUtf16(bytes, text), 0u);
    ASSERT_EQ(text.size(), 256u);
    std::string back;
    EXPECT_EQ(codePage.FromUtf16(text, back), 0u);
    EXPECT_EQ(back, bytes);
}

TEST(CodePage, LargeTextsConvertWhole)
{
    // Larger than any first guess at the output size, in both directions.
    std::u16string text;
    for (int i = 0; i < 100000; ++i)
        text += i % 7 == 0 ? u'\u20AC' : u'\u00E9';
    for (unsigned nCodePage : {1252u, 65001u, 936u})
    {
        SCOPED_TRACE(nCodePage);
        CCodePage codePage(nCodePage);
        std::string bytes;
        EXPECT_EQ(codePage.FromUtf16(text, bytes), 0u);
        std::u16string back;
        EXPECT_EQ(codePage.ToUtf16(bytes, back), 0u);
        EXPECT_EQ(back, text);
    }
}
} // namespace
