// Patterns that leave files out of a folder walk, written as in .gitignore and
// read relative to a base folder: "*" and "?" stay within one folder name,
// "**" crosses folders ("**/x", "a/**", "a/**/b"), "[a-z]" is a class; a
// pattern with a "/" before its end is matched from the base, one without
// matches a name at any depth below it; a trailing "/" matches folders only;
// a leading "!" takes a file back in; "\" makes the next character literal.
// The last pattern that matches a path decides; a file below an excluded
// folder stays excluded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qmcli
{

class CExcludePattern
{
public:
    // text as written; base: the folder it is relative to (made absolute);
    // origin: where it was written, for messages (".quillmark.ini:4").
    CExcludePattern(std::string_view text, const std::string& base, std::string origin);

    // True when the pattern says something about the path (absolute and
    // lexically normal, as AbsolutePath gives): it lies below the base and
    // matches. Whether that excludes or takes back is Negated().
    bool Matches(const std::string& absolutePath, bool isFolder) const;
    bool Negated() const { return m_bNegated; }
    // False for a pattern that can match nothing (empty, or only "!" or "/").
    bool IsValid() const { return !m_aElements.empty(); }

    const std::string& Text() const { return m_sText; }
    const std::string& Origin() const { return m_sOrigin; }

private:
    enum Kind { LITERAL, ANY_CHAR, CLASS, STAR, ANY_PATH, ANY_FOLDERS };
    struct CElement
    {
        Kind m_nKind;
        char m_cLiteral = 0;
        std::string m_sClass; // CLASS: the characters and ranges between the brackets
        bool m_bClassNegated = false;
    };

    bool MatchesRelative(std::string_view path) const;
    static bool ClassMatches(const CElement& element, char c);

    std::string m_sText;
    std::string m_sBase; // absolute, without a trailing '/'
    std::string m_sOrigin;
    std::vector<CElement> m_aElements;
    bool m_bNegated = false;
    bool m_bFoldersOnly = false;
    bool m_bAnchored = false; // holds a '/' before its end: matched from the base
};

// The patterns of one value: blank-separated ("\ " keeps a blank).
std::vector<std::string> SplitPatterns(std::string_view value);

// The path made absolute and lexically normal, without a trailing '/'.
std::string AbsolutePath(const std::string& path);

// The pattern that leaves the path out, or null when the path is kept. The
// path's own name counts, and so does every folder above it that lies below
// walkRoot (absolute; empty: every folder above it): a walk does not leave out
// the folder it was asked to walk, nor, through it, what lies below.
const CExcludePattern* ExcludingPattern(const std::vector<CExcludePattern>& patterns,
                                        const std::string& absolutePath, bool isFolder,
                                        const std::string& walkRoot = {});

} // namespace qmcli
