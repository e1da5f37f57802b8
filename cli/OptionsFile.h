// Options files (".quillmark.ini", --options) and --set: read strictly, in the
// readable form ("[capitalisation]", "keywords = lower") or the stored one
// ("[Options\CCapitalisation]", "m_nKeywords=1"), and written in the readable
// form by --dump-options. A file may also hold the command's own settings in
// a "[quillmark-format]" section.
#pragma once

#include "CommandLine.h"
#include "ExcludePatterns.h"
#include "Options.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qmcli
{

// The section of the command's own settings.
inline constexpr const char* kToolSection = "quillmark-format";

// The "[quillmark-format]" section of an options file.
struct CToolSettings
{
    std::optional<std::string> m_sEncoding; // as written; checked when read
    bool m_bRespectGitignore = true;
    std::vector<CExcludePattern> m_aExclude;
};

// Applies an options file's text over options, strictly: every section must be
// a group or "[quillmark-format]", every key one of its fields, every value
// one the field allows. Blanks around '=' and comments (whole lines, or from a
// ';' or '#' after a blank) are allowed. Each problem is one line
// "path:LINE: ..." in errors; returns errors.empty(). Exclude patterns are
// relative to the file's folder.
bool ApplyOptionsText(std::string_view text, const std::string& path, COptions& options,
                      CToolSettings& tool, std::vector<std::string>& errors);
bool ApplyOptionsText(std::string_view text, const std::string& path, COptions& options,
                      std::vector<std::string>& errors);

// Applies one --set; false with a one-line error for an unknown section or key
// or a value the field does not allow.
bool ApplySetting(const COptionSetting& setting, COptions& options, std::string& error);

// The options, and the command's settings when given, as an options file in
// the readable form that ApplyOptionsText reads back; each key follows a
// comment line with what it may hold (and, for a number or a flag, what it
// does). Fields only the desktop app keeps are
// left out.
std::string FormatOptionsText(const COptions& options, const CToolSettings* tool = nullptr);

// Every key with what it may hold, its default and what it does, for
// --help-options.
std::string OptionsReferenceText();

} // namespace qmcli
