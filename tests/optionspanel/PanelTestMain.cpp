// The panel's tests run inside the application object on the offscreen
// platform, with an in-memory settings store and data folders of their own.
#include "PanelTest.h"

#include "Prompts.h"
#include "QuillmarkApp.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>

void AnswerMessageBoxesNo()
{
    CPrompts::SetMessageBoxHandler(
        [](const QString&, QMessageBox::StandardButtons, QMessageBox::Icon) { return QMessageBox::No; });
}

// The offscreen platform's screen becomes a 1366 x 768 laptop screen less a
// 32-pixel desktop panel: the smallest screen on which the whole window is
// meant to show at once.
void UseLaptopScreen(const QTemporaryDir& home)
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::strcmp(platform, "offscreen") != 0)
        return;
    const QString path = home.filePath(QStringLiteral("screen.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 736,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toUtf8().constData(), 1);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QTemporaryDir home;
    UseTemporaryHome(home);
    UseLaptopScreen(home);

    CQuillmarkApp app(argc, argv, &TestStore());
    AnswerMessageBoxesNo();
    testing::UnitTest::GetInstance()->listeners().Append(new CResetTestStore);
    return RUN_ALL_TESTS();
}
