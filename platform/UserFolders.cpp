#include "UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// An environment variable that is set and holds an absolute path; the base
// directory rules ignore relative values.
std::string AbsoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return {};
    return value;
}

} // namespace

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && home[0])
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0])
        return pw->pw_dir;
    return {};
}

std::string ConfigFilePath()
{
    if (const char* file = std::getenv("QUILLMARK_CONFIG"); file && file[0])
        return file;
    std::string base = AbsoluteEnv("XDG_CONFIG_HOME");
    if (base.empty())
    {
        std::string home = HomeFolder();
        if (home.empty())
            return {};
        base = home + "/.config";
    }
    return base + "/Quillmark/Quillmark.ini";
}

std::string UserDataFolder()
{
    std::string base = AbsoluteEnv("XDG_DATA_HOME");
    if (base.empty())
    {
        std::string home = HomeFolder();
        if (home.empty())
            return {};
        base = home + "/.local/share";
    }
    std::string folder = base + "/Quillmark";
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec))
        return {};
    return folder;
}

bool DeleteUserDataFile(const std::string& name)
{
    std::string folder = UserDataFolder();
    if (folder.empty() || name.empty() || name.find('/') != std::string::npos || name == "." ||
        name == "..")
        return true;
    std::string path = folder + "/" + name;
    if (::unlink(path.c_str()) == 0)
        return true;
    return errno == ENOENT;
}
