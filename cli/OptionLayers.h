// Which options format a file, in layers:
//   1. a shared options file: --options FILE, or else the nearest
//      ".quillmark.ini" in the file's folder or a folder above it, read
//      strictly over the defaults; without either, the user's saved options
//      (the desktop app's store, opened read-only: never written);
//   2. every --set Group.field=value, in order;
//   3. --left-margin N.
// Every source is read before any file is formatted, so a bad option stops
// the run before a file is touched.
#pragma once

#include "CommandLine.h"
#include "Options.h"

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

// Applies an options file's text over options, strictly: every section must be
// one of the nine groups ("[Options\CSelect]"), every name one of its stored
// fields, every integer a whole number and every flag 0 or 1. Each problem is
// one line "label:LINE: ..." in errors; returns errors.empty().
bool ApplyOptionsText(std::string_view text, const std::string& label, COptions& options,
                      std::vector<std::string>& errors);

// Applies one --set; false with a one-line error for an unknown group or field
// or a value that does not parse.
bool ApplySetting(const COptionSetting& setting, COptions& options, std::string& error);

// The options as an options file that ApplyOptionsText reads back.
std::string FormatOptionsText(const COptions& options);

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
    // Where those options came from, for --dump-options.
    std::string SourceFor(const std::string& path, bool isStdin);

private:
    struct CLayer
    {
        std::unique_ptr<COptions> m_pOptions; // null when the source is bad
        std::vector<std::string> m_aErrors;
    };

    // The options file that applies to a path: --options, the nearest
    // discovered one, or "" for the user's store.
    std::string OptionsFileFor(const std::string& path, bool isStdin);
    std::string DiscoverFrom(const std::string& folder);
    CLayer Build(const std::string& optionsFile);

    const CCommandLine& m_CommandLine;
    std::string m_sUserStorePath;
    WarningSink m_warn;
    std::map<std::string, std::string> m_aDiscovered; // folder -> options file or ""
    std::map<std::string, CLayer> m_aLayers;          // options file ("" = store) -> options
};

} // namespace qmcli
