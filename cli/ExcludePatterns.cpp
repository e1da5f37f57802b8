#include "ExcludePatterns.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace qmcli
{

CExcludePattern::CExcludePattern(std::string_view text, const std::string& base, std::string origin)
    : m_sText(text), m_sBase(AbsolutePath(base)), m_sOrigin(std::move(origin))
{
    if (m_sBase == "/")
        m_sBase.clear();
    if (text.starts_with('!'))
    {
        m_bNegated = true;
        text.remove_prefix(1);
    }
    while (text.ends_with('/') && !text.ends_with("\\/"))
    {
        m_bFoldersOnly = true;
        text.remove_suffix(1);
    }
    m_bAnchored = text.find('/') != std::string_view::npos;
    if (text.starts_with('/'))
        text.remove_prefix(1);

    for (size_t i = 0; i < text.size();)
    {
        const char c = text[i];
        if (c == '*')
        {
            size_t stars = i;
            while (stars < text.size() && text[stars] == '*')
                ++stars;
            const bool ownName = (i == 0 || text[i - 1] == '/') && stars - i == 2;
            if (ownName && stars == text.size())
                m_aElements.push_back(CElement{ANY_PATH, 0, {}, false});
            else if (ownName && text[stars] == '/')
            {
                m_aElements.push_back(CElement{ANY_FOLDERS, 0, {}, false});
                ++stars; // the folder separator is part of "**/"
            }
            else
                m_aElements.push_back(CElement{STAR, 0, {}, false});
            i = stars;
        }
        else if (c == '?')
        {
            m_aElements.push_back(CElement{ANY_CHAR, 0, {}, false});
            ++i;
        }
        else if (c == '[')
        {
            // "[!...]" and "[^...]" negate; a ']' first in the class is literal.
            size_t j = i + 1;
            CElement element{CLASS, 0, {}, false};
            if (j < text.size() && (text[j] == '!' || text[j] == '^'))
            {
                element.m_bClassNegated = true;
                ++j;
            }
            const size_t first = j;
            while (j < text.size() && (text[j] != ']' || j == first))
                ++j;
            if (j >= text.size())
            {
                m_aElements.push_back(CElement{LITERAL, '[', {}, false});
                ++i;
                continue;
            }
            element.m_sClass = std::string(text.substr(first, j - first));
            m_aElements.push_back(element);
            i = j + 1;
        }
        else if (c == '\\' && i + 1 < text.size())
        {
            m_aElements.push_back(CElement{LITERAL, text[i + 1], {}, false});
            i += 2;
        }
        else
        {
            m_aElements.push_back(CElement{LITERAL, c, {}, false});
            ++i;
        }
    }
}

bool CExcludePattern::ClassMatches(const CElement& element, char c)
{
    const std::string& set = element.m_sClass;
    bool found = false;
    for (size_t k = 0; k < set.size() && !found; ++k)
    {
        if (k + 2 < set.size() && set[k + 1] == '-')
        {
            found = set[k] <= c && c <= set[k + 2];
            k += 2;
        }
        else
            found = set[k] == c;
    }
    return found != element.m_bClassNegated;
}

bool CExcludePattern::MatchesRelative(std::string_view s) const
{
    // Matching from the back: next[j] says whether the elements after the
    // current one match s from j on. Linear in elements times characters, so
    // a pattern of many stars cannot make it slow.
    const size_t n = s.size();
    std::vector<char> next(n + 1, 0), cur(n + 1, 0);
    next[n] = 1;
    for (size_t e = m_aElements.size(); e-- > 0;)
    {
        const CElement& element = m_aElements[e];
        cur[n] = element.m_nKind == STAR || element.m_nKind == ANY_PATH || element.m_nKind == ANY_FOLDERS
                     ? next[n]
                     : 0;
        bool slashAhead = false; // some later '/' is followed by a match
        for (size_t j = n; j-- > 0;)
        {
            const char c = s[j];
            switch (element.m_nKind)
            {
            case LITERAL: cur[j] = c == element.m_cLiteral && next[j + 1]; break;
            case ANY_CHAR: cur[j] = c != '/' && next[j + 1]; break;
            case CLASS: cur[j] = c != '/' && ClassMatches(element, c) && next[j + 1]; break;
            case STAR: cur[j] = next[j] || (c != '/' && cur[j + 1]); break;
            case ANY_PATH: cur[j] = next[j] || cur[j + 1]; break;
            case ANY_FOLDERS:
                slashAhead = slashAhead || (c == '/' && next[j + 1]);
                cur[j] = next[j] || slashAhead;
                break;
            }
        }
        std::swap(next, cur);
    }
    return next[0] != 0;
}

bool CExcludePattern::Matches(const std::string& absolutePath, bool isFolder) const
{
    if (!IsValid() || (m_bFoldersOnly && !isFolder))
        return false;
    if (absolutePath.size() <= m_sBase.size() + 1 || !absolutePath.starts_with(m_sBase) ||
        absolutePath[m_sBase.size()] != '/')
        return false;
    std::string_view relative = std::string_view(absolutePath).substr(m_sBase.size() + 1);
    if (!m_bAnchored)
        relative = relative.substr(relative.rfind('/') + 1);
    return MatchesRelative(relative);
}

std::vector<std::string> SplitPatterns(std::string_view value)
{
    std::vector<std::string> patterns;
    std::string current;
    for (size_t i = 0; i < value.size(); ++i)
    {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size())
        {
            current += c;
            current += value[++i]; // the pattern itself reads the escape
        }
        else if (c == ' ' || c == '\t')
        {
            if (!current.empty())
                patterns.push_back(std::move(current));
            current.clear();
        }
        else
            current += c;
    }
    if (!current.empty())
        patterns.push_back(std::move(current));
    return patterns;
}

std::string AbsolutePath(const std::string& path)
{
    std::error_code ec;
    std::string absolute = fs::absolute(path.empty() ? "." : path, ec).lexically_normal().string();
    if (ec)
        absolute = fs::path(path).lexically_normal().string();
    while (absolute.size() > 1 && absolute.back() == '/')
        absolute.pop_back();
    return absolute;
}

const CExcludePattern* ExcludingPattern(const std::vector<CExcludePattern>& patterns,
                                        const std::string& absolutePath, bool isFolder,
                                        const std::string& walkRoot)
{
    auto decide = [&](const std::string& path, bool folder) -> const CExcludePattern* {
        for (size_t k = patterns.size(); k-- > 0;)
            if (patterns[k].Matches(path, folder))
                return patterns[k].Negated() ? nullptr : &patterns[k];
        return nullptr;
    };
    // A folder left out takes everything below it along, whatever comes later.
    const size_t first = walkRoot.size() > 1 && absolutePath.starts_with(walkRoot + "/") ? walkRoot.size() + 1 : 1;
    for (size_t slash = absolutePath.find('/', first); slash != std::string::npos;
         slash = absolutePath.find('/', slash + 1))
        if (const CExcludePattern* pattern = decide(absolutePath.substr(0, slash), true))
            return pattern;
    return decide(absolutePath, isFolder);
}

} // namespace qmcli
