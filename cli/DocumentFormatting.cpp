#include "DocumentFormatting.h"

#include "OptionLayers.h"
#include "Format.h"
#include "SqlFileText.h"
#include "TokenCheck.h"

#include <algorithm>

namespace qmcli
{

namespace
{

// The text with every line break (CR LF, CR or LF) as one LF, as the engine
// takes it; crlf when the first line break was CR LF, mixed when they differ.
std::u16string WithLineFeeds(std::u16string_view text, bool& crlf, bool& mixed)
{
    std::u16string lf;
    lf.reserve(text.size());
    int first = 0; // 1 LF, 2 CR LF, 3 CR
    crlf = mixed = false;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char16_t c = text[i];
        if (c != u'\n' && c != u'\r')
        {
            lf += c;
            continue;
        }
        int kind = 1;
        if (c == u'\r')
        {
            kind = i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 3;
            i += kind == 2;
        }
        if (first == 0)
            first = kind;
        mixed = mixed || kind != first;
        lf += u'\n';
    }
    crlf = first == 2;
    return lf;
}

// Where an offset of the text lies in the text WithLineFeeds makes of it: each
// CR LF before it is one unit shorter.
size_t OffsetWithLineFeeds(std::u16string_view text, size_t offset)
{
    offset = std::min(offset, text.size());
    size_t pairs = 0;
    for (size_t i = 0; i + 1 < offset; ++i)
        pairs += text[i] == u'\r' && text[i + 1] == u'\n';
    return offset - pairs;
}

std::u16string WithCrLf(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (char16_t c : text)
    {
        if (c == u'\n')
            out += u'\r';
        out += c;
    }
    return out;
}

} // namespace

CDocumentFormatter::CDocumentFormatter(CCommandLine commandLine, std::string userStorePath)
    : m_CommandLine(std::move(commandLine)), m_sUserStorePath(std::move(userStorePath))
{
}

CDocumentFormatter::~CDocumentFormatter() = default;

CFormattedDocument CDocumentFormatter::Format(std::u16string_view text, const std::string& path,
                                              const std::optional<CTextRange>& range)
{
    CFormattedDocument result;
    // A fresh set of layers each time: nothing of an options file is cached.
    COptionLayers layers(m_CommandLine, m_sUserStorePath,
                         [&](const std::string& warning) { result.m_aWarnings.push_back(warning); });
    std::vector<std::string> errors;
    const COptions* options =
        path.empty() ? layers.OptionsFor(".", true, errors) : layers.OptionsFor(path, false, errors);
    if (!options)
    {
        result.m_sError = "the options cannot be used:";
        for (const std::string& error : errors)
            result.m_sError += " " + error + ";";
        result.m_sError.pop_back();
        return result;
    }

    // A byte-order mark an editor keeps in the text is no part of the SQL (it
    // would be read as the front of the first word): it is set aside, as a
    // file's mark is, and put back in front of the result.
    const bool mark = !text.empty() && text.front() == u'\uFEFF';
    std::optional<CTextRange> unitRange = range;
    if (mark)
    {
        text.remove_prefix(1);
        if (unitRange)
            unitRange = CTextRange{std::max<size_t>(unitRange->m_nStart, 1) - 1,
                                   std::max<size_t>(unitRange->m_nEnd, 1) - 1};
    }

    bool crlf = false, mixed = false;
    std::u16string input = WithLineFeeds(text, crlf, mixed);
    // Making mixed line endings uniform would change a literal that spans lines.
    if (mixed && HasLineBreakInLiteral(input))
    {
        result.m_sError = "the document has mixed line endings and a string literal or quoted "
                          "identifier that spans lines; make its line endings uniform first";
        return result;
    }

    CFixedPointSettings settings;
    settings.m_nMode = m_CommandLine.m_bCapitalise ? MODE_CAPITALISE : MODE_FORMAT;
    settings.m_bVerify = true;
    settings.m_DamageResult = m_DamageResult;
    if (unitRange)
        settings.m_aRanges.push_back({OffsetWithLineFeeds(text, unitRange->m_nStart),
                                      OffsetWithLineFeeds(text, unitRange->m_nEnd)});
    CFixedPointResult formatted = FormatToFixedPoint(m_workspace, input, *options, settings);
    if (!formatted.m_sError.empty())
    {
        result.m_sError = formatted.m_sError;
        return result;
    }
    std::u16string& output = formatted.m_sText;
    result.m_sText = crlf ? WithCrLf(output) : std::move(output);
    if (mark)
        result.m_sText.insert(0, 1, u'\uFEFF');
    result.m_bOk = true;
    return result;
}

} // namespace qmcli
