#include "VersionCheck.h"

#include "AppStrings.h"
#include "ProfileStore.h"
#include "UserFolders.h"

bool RunVersionCheck(CProfileStore& store)
{
    // The version stands directly in the application key: the section without a name.
    const std::string version = AppStrings::kVersion.toStdString();
    const auto stored = store.GetString("", AppStrings::kVersionValueName);
    if (stored && *stored == version)
        return false;
    DeleteUserDataFile(AppStrings::kSqlConfigFile.toStdString());
    store.WriteString("", AppStrings::kVersionValueName, version);
    store.DeleteSection(AppStrings::kWorkspaceSection);
    return true;
}
