// The tests of the desktop app run inside the application object itself, on
// the offscreen platform, with an in-memory settings store and data folders of
// their own, so that tests running side by side never share a file.
#include "AppTest.h"

#include "QuillmarkApp.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
void FailOnMessageBox()
{
    CPrompts::SetMessageBoxHandler([](const QString& text, QMessageBox::StandardButtons, QMessageBox::Icon) {
        ADD_FAILURE() << "unexpected message box: " << text.toStdString();
        return QMessageBox::Cancel;
    });
}
} // namespace

CMessageBoxRecorder::CMessageBoxRecorder()
{
    CPrompts::SetMessageBoxHandler([this](const QString& text, QMessageBox::StandardButtons, QMessageBox::Icon) {
        m_aTexts.push_back(text);
        return m_nAnswer;
    });
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    FailOnMessageBox();
}

CFileDialogAnswer::CFileDialogAnswer(QString path) : m_sPath(std::move(path))
{
    CPrompts::SetSaveFileHandler([this](const QString&, const QString& folder, const QString& filter) {
        ++m_nSaveShown;
        m_sLastFolder = folder;
        m_sLastFilter = filter;
        return m_sPath;
    });
    CPrompts::SetOpenFileHandler([this](const QString&, const QString& folder, const QString& filter) {
        ++m_nOpenShown;
        m_sLastFolder = folder;
        m_sLastFilter = filter;
        return m_sPath;
    });
}

CFileDialogAnswer::~CFileDialogAnswer()
{
    CPrompts::SetSaveFileHandler({});
    CPrompts::SetOpenFileHandler({});
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QTemporaryDir home;
    UseTemporaryHome(home);

    CQuillmarkApp app(argc, argv, &TestStore());
    FailOnMessageBox();
    testing::UnitTest::GetInstance()->listeners().Append(new CResetTestStore);
    return RUN_ALL_TESTS();
}
