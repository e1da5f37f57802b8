#include "OptionLayers.h"

#include "IniFile.h"
#include "IniProfileStore.h"
#include "ProfileStore.h"

#include <cerrno>
#include <cstdint>
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

constexpr std::string_view kSectionPrefix = "Options\\";

// The group of a section name, or null.
COptions::COptElementBase* GroupOfSection(const COptions& options, std::string_view section)
{
    if (section.substr(0, kSectionPrefix.size()) != kSectionPrefix)
        return nullptr;
    return options.FindGroup(section.substr(kSectionPrefix.size()));
}

// Sets a field from text strictly; false with the reason when it does not parse.
bool SetFieldStrictly(const COptions::COptElementBase::COptElInfo& info, const std::string& text,
                      std::string& reason)
{
    switch (info.m_nType)
    {
    case OPT_INT: {
        auto n = ParseWholeNumber(text, INT32_MIN, INT32_MAX);
        if (!n)
        {
            reason = "needs a whole number, not '" + text + "'";
            return false;
        }
        *static_cast<int32_t*>(info.m_pField) = static_cast<int32_t>(*n);
        return true;
    }
    case OPT_BOOL:
        if (text != "0" && text != "1")
        {
            reason = "needs 0 or 1, not '" + text + "'";
            return false;
        }
        *static_cast<bool*>(info.m_pField) = text == "1";
        return true;
    default:
        COptions::COptElementBase::SetFieldFromText(info, text);
        return true;
    }
}

std::string FieldList(const COptions::COptElementBase& group)
{
    std::string names;
    for (const auto& info : group.m_aInfo)
        names += (names.empty() ? "" : ", ") + info.m_sName;
    return names;
}

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

} // namespace

bool ApplyOptionsText(std::string_view text, const std::string& label, COptions& options,
                      std::vector<std::string>& errors)
{
    const size_t before = errors.size();
    const CIniParseResult parsed = ParseIni(text);
    for (const CIniMalformedLine& bad : parsed.m_aMalformed)
        errors.push_back(label + ":" + std::to_string(bad.m_nLine) + ": " + bad.m_sReason);
    for (const CIniSection& section : parsed.m_aSections)
    {
        COptions::COptElementBase* group = nullptr;
        if (section.m_nLine != 0)
        {
            group = GroupOfSection(options, section.m_sName);
            if (!group)
            {
                errors.push_back(label + ":" + std::to_string(section.m_nLine) +
                                 ": unknown section [" + section.m_sName +
                                 "]; the sections are [Options\\CParentheses] ... [Options\\CGeneral]");
                continue;
            }
        }
        for (const CIniEntry& entry : section.m_aEntries)
        {
            if (entry.m_nKind != CIniEntry::VALUE)
                continue;
            const std::string where = label + ":" + std::to_string(entry.m_nLine) + ": ";
            if (!group)
            {
                errors.push_back(where + "'" + entry.m_sName +
                                 "' stands before any [Options\\...] section");
                continue;
            }
            const auto* info = group->FindField(entry.m_sName);
            if (!info)
            {
                errors.push_back(where + "unknown field '" + entry.m_sName + "' in [" +
                                 section.m_sName + "] (fields: " + FieldList(*group) + ")");
                continue;
            }
            std::string reason;
            if (!SetFieldStrictly(*info, entry.m_sValue, reason))
                errors.push_back(where + group->m_sName + "." + entry.m_sName + " " + reason);
        }
    }
    return errors.size() == before;
}

bool ApplySetting(const COptionSetting& setting, COptions& options, std::string& error)
{
    const COptions::COptElementBase* group = options.FindGroup(setting.m_sGroup);
    if (!group)
    {
        std::string groups;
        for (const auto* g : options.m_aGroups)
            groups += (groups.empty() ? "" : ", ") + g->m_sName;
        error = "--set " + setting.m_sArgument + ": unknown group '" + setting.m_sGroup +
                "' (groups: " + groups + ")";
        return false;
    }
    const auto* info = group->FindField(setting.m_sField);
    if (!info)
    {
        error = "--set " + setting.m_sArgument + ": unknown field '" + setting.m_sField + "' in " +
                group->m_sName + " (fields: " + FieldList(*group) + ")";
        return false;
    }
    std::string reason;
    if (!SetFieldStrictly(*info, setting.m_sValue, reason))
    {
        error = "--set " + setting.m_sArgument + ": " + group->m_sName + "." + info->m_sName +
                " " + reason;
        return false;
    }
    return true;
}

std::string FormatOptionsText(const COptions& options)
{
    std::string text;
    for (const auto* group : options.m_aGroups)
    {
        if (!text.empty())
            text += '\n';
        text += "[" + group->SectionName() + "]\n";
        for (const auto& info : group->m_aInfo)
            text += info.m_sName + "=" + IniLineText(COptions::COptElementBase::FieldText(info)) + "\n";
    }
    return text;
}

COptionLayers::COptionLayers(const CCommandLine& commandLine, std::string userStorePath,
                             WarningSink warn)
    : m_CommandLine(commandLine), m_sUserStorePath(std::move(userStorePath)),
      m_warn(std::move(warn))
{
}

std::string COptionLayers::DiscoverFrom(const std::string& folder)
{
    std::error_code ec;
    fs::path dir = fs::absolute(folder.empty() ? "." : folder, ec).lexically_normal();
    std::vector<std::string> visited;
    std::string found;
    for (;;)
    {
        const std::string key = dir.string();
        auto cached = m_aDiscovered.find(key);
        if (cached != m_aDiscovered.end())
        {
            found = cached->second;
            break;
        }
        visited.push_back(key);
        const fs::path candidate = dir / kDiscoveredOptionsName;
        if (fs::is_regular_file(candidate, ec))
        {
            found = candidate.string();
            break;
        }
        if (!dir.has_parent_path() || dir.parent_path() == dir)
            break;
        dir = dir.parent_path();
    }
    for (const std::string& key : visited)
        m_aDiscovered[key] = found;
    return found;
}

std::string COptionLayers::OptionsFileFor(const std::string& path, bool isStdin)
{
    if (m_CommandLine.m_sOptionsFile)
        return *m_CommandLine.m_sOptionsFile;
    if (isStdin)
    {
        if (!m_CommandLine.m_sStdinPath)
            return DiscoverFrom(".");
        return DiscoverFrom(fs::path(*m_CommandLine.m_sStdinPath).parent_path().string());
    }
    return DiscoverFrom(fs::path(path).parent_path().string());
}

COptionLayers::CLayer COptionLayers::Build(const std::string& optionsFile)
{
    CLayer layer;
    auto options = std::make_unique<COptions>();
    if (optionsFile.empty())
    {
        if (!m_sUserStorePath.empty())
        {
            // The store is opened read-only: loading may want to write the
            // defaults back (a store without the marker), which must not happen.
            CIniProfileStore store(m_sUserStorePath, m_warn);
            CReadOnlyProfileStore readOnly(store);
            COptions saved(&readOnly);
            options->CopyValuesFrom(saved);
        }
    }
    else
    {
        std::string bytes, error;
        if (!ReadWholeFile(optionsFile, bytes, error))
            layer.m_aErrors.push_back(optionsFile + ": " + error);
        else
            ApplyOptionsText(bytes, optionsFile, *options, layer.m_aErrors);
    }
    for (const COptionSetting& setting : m_CommandLine.m_aSettings)
    {
        std::string error;
        if (!ApplySetting(setting, *options, error))
            layer.m_aErrors.push_back(error);
    }
    if (m_CommandLine.m_nLeftMargin)
    {
        // -1 keeps the input's indentation: Format measures it from the input
        // and indents its result by as much; Capitalise leaves every line's
        // indentation as it is anyway.
        options->m_General.m_nLeftMargin = *m_CommandLine.m_nLeftMargin;
        options->m_General.m_bAutoDetectLeftMargin =
            *m_CommandLine.m_nLeftMargin == -1 && !m_CommandLine.m_bCapitalise;
    }
    if (layer.m_aErrors.empty())
        layer.m_pOptions = std::move(options);
    return layer;
}

const COptions* COptionLayers::OptionsFor(const std::string& path, bool isStdin,
                                          std::vector<std::string>& errors)
{
    const std::string file = OptionsFileFor(path, isStdin);
    auto it = m_aLayers.find(file);
    if (it == m_aLayers.end())
    {
        it = m_aLayers.emplace(file, Build(file)).first;
        // Each bad source is reported once, however many files it governs.
        errors.insert(errors.end(), it->second.m_aErrors.begin(), it->second.m_aErrors.end());
    }
    return it->second.m_pOptions.get();
}

std::string COptionLayers::SourceFor(const std::string& path, bool isStdin)
{
    const std::string file = OptionsFileFor(path, isStdin);
    if (!file.empty())
        return file;
    return m_sUserStorePath.empty() ? "the defaults" : m_sUserStorePath + " (read-only)";
}

} // namespace qmcli
