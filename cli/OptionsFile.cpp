#include "OptionsFile.h"

#include "CodePage.h"
#include "IniFile.h"
#include "OptionNames.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace qmcli
{

namespace
{

// The keys of the "[quillmark-format]" section, with what they hold.
struct CToolKey
{
    std::string_view m_sKey;
    std::string_view m_sValues;
    std::string_view m_sMeaning;
};
constexpr CToolKey kToolKeys[] = {
    {"encoding", "utf-8 | latin1 | cp1252 | iso-8859-15 | ...",
     "how files without a byte-order mark are read (unset: the locale's character set; "
     "--encoding overrides it; standard input stays UTF-8)"},
    {"exclude", "patterns as in .gitignore, separated by blanks",
     "files and folders a folder walk leaves out, relative to this file's folder; "
     "the key may be repeated"},
    {"respect-gitignore", "true | false",
     "inside a git work tree, a folder walk skips the files git ignores; a file named on the "
     "command line is always formatted (default true)"},
};

// The value without its inline comment (from a ';' or '#' after a blank) and
// without blanks at either end.
std::string CleanValue(std::string_view value)
{
    for (size_t i = 0; i < value.size(); ++i)
        if ((value[i] == ';' || value[i] == '#') && (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t'))
        {
            value = value.substr(0, i);
            break;
        }
    const size_t first = value.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(value.substr(first, value.find_last_not_of(" \t") - first + 1));
}

std::string SectionList()
{
    std::string text;
    for (const COptionSection& section : OptionSections())
        text += "[" + std::string(section.m_sSection) + "], ";
    return text + "[" + kToolSection + "]";
}

std::string KeyList(const COptionSection& section)
{
    std::string text;
    for (const COptionKey& key : section.m_aKeys)
        if (!key.m_sKey.empty())
            text += (text.empty() ? "" : ", ") + std::string(key.m_sKey);
    return text;
}

// One setting of the "[quillmark-format]" section; false with the reason.
bool ApplyToolSetting(const std::string& key, const std::string& value, const std::string& base,
                      const std::string& origin, CToolSettings& tool, std::string& reason)
{
    if (key == "encoding")
    {
        const auto codePage = CodePageFromName(value);
        if (!codePage)
        {
            reason = "encoding: unknown encoding '" + value + "' (try utf-8, latin1, cp1252)";
            return false;
        }
        CCodePage probe(*codePage);
        if (!probe.IsValid())
        {
            reason = "encoding: '" + value + "' cannot be converted here: " + probe.GetError();
            return false;
        }
        tool.m_sEncoding = value;
        return true;
    }
    if (key == "respect-gitignore")
    {
        const auto flag = ParseOptionFlag(value);
        if (!flag)
        {
            reason = "respect-gitignore: '" + value + "' is not one of true | false";
            return false;
        }
        tool.m_bRespectGitignore = *flag;
        return true;
    }
    if (key == "exclude")
    {
        for (const std::string& text : SplitPatterns(value))
        {
            CExcludePattern pattern(text, base, origin);
            if (!pattern.IsValid())
            {
                reason = "exclude: '" + text + "' matches nothing";
                return false;
            }
            tool.m_aExclude.push_back(std::move(pattern));
        }
        return true;
    }
    std::string keys;
    for (const CToolKey& row : kToolKeys)
        keys += (keys.empty() ? "" : ", ") + std::string(row.m_sKey);
    reason = "unknown key '" + key + "' in [" + kToolSection + "] (keys: " + keys + ")";
    return false;
}

// The text in lines of at most 79 columns, each indented by indent blanks.
std::string WrapText(const std::string& text, size_t indent)
{
    std::string out, line;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && indent + line.size() + 1 + word.size() > 79)
        {
            out += std::string(indent, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    if (!line.empty())
        out += std::string(indent, ' ') + line + "\n";
    return out;
}

} // namespace

bool ApplyOptionsText(std::string_view text, const std::string& path, COptions& options,
                      CToolSettings& tool, std::vector<std::string>& errors)
{
    const size_t before = errors.size();
    const std::string base = fs::path(AbsolutePath(path)).parent_path().string();
    const CIniParseResult parsed = ParseIni(text);
    for (const CIniMalformedLine& bad : parsed.m_aMalformed)
        errors.push_back(path + ":" + std::to_string(bad.m_nLine) + ": " + bad.m_sReason);
    for (const CIniSection& section : parsed.m_aSections)
    {
        const bool isTool = section.m_nLine != 0 && section.m_sName == kToolSection;
        const COptionSection* group = nullptr;
        if (section.m_nLine != 0 && !isTool && !(group = FindOptionSection(section.m_sName)))
        {
            errors.push_back(path + ":" + std::to_string(section.m_nLine) + ": unknown section [" +
                             section.m_sName + "]; the sections are " + SectionList());
            continue;
        }
        for (const CIniEntry& entry : section.m_aEntries)
        {
            if (entry.m_nKind != CIniEntry::VALUE)
                continue;
            const std::string where = path + ":" + std::to_string(entry.m_nLine);
            const std::string value = CleanValue(entry.m_sValue);
            std::string reason;
            if (isTool)
            {
                if (!ApplyToolSetting(entry.m_sName, value, base, where, tool, reason))
                    errors.push_back(where + ": " + reason);
                continue;
            }
            if (!group)
            {
                errors.push_back(where + ": '" + entry.m_sName + "' stands before any [section]");
                continue;
            }
            const auto target = FindOptionKey(options, *group, entry.m_sName);
            if (!target)
                errors.push_back(where + ": unknown key '" + entry.m_sName + "' in [" + section.m_sName +
                                 "] (keys: " + KeyList(*group) + ")");
            else if (!SetOptionFromText(*target, value, reason))
                errors.push_back(where + ": " + target->ReadableName() + ": " + reason);
        }
    }
    return errors.size() == before;
}

bool ApplyOptionsText(std::string_view text, const std::string& path, COptions& options,
                      std::vector<std::string>& errors)
{
    CToolSettings ignored;
    return ApplyOptionsText(text, path, options, ignored, errors);
}

bool ApplySetting(const COptionSetting& setting, COptions& options, std::string& error)
{
    const std::string prefix = "--set " + setting.m_sArgument + ": ";
    if (setting.m_sGroup == kToolSection)
    {
        error = prefix + "the [" + kToolSection + "] settings are set in an options file, or with "
                "--encoding and --exclude";
        return false;
    }
    const COptionSection* section = FindOptionSection(setting.m_sGroup);
    if (!section)
    {
        error = prefix + "unknown section '" + setting.m_sGroup + "' (sections: ";
        for (const COptionSection& s : OptionSections())
            error += std::string(s.m_sSection) + (&s == &OptionSections().back() ? ")" : ", ");
        return false;
    }
    const auto target = FindOptionKey(options, *section, setting.m_sField);
    if (!target)
    {
        error = prefix + "unknown key '" + setting.m_sField + "' in " + std::string(section->m_sSection) +
                " (keys: " + KeyList(*section) + ")";
        return false;
    }
    std::string reason;
    if (!SetOptionFromText(*target, setting.m_sValue, reason))
    {
        error = prefix + target->ReadableName() + ": " + reason;
        return false;
    }
    return true;
}

std::string FormatOptionsText(const COptions& options, const CToolSettings* tool)
{
    std::string text;
    for (const COptionSection& section : OptionSections())
    {
        text += (text.empty() ? "[" : "\n[") + std::string(section.m_sSection) + "]\n";
        for (const COptionKey& key : section.m_aKeys)
        {
            const auto target = FindOptionKey(options, section, key.m_sField);
            if (key.m_sKey.empty() || !target)
                continue;
            // A choice's words say what it does; a number or flag gets its meaning.
            text += "# " + OptionAllowedValues(*target) +
                    (key.m_aWords.empty() ? ": " + std::string(key.m_sMeaning) : std::string()) + "\n";
            text += std::string(key.m_sKey) + " = " + IniLineText(OptionValueText(*target)) + "\n";
        }
    }
    if (!tool)
        return text;
    text += "\n[" + std::string(kToolSection) + "]\n";
    for (const CToolKey& key : kToolKeys)
    {
        text += "# " + std::string(key.m_sValues) + "\n";
        if (key.m_sKey == "encoding" && tool->m_sEncoding)
            text += "encoding = " + IniLineText(*tool->m_sEncoding) + "\n";
        else if (key.m_sKey == "respect-gitignore")
            text += std::string("respect-gitignore = ") + (tool->m_bRespectGitignore ? "true" : "false") + "\n";
        else if (key.m_sKey == "exclude")
            for (const CExcludePattern& pattern : tool->m_aExclude)
                text += "exclude = " + IniLineText(pattern.Text()) + "\n";
    }
    return text;
}

std::string OptionsReferenceText()
{
    std::string text =
        "Options files (.quillmark.ini, --options FILE) hold these sections and keys,\n"
        "one \"key = value\" a line; a file names only what it changes, and the other\n"
        "keys keep the defaults shown. --set SECTION.KEY=VALUE sets one for a run.\n"
        "Comments start with ';' or '#', on a line of their own or after a blank.\n"
        "The stored names of the desktop app ([Options\\CCapitalisation],\n"
        "m_nKeywords=1) are read too; --dump-options writes the form below.\n";
    const COptions defaults;
    for (const COptionSection& section : OptionSections())
    {
        text += "\n[" + std::string(section.m_sSection) + "]\n";
        for (const COptionKey& key : section.m_aKeys)
        {
            const auto target = FindOptionKey(defaults, section, key.m_sField);
            if (key.m_sKey.empty() || !target)
                continue;
            text += "  " + std::string(key.m_sKey) + " = " + OptionAllowedValues(*target) + "\n";
            text += WrapText(std::string(key.m_sMeaning) + " (default " + OptionValueText(*target) + ")", 6);
        }
    }
    text += "\n[" + std::string(kToolSection) + "]\n";
    for (const CToolKey& key : kToolKeys)
        text += "  " + std::string(key.m_sKey) + " = " + std::string(key.m_sValues) + "\n" +
                WrapText(std::string(key.m_sMeaning), 6);
    return text;
}

} // namespace qmcli
