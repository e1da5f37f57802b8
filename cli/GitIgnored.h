// The files and folders git ignores, asked of git itself so that every rule
// git follows applies (.gitignore files at every level, .git/info/exclude,
// core.excludesFile). Only untracked paths count: a file git tracks is never
// ignored, whatever the patterns say. Git is run once per work tree.
#pragma once

#include <map>
#include <set>
#include <string>

namespace qmcli
{

class CGitIgnored
{
public:
    // True when the path lies in a git work tree and git ignores it or a
    // folder above it. Outside a work tree, or when git cannot be run, nothing
    // is ignored.
    bool IsIgnored(const std::string& path, bool isFolder);

    // What was learnt about git, for --verbose: "git not found", or empty.
    const std::string& Problem() const { return m_sProblem; }

private:
    struct CWorkTree
    {
        std::set<std::string> m_aIgnored; // relative to the top; folders end in '/'
    };

    // The top of the work tree holding a folder (the nearest folder with a
    // ".git" entry, canonical), or "" when none; cached by folder.
    std::string TopOf(const std::string& canonicalFolder);
    const CWorkTree& WorkTree(const std::string& top);

    std::map<std::string, std::string> m_aTopOfFolder;
    std::map<std::string, CWorkTree> m_aWorkTrees;
    std::string m_sProblem;
};

} // namespace qmcli
