#include "CodePage.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace
{
struct CCodePageName
{
    unsigned nCodePage;
    const char* pszCharset; // as iconv knows it
};

// Windows code page numbers and the sets iconv converts for them.
constexpr CCodePageName kCodePages[] = {
    {437, "CP437"},        {850, "CP850"},        {852, "CP852"},
    {855, "CP855"},        {857, "CP857"},        {860, "CP860"},
    {861, "CP861"},        {862, "CP862"},        {863, "CP863"},
    {864, "CP864"},        {865, "CP865"},        {866, "CP866"},
    {869, "CP869"},        {874, "CP874"},        {932, "CP932"},
    {936, "CP936"},        {949, "CP949"},        {950, "CP950"},
    {1250, "CP1250"},      {1251, "CP1251"},      {1252, "CP1252"},
    {1253, "CP1253"},      {1254, "CP1254"},      {1255, "CP1255"},
    {1256, "CP1256"},      {1257, "CP1257"},      {1258, "CP1258"},
    {10000, "MACINTOSH"},  {20127, "US-ASCII"},   {20866, "KOI8-R"},
    {20932, "EUC-JP"},     {21866, "KOI8-U"},     {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"}, {28593, "ISO-8859-3"}, {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"}, {28596, "ISO-8859-6"}, {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"}, {28599, "ISO-8859-9"}, {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"}, {50220, "ISO-2022-JP"}, {51932, "EUC-JP"},
    {51949, "EUC-KR"},     {54936, "GB18030"},    {65001, "UTF-8"},
};

// Names users give to sets, in the folded form of FoldName, beyond "cpNNN",
// "windows-NNNN", "ibmNNN", plain numbers and the iconv names above.
constexpr std::pair<const char*, unsigned> kCodePageAliases[] = {
    {"utf8", 65001},       {"latin1", 28591},     {"l1", 28591},
    {"latin2", 28592},     {"latin9", 28605},     {"ascii", 20127},
    {"usascii", 20127},    {"ansix341968", 20127}, {"shiftjis", 932},
    {"sjis", 932},         {"mskanji", 932},      {"gbk", 936},
    {"gb2312", 936},       {"big5", 950},         {"uhc", 949},
    {"ksc5601", 949},      {"eucjp", 51932},      {"euckr", 51949},
    {"gb18030", 54936},    {"koi8r", 20866},      {"koi8u", 21866},
    {"mac", 10000},        {"macroman", 10000},   {"macintosh", 10000},
    {"iso2022jp", 50220},  {"iso885915", 28605},  {"iso885913", 28603},
};

std::string FoldName(std::string_view sName)
{
    std::string sFolded;
    for (char c : sName)
    {
        if (c == '-' || c == '_' || c == ' ')
            continue;
        sFolded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return sFolded;
}

std::optional<unsigned> ParseNumber(std::string_view s)
{
    if (s.empty() || s.size() > 6)
        return std::nullopt;
    unsigned n = 0;
    for (char c : s)
    {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n;
}

bool IsKnownCodePage(unsigned nCodePage)
{
    return std::any_of(std::begin(kCodePages), std::end(kCodePages),
                       [&](const CCodePageName& e) { return e.nCodePage == nCodePage; });
}

// Windows-1252 from 80 to 9F; the rest of its bytes stand for the character
// of the same number.
constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void Decode1252(std::string_view bytes, std::u16string& out)
{
    out.reserve(out.size() + bytes.size());
    for (const char c : bytes)
    {
        const auto b = static_cast<unsigned char>(c);
        out += b >= 0x80 && b < 0xA0 ? k1252High[b - 0x80] : static_cast<char16_t>(b);
    }
}

std::size_t Encode1252(std::u16string_view text, std::string& out, char cReplacement)
{
    std::size_t nReplaced = 0;
    out.reserve(out.size() + text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char16_t u = text[i];
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        {
            out += static_cast<char>(u);
            continue;
        }
        const char16_t* pAt = std::find(std::begin(k1252High), std::end(k1252High), u);
        if (pAt != std::end(k1252High))
        {
            out += static_cast<char>(0x80 + (pAt - std::begin(k1252High)));
            continue;
        }
        // One replacement per character: a surrogate pair counts as one.
        out += cReplacement;
        ++nReplaced;
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
    }
    return nReplaced;
}

// The UTF-16 form whose units are char16_t in this machine's byte order.
const char* NativeUtf16()
{
    return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}
} // namespace

std::string AnsiCharsetForCodeset(std::string_view sCodeset)
{
    const std::string sFolded = FoldName(sCodeset);
    if (sFolded.empty() || sFolded == "ansix3.41968" || sFolded == "ascii" ||
        sFolded == "usascii" || sFolded == "646" || sFolded == "utf8")
        return "UTF-8";
    return std::string(sCodeset);
}

std::string LocaleCharset()
{
    // The locale the user asked for in the environment, whether or not this
    // program has called setlocale.
    locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return "UTF-8";
    std::string sCodeset = ::nl_langinfo_l(CODESET, locale);
    ::freelocale(locale);
    return AnsiCharsetForCodeset(sCodeset);
}

std::optional<std::string> CharsetForCodePage(unsigned nCodePage)
{
    if (nCodePage == kCodePageLocale)
        return LocaleCharset();
    for (const CCodePageName& entry : kCodePages)
        if (entry.nCodePage == nCodePage)
            return std::string(entry.pszCharset);
    return std::nullopt;
}

std::optional<unsigned> CodePageFromName(std::string_view sName)
{
    const std::string sFolded = FoldName(sName);
    for (std::string_view sPrefix : {"", "cp", "windows", "ibm"})
    {
        if (sFolded.rfind(sPrefix, 0) != 0)
            continue;
        auto n = ParseNumber(std::string_view(sFolded).substr(sPrefix.size()));
        if (n && IsKnownCodePage(*n))
            return n;
    }
    if (sFolded.rfind("iso8859", 0) == 0)
    {
        auto n = ParseNumber(std::string_view(sFolded).substr(7));
        if (n && *n >= 1 && *n <= 16 && IsKnownCodePage(28590 + *n))
            return 28590 + *n;
    }
    for (const auto& [pszAlias, nCodePage] : kCodePageAliases)
        if (sFolded == pszAlias)
            return nCodePage;
    for (const CCodePageName& entry : kCodePages)
        if (sFolded == FoldName(entry.pszCharset))
            return entry.nCodePage;
    return std::nullopt;
}

namespace
{
// The length of the run of ASCII bytes at the start of bytes, eight at a time.
std::size_t AsciiPrefix(const unsigned char* p, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8)
    {
        uint64_t block;
        std::memcpy(&block, p + i, 8);
        if (block & 0x8080808080808080ull)
            break;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

// The same for UTF-16 units, four at a time.
std::size_t AsciiPrefix(const char16_t* p, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4)
    {
        uint64_t block;
        std::memcpy(&block, p + i, 8);
        if (block & 0xFF80FF80FF80FF80ull)
            break;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}
} // namespace

std::size_t Utf8::Encode(std::u16string_view text, std::string& out)
{
    std::size_t nReplaced = 0;
    out.reserve(out.size() + text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        // SQL is mostly ASCII: whole runs of it are narrowed at once.
        if (const std::size_t nAscii = AsciiPrefix(text.data() + i, text.size() - i); nAscii > 0)
        {
            const std::size_t nOld = out.size();
            out.resize(nOld + nAscii);
            char* pOut = out.data() + nOld;
            const char16_t* pIn = text.data() + i;
            for (std::size_t k = 0; k < nAscii; ++k)
                pOut[k] = static_cast<char>(pIn[k]);
            i += nAscii;
            if (i == text.size())
                break;
        }
        char32_t c = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
        {
            c = kReplacementCharacter;
            ++nReplaced;
        }
        if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return nReplaced;
}

std::size_t Utf8::Decode(std::string_view bytes, std::u16string& out)
{
    std::size_t nReplaced = 0;
    out.reserve(out.size() + bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n)
    {
        // SQL is mostly ASCII: whole runs of it are widened at once.
        if (const std::size_t nAscii = AsciiPrefix(p + i, n - i); nAscii > 0)
        {
            const std::size_t nOld = out.size();
            out.resize(nOld + nAscii);
            char16_t* pOut = out.data() + nOld;
            for (std::size_t k = 0; k < nAscii; ++k)
                pOut[k] = p[i + k];
            i += nAscii;
            if (i == n)
                break;
        }
        const unsigned char lead = p[i];
        const int nLength = SequenceLength(lead);
        bool bValid = nLength != 0 && i + 1 < n && IsValidSecondByte(lead, p[i + 1]);
        for (int k = 2; bValid && k < nLength; ++k)
            bValid = i + k < n && IsContinuation(p[i + k]);
        if (!bValid)
        {
            out += kReplacementCharacter;
            ++nReplaced;
            ++i;
            while (i < n && !CanStartCharacter(p[i]))
                ++i;
            continue;
        }
        char32_t c = lead & (0x7F >> nLength);
        for (int k = 1; k < nLength; ++k)
            c = (c << 6) | (p[i + k] & 0x3F);
        i += static_cast<std::size_t>(nLength);
        if (c >= 0x10000)
        {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        else
        {
            out += static_cast<char16_t>(c);
        }
    }
    return nReplaced;
}

// One iconv conversion descriptor, closed when the object goes.
class CCodePage::CIconv
{
public:
    CIconv(const char* pszTo, const char* pszFrom) : m_cd(::iconv_open(pszTo, pszFrom)) {}
    ~CIconv()
    {
        if (IsOpen())
            ::iconv_close(m_cd);
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;

    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts in to out (appending), calling onError at each input position that
    // the set rejects (or that is cut short at the end); onError returns how many
    // input bytes to skip and appends what stands in for them.
    template <typename OnError>
    void Convert(const char* pIn, std::size_t nIn, std::string& out, OnError onError)
    {
        ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* pInPos = const_cast<char*>(pIn);
        std::size_t nInLeft = nIn;
        std::size_t nOutDone = out.size();
        out.resize(nOutDone + nIn * 2 + 16);
        for (;;)
        {
            char* pOutPos = out.data() + nOutDone;
            std::size_t nOutLeft = out.size() - nOutDone;
            std::size_t nResult = ::iconv(m_cd, &pInPos, &nInLeft, &pOutPos, &nOutLeft);
            nOutDone = static_cast<std::size_t>(pOutPos - out.data());
            if (nResult != static_cast<std::size_t>(-1))
            {
                if (nInLeft == 0)
                {
                    // Flush the shift state of stateful sets.
                    pOutPos = out.data() + nOutDone;
                    nOutLeft = out.size() - nOutDone;
                    if (::iconv(m_cd, nullptr, nullptr, &pOutPos, &nOutLeft) ==
                            static_cast<std::size_t>(-1) && errno == E2BIG)
                    {
                        out.resize(out.size() + 16);
                        continue;
                    }
                    nOutDone = static_cast<std::size_t>(pOutPos - out.data());
                    break;
                }
                continue;
            }
            if (errno == E2BIG)
            {
                out.resize(out.size() * 2 + 16);
                continue;
            }
            // EILSEQ, or EINVAL at a sequence cut short at the end.
            out.resize(nOutDone);
            std::size_t nSkip = std::min(nInLeft, onError(pInPos, nInLeft, out));
            nOutDone = out.size();
            pInPos += nSkip;
            nInLeft -= nSkip;
            out.resize(nOutDone + nInLeft * 2 + 16);
        }
        out.resize(nOutDone);
    }

private:
    iconv_t m_cd;
};

CCodePage::CCodePage(unsigned nCodePage) : m_nCodePage(nCodePage)
{
    auto sCharset = CharsetForCodePage(nCodePage);
    if (!sCharset)
    {
        m_sError = "unknown code page " + std::to_string(nCodePage);
        return;
    }
    m_sCharset = *sCharset;
    m_bUtf8 = FoldName(m_sCharset) == "utf8";
    m_bWindows1252 = FoldName(m_sCharset) == "cp1252" || FoldName(m_sCharset) == "windows1252";
    if (m_bUtf8 || m_bWindows1252)
        return;
    m_pToUtf16 = std::make_unique<CIconv>(NativeUtf16(), m_sCharset.c_str());
    m_pFromUtf16 = std::make_unique<CIconv>(m_sCharset.c_str(), NativeUtf16());
    if (!m_pToUtf16->IsOpen() || !m_pFromUtf16->IsOpen())
    {
        m_sError = "character set " + m_sCharset + " cannot be converted";
        m_pToUtf16.reset();
        m_pFromUtf16.reset();
    }
}

CCodePage::~CCodePage() = default;

std::size_t CCodePage::ToUtf16(std::string_view bytes, std::u16string& out)
{
    if (m_bUtf8)
        return Utf8::Decode(bytes, out);
    if (m_bWindows1252)
    {
        Decode1252(bytes, out);
        return 0;
    }
    if (!m_pToUtf16)
    {
        out.append(bytes.size(), kReplacementCharacter);
        return bytes.size();
    }
    std::size_t nReplaced = 0;
    std::string converted;
    m_pToUtf16->Convert(bytes.data(), bytes.size(), converted,
                        [&](const char*, std::size_t, std::string& sOut) -> std::size_t {
                            const char16_t c = kReplacementCharacter;
                            sOut.append(reinterpret_cast<const char*>(&c), sizeof c);
                            ++nReplaced;
                            return 1;
                        });
    const std::size_t nUnits = converted.size() / sizeof(char16_t);
    const std::size_t nOld = out.size();
    out.resize(nOld + nUnits);
    std::copy_n(converted.data(), nUnits * sizeof(char16_t),
                reinterpret_cast<char*>(out.data() + nOld));
    return nReplaced;
}

std::size_t CCodePage::FromUtf16(std::u16string_view text, std::string& out, char cDefault)
{
    if (m_bUtf8)
        return Utf8::Encode(text, out);
    const char cReplacement = cDefault != 0 ? cDefault : '?';
    if (m_bWindows1252)
        return Encode1252(text, out, cReplacement);
    if (!m_pFromUtf16)
    {
        out.append(text.size(), cReplacement);
        return text.size();
    }
    std::size_t nReplaced = 0;
    m_pFromUtf16->Convert(
        reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t), out,
        [&](const char* pAt, std::size_t nLeft, std::string& sOut) -> std::size_t {
            // One replacement per character: a surrogate pair counts as one.
            char16_t units[2] = {0, 0};
            std::copy_n(pAt, std::min(nLeft, sizeof units), reinterpret_cast<char*>(units));
            sOut += cReplacement;
            ++nReplaced;
            const bool bPair = nLeft >= sizeof units && IsHighSurrogate(units[0]) &&
                               IsLowSurrogate(units[1]);
            return bPair ? sizeof units : sizeof(char16_t);
        });
    return nReplaced;
}
