#include "SourceFiles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace qmcli
{

bool IsSqlSourceName(const std::string& fileName)
{
    static constexpr std::array<const char*, 10> kExtensions = {
        ".sql", ".pks", ".pkb", ".pls", ".plb", ".tps", ".tpb", ".trg", ".prc", ".fnc"};
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    std::string ext = fileName.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(kExtensions.begin(), kExtensions.end(), ext) != kExtensions.end();
}

namespace
{

// The files below a folder, sorted by path so that every run lists them alike.
void WalkFolder(const std::string& root, const CWalkSkip& skip, std::vector<std::string>& found,
                CSourceList& list)
{
    std::vector<std::string>& errors = list.m_aErrors;
    const size_t skippedBefore = list.m_aSkipped.size();
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    if (ec)
    {
        errors.push_back(root + ": " + ec.message());
        return;
    }
    std::vector<std::string> files;
    for (; it != fs::recursive_directory_iterator(); it.increment(ec))
    {
        if (ec)
        {
            errors.push_back(root + ": " + ec.message());
            break;
        }
        const fs::directory_entry& entry = *it;
        const std::string name = entry.path().filename().string();
        // Links are not followed, to files or to folders: a walk rewrites only
        // what lies below the folder it was given.
        std::error_code typeError;
        const fs::file_status status = entry.symlink_status(typeError);
        if (fs::is_directory(status))
        {
            if (name.size() > 1 && name[0] == '.')
                it.disable_recursion_pending();
            else if (const std::string why = skip ? skip(root, entry.path().string(), true) : ""; !why.empty())
            {
                list.m_aSkipped.push_back(entry.path().string() + "/: " + why);
                it.disable_recursion_pending();
            }
            continue;
        }
        if (!fs::is_regular_file(status) || !IsSqlSourceName(name))
            continue;
        if (const std::string why = skip ? skip(root, entry.path().string(), false) : ""; !why.empty())
            list.m_aSkipped.push_back(entry.path().string() + ": " + why);
        else
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    found.insert(found.end(), files.begin(), files.end());
    std::sort(list.m_aSkipped.begin() + std::ptrdiff_t(skippedBefore), list.m_aSkipped.end());
}

} // namespace

CSourceList FindSourceFiles(const std::vector<std::string>& inputs, const CWalkSkip& skip)
{
    CSourceList list;
    if (inputs.empty())
    {
        list.m_aFiles.push_back({"-", true});
        return list;
    }
    std::set<std::string> seen; // canonical paths already listed
    bool stdinListed = false;
    auto add = [&](const std::string& path) {
        std::error_code ec;
        fs::path canonical = fs::weakly_canonical(path, ec);
        if (!seen.insert(ec ? path : canonical.string()).second)
            return;
        list.m_aFiles.push_back({path, false});
    };
    for (const std::string& input : inputs)
    {
        if (input == "-")
        {
            if (!stdinListed)
                list.m_aFiles.push_back({"-", true});
            stdinListed = true;
            continue;
        }
        std::error_code ec;
        const fs::file_status status = fs::status(input, ec);
        if (fs::is_directory(status))
        {
            std::vector<std::string> found;
            WalkFolder(input, skip, found, list);
            for (const std::string& path : found)
                add(path);
        }
        else if (fs::exists(status))
            add(input);
        else
            list.m_aErrors.push_back(input + ": " +
                                     (ec ? ec.message() : std::string("No such file or directory")));
    }
    return list;
}

} // namespace qmcli
