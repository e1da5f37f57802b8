// The command line of quillmark-format, parsed into one record. Parsing only
// reads the arguments; it opens no file.
#pragma once

#include "FixedPoint.h"

#include <optional>
#include <string>
#include <vector>

namespace qmcli
{

struct COptionSetting
{
    std::string m_sGroup; // "capitalisation" or "CCapitalisation"
    std::string m_sField; // "keywords" or "m_nKeywords"
    std::string m_sValue; // "lower" or "1"
    std::string m_sArgument; // as typed, for messages
};

struct CCommandLine
{
    enum Action
    {
        ACTION_FORMAT,
        ACTION_HELP,
        ACTION_HELP_OPTIONS,
        ACTION_VERSION,
        ACTION_DUMP_OPTIONS,
        ACTION_LSP
    };
    enum Color { COLOR_AUTO, COLOR_ALWAYS, COLOR_NEVER };

    Action m_nAction = ACTION_FORMAT;
    bool m_bCapitalise = false;
    bool m_bInPlace = false;
    bool m_bCheck = false;
    bool m_bDiff = false;
    bool m_bVerify = true;
    // -1 with --quiet (errors only), 0 by default, one more for each --verbose.
    int m_nVerbosity = 0;
    Color m_nColor = COLOR_AUTO;
    std::optional<int> m_nLeftMargin;
    std::optional<std::string> m_sOptionsFile;
    bool m_bNoConfig = false; // neither discovered options files nor the desktop store
    std::vector<std::string> m_aExclude; // --exclude, relative to the current folder
    std::optional<std::string> m_sEncoding;
    std::optional<std::string> m_sStdinPath; // where standard input's text "lives"
    std::vector<COptionSetting> m_aSettings; // --set, in command-line order
    unsigned m_nJobs = 0;                    // 0: one per core
    std::vector<CLineRange> m_aLines;        // --lines: only the units there
    std::vector<std::string> m_aInputs;      // files, folders, "-"
};

// Parses argv[1...] the GNU way: short flags may be bundled ("-ij1"), long
// ones take "--name=value" or "--name value", "--" ends the flags, "-" is
// standard input, and flags and inputs mix in any order. Long names must be
// typed in full. On a usage error returns nothing and sets error to one line
// without the program's name ("--left-margin needs a number, not 'x'").
std::optional<CCommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                             std::string& error);

// Every flag the parser knows, for the help text, the man page and the shell
// completions to be checked against: "--in-place", "-i", ...
std::vector<std::string> CommandLineFlagNames();

// A whole number in [minimum, maximum]: optional sign and decimal digits only.
std::optional<long long> ParseWholeNumber(const std::string& text, long long minimum,
                                          long long maximum);

} // namespace qmcli
