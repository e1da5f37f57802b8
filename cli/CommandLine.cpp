#include "CommandLine.h"

#include <cerrno>
#include <cstdlib>

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

// "Group.field=value" into its parts.
bool ParseSetting(const std::string& text, COptionSetting& setting, std::string& error)
{
    const size_t eq = text.find('=');
    const size_t dot = text.find('.');
    if (eq == std::string::npos || dot == std::string::npos || dot > eq || dot == 0 ||
        dot + 1 == eq)
    {
        error = "--set needs Group.field=value (for example CCapitalisation.m_nKeywords=1), not '" +
                text + "'";
        return false;
    }
    setting.m_sGroup = text.substr(0, dot);
    setting.m_sField = text.substr(dot + 1, eq - dot - 1);
    setting.m_sValue = text.substr(eq + 1);
    setting.m_sArgument = text;
    return true;
}

} // namespace

std::optional<CCommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                             std::string& error)
{
    CCommandLine cl;
    bool onlyInputs = false;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (onlyInputs || arg == "-" || arg.empty() || arg[0] != '-')
        {
            cl.m_aInputs.push_back(arg);
            continue;
        }
        if (arg == "--")
        {
            onlyInputs = true;
            continue;
        }
        // "--name=value" and "--name value" both give a value.
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (arg.size() > 2 && arg.rfind("-j", 0) == 0)
        {
            name = "-j"; // "-j4"
            inlineValue = arg.substr(2);
        }
        else if (arg.rfind("--", 0) == 0)
        {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos)
            {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
            }
        }
        auto value = [&](std::string& out) {
            if (inlineValue)
            {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size())
            {
                error = name + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto flag = [&](bool& target) {
            if (inlineValue)
            {
                error = name + " takes no value";
                return false;
            }
            target = true;
            return true;
        };

        std::string text;
        bool ok = true;
        bool unused = false;
        if (name == "-h" || name == "--help")
            ok = flag(unused), cl.m_nAction = CCommandLine::ACTION_HELP;
        else if (name == "-V" || name == "--version")
            ok = flag(unused), cl.m_nAction = CCommandLine::ACTION_VERSION;
        else if (name == "--dump-options")
        {
            ok = flag(unused);
            if (cl.m_nAction == CCommandLine::ACTION_FORMAT)
                cl.m_nAction = CCommandLine::ACTION_DUMP_OPTIONS;
        }
        else if (name == "-i" || name == "--in-place")
            ok = flag(cl.m_bInPlace);
        else if (name == "--check")
            ok = flag(cl.m_bCheck);
        else if (name == "--diff")
            ok = flag(cl.m_bDiff);
        else if (name == "--capitalise" || name == "--capitalize")
            ok = flag(cl.m_bCapitalise);
        else if (name == "--no-verify")
        {
            ok = flag(unused);
            cl.m_bVerify = false;
        }
        else if (name == "--set")
        {
            COptionSetting setting;
            ok = value(text) && ParseSetting(text, setting, error);
            if (ok)
                cl.m_aSettings.push_back(setting);
        }
        else if (name == "--left-margin")
        {
            ok = value(text);
            if (ok)
            {
                auto n = ParseWholeNumber(text, -1, 1000);
                if (!n)
                {
                    error = "--left-margin needs a whole number from -1 to 1000, not '" + text + "'";
                    ok = false;
                }
                else
                    cl.m_nLeftMargin = static_cast<int>(*n);
            }
        }
        else if (name == "--options")
        {
            ok = value(text);
            cl.m_sOptionsFile = text;
        }
        else if (name == "--encoding")
        {
            ok = value(text);
            cl.m_sEncoding = text;
        }
        else if (name == "--stdin-path")
        {
            ok = value(text);
            cl.m_sStdinPath = text;
        }
        else if (name == "-j" || name == "--jobs")
        {
            ok = value(text);
            if (ok)
            {
                auto n = ParseWholeNumber(text, 1, 1024);
                if (!n)
                {
                    error = name + " needs a number of threads from 1 to 1024, not '" + text + "'";
                    ok = false;
                }
                else
                    cl.m_nJobs = static_cast<unsigned>(*n);
            }
        }
        else
        {
            error = "unknown option '" + arg + "' (see --help)";
            ok = false;
        }
        if (!ok)
            return std::nullopt;
    }

    if (cl.m_nAction != CCommandLine::ACTION_FORMAT)
        return cl;
    if (cl.m_bInPlace && (cl.m_bCheck || cl.m_bDiff))
    {
        error = "--in-place cannot be combined with --check or --diff, which write nothing";
        return std::nullopt;
    }
    if (cl.m_bInPlace)
        for (const std::string& input : cl.m_aInputs.empty() ? std::vector<std::string>{"-"}
                                                             : cl.m_aInputs)
            if (input == "-")
            {
                error = "--in-place needs files or folders; standard input has no file to rewrite";
                return std::nullopt;
            }
    return cl;
}

} // namespace qmcli
