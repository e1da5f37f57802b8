// Where the settings file and the data folder are found, from the environment.
#include "TempFolder.h"
#include "UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>

namespace {

namespace fs = std::filesystem;

// Sets environment variables for one test and restores them afterwards.
class CEnvironment
{
public:
    ~CEnvironment()
    {
        for (const auto& [name, value] : m_aSaved)
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
    }
    void Set(const std::string& name, const char* value)
    {
        if (!m_aSaved.count(name))
        {
            const char* old = std::getenv(name.c_str());
            m_aSaved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name.c_str(), value, 1);
        else
            ::unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> m_aSaved;
};

struct ConfigCase
{
    const char* label;
    const char* quillmarkConfig;
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
};

class UserFoldersConfig : public testing::TestWithParam<ConfigCase>
{
};

TEST_P(UserFoldersConfig, FindsTheSettingsFile)
{
    const ConfigCase& c = GetParam();
    CEnvironment env;
    env.Set("QUILLMARK_CONFIG", c.quillmarkConfig);
    env.Set("XDG_CONFIG_HOME", c.xdgConfigHome);
    env.Set("HOME", c.home);
    EXPECT_EQ(ConfigFilePath(), c.expected);
}

const ConfigCase kConfigCases[] = {
    {"ExplicitFileWins", "/x/my.ini", "/cfg", "/home/u", "/x/my.ini"},
    {"XdgConfigHome", nullptr, "/cfg", "/home/u", "/cfg/Quillmark/Quillmark.ini"},
    {"EmptyExplicitIgnored", "", "/cfg", "/home/u", "/cfg/Quillmark/Quillmark.ini"},
    {"HomeFallback", nullptr, nullptr, "/home/u", "/home/u/.config/Quillmark/Quillmark.ini"},
    {"RelativeXdgIgnored", nullptr, "rel", "/home/u", "/home/u/.config/Quillmark/Quillmark.ini"},
    {"EmptyXdgIgnored", nullptr, "", "/home/u", "/home/u/.config/Quillmark/Quillmark.ini"},
};

INSTANTIATE_TEST_SUITE_P(Cases, UserFoldersConfig, testing::ValuesIn(kConfigCases),
                         [](const auto& info) { return std::string(info.param.label); });

struct DataCase
{
    const char* label;
    bool setXdg;
    const char* expectedBelowTemp; // where the folder must be, below the temporary folder
};

class UserFoldersData : public testing::TestWithParam<DataCase>
{
};

TEST_P(UserFoldersData, CreatesTheDataFolder)
{
    const DataCase& c = GetParam();
    CTempFolder temp;
    CEnvironment env;
    env.Set("XDG_DATA_HOME", c.setXdg ? temp.File("data").c_str() : nullptr);
    env.Set("HOME", temp.File("home").c_str());
    const std::string expected = temp.File(c.expectedBelowTemp);
    EXPECT_EQ(UserDataFolder(), expected);
    EXPECT_TRUE(fs::is_directory(expected));
}

const DataCase kDataCases[] = {
    {"XdgDataHome", true, "data/Quillmark"},
    {"HomeFallback", false, "home/.local/share/Quillmark"},
};

INSTANTIATE_TEST_SUITE_P(Cases, UserFoldersData, testing::ValuesIn(kDataCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(UserFolders, DataFolderThatCannotBeMadeIsEmpty)
{
    CTempFolder temp;
    WriteBytes(temp.File("file"), "x"); // a file where a folder must go
    CEnvironment env;
    env.Set("XDG_DATA_HOME", temp.File("file").c_str());
    EXPECT_EQ(UserDataFolder(), "");
    EXPECT_TRUE(DeleteUserDataFile("orv_sqledit.cfg"));
}

TEST(UserFolders, DeleteUserDataFileRemovesOnlyThatFile)
{
    CTempFolder temp;
    CEnvironment env;
    env.Set("XDG_DATA_HOME", temp.Path().c_str());
    const std::string folder = UserDataFolder();
    WriteBytes(folder + "/orv_sqledit.cfg", "x");
    WriteBytes(folder + "/orv_edit.ini", "y");
    WriteBytes(temp.File("outside"), "z");
    EXPECT_TRUE(DeleteUserDataFile("orv_sqledit.cfg"));
    EXPECT_FALSE(fs::exists(folder + "/orv_sqledit.cfg"));
    EXPECT_TRUE(fs::exists(folder + "/orv_edit.ini"));
    EXPECT_TRUE(DeleteUserDataFile("orv_sqledit.cfg")); // already gone: fine
    EXPECT_TRUE(DeleteUserDataFile("../outside"));      // never leaves the folder
    EXPECT_TRUE(fs::exists(temp.File("outside")));
    fs::create_directory(folder + "/sub");
    EXPECT_FALSE(DeleteUserDataFile("sub")); // a folder is not deleted, and that is said
}

} // namespace
