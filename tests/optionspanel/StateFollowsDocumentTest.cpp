// What the window shows follows the document and the active editor at once:
// the margin box, the edit commands and the caret pane.
#include "PanelTest.h"

#include "CommandIds.h"

#include <QApplication>
#include <QClipboard>
#include <QTemporaryDir>

namespace {

TEST_F(MainFrameTest, CutAndCopyFollowTypingOverTheSelection)
{
    auto enabled = [this](int id) { return m_pFrame->Action(id)->isEnabled(); };
    m_pFrame->GetView()->setCurrentWidget(&Input());
    Input().setText("select 1");
    Input().selectAll();
    ASSERT_TRUE(enabled(ID_EDIT_COPY));
    QTest::keyClick(&Input(), Qt::Key_X);
    EXPECT_EQ(Input().text(), "x");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !enabled(ID_EDIT_COPY) && !enabled(ID_EDIT_CUT); }, 2000));
}

TEST_F(MainFrameTest, PasteFollowsTheClipboard)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_pFrame->Action(ID_EDIT_PASTE)->isEnabled(); }, 2000));
    clipboard->setText("select 1 from dual");
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_pFrame->Action(ID_EDIT_PASTE)->isEnabled(); }, 2000));
}

TEST_F(MainFrameTest, CaretPaneFollowsTheActiveTabAtOnce)
{
    Input().setText("select a\n  from t");
    Input().setCursorPosition(1, 2);
    Output().setText("x");
    QTest::qWait(0);
    m_pFrame->GetView()->setCurrentWidget(&Output());
    EXPECT_EQ(PaneText(ID_INDICATOR_ROWCOL), "Ln 1, Col 1");
    m_pFrame->GetView()->setCurrentWidget(&Input());
    EXPECT_EQ(PaneText(ID_INDICATOR_ROWCOL), "Ln 2, Col 3");

    // Opening a file brings the output tab, its caret at the start, to the front.
    QTemporaryDir dir;
    const QString path = dir.filePath("q.sql");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("select b\nfrom u\n") > 0);
    file.close();
    Output().setCursorPosition(0, 0);
    ASSERT_TRUE(m_pDoc->OnOpenDocument(path));
    EXPECT_EQ(m_pFrame->GetView()->currentWidget(), &Output());
    EXPECT_EQ(PaneText(ID_INDICATOR_ROWCOL), "Ln 1, Col 1");
}

// The box shows the margin of the output on screen after each step, and the
// arrows count from what it shows.
TEST_F(MainFrameTest, MarginBoxShowsTheMarginOfTheCurrentOutput)
{
    QTemporaryDir dir;
    auto open = [&](const char* name, const QByteArray& text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        EXPECT_TRUE(m_pDoc->OnOpenDocument(file.fileName()));
    };
    QWidget* autodetect = m_pFrame->Pages()[0]->GetDlgItem(1014);
    ClickCheck(autodetect);
    ASSERT_TRUE(Options().m_General.m_bAutoDetectLeftMargin);

    Input().setText("    select a from t");
    m_pFrame->Action(ID_FORMAT)->trigger();
    EXPECT_EQ(MarginEdit()->text(), "4") << "detected by Format";
    open("two.sql", "  select a\n  from t\n");
    EXPECT_EQ(MarginEdit()->text(), "2") << "detected in the opened file";
    ToolButton(ID_LEFT_MARGIN_UP)->click();
    EXPECT_EQ(MarginEdit()->text(), "3") << "the shown value plus one";
    EXPECT_TRUE(Output().text().startsWith("   SELECT")) << Output().text().toStdString();
    open("none.sql", "select a from t\n");
    EXPECT_EQ(MarginEdit()->text(), "0");
    Input().setText("      select a from t");
    m_pFrame->Action(ID_CAPITALISE)->trigger();
    EXPECT_EQ(MarginEdit()->text(), "6") << "detected by Capitalise";
    ClickCheck(autodetect);
    EXPECT_EQ(MarginEdit()->text(), "3") << "the option change re-runs with the stored margin";
}

} // namespace
