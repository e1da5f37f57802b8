// The panel's tests run inside the application object on the offscreen
// platform, with an in-memory settings store and data folders of their own.
#include "PanelTest.h"
#include "QtTestHome.h"

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
    QTemporaryDir home;
    UseTemporaryHome(home);

    CQuillmarkApp app(argc, argv, &TestStore());
    AnswerMessageBoxesNo();
    testing::UnitTest::GetInstance()->listeners().Append(new CResetStore);
    return RUN_ALL_TESTS();
}
