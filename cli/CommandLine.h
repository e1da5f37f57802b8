// The command line of quillmark-format, parsed into one record. Parsing only
// reads the arguments; it opens no file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qmcli
{

struct COptionSetting
{
    std::string m_sGroup; // "CCapitalisation"
    std::string m_sField; // "m_nKeywords"
    std::string m_sValue; // "1"
    std::string m_sArgument; // as typed, for messages
};

struct CCommandLine
{
    enum Action { ACTION_FORMAT, ACTION_HELP, ACTION_VERSION, ACTION_DUMP_OPTIONS };

    Action m_nAction = ACTION_FORMAT;
    bool m_bCapitalise = false;
    bool m_bInPlace = false;
    bool m_bCheck = false;
    bool m_bDiff = false;
    bool m_bVerify = true;
    std::optional<int> m_nLeftMargin;
    std::optional<std::string> m_sOptionsFile;
    std::optional<std::string> m_sEncoding;
    std::optional<std::string> m_sStdinPath; // where standard input's text "lives"
    std::vector<COptionSetting> m_aSettings; // --set, in command-line order
    unsigned m_nJobs = 0;                    // 0: one per core
    std::vector<std::string> m_aInputs;      // files, folders, "-"
};

// Parses argv[1...]. On a usage error returns nothing and sets error to one
// line without the program's name ("--left-margin needs a number, not 'x'").
std::optional<CCommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                             std::string& error);

// A whole number in [minimum, maximum]: optional sign and decimal digits only.
std::optional<long long> ParseWholeNumber(const std::string& text, long long minimum,
                                          long long maximum);

} // namespace qmcli
