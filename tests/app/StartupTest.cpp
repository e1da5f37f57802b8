// Start-up: the version check and the per-user data folder.
#include "AppTest.h"

#include "AppStrings.h"
#include "QuillmarkApp.h"
#include "VersionCheck.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>

namespace
{
QString DataFile(const QString& name)
{
    return QDir(CQuillmarkApp::GetUserDataFolder()).filePath(name);
}

struct CVersionCase
{
    const char* m_pName;
    std::optional<std::string> m_sStored;
    bool m_bChange;
};

void PrintTo(const CVersionCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class VersionCheck : public testing::TestWithParam<CVersionCase>
{
};

TEST_P(VersionCheck, ResetsOnlyOnAChange)
{
    const CVersionCase& c = GetParam();
    CMemoryProfileStore store;
    if (c.m_sStored)
        store.WriteString("", "AppNameVer", *c.m_sStored);
    store.WriteString("Workspace", "ApplicationLook", "215");
    store.WriteString("Options\\CGeneral", "m_nLeftMargin", "3");
    ASSERT_TRUE(WriteFileBytes(DataFile(AppStrings::kSqlConfigFile), "[Colours]\n"));
    ASSERT_TRUE(WriteFileBytes(DataFile(AppStrings::kEditConfigFile), "[Editor]\n"));

    EXPECT_EQ(RunVersionCheck(store), c.m_bChange);

    EXPECT_EQ(store.GetString("", "AppNameVer"), "Quillmark v 1.1");
    EXPECT_EQ(QFileInfo::exists(DataFile(AppStrings::kSqlConfigFile)), !c.m_bChange);
    EXPECT_EQ(store.GetString("Workspace", "ApplicationLook").has_value(), !c.m_bChange);
    // Neither the main editor configuration nor the options are touched.
    EXPECT_TRUE(QFileInfo::exists(DataFile(AppStrings::kEditConfigFile)));
    EXPECT_EQ(store.GetString("Options\\CGeneral", "m_nLeftMargin"), "3");

    // The next start of the same version does nothing.
    store.WriteString("Workspace", "ApplicationLook", "216");
    EXPECT_FALSE(RunVersionCheck(store));
    EXPECT_EQ(store.GetString("Workspace", "ApplicationLook"), "216");
}

const CVersionCase kVersionCases[] = {
    {"FirstStart", std::nullopt, true},
    {"SameVersion", "Quillmark v 1.1", false},
    {"OlderVersion", "Quillmark v 1.0", true},
    {"DiffersInCaseOnly", "quillmark v 1.1", true},
    {"TrailingBlank", "Quillmark v 1.1 ", true},
    {"Empty", "", true},
};

INSTANTIATE_TEST_SUITE_P(App, VersionCheck, testing::ValuesIn(kVersionCases),
                         [](const testing::TestParamInfo<CVersionCase>& info) {
                             return std::string(info.param.m_pName);
                         });

TEST(VersionCheck, MissingConfigurationCopyIsNoError)
{
    CMemoryProfileStore store;
    QFile::remove(DataFile(AppStrings::kSqlConfigFile));
    EXPECT_TRUE(RunVersionCheck(store));
    EXPECT_EQ(store.GetString("", "AppNameVer"), "Quillmark v 1.1");
}

TEST(UserDataFolder, IsCreatedUnderTheDataHome)
{
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    QDir(home + QStringLiteral("/Quillmark")).removeRecursively();
    const QString folder = CQuillmarkApp::GetUserDataFolder();
    EXPECT_EQ(folder, home + QStringLiteral("/Quillmark"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST(UserDataFolder, DeleteUserDataFileRemovesOnlyThatFile)
{
    ASSERT_TRUE(WriteFileBytes(DataFile(QStringLiteral("a.cfg")), "a"));
    ASSERT_TRUE(WriteFileBytes(DataFile(QStringLiteral("b.cfg")), "b"));
    CQuillmarkApp::DeleteUserDataFile(QStringLiteral("a.cfg"));
    CQuillmarkApp::DeleteUserDataFile(QStringLiteral("missing.cfg"));
    EXPECT_FALSE(QFileInfo::exists(DataFile(QStringLiteral("a.cfg"))));
    EXPECT_TRUE(QFileInfo::exists(DataFile(QStringLiteral("b.cfg"))));
}
} // namespace
