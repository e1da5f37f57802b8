// The first start of a version: the stored "AppNameVer" differs from this
// program's version (or is missing).
#pragma once

class CProfileStore;

// When the version changed: deletes the user's copy of the SQL colouring
// configuration (the editors copy a fresh one), stores the new version and
// clears the saved window layout ("Workspace"). Returns whether it did.
bool RunVersionCheck(CProfileStore& store);
