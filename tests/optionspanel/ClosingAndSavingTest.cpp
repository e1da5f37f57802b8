// Closing the window and saving from it as a user does: nothing typed is lost,
// and the title says when something is unsaved.
#include "PanelTest.h"

#include "CommandIds.h"
#include "Prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers the next message box as a user would, by pressing Enter, and notes
// its text and the text of its default button.
struct CEnterOnMessageBox
{
    CEnterOnMessageBox()
    {
        CPrompts::SetMessageBoxHandler({}); // the real box
        m_pTimer = new QTimer;
        QObject::connect(m_pTimer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            m_sText = box->text();
            m_sDefault = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        m_pTimer->start(20);
    }
    ~CEnterOnMessageBox()
    {
        delete m_pTimer;
        AnswerMessageBoxesNo();
    }
    QTimer* m_pTimer;
    QString m_sText;
    QString m_sDefault;
};

TEST_F(MainFrameTest, ClosingWithTypedTextSavesItAsTypedByDefault)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("typed.sql");
    CPrompts::SetSaveFileHandler([&path](const QString&, const QString&, const QString&) { return path; });
    m_pFrame->GetView()->setCurrentWidget(&Input());
    QTest::keyClicks(&Input(), "select ename from emp");
    {
        CEnterOnMessageBox enter;
        EXPECT_TRUE(m_pFrame->close());
        EXPECT_TRUE(enter.m_sText.contains("SQL Input")) << enter.m_sText.toStdString();
        EXPECT_EQ(enter.m_sDefault, "&Save Input");
    }
    CPrompts::SetSaveFileHandler({});
    EXPECT_FALSE(m_pFrame->isVisible());
    EXPECT_EQ(FileBytes(path), "select ename from emp\n");
}

TEST_F(MainFrameTest, ClosingAfterFormatOffersTheOutput)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.sql");
    CPrompts::SetSaveFileHandler([&path](const QString&, const QString&, const QString&) { return path; });
    QTest::keyClicks(&Input(), "select ename from emp");
    m_pFrame->Action(ID_FORMAT)->trigger();
    {
        CEnterOnMessageBox enter;
        EXPECT_TRUE(m_pFrame->close());
        EXPECT_TRUE(enter.m_sText.contains("SQL Output")) << enter.m_sText.toStdString();
    }
    CPrompts::SetSaveFileHandler({});
    EXPECT_EQ(FileBytes(path), (Output().text() + "\n").toUtf8());
}

TEST_F(MainFrameTest, TitleShowsAStarWhileUnsaved)
{
    auto title = [this] { return m_pFrame->windowHandle()->title(); };
    EXPECT_EQ(title(), "Untitled - Quillmark");
    QTest::keyClicks(&Input(), "select 1 from dual");
    EXPECT_EQ(title(), "Untitled* - Quillmark");
    m_pFrame->Action(ID_FORMAT)->trigger();
    QTemporaryDir dir;
    CPrompts::SetSaveFileHandler([&dir](const QString&, const QString&, const QString&) {
        return dir.filePath("q.sql");
    });
    m_pFrame->Action(ID_FILE_SAVE)->trigger();
    CPrompts::SetSaveFileHandler({});
    EXPECT_EQ(title(), "q.sql - Quillmark");
    QTest::keyClicks(&Input(), " ");
    EXPECT_EQ(title(), "q.sql* - Quillmark") << "the input changed since";
}

TEST_F(MainFrameTest, ALegacyFileOpensAsWindows1252AndTheUserMayPickAnotherEncoding)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("legacy.sql");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("select 'caf\xE9' from dual") > 0);
    file.close();
    CPrompts::SetOpenFileHandler([&path](const QString&, const QString&, const QString&) { return path; });
    m_pFrame->Action(ID_FILE_OPEN)->trigger();
    CPrompts::SetOpenFileHandler({});

    EXPECT_EQ(m_pFrame->statusBar()->currentMessage(), "Opened as Windows-1252");
    auto* pane = m_pFrame->findChild<QToolButton*>("EncodingPane");
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->text(), "Windows-1252");
    EXPECT_TRUE(Input().text().contains(QString::fromUtf8("café")));

    // The pane's menu is File > Encoding.
    QMenu* menu = pane->menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(MenuItem("&File", "&Encoding"), nullptr);
    EXPECT_EQ(MenuItem("&File", "&Encoding")->menu(), menu);
    QStringList names;
    QAction* utf8 = nullptr;
    for (QAction* action : menu->actions())
    {
        names << action->text() + (action->isChecked() ? "*" : "");
        if (action->text() == "UTF-8")
            utf8 = action;
    }
    EXPECT_EQ(names, (QStringList{"UTF-8", "UTF-8 with BOM", "UTF-16 LE", "Windows-1252*"}));
    ASSERT_NE(utf8, nullptr);
    utf8->trigger();
    EXPECT_EQ(pane->text(), "UTF-8");
    m_pFrame->Action(ID_FILE_SAVE)->trigger();
    EXPECT_EQ(FileBytes(path), (Output().text() + "\n").toUtf8());
    EXPECT_TRUE(FileBytes(path).contains("caf\xC3\xA9"));
}

} // namespace
