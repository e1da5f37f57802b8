#include "TokenPreservation.h"

namespace {

bool IsWhitespace(char16_t c)
{
    return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t';
}

bool IsDelimiter(char16_t c)
{
    return std::u16string_view(u",.()-+=<>|/*;:!").find(c) != std::u16string_view::npos;
}

char16_t FoldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

// Cuts a run of plain text into words and delimiters.
void SplitChunk(std::u16string_view text, size_t begin, size_t end, std::vector<LexToken>& out)
{
    size_t wordStart = begin;
    bool inWord = false;
    for (size_t i = begin; i < end; ++i) {
        char16_t c = text[i];
        if (IsWhitespace(c) || IsDelimiter(c)) {
            if (inWord)
                out.push_back({LexKind::Word, text.substr(wordStart, i - wordStart), wordStart});
            inWord = false;
            if (!IsWhitespace(c))
                out.push_back({LexKind::Delimiter, text.substr(i, 1), i});
        } else if (!inWord) {
            inWord = true;
            wordStart = i;
        }
    }
    if (inWord)
        out.push_back({LexKind::Word, text.substr(wordStart, end - wordStart), wordStart});
}

// The end (exclusive) of a string literal opened at start: an apostrophe
// closes it unless another one follows at once; none closes it at the end.
size_t StringEnd(std::u16string_view text, size_t start)
{
    for (size_t i = start + 1; i < text.size(); ++i) {
        if (text[i] != u'\'')
            continue;
        if (i + 1 < text.size() && text[i + 1] == u'\'')
            ++i;
        else
            return i + 1;
    }
    return text.size();
}

bool IsWordBreak(char16_t c)
{
    return IsWhitespace(c) || IsDelimiter(c);
}

// The length of a prefix N, Q or NQ (any case) of the literal whose apostrophe
// is at quote: such a prefix belongs to the literal unless it ends a longer word.
size_t LiteralPrefix(std::u16string_view text, size_t chunkStart, size_t quote)
{
    auto startsWord = [&](size_t k) { return k == chunkStart || IsWordBreak(text[k - 1]); };
    if (quote == chunkStart)
        return 0;
    char16_t p = FoldAscii(text[quote - 1]);
    if ((p == u'n' || p == u'q') && startsWord(quote - 1))
        return 1;
    if (p == u'q' && quote - 1 > chunkStart && FoldAscii(text[quote - 2]) == u'n' && startsWord(quote - 2))
        return 2;
    return 0;
}

// The end (exclusive) of a q-quoted literal whose apostrophe is at quote: the
// character after it opens, and the matching closer followed by an apostrophe
// ends it ("[", "{", "(" and "<" close with their partners, others themselves).
size_t QQuotedEnd(std::u16string_view text, size_t quote)
{
    const size_t open = quote + 1;
    if (open >= text.size())
        return text.size();
    char16_t close = text[open];
    switch (close) {
    case u'[': close = u']'; break;
    case u'{': close = u'}'; break;
    case u'(': close = u')'; break;
    case u'<': close = u'>'; break;
    default: break;
    }
    for (size_t i = open + 2; i < text.size(); ++i)
        if (text[i] == u'\'' && text[i - 1] == close)
            return i + 1;
    return text.size();
}

size_t QuotedEnd(std::u16string_view text, size_t start)
{
    size_t close = text.find(u'"', start + 1);
    return close == std::u16string_view::npos ? text.size() : close + 1;
}

// A block comment opened at start ends with the first "*/" whose asterisk
// follows the opening solidus, so "/*/" is a whole comment.
size_t BlockCommentEnd(std::u16string_view text, size_t start)
{
    size_t close = text.find(u"*/", start + 1);
    return close == std::u16string_view::npos ? text.size() : close + 2;
}

size_t LineCommentEnd(std::u16string_view text, size_t start)
{
    size_t close = text.find(u'\n', start + 2);
    return close == std::u16string_view::npos ? text.size() : close + 1;
}

bool SameFolded(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

bool SameWithoutWhitespace(std::u16string_view a, std::u16string_view b)
{
    size_t i = 0;
    size_t j = 0;
    for (;;) {
        while (i < a.size() && IsWhitespace(a[i]))
            ++i;
        while (j < b.size() && IsWhitespace(b[j]))
            ++j;
        if (i == a.size() || j == b.size())
            return i == a.size() && j == b.size();
        if (FoldAscii(a[i]) != FoldAscii(b[j]))
            return false;
        ++i;
        ++j;
    }
}

bool SameToken(const LexToken& a, const LexToken& b)
{
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case LexKind::String:
    case LexKind::Quoted:
        return a.text == b.text;
    case LexKind::Comment:
        return SameWithoutWhitespace(a.text, b.text);
    default:
        return SameFolded(a.text, b.text);
    }
}

const char* KindName(LexKind kind)
{
    switch (kind) {
    case LexKind::Word: return "word";
    case LexKind::Delimiter: return "delimiter";
    case LexKind::Comment: return "comment";
    case LexKind::String: return "string literal";
    case LexKind::Quoted: return "quoted identifier";
    }
    return "token";
}

std::string Describe(const LexToken* token)
{
    if (!token)
        return "the end of the text";
    return std::string(KindName(token->kind)) + " \"" + DescribeText(token->text) + "\" at offset " +
           std::to_string(token->offset + 1);
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

std::vector<LexToken> CutTokens(std::u16string_view text)
{
    std::vector<LexToken> tokens;
    size_t chunkStart = 0;
    size_t i = 0;
    while (i < text.size()) {
        char16_t c = text[i];
        size_t start = 0;
        size_t end = 0;
        LexKind kind = LexKind::Word;
        if ((c == u'*' || c == u'-') && i > chunkStart && text[i - 1] == (c == u'*' ? u'/' : u'-')) {
            start = i - 1;
            kind = LexKind::Comment;
            end = c == u'*' ? BlockCommentEnd(text, start) : LineCommentEnd(text, start);
        } else if (c == u'\'') {
            kind = LexKind::String;
            const size_t prefix = LiteralPrefix(text, chunkStart, i);
            start = i - prefix;
            end = prefix && FoldAscii(text[i - 1]) == u'q' ? QQuotedEnd(text, i) : StringEnd(text, i);
        } else if (c == u'"') {
            start = i;
            kind = LexKind::Quoted;
            end = QuotedEnd(text, start);
        } else {
            ++i;
            continue;
        }
        SplitChunk(text, chunkStart, start, tokens);
        tokens.push_back({kind, text.substr(start, end - start), start});
        chunkStart = i = end;
    }
    SplitChunk(text, chunkStart, text.size(), tokens);
    return tokens;
}

std::optional<std::string> FirstTokenDifference(std::u16string_view input,
                                                std::u16string_view output,
                                                const TokenCompareRules& rules)
{
    std::vector<LexToken> in = CutTokens(input);
    std::vector<LexToken> out = CutTokens(output);
    if (rules.bCommentsMayBeDropped) {
        std::erase_if(in, [](const LexToken& t) { return t.kind == LexKind::Comment; });
        std::erase_if(out, [](const LexToken& t) { return t.kind == LexKind::Comment; });
    }
    size_t n = 0;
    while (n < in.size() && n < out.size() && SameToken(in[n], out[n]))
        ++n;
    if (n == in.size() && n == out.size())
        return std::nullopt;
    const LexToken* expected = n < in.size() ? &in[n] : nullptr;
    const LexToken* found = n < out.size() ? &out[n] : nullptr;
    return "token " + std::to_string(n + 1) + ": input has " + Describe(expected) +
           ", output has " + Describe(found);
}

std::string DescribeText(std::u16string_view text, size_t maxUnits)
{
    std::string out;
    size_t n = text.size() < maxUnits ? text.size() : maxUnits;
    for (size_t i = 0; i < n; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c == u'\n')
            out += "\\n";
        else if (c == u'\r')
            out += "\\r";
        else if (c < 0x20)
            out += "\\x" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
        else
            AppendUtf8(out, c);
    }
    if (n < text.size())
        out += "...";
    return out;
}
