// Which files and folders a folder walk leaves out: those matched by the
// exclude patterns of the options file that governs them (its
// "[quillmark-format]" section, relative to its folder) or by --exclude
// (relative to the current folder), and, where that options file leaves
// respect-gitignore on, those git ignores. A file named on the command line
// is never asked about, and a folder named on the command line is walked even
// when it is excluded or ignored itself: the patterns then count only for
// the folders below it, and git's rules not at all (below an ignored folder
// git ignores everything).
#pragma once

#include "ExcludePatterns.h"
#include "GitIgnored.h"
#include "OptionLayers.h"

#include <map>
#include <string>
#include <vector>

namespace qmcli
{

class CWalkFilter
{
public:
    CWalkFilter(COptionLayers& layers, const std::vector<std::string>& commandLineExcludes);

    // Why the walk leaves the path out ("skipped, excluded by 'build/'
    // (/src/.quillmark.ini:4)", "skipped, git ignores it"), or "" to keep it.
    std::string ReasonToSkip(const std::string& root, const std::string& path, bool isFolder);

    // Why git could not be asked, when it could not; for --verbose.
    const std::string& GitProblem() const { return m_GitIgnored.Problem(); }

private:
    const std::vector<CExcludePattern>& PatternsOf(const COptionsSource& source);

    COptionLayers& m_Layers;
    std::vector<CExcludePattern> m_aCommandLine;
    std::map<COptionsSource, std::vector<CExcludePattern>> m_aPatterns; // file's, then --exclude
    CGitIgnored m_GitIgnored;
    std::map<std::string, bool> m_aRootIgnored; // walked folder -> git ignores it
};

} // namespace qmcli
