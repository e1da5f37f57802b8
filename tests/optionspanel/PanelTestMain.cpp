// The panel's tests run inside the application object on the offscreen
// platform, with an in-memory settings store and data folders of their own.
#include "PanelTest.h"

#include "Prompts.h"
#include "QuillmarkApp.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
class CResetStore : public testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo&) override { TestStore().m_aSections.clear(); }
};
} // namespace

CMemoryProfileStore& TestStore()
{
    static CMemoryProfileStore store;
    return store;
}

void AnswerMessageBoxesNo()
{
    CPrompts::SetMessageBoxHandler(
        [](const QString&, QMessageBox::StandardButtons, QMessageBox::Icon) { return QMessageBox::No; });
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir home;
    const QByteArray root = home.path().toUtf8();
    for (const char* sub : {"/data", "/config", "/run"})
        QDir().mkpath(home.path() + QLatin1String(sub));
    QFile::setPermissions(home.path() + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ::setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/run").constData(), 1);
    ::setenv("QUILLMARK_CONFIG", (root + "/config/Quillmark.ini").constData(), 1);

    CQuillmarkApp app(argc, argv, &TestStore());
    AnswerMessageBoxesNo();
    testing::UnitTest::GetInstance()->listeners().Append(new CResetStore);
    return RUN_ALL_TESTS();
}
