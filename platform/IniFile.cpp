#include "IniFile.h"

#include <cstring>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlankChar(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlankChar(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlankChar(s.back()))
        s.remove_suffix(1);
    return s;
}

// Length of the well-formed UTF-8 sequence at s[i], or 0 when none starts
// there (overlong forms, surrogates and values beyond U+10FFFF are not).
size_t Utf8SequenceLength(std::string_view s, size_t i)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char c = p[i];
    if (c < 0x80)
        return 1;
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF)
        len = 2;
    else if (c >= 0xE0 && c <= 0xEF)
    {
        len = 3;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
    }
    else if (c >= 0xF0 && c <= 0xF4)
    {
        len = 4;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    }
    else
        return 0;
    if (i + len > s.size() || p[i + 1] < lo || p[i + 1] > hi)
        return 0;
    for (size_t k = 2; k < len; ++k)
        if ((p[i + k] & 0xC0) != 0x80)
            return 0;
    return len;
}

bool IsValidUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();)
    {
        const size_t len = Utf8SequenceLength(s, i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

} // namespace

std::string IniLineText(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();)
    {
        const size_t len = Utf8SequenceLength(s, i);
        if (len == 0)
        {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        const char c = s[i];
        out += (c == '\n' || c == '\r' || c == '\0') ? std::string_view(" ") : s.substr(i, len);
        i += len;
    }
    return out;
}

CIniParseResult ParseIni(std::string_view text)
{
    CIniParseResult result;
    result.m_aSections.push_back(CIniSection{});
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());

    int lineNo = 0;
    while (!text.empty())
    {
        ++lineNo;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        if (line.find('\0') != std::string_view::npos)
        {
            result.m_aMalformed.push_back({lineNo, "contains a NUL byte"});
            continue;
        }
        if (!IsValidUtf8(line))
        {
            result.m_aMalformed.push_back({lineNo, "is not UTF-8 text"});
            continue;
        }
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty())
            continue;
        if (trimmed.front() == ';' || trimmed.front() == '#')
        {
            result.m_aSections.back().m_aEntries.push_back(
                CIniEntry{CIniEntry::COMMENT, {}, std::string(trimmed), lineNo});
            continue;
        }
        if (trimmed.front() == '[')
        {
            if (trimmed.back() != ']' || trimmed.size() < 2)
            {
                result.m_aMalformed.push_back({lineNo, "has a section header without its closing ']'"});
                continue;
            }
            result.m_aSections.push_back(
                CIniSection{std::string(trimmed.substr(1, trimmed.size() - 2)), lineNo, {}});
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
        {
            result.m_aMalformed.push_back({lineNo, "is neither a [section], a name=value pair nor a comment"});
            continue;
        }
        const std::string_view name = Trim(line.substr(0, eq));
        if (name.empty())
        {
            result.m_aMalformed.push_back({lineNo, "has no name before '='"});
            continue;
        }
        result.m_aSections.back().m_aEntries.push_back(
            CIniEntry{CIniEntry::VALUE, std::string(name), std::string(line.substr(eq + 1)), lineNo});
    }
    return result;
}

CIniDocument::CIniDocument(const CIniParseResult& parsed)
{
    for (const CIniSection& section : parsed.m_aSections)
    {
        if (section.m_aEntries.empty() && section.m_nLine == 0)
            continue; // the unnamed section only exists when it holds something
        CIniSection* target = FindSection(section.m_sName);
        if (!target)
        {
            m_aSections.push_back(CIniSection{section.m_sName, section.m_nLine, {}});
            m_aValueIndex.emplace_back();
            m_aSectionIndex.emplace(section.m_sName, m_aSections.size() - 1);
            target = &m_aSections.back();
        }
        auto& index = m_aValueIndex[size_t(target - m_aSections.data())];
        for (const CIniEntry& entry : section.m_aEntries)
        {
            if (entry.m_nKind == CIniEntry::VALUE)
            {
                auto found = index.find(entry.m_sName);
                if (found != index.end())
                {
                    target->m_aEntries[found->second] = entry;
                    continue;
                }
                index.emplace(entry.m_sName, target->m_aEntries.size());
            }
            target->m_aEntries.push_back(entry);
        }
    }
}

CIniSection* CIniDocument::FindSection(std::string_view section)
{
    auto found = m_aSectionIndex.find(std::string(section));
    return found == m_aSectionIndex.end() ? nullptr : &m_aSections[found->second];
}

const std::string* CIniDocument::Find(std::string_view section, std::string_view name) const
{
    auto s = m_aSectionIndex.find(std::string(section));
    if (s == m_aSectionIndex.end())
        return nullptr;
    const auto& index = m_aValueIndex[s->second];
    auto v = index.find(std::string(name));
    if (v == index.end())
        return nullptr;
    return &m_aSections[s->second].m_aEntries[v->second].m_sValue;
}

void CIniDocument::Set(const std::string& section, const std::string& name, const std::string& value)
{
    CIniSection* target = FindSection(section);
    if (!target)
    {
        m_aSections.push_back(CIniSection{section, 0, {}});
        m_aValueIndex.emplace_back();
        m_aSectionIndex.emplace(section, m_aSections.size() - 1);
        target = &m_aSections.back();
    }
    auto& index = m_aValueIndex[size_t(target - m_aSections.data())];
    auto found = index.find(name);
    if (found != index.end())
    {
        target->m_aEntries[found->second].m_sValue = value;
        return;
    }
    index.emplace(name, target->m_aEntries.size());
    target->m_aEntries.push_back(CIniEntry{CIniEntry::VALUE, name, value, 0});
}

void CIniDocument::EraseSection(std::string_view section)
{
    auto found = m_aSectionIndex.find(std::string(section));
    if (found == m_aSectionIndex.end())
        return;
    m_aSections.erase(m_aSections.begin() + std::ptrdiff_t(found->second));
    Reindex();
}

void CIniDocument::Reindex()
{
    m_aSectionIndex.clear();
    m_aValueIndex.assign(m_aSections.size(), {});
    for (size_t s = 0; s < m_aSections.size(); ++s)
    {
        m_aSectionIndex.emplace(m_aSections[s].m_sName, s);
        const auto& entries = m_aSections[s].m_aEntries;
        for (size_t e = 0; e < entries.size(); ++e)
            if (entries[e].m_nKind == CIniEntry::VALUE)
                m_aValueIndex[s].emplace(entries[e].m_sName, e);
    }
}

size_t CIniDocument::ValueCount() const
{
    size_t n = 0;
    for (const auto& index : m_aValueIndex)
        n += index.size();
    return n;
}

std::string CIniDocument::Format() const
{
    std::string out;
    auto writeEntries = [&out](const CIniSection& section) {
        for (const CIniEntry& entry : section.m_aEntries)
        {
            if (entry.m_nKind == CIniEntry::COMMENT)
                out += IniLineText(entry.m_sValue);
            else
            {
                out += entry.m_sName;
                out += '=';
                out += IniLineText(entry.m_sValue);
            }
            out += '\n';
        }
    };
    // Values without a section must come before the first header.
    if (const auto top = m_aSectionIndex.find(std::string()); top != m_aSectionIndex.end())
        writeEntries(m_aSections[top->second]);
    for (const CIniSection& section : m_aSections)
    {
        if (section.m_sName.empty())
            continue;
        if (!out.empty())
            out += '\n';
        out += '[';
        out += IniLineText(section.m_sName);
        out += "]\n";
        writeEntries(section);
    }
    // The reader skips one leading mark; a first name that starts with U+FEFF
    // would lose it without a mark of its own in front.
    if (out.starts_with(kBom))
        out.insert(0, kBom);
    return out;
}

bool CIniDocument::IsWritableName(std::string_view name)
{
    if (name.empty() || Trim(name).size() != name.size())
        return false;
    if (name.front() == ';' || name.front() == '#' || name.front() == '[')
        return false;
    return name.find_first_of(std::string_view("=\n\r\0", 4)) == std::string_view::npos &&
           IsValidUtf8(name);
}
