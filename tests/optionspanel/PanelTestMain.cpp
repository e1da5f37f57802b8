// The panel's tests run inside the application object on the offscreen
// platform, with an in-memory settings store and data folders of their own.
#include "PanelTest.h"

#include "Prompts.h"
#include "QuillmarkApp.h"

#include <QTemporaryDir>

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
    testing::UnitTest::GetInstance()->listeners().Append(new CResetTestStore);
    return RUN_ALL_TESTS();
}
