// Files that reach the document outside the Open dialog, the recent-files
// list, and where the file dialogs start.
#include "AppTest.h"

#include "AppStrings.h"
#include "QuillmarkDoc.h"
#include "QuillmarkView.h"
#include "SQLView.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
class RecentFiles : public testing::Test
{
protected:
    RecentFiles() : m_pDoc(std::make_unique<CQuillmarkDoc>(&TestStore())), m_pView(std::make_unique<CQuillmarkView>(m_pDoc.get())) {}

    // A file holding text, made absolute.
    QString MakeFile(const QString& name, const QByteArray& text = "select 1 from dual")
    {
        const QString path = m_Dir.filePath(name);
        EXPECT_TRUE(WriteFileBytes(path, text));
        return path;
    }
    QString InputText() const { return m_pView->FindTabView(AppStrings::kInputTab)->text(); }
    // The document and its view made again from the same store: a restart.
    void Restart()
    {
        m_pView.reset();
        m_pDoc = std::make_unique<CQuillmarkDoc>(&TestStore());
        m_pView = std::make_unique<CQuillmarkView>(m_pDoc.get());
    }

    QTemporaryDir m_Dir;
    std::unique_ptr<CQuillmarkDoc> m_pDoc;
    std::unique_ptr<CQuillmarkView> m_pView;
};

TEST_F(RecentFiles, TenNewestFirstWithoutRepeatsKeptAcrossARestart)
{
    QStringList made;
    for (int i = 0; i < 12; ++i)
        made.append(MakeFile(QStringLiteral("f%1.sql").arg(i)));
    for (const QString& path : made)
        ASSERT_TRUE(m_pDoc->OnOpenDocument(path));
    ASSERT_TRUE(m_pDoc->OnOpenDocument(made[5])); // again: moves to the front
    Restart();
    const QStringList& files = m_pDoc->RecentFiles().Files();
    ASSERT_EQ(files.size(), CRecentFiles::kMaxFiles);
    EXPECT_EQ(files[0], made[5]);
    EXPECT_EQ(files[1], made[11]);
    EXPECT_EQ(files.count(made[5]), 1);
    EXPECT_FALSE(files.contains(made[0])) << "the oldest fell off";
    EXPECT_FALSE(files.contains(made[1]));
}

TEST_F(RecentFiles, SavingPutsTheFileFirstAndDialogsStartInItsFolder)
{
    QDir(m_Dir.path()).mkdir("saved");
    const QString target = m_Dir.filePath("saved/out.sql");
    m_pView->SetInputText(u"select 1 from dual");
    m_pDoc->RunCommand(MODE_FORMAT);
    {
        CFileDialogAnswer answer(target);
        ASSERT_TRUE(m_pDoc->OnFileSaveAs());
        EXPECT_EQ(answer.m_sLastFolder, QDir::home().filePath("Untitled.sql"))
            << "the first dialog starts at home, not in the working folder";
    }
    EXPECT_EQ(m_pDoc->RecentFiles().Files().value(0), target);
    Restart();
    CFileDialogAnswer answer(QString{});
    m_pDoc->OnFileOpen();
    EXPECT_EQ(answer.m_sLastFolder, m_Dir.filePath("saved"));
    EXPECT_TRUE(answer.m_sLastFilter.startsWith(
        "SQL files (*.sql *.pks *.pkb *.pls *.plb *.tps *.tpb *.trg *.prc *.fnc);;"))
        << answer.m_sLastFilter.toStdString();
}

TEST_F(RecentFiles, AFileThatIsGoneIsReportedAndLeavesTheList)
{
    const QString kept = MakeFile("kept.sql");
    const QString gone = MakeFile("gone.sql");
    ASSERT_TRUE(m_pDoc->OnOpenDocument(kept));
    ASSERT_TRUE(m_pDoc->OnOpenDocument(gone));
    ASSERT_TRUE(QFile::remove(gone));
    CMessageBoxRecorder boxes;
    EXPECT_FALSE(m_pDoc->OnOpenRecentFile(gone));
    ASSERT_EQ(boxes.m_aTexts.size(), 1u);
    EXPECT_TRUE(boxes.m_aTexts[0].contains(gone));
    EXPECT_EQ(m_pDoc->RecentFiles().Files(), QStringList{kept});
    EXPECT_TRUE(m_pDoc->OnOpenRecentFile(kept));
    EXPECT_EQ(m_pDoc->GetPathName(), kept);
}

TEST_F(RecentFiles, OpenFilesOpensTheFirstAndListsTheOthers)
{
    const QString first = MakeFile("first.sql", "select 'caf\xe9' from t");
    const QString second = MakeFile("second.pkb");
    const QString third = MakeFile("third.sql");
    QString status;
    QObject::connect(m_pDoc.get(), &CQuillmarkDoc::statusMessage, [&status](const QString& text) { status = text; });
    ASSERT_TRUE(m_pDoc->OpenFiles({first, second, third, m_Dir.filePath("missing.sql")}));
    EXPECT_EQ(m_pDoc->GetPathName(), first);
    EXPECT_EQ(InputText(), QString::fromUtf8("select 'caf\xc3\xa9' from t"));
    EXPECT_EQ(m_pDoc->RecentFiles().Files(), (QStringList{first, second, third}));
    EXPECT_EQ(status, "Opened as Windows-1252; 2 more file(s) in File > Recent Files");
}

TEST_F(RecentFiles, OpenFilesAsksBeforeReplacingTypedText)
{
    const QString path = MakeFile("other.sql");
    m_pView->SetInputText(u"select typed from here");
    CMessageBoxRecorder boxes;
    boxes.m_nAnswer = QMessageBox::Cancel;
    EXPECT_FALSE(m_pDoc->OpenFiles({path}));
    EXPECT_EQ(boxes.m_aTexts.size(), 1u);
    EXPECT_EQ(InputText(), "select typed from here");
    EXPECT_TRUE(m_pDoc->GetPathName().isEmpty());
}
} // namespace

namespace
{
TEST_F(RecentFiles, AFileReadInTheWrongSetOpensAgainInThePickedOneAndSavesBackInIt)
{
    EXPECT_FALSE(m_pDoc->ReopenInCodePage(kCodePageWindows1252)) << "no current file";
    // Valid UTF-8, so it opens as UTF-8; the user knows it is Windows-1252.
    const QString path = MakeFile("mojibake.sql", "select 'caf\xc3\xa9' from dual");
    ASSERT_TRUE(m_pDoc->OnOpenDocument(path));
    EXPECT_EQ(InputText(), QString::fromUtf8("select 'caf\xc3\xa9' from dual"));
    QString status;
    QObject::connect(m_pDoc.get(), &CQuillmarkDoc::statusMessage, [&status](const QString& text) { status = text; });
    ASSERT_TRUE(m_pDoc->ReopenInCodePage(kCodePageWindows1252));
    EXPECT_EQ(InputText(), QString::fromUtf8("select 'caf\xc3\x83\xc2\xa9' from dual"));
    EXPECT_EQ(status, "Opened again as Windows-1252");
    EXPECT_EQ(m_pDoc->GetSaveEncoding().Name(), "Windows-1252");
    EXPECT_FALSE(m_pDoc->IsModified());
    ASSERT_TRUE(m_pDoc->OnFileSave());
    EXPECT_TRUE(ReadFileBytes(path).contains("'caf\xc3\xa9'")) << "the bytes come back as they were";
    ASSERT_TRUE(m_pDoc->ReopenInCodePage(kCodePageUtf8));
    EXPECT_TRUE(InputText().contains(QString::fromUtf8("'caf\xc3\xa9'")));
}
} // namespace
