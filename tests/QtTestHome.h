// The desktop app's tests run on the offscreen platform with folders of their
// own: a temporary home whose data, config and runtime folders stand in for
// the user's, and an in-memory settings store, so that no test touches the
// real settings store or data folder.
#pragma once

#include "ProfileStore.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

inline void UseTemporaryHome(const QTemporaryDir& home)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const QByteArray root = home.path().toUtf8();
    for (const char* sub : {"/data", "/config", "/run"})
        QDir().mkpath(home.path() + QLatin1String(sub));
    // The runtime folder must belong to the user alone, or Qt complains.
    QFile::setPermissions(home.path() + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ::setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/run").constData(), 1);
    ::setenv("QUILLMARK_CONFIG", (root + "/config/Quillmark.ini").constData(), 1);
}

// The store every test of a program runs against; emptied before each test.
inline CMemoryProfileStore& TestStore()
{
    static CMemoryProfileStore store;
    return store;
}

class CResetTestStore : public testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo&) override { TestStore().m_aSections.clear(); }
};
