#include "CommandLine.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include <getopt.h>

namespace qmcli
{

std::optional<long long> ParseWholeNumber(const std::string& text, long long minimum,
                                          long long maximum)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    for (size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9')
            return std::nullopt;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

namespace
{

using Value = std::optional<std::string>;

// One flag: its names, whether it takes a value, and what it sets. `name` is
// the flag as typed ("-j" or "--jobs"), for messages.
struct CFlag
{
    const char* m_sLong;
    char m_cShort; // 0: no short form
    int m_nArgument; // no_argument, required_argument or optional_argument
    bool (*m_Apply)(CCommandLine& cl, const std::string& name, const Value& value,
                    std::string& error);
};

// "Group.field=value" into its parts.
bool ParseSetting(const std::string& text, COptionSetting& setting, std::string& error)
{
    const size_t eq = text.find('=');
    const size_t dot = text.find('.');
    if (eq == std::string::npos || dot == std::string::npos || dot > eq || dot == 0 ||
        dot + 1 == eq)
    {
        error = "--set needs section.key=value (for example capitalisation.keywords=lower), not '" +
                text + "'";
        return false;
    }
    setting.m_sGroup = text.substr(0, dot);
    setting.m_sField = text.substr(dot + 1, eq - dot - 1);
    setting.m_sValue = text.substr(eq + 1);
    setting.m_sArgument = text;
    return true;
}

bool SetAction(CCommandLine& cl, CCommandLine::Action action)
{
    // --help, --help-options and --version win over everything; --dump-options
    // over formatting.
    if (action != CCommandLine::ACTION_DUMP_OPTIONS || cl.m_nAction == CCommandLine::ACTION_FORMAT)
        cl.m_nAction = action;
    return true;
}

const CFlag kFlags[] = {
    {"help", 'h', no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         return SetAction(cl, CCommandLine::ACTION_HELP);
     }},
    {"version", 'V', no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         return SetAction(cl, CCommandLine::ACTION_VERSION);
     }},
    {"help-options", 0, no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         return SetAction(cl, CCommandLine::ACTION_HELP_OPTIONS);
     }},
    {"dump-options", 0, no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string& error) {
         if (cl.m_nAction == CCommandLine::ACTION_LSP)
         {
             error = "--dump-options cannot be combined with --lsp";
             return false;
         }
         return SetAction(cl, CCommandLine::ACTION_DUMP_OPTIONS);
     }},
    {"lsp", 0, no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string& error) {
         if (cl.m_nAction == CCommandLine::ACTION_DUMP_OPTIONS)
         {
             error = "--dump-options cannot be combined with --lsp";
             return false;
         }
         if (cl.m_nAction == CCommandLine::ACTION_FORMAT)
             cl.m_nAction = CCommandLine::ACTION_LSP;
         return true;
     }},
    {"in-place", 'i', no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         return cl.m_bInPlace = true;
     }},
    {"check", 0, no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         return cl.m_bCheck = true;
     }},
    {"diff", 0, no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         return cl.m_bDiff = true;
     }},
    {"capitalise", 0, no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         return cl.m_bCapitalise = true;
     }},
    {"capitalize", 0, no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         return cl.m_bCapitalise = true;
     }},
    {"no-verify", 0, no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         cl.m_bVerify = false;
         return true;
     }},
    {"quiet", 'q', no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string& error) {
         if (cl.m_nVerbosity > 0)
         {
             error = "--quiet cannot be combined with --verbose";
             return false;
         }
         cl.m_nVerbosity = -1;
         return true;
     }},
    {"verbose", 'v', no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string& error) {
         if (cl.m_nVerbosity < 0)
         {
             error = "--quiet cannot be combined with --verbose";
             return false;
         }
         ++cl.m_nVerbosity;
         return true;
     }},
    {"color", 0, optional_argument,
     [](CCommandLine& cl, const std::string& name, const Value& value, std::string& error) {
         if (!value || *value == "always")
             cl.m_nColor = CCommandLine::COLOR_ALWAYS;
         else if (*value == "auto")
             cl.m_nColor = CCommandLine::COLOR_AUTO;
         else if (*value == "never")
             cl.m_nColor = CCommandLine::COLOR_NEVER;
         else
         {
             error = name + " needs auto, always or never, not '" + *value + "'";
             return false;
         }
         return true;
     }},
    {"set", 0, required_argument,
     [](CCommandLine& cl, const std::string&, const Value& value, std::string& error) {
         COptionSetting setting;
         if (!ParseSetting(*value, setting, error))
             return false;
         cl.m_aSettings.push_back(setting);
         return true;
     }},
    {"left-margin", 0, required_argument,
     [](CCommandLine& cl, const std::string& name, const Value& value, std::string& error) {
         const auto n = ParseWholeNumber(*value, -1, 1000);
         if (!n)
         {
             error = name + " needs a whole number from -1 to 1000, not '" + *value + "'";
             return false;
         }
         cl.m_nLeftMargin = static_cast<int>(*n);
         return true;
     }},
    {"options", 0, required_argument,
     [](CCommandLine& cl, const std::string&, const Value& value, std::string&) {
         cl.m_sOptionsFile = *value;
         return true;
     }},
    {"no-config", 0, no_argument,
     [](CCommandLine& cl, const std::string&, const Value&, std::string&) {
         return cl.m_bNoConfig = true;
     }},
    {"exclude", 0, required_argument,
     [](CCommandLine& cl, const std::string& name, const Value& value, std::string& error) {
         if (value->find_first_not_of(" \t!/") == std::string::npos)
         {
             error = name + " needs a pattern, not '" + *value + "'";
             return false;
         }
         cl.m_aExclude.push_back(*value);
         return true;
     }},
    {"encoding", 0, required_argument,
     [](CCommandLine& cl, const std::string&, const Value& value, std::string&) {
         cl.m_sEncoding = *value;
         return true;
     }},
    {"stdin-path", 0, required_argument,
     [](CCommandLine& cl, const std::string&, const Value& value, std::string&) {
         cl.m_sStdinPath = *value;
         return true;
     }},
    {"lines", 0, required_argument,
     [](CCommandLine& cl, const std::string& name, const Value& value, std::string& error) {
         const size_t colon = value->find(':');
         const auto first = colon == std::string::npos ? std::nullopt
                                                       : ParseWholeNumber(value->substr(0, colon), 1, INT32_MAX);
         const auto last = first ? ParseWholeNumber(value->substr(colon + 1), *first, INT32_MAX) : std::nullopt;
         if (!last)
         {
             error = name + " needs FIRST:LAST, line numbers from 1 with FIRST no greater than LAST, not '" +
                     *value + "'";
             return false;
         }
         cl.m_aLines.push_back({static_cast<int32_t>(*first), static_cast<int32_t>(*last)});
         return true;
     }},
    {"jobs", 'j', required_argument,
     [](CCommandLine& cl, const std::string& name, const Value& value, std::string& error) {
         const auto n = ParseWholeNumber(*value, 1, 1024);
         if (!n)
         {
             error = name + " needs a number of threads from 1 to 1024, not '" + *value + "'";
             return false;
         }
         cl.m_nJobs = static_cast<unsigned>(*n);
         return true;
     }},
};

constexpr int kLongOnlyCode = 256; // getopt's code of kFlags[i] without a short form: 256 + i

const CFlag* FlagOfCode(int code)
{
    if (code >= kLongOnlyCode)
        return code - kLongOnlyCode < static_cast<int>(std::size(kFlags)) ? &kFlags[code - kLongOnlyCode]
                                                                            : nullptr;
    for (const CFlag& flag : kFlags)
        if (flag.m_cShort != 0 && flag.m_cShort == code)
            return &flag;
    return nullptr;
}

int CodeOf(const CFlag& flag)
{
    return flag.m_cShort != 0 ? flag.m_cShort : kLongOnlyCode + static_cast<int>(&flag - kFlags);
}

// The long name of an argument as typed: "--jobs" of "--jobs=4".
std::string LongNameTyped(const std::string& argument)
{
    return argument.substr(0, argument.find('='));
}

// The checks that need the whole command line.
bool CheckCombination(const CCommandLine& cl, std::string& error)
{
    if (cl.m_nAction == CCommandLine::ACTION_LSP &&
        (!cl.m_aInputs.empty() || cl.m_bInPlace || cl.m_bCheck || cl.m_bDiff || cl.m_sStdinPath ||
         !cl.m_bVerify))
    {
        error = "--lsp takes its documents from the editor: no files, and no --in-place, --check, "
                "--diff, --stdin-path or --no-verify";
        return false;
    }
    if (cl.m_nAction != CCommandLine::ACTION_FORMAT)
        return true;
    if (cl.m_bInPlace && (cl.m_bCheck || cl.m_bDiff))
    {
        error = "--in-place cannot be combined with --check or --diff, which write nothing";
        return false;
    }
    if (cl.m_bInPlace)
        for (const std::string& input : cl.m_aInputs.empty() ? std::vector<std::string>{"-"}
                                                             : cl.m_aInputs)
            if (input == "-")
            {
                error = "--in-place needs files or folders; standard input has no file to rewrite";
                return false;
            }
    return true;
}

} // namespace

std::vector<std::string> CommandLineFlagNames()
{
    std::vector<std::string> names;
    for (const CFlag& flag : kFlags)
    {
        names.push_back(std::string("--") + flag.m_sLong);
        if (flag.m_cShort != 0)
            names.push_back(std::string("-") + flag.m_cShort);
    }
    return names;
}

std::optional<CCommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                             std::string& error)
{
    // "-": inputs are handed back in order, as code 1, whatever POSIXLY_CORRECT
    // says; ":": a missing value is told apart from an unknown flag.
    std::string shortFlags = "-:";
    std::vector<option> longFlags;
    for (const CFlag& flag : kFlags)
    {
        longFlags.push_back({flag.m_sLong, flag.m_nArgument, nullptr, CodeOf(flag)});
        if (flag.m_cShort != 0)
        {
            shortFlags += flag.m_cShort;
            if (flag.m_nArgument != no_argument)
                shortFlags += flag.m_nArgument == required_argument ? ":" : "::";
        }
    }
    longFlags.push_back({nullptr, 0, nullptr, 0});

    std::vector<std::string> storage{"quillmark-format"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    // getopt keeps its place in globals.
    static std::mutex s_mutex;
    std::lock_guard lock(s_mutex);
    optind = 0; // 0, not 1: starts glibc's scan afresh
    opterr = 0;

    CCommandLine cl;
    for (;;)
    {
        // A long flag is a whole argument, so the one at optind is it.
        const int at = optind == 0 ? 1 : optind;
        const std::string current = at < argc ? storage[at] : std::string();
        const bool typedLong = current.rfind("--", 0) == 0;
        int longIndex = -1;
        const int code = getopt_long(argc, argv.data(), shortFlags.c_str(), longFlags.data(), &longIndex);
        if (code == -1)
            break;
        if (code == 1)
        {
            cl.m_aInputs.push_back(optarg);
            continue;
        }
        if (code == '?' || code == ':')
        {
            const CFlag* flag = FlagOfCode(optopt);
            const std::string name = !flag ? std::string()
                                     : typedLong ? "--" + std::string(flag->m_sLong)
                                                 : "-" + std::string(1, flag->m_cShort);
            if (code == ':' && flag)
                error = name + " needs a value";
            else if (flag && typedLong)
                error = name + " takes no value";
            else
                error = "unknown option '" +
                        (typedLong || optopt == 0 ? current : "-" + std::string(1, char(optopt))) +
                        "' (see --help)";
            return std::nullopt;
        }
        const CFlag* flag = FlagOfCode(code);
        std::string name;
        if (longIndex >= 0)
        {
            // getopt takes any unambiguous abbreviation; only full names are
            // accepted, so that a new flag never changes what an old command does.
            name = "--" + std::string(flag->m_sLong);
            if (LongNameTyped(current) != name)
            {
                error = "unknown option '" + current + "' (see --help)";
                return std::nullopt;
            }
        }
        else
            name = "-" + std::string(1, flag->m_cShort);
        const Value value = flag->m_nArgument != no_argument && optarg ? Value(optarg) : std::nullopt;
        if (!flag->m_Apply(cl, name, value, error))
            return std::nullopt;
    }
    for (int i = optind; i < argc; ++i)
        cl.m_aInputs.push_back(storage[i]);

    if (!CheckCombination(cl, error))
        return std::nullopt;
    return cl;
}

} // namespace qmcli
