#include "OptionLayers.h"

#include "IniProfileStore.h"
#include "ProfileStore.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace qmcli
{

namespace
{

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
    {
        error = "is a folder, not an options file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        error = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
    {
        error = "cannot be read";
        return false;
    }
    bytes = buffer.str();
    return true;
}

// The nearest options file in folder or a folder above it, or "".
std::string DiscoverFrom(const std::string& folder, std::map<std::string, std::string>* cache)
{
    std::error_code ec;
    fs::path dir = fs::absolute(folder.empty() ? "." : folder, ec).lexically_normal();
    std::vector<std::string> visited;
    std::string found;
    for (;;)
    {
        std::string key = dir.string();
        if (key.size() > 1 && key.back() == '/')
            key.pop_back();
        if (cache)
            if (auto cached = cache->find(key); cached != cache->end())
            {
                found = cached->second;
                break;
            }
        visited.push_back(key);
        const fs::path candidate = dir / kDiscoveredOptionsName;
        if (fs::is_regular_file(candidate, ec))
        {
            found = candidate.lexically_normal().string();
            break;
        }
        if (!dir.has_parent_path() || dir.parent_path() == dir)
            break;
        dir = dir.parent_path();
    }
    if (cache)
        for (const std::string& key : visited)
            (*cache)[key] = found;
    return found;
}

// True when the store's file holds options the desktop app saved.
bool StoreHoldsOptions(const std::string& path)
{
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(path, ec))
        return false;
    CIniProfileStore store(path);
    const auto marker = store.GetString(kOptionsMarkerSection, kOptionsMarkerName);
    return marker && !marker->empty();
}

} // namespace

std::string COptionsSource::Describe() const
{
    switch (m_nKind)
    {
    case FROM_OPTIONS_FLAG: return m_sPath + " (--options)";
    case FROM_DISCOVERED: return m_sPath + " (the nearest " + kDiscoveredOptionsName + ")";
    case FROM_USER_STORE:
        return "the desktop app's store " + m_sPath + " (no " + kDiscoveredOptionsName +
               " in the file's folder or above)";
    case FROM_NO_CONFIG: return "built-in defaults (--no-config)";
    case FROM_DEFAULTS: break;
    }
    return std::string("built-in defaults (no ") + kDiscoveredOptionsName +
           " in the file's folder or above, and no options saved by the desktop app)";
}

COptionsSource FindOptionsSource(const std::string& documentPath, const COptionsSearch& search,
                                 COptionsSearchCache* cache)
{
    if (search.m_sOptionsFile)
        return {COptionsSource::FROM_OPTIONS_FLAG, *search.m_sOptionsFile};
    if (search.m_bNoConfig)
        return {COptionsSource::FROM_NO_CONFIG, {}};
    const std::string found = DiscoverFrom(fs::path(documentPath).parent_path().string(),
                                           cache ? &cache->m_aDiscovered : nullptr);
    if (!found.empty())
        return {COptionsSource::FROM_DISCOVERED, found};
    std::optional<bool> holds = cache ? cache->m_bStoreHoldsOptions : std::nullopt;
    if (!holds)
        holds = StoreHoldsOptions(search.m_sUserStorePath);
    if (cache)
        cache->m_bStoreHoldsOptions = holds;
    if (*holds)
        return {COptionsSource::FROM_USER_STORE, search.m_sUserStorePath};
    return {COptionsSource::FROM_DEFAULTS, {}};
}

CLoadedOptions LoadOptionsSource(const COptionsSource& source,
                                 const std::function<void(const std::string&)>& warn)
{
    CLoadedOptions loaded;
    loaded.m_pOptions = std::make_unique<COptions>();
    if (source.m_nKind == COptionsSource::FROM_USER_STORE)
    {
        // The store is opened read-only: loading may want to write the
        // defaults back (a store without the marker), which must not happen.
        CIniProfileStore store(source.m_sPath, warn);
        CReadOnlyProfileStore readOnly(store);
        COptions saved(&readOnly);
        loaded.m_pOptions->CopyValuesFrom(saved);
    }
    else if (source.IsOptionsFile())
    {
        std::string bytes, error;
        if (!ReadWholeFile(source.m_sPath, bytes, error))
            loaded.m_aErrors.push_back(source.m_sPath + ": " + error);
        else
            ApplyOptionsText(bytes, source.m_sPath, *loaded.m_pOptions, loaded.m_Tool, loaded.m_aErrors);
    }
    if (!loaded.m_aErrors.empty())
        loaded.m_pOptions.reset();
    return loaded;
}

COptionLayers::COptionLayers(const CCommandLine& commandLine, std::string userStorePath,
                             WarningSink warn)
    : m_CommandLine(commandLine), m_warn(std::move(warn))
{
    m_Search.m_sOptionsFile = commandLine.m_sOptionsFile;
    m_Search.m_bNoConfig = commandLine.m_bNoConfig;
    m_Search.m_sUserStorePath = std::move(userStorePath);
}

std::string COptionLayers::DocumentPath(const std::string& path, bool isStdin) const
{
    // Standard input "lives" at --stdin-path, or else in the current folder.
    if (!isStdin)
        return path;
    return m_CommandLine.m_sStdinPath ? *m_CommandLine.m_sStdinPath : std::string("./-");
}

COptionLayers::CLayer& COptionLayers::LayerFor(const COptionsSource& source)
{
    auto it = m_aLayers.find(source);
    if (it != m_aLayers.end())
        return it->second;
    CLoadedOptions loaded = LoadOptionsSource(source, m_warn);
    for (const COptionSetting& setting : m_CommandLine.m_aSettings)
    {
        std::string error;
        if (loaded.m_pOptions && !ApplySetting(setting, *loaded.m_pOptions, error))
            loaded.m_aErrors.push_back(error);
    }
    if (loaded.m_pOptions && m_CommandLine.m_nLeftMargin)
    {
        // -1 keeps the input's indentation: Format measures it from the input
        // and indents its result by as much; Capitalise leaves every line's
        // indentation as it is anyway.
        loaded.m_pOptions->m_General.m_nLeftMargin = *m_CommandLine.m_nLeftMargin;
        loaded.m_pOptions->m_General.m_bAutoDetectLeftMargin =
            *m_CommandLine.m_nLeftMargin == -1 && !m_CommandLine.m_bCapitalise;
    }
    if (!loaded.m_aErrors.empty())
    {
        loaded.m_pOptions.reset();
        loaded.m_Tool = CToolSettings();
    }
    return m_aLayers.emplace(source, CLayer{std::move(loaded), false}).first->second;
}

const COptions* COptionLayers::OptionsFor(const std::string& path, bool isStdin,
                                          std::vector<std::string>& errors)
{
    CLayer& layer = LayerFor(SourceFor(path, isStdin));
    // Each bad source is reported once, however many files it governs.
    if (!layer.m_bReported)
        errors.insert(errors.end(), layer.m_Loaded.m_aErrors.begin(), layer.m_Loaded.m_aErrors.end());
    layer.m_bReported = true;
    return layer.m_Loaded.m_pOptions.get();
}

const CToolSettings& COptionLayers::ToolSettingsFor(const std::string& path, bool isStdin)
{
    return LayerFor(SourceFor(path, isStdin)).m_Loaded.m_Tool;
}

const CToolSettings& COptionLayers::ToolSettingsOf(const COptionsSource& source)
{
    return LayerFor(source).m_Loaded.m_Tool;
}

COptionsSource COptionLayers::SourceFor(const std::string& path, bool isStdin)
{
    return FindOptionsSource(DocumentPath(path, isStdin), m_Search, &m_Cache);
}

std::string COptionLayers::Explain(const std::string& path, bool isStdin)
{
    const std::string text = "options from " + SourceFor(path, isStdin).Describe();
    std::string onTop;
    for (const COptionSetting& setting : m_CommandLine.m_aSettings)
        onTop += (onTop.empty() ? "" : ", ") + std::string("--set ") + setting.m_sArgument;
    if (m_CommandLine.m_nLeftMargin)
        onTop += (onTop.empty() ? "" : ", ") + std::string("--left-margin ") +
                 std::to_string(*m_CommandLine.m_nLeftMargin);
    return onTop.empty() ? text : text + ", then " + onTop;
}

} // namespace qmcli
