// Which options format a file, in layers:
//   1. one source: --options FILE; else, unless --no-config, the nearest
//      ".quillmark.ini" in the file's folder or a folder above it; else,
//      unless --no-config, the options saved by the desktop app (its store,
//      opened read-only: never written); else the built-in defaults. An
//      options file is read strictly over the defaults;
//   2. every --set section.key=value, in order;
//   3. --left-margin N.
// The options file that applies also gives the command's own settings (its
// "[quillmark-format]" section). Every source is read before any file is
// formatted, so a bad option stops the run before a file is touched.
#pragma once

#include "CommandLine.h"
#include "OptionsFile.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qmcli
{

// The name of the options file found by discovery.
inline constexpr const char* kDiscoveredOptionsName = ".quillmark.ini";

// Where to look for options.
struct COptionsSearch
{
    std::optional<std::string> m_sOptionsFile; // --options
    bool m_bNoConfig = false;                  // --no-config
    std::string m_sUserStorePath;              // the desktop app's store; empty: none
};

// Where a document's options come from, and why.
struct COptionsSource
{
    enum Kind { FROM_OPTIONS_FLAG, FROM_DISCOVERED, FROM_USER_STORE, FROM_DEFAULTS, FROM_NO_CONFIG };
    Kind m_nKind = FROM_DEFAULTS;
    std::string m_sPath; // the options file or the store; empty for the defaults

    // An options file (--options or discovered), as opposed to the store or the defaults.
    bool IsOptionsFile() const { return m_nKind == FROM_OPTIONS_FLAG || m_nKind == FROM_DISCOVERED; }
    // "team.ini (--options)", "built-in defaults (--no-config)", ...
    std::string Describe() const;
    bool operator<(const COptionsSource& other) const
    {
        return m_nKind != other.m_nKind ? m_nKind < other.m_nKind : m_sPath < other.m_sPath;
    }
};

// What earlier searches learnt, for a caller that asks about many documents
// while the files stay as they are.
struct COptionsSearchCache
{
    std::map<std::string, std::string> m_aDiscovered; // folder -> options file or ""
    std::optional<bool> m_bStoreHoldsOptions;
};

// The options source of a document at documentPath (which need not exist;
// its folder is where discovery starts). A store that holds no saved options
// counts as none. An editor's server calls this for each document, without a
// cache, so that an options file changed meanwhile is seen.
COptionsSource FindOptionsSource(const std::string& documentPath, const COptionsSearch& search,
                                 COptionsSearchCache* cache = nullptr);

// The options and the command's settings of one source.
struct CLoadedOptions
{
    std::unique_ptr<COptions> m_pOptions; // null when the source is bad
    CToolSettings m_Tool;
    std::vector<std::string> m_aErrors; // one line each
};

// Reads a source; warn receives the store's own warnings (a malformed line).
CLoadedOptions LoadOptionsSource(const COptionsSource& source,
                                 const std::function<void(const std::string&)>& warn);

class COptionLayers
{
public:
    using WarningSink = std::function<void(const std::string&)>;

    // userStorePath: the saved options' file (empty: none, defaults apply).
    COptionLayers(const CCommandLine& commandLine, std::string userStorePath, WarningSink warn);

    // The options for a file (or, for standard input, for the current folder
    // or --stdin-path); null when a source is bad, with every error (one line
    // each) appended to errors. Results are cached by options source.
    const COptions* OptionsFor(const std::string& path, bool isStdin,
                               std::vector<std::string>& errors);
    // The command's settings from the same source; the defaults when it has
    // none or it is bad (OptionsFor reports that).
    const CToolSettings& ToolSettingsFor(const std::string& path, bool isStdin);
    const CToolSettings& ToolSettingsOf(const COptionsSource& source);
    // Where those options come from.
    COptionsSource SourceFor(const std::string& path, bool isStdin);
    // The same in words, with what the command line puts on top: "options
    // from team.ini (--options), then --set case.when-indent=4".
    std::string Explain(const std::string& path, bool isStdin);

private:
    struct CLayer
    {
        CLoadedOptions m_Loaded; // with --set and --left-margin applied
        bool m_bReported = false;
    };

    std::string DocumentPath(const std::string& path, bool isStdin) const;
    CLayer& LayerFor(const COptionsSource& source);

    const CCommandLine& m_CommandLine;
    COptionsSearch m_Search;
    WarningSink m_warn;
    COptionsSearchCache m_Cache;
    std::map<COptionsSource, CLayer> m_aLayers;
};

} // namespace qmcli
