#include "WalkFilter.h"

namespace qmcli
{

CWalkFilter::CWalkFilter(COptionLayers& layers, const std::vector<std::string>& commandLineExcludes)
    : m_Layers(layers)
{
    for (const std::string& text : commandLineExcludes)
        m_aCommandLine.emplace_back(text, ".", "--exclude");
}

const std::vector<CExcludePattern>& CWalkFilter::PatternsOf(const COptionsSource& source)
{
    auto known = m_aPatterns.find(source);
    if (known != m_aPatterns.end())
        return known->second;
    // A later pattern overrides an earlier one, so the command line's come last.
    std::vector<CExcludePattern> patterns = m_Layers.ToolSettingsOf(source).m_aExclude;
    patterns.insert(patterns.end(), m_aCommandLine.begin(), m_aCommandLine.end());
    return m_aPatterns.emplace(source, std::move(patterns)).first->second;
}

std::string CWalkFilter::ReasonToSkip(const std::string& root, const std::string& path, bool isFolder)
{
    const COptionsSource source = m_Layers.SourceFor(path, false);
    const std::string absolute = AbsolutePath(path);
    const std::string absoluteRoot = AbsolutePath(root);
    if (const CExcludePattern* pattern = ExcludingPattern(PatternsOf(source), absolute, isFolder, absoluteRoot))
        return "skipped, excluded by '" + pattern->Text() + "' (" + pattern->Origin() + ")";
    if (!m_Layers.ToolSettingsOf(source).m_bRespectGitignore)
        return {};
    auto rootIgnored = m_aRootIgnored.find(absoluteRoot);
    if (rootIgnored == m_aRootIgnored.end())
        rootIgnored = m_aRootIgnored.emplace(absoluteRoot, m_GitIgnored.IsIgnored(absoluteRoot, true)).first;
    if (!rootIgnored->second && m_GitIgnored.IsIgnored(absolute, isFolder))
        return "skipped, git ignores it";
    return {};
}

} // namespace qmcli
