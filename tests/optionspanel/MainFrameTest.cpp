// The main window driven through its real menus, tool bar, margin box and
// status bar: command routing, the left margin, the caret pane, help, the
// visual styles and the window state kept in the profile's "Workspace".
#include "PanelTest.h"

#include "AboutDlg.h"
#include "CommandIds.h"
#include "Label.h"
#include "LeftMarginEditBtn.h"
#include "MainFrame.h"
#include "QuillmarkApp.h"

#include "Prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolBox>
#include <QToolButton>

namespace {

using ::PrintTo;

// ---- Menus, tool bar and status bar ----------------------------------------------

TEST_F(MainFrameTest, MenusHoldTheirCommandsInOrder)
{
    const struct
    {
        const char* m_sTitle;
        std::vector<int> m_aItems; // 0: separator
    } menus[] = {
        {"&File", {ID_FILE_OPEN, -1, ID_FILE_SAVE, ID_FILE_SAVE_AS, 0, -1, -1, 0, ID_APP_EXIT}},
        {"&Edit", {ID_EDIT_UNDO, ID_EDIT_REDO, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_EDIT_SELECT_ALL, 0,
                   ID_EDIT_FIND, ID_EDIT_REPLACE, ID_EDIT_GOTO}},
        {"Format", {ID_FORMAT, ID_CAPITALISE}},
        {"&View", {ID_VIEW_STATUS_BAR, 0, -1, ID_EDITOR_PREFERENCE}},
        {"&Help", {ID_HELP_FINDER, ID_APP_ABOUT}},
    };
    const QList<QAction*> bar = m_pFrame->menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(std::size(menus)));
    for (size_t i = 0; i < std::size(menus); ++i)
    {
        EXPECT_EQ(bar[i]->text(), menus[i].m_sTitle);
        std::vector<int> items;
        for (QAction* item : bar[i]->menu()->actions())
            items.push_back(item->isSeparator() ? 0 : item->menu() ? -1 : item->data().toInt());
        EXPECT_EQ(items, menus[i].m_aItems) << menus[i].m_sTitle;
    }
    EXPECT_NE(MenuItem("Format", "&Capitalise"), nullptr);
    EXPECT_NE(MenuItem("&Help", "&About Quillmark..."), nullptr);
    // View > Style: the desktop's look, a separator, the program's own.
    QMenu* styles = m_pFrame->findChild<QMenu*>("StyleMenu");
    ASSERT_NE(styles, nullptr);
    std::vector<int> items;
    for (QAction* item : styles->actions())
        items.push_back(item->isSeparator() ? 0 : item->data().toInt());
    EXPECT_EQ(items, (std::vector<int>{212, 0, 210, 211, 213, 214, 215, 216, 217, 218}));
    EXPECT_EQ(styles->menuAction()->text(), "St&yle");
    EXPECT_EQ(m_pFrame->Action(216)->text(), "Dar&k");
}

TEST_F(MainFrameTest, CommandsCarryTheirKeysAndPrompts)
{
    const struct
    {
        int m_nId;
        std::vector<const char*> m_aKeys;
    } keys[] = {
        {ID_EDIT_COPY, {"Ctrl+C", "Ctrl+Ins"}}, {ID_EDIT_CUT, {"Ctrl+X", "Shift+Del"}},
        {ID_EDIT_PASTE, {"Ctrl+V", "Shift+Ins"}}, {ID_EDIT_UNDO, {"Ctrl+Z"}}, {ID_EDIT_REDO, {"Ctrl+Shift+Z"}},
        {ID_FILE_NEW, {"Ctrl+N"}}, {ID_FILE_OPEN, {"Ctrl+O"}}, {ID_FILE_SAVE, {"Ctrl+S"}}, {ID_NEXT_PANE, {"F6"}},
        {ID_PREV_PANE, {"Shift+F6"}}, {ID_EDIT_GOTO, {"Ctrl+G"}}, {ID_EDIT_SELECT_ALL, {"Ctrl+A"}},
        {ID_EDIT_FIND, {"Ctrl+F"}}, {ID_EDIT_REPLACE, {"Ctrl+H"}}, {ID_EDIT_FIND_NEXT, {"F3"}},
        {ID_FILE_SAVE_AS, {"Ctrl+Shift+S"}}, {ID_FORMAT, {"Ctrl+Shift+F"}}, {ID_CAPITALISE, {"Ctrl+Shift+C"}},
    };
    for (const auto& row : keys)
    {
        QList<QKeySequence> expected;
        for (const char* key : row.m_aKeys)
            expected << QKeySequence(QString::fromUtf8(key));
        EXPECT_EQ(m_pFrame->Action(row.m_nId)->shortcuts(), expected) << row.m_nId;
    }
    EXPECT_EQ(m_pFrame->Action(ID_FORMAT)->statusTip(), "Format SQL code");
    EXPECT_EQ(m_pFrame->Action(ID_FORMAT)->toolTip(), "Format");
    EXPECT_EQ(m_pFrame->Action(ID_CAPITALISE)->statusTip(), "Only Capitalise SQL code");
    EXPECT_EQ(m_pFrame->Action(ID_EDITOR_PREFERENCE)->toolTip(), "Editor preference");
    EXPECT_EQ(m_pFrame->Action(ID_HELP_FINDER)->statusTip(), "Display instructions about how to use Quillmark");
    EXPECT_EQ(MenuItem("Format", "&Format")->shortcut(), QKeySequence("Ctrl+Shift+F")) << "the menu shows the key";
}

TEST_F(MainFrameTest, FormatAndCapitaliseKeysWorkInTheEditor)
{
    m_pFrame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pFrame.get()));
    Input().setText("select a from t");
    Input().setFocus();
    QTest::keyClick(&Input(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Output().text(), "SELECT a FROM t");
    m_pFrame->GetView()->setCurrentWidget(&Input());
    Input().setFocus();
    QTest::keyClick(&Input(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Output().text(), "SELECT a\n  FROM t");
    EXPECT_EQ(Input().text(), "select a from t") << "the keys typed nothing";
}

TEST_F(MainFrameTest, ToolBarLayoutWithMarginBoxAndTextButtons)
{
    std::vector<int> layout;
    for (QAction* action : m_pFrame->ToolBar()->actions())
        layout.push_back(action->isSeparator() ? 0 : action->data().toInt());
    const std::vector<int> expected = {57601, 57604, 0, 57635, 57634, 57637, 0, 57643, 57644, 0, 57636, 57641, 32780,
                                       0, 32777, 0, 32832, 32833, 32834, 0, 32771, 32772, 0, 57664};
    EXPECT_EQ(layout, expected);
    EXPECT_EQ(m_pFrame->ToolBar()->windowTitle(), "Standard");
    ASSERT_NE(MarginEdit(), nullptr);
    EXPECT_EQ(MarginEdit()->text(), "0");

    m_pFrame->ResetToolBar(); // a reset rebuilds the box and the labels
    ASSERT_NE(MarginEdit(), nullptr);
    for (const auto& [id, text] : {std::pair{ID_FORMAT, "Format"}, std::pair{ID_CAPITALISE, "Capitalise"}})
    {
        QToolButton* button = ToolButton(id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        EXPECT_EQ(button->text(), text);
    }
}

TEST_F(MainFrameTest, StatusBarPanesAndCaretReport)
{
    EXPECT_EQ(m_pFrame->statusBar()->currentMessage(), "Ready");
    EXPECT_EQ(PaneText(ID_INDICATOR_ROWCOL), "Ln 1, Col 1") << "where the caret of the input tab stands";
    EXPECT_GE(m_pFrame->StatusPane(ID_INDICATOR_ROWCOL)->minimumWidth(), 75);
    EXPECT_EQ(PaneText(59137), "CAP");
    EXPECT_EQ(PaneText(59138), "NUM");
    EXPECT_EQ(PaneText(59139), "SCRL");

    // The editors report the caret once they have updated themselves.
    auto paneShows = [this](const char* text) {
        return QTest::qWaitFor([&] { return PaneText(ID_INDICATOR_ROWCOL) == text; }, 3000);
    };
    Input().setText("select 1\nfrom dual");
    Input().setCursorPosition(1, 3);
    EXPECT_TRUE(paneShows("Ln 2, Col 4")) << PaneText(ID_INDICATOR_ROWCOL).toStdString();
    m_pFrame->GetView()->setCurrentWidget(&Output());
    Output().setText("x\ny\nz");
    Output().setCursorPosition(2, 0);
    EXPECT_TRUE(paneShows("Ln 3, Col 1")) << "both tabs report to the one pane";

    m_pFrame->Action(ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_FALSE(m_pFrame->statusBar()->isVisible());
    m_pFrame->Action(ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_TRUE(m_pFrame->statusBar()->isVisible());
}

// ---- Command routing ----------------------------------------------------------------

struct CRouteCase
{
    const char* m_sName;
    int m_nCommand;
    bool m_bToolBar; // click the tool bar button rather than the menu item
    const char* m_sExpected;
};

class MainFrameRoutes : public MainFrameTest, public testing::WithParamInterface<CRouteCase> {};

TEST_P(MainFrameRoutes, FormatAndCapitaliseReachTheTabView)
{
    const CRouteCase& row = GetParam();
    Input().setText("select a, b\n\nfrom t1");
    if (row.m_bToolBar)
    {
        ASSERT_NE(ToolButton(row.m_nCommand), nullptr);
        ToolButton(row.m_nCommand)->click();
    }
    else
    {
        QAction* item = MenuItem("Format", row.m_nCommand == ID_FORMAT ? "&Format" : "&Capitalise");
        ASSERT_NE(item, nullptr);
        item->trigger();
    }
    if (row.m_sExpected)
        EXPECT_EQ(Output().text(), row.m_sExpected);
    else
        EXPECT_TRUE(Output().text().startsWith("SELECT")) << Output().text().toStdString();
    EXPECT_EQ(m_pFrame->GetView()->currentWidget(), &Output());
    EXPECT_EQ(m_pDoc->m_nLastCommand, row.m_nCommand == ID_FORMAT ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, MainFrameRoutes,
    testing::Values(CRouteCase{"CapitaliseFromMenuDropsBlankLines", ID_CAPITALISE, false, "SELECT a, b\nFROM t1"},
                    CRouteCase{"CapitaliseFromToolBar", ID_CAPITALISE, true, "SELECT a, b\nFROM t1"},
                    CRouteCase{"FormatFromMenu", ID_FORMAT, false, nullptr},
                    CRouteCase{"FormatFromToolBar", ID_FORMAT, true, nullptr}),
    [](const testing::TestParamInfo<CRouteCase>& info) { return std::string(info.param.m_sName); });

TEST_F(MainFrameTest, EditCommandsGoToTheActiveTab)
{
    Input().setText("abc");
    m_pFrame->GetView()->setCurrentWidget(&Input());
    MenuItem("&Edit", "Select A&ll")->trigger();
    EXPECT_EQ(Input().selectedText(), "abc");
    ToolButton(ID_EDIT_COPY)->click();
    m_pFrame->GetView()->setCurrentWidget(&Output());
    ToolButton(ID_EDIT_PASTE)->click();
    EXPECT_EQ(Output().text(), "abc");
    EXPECT_EQ(Input().text(), "abc");
    MenuItem("&Edit", "&Undo")->trigger();
    EXPECT_EQ(Output().text(), "");
    ToolButton(ID_EDIT_REDO)->click();
    EXPECT_EQ(Output().text(), "abc");
}

TEST_F(MainFrameTest, AboutFromToolBarShowsTheAboutBoxModally)
{
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget()))
        {
            shown = about->VersionLabel()->text();
            about->accept();
        }
    });
    ToolButton(ID_APP_ABOUT)->click();
    EXPECT_EQ(shown, "Version 1.1");
}

TEST_F(MainFrameTest, NextPaneKeyMovesBetweenEditorPanelAndMarginBox)
{
    m_pFrame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pFrame.get()));
    Input().setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Input().hasFocus(); }, 2000));
    QToolBox* box = m_pFrame->OutlookBar().GetUnderlyingWindow();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(box->currentWidget()->isAncestorOf(QApplication::focusWidget()) ||
                box->currentWidget() == QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), MarginEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), &Input());
}

TEST_F(MainFrameTest, FileCommandsReachTheDocumentAndExitCloses)
{
    int opened = 0;
    int saved = 0;
    CPrompts::SetOpenFileHandler([&opened](const QString&, const QString&, const QString&) {
        ++opened;
        return QString(); // cancelled
    });
    CPrompts::SetSaveFileHandler([&saved](const QString&, const QString&, const QString& filter) {
        ++saved;
        EXPECT_TRUE(filter.contains("SQL files (*.sql "));
        return QString();
    });
    ToolButton(ID_FILE_OPEN)->click();
    MenuItem("&File", "&Save")->trigger();
    ToolButton(ID_FILE_SAVE)->click();
    CPrompts::SetOpenFileHandler({});
    CPrompts::SetSaveFileHandler({});
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(saved, 2) << "every save asks for a name";
    MenuItem("&File", "E&xit")->trigger();
    EXPECT_FALSE(m_pFrame->isVisible());
}

TEST_F(MainFrameTest, NewDocumentEmptiesBothTabs)
{
    Input().setText("select 1 from dual");
    m_pFrame->Action(ID_FORMAT)->trigger();
    m_pFrame->Action(ID_FILE_NEW)->trigger(); // the modified text is let go ("No")
    EXPECT_TRUE(Input().text().isEmpty());
    EXPECT_TRUE(Output().text().isEmpty());
}

TEST_F(MainFrameTest, EditCommandsFollowTheActiveEditor)
{
    auto enabled = [this](int id) { return m_pFrame->Action(id)->isEnabled(); };
    QGuiApplication::clipboard()->setText("x");
    m_pFrame->GetView()->setCurrentWidget(&Input());
    EXPECT_FALSE(enabled(ID_EDIT_COPY)) << "nothing selected";
    EXPECT_FALSE(enabled(ID_EDIT_UNDO));
    EXPECT_TRUE(enabled(ID_EDIT_PASTE));
    Input().setText("select 1");
    Input().selectAll();
    EXPECT_TRUE(enabled(ID_EDIT_COPY));
    EXPECT_TRUE(enabled(ID_EDIT_CUT));
    m_pFrame->GetView()->setCurrentWidget(&Output());
    EXPECT_FALSE(enabled(ID_EDIT_COPY)) << "the output tab has no selection";
    m_pFrame->GetView()->setCurrentWidget(&Input());
    MenuItem("&Edit", "Cu&t")->trigger();
    EXPECT_TRUE(Input().text().isEmpty());
    EXPECT_TRUE(enabled(ID_EDIT_UNDO));
    EXPECT_FALSE(enabled(ID_EDIT_CUT));
}

TEST_F(MainFrameTest, CapitaliseDropsBlankLinesUntilAnOptionChanges)
{
    Input().setText("select a\n\nfrom t");
    m_pFrame->Action(ID_CAPITALISE)->trigger();
    EXPECT_EQ(Output().text(), "SELECT a\nFROM t");
    CFormOptDlg* capitalisation = m_pFrame->Pages()[5];
    ChooseItem(capitalisation->GetDlgItem(1011), 1);
    EXPECT_EQ(Output().text(), "select a\n\nfrom t") << "the engine's Capitalise keeps blank lines";
}

TEST_F(MainFrameTest, FormatWithEmptyInputStillAppliesTheMargin)
{
    m_pFrame->GetView()->setCurrentWidget(&Input());
    Output().setText("   x\n     y");
    Margin() = 2;
    m_pFrame->Action(ID_FORMAT)->trigger();
    EXPECT_EQ(Output().text(), "  x\n    y");
    EXPECT_EQ(m_pFrame->GetView()->currentWidget(), &Input()) << "the active tab stays";
}

// ---- Left margin -------------------------------------------------------------------

struct CMarginCase
{
    const char* m_sName;
    const char* m_sTyped;
    int32_t m_nStored;
    const char* m_sShown;
};

class MarginBoxTyping : public MainFrameTest, public testing::WithParamInterface<CMarginCase> {};

TEST_P(MarginBoxTyping, StoresInRangeValuesElseZero)
{
    const CMarginCase& row = GetParam();
    Margin() = 5;
    MarginEdit()->setText("");
    QTest::keyClicks(MarginEdit(), QString::fromUtf8(row.m_sTyped));
    EXPECT_EQ(Margin(), row.m_nStored);
    EXPECT_EQ(MarginEdit()->text(), row.m_sShown);
}

INSTANTIATE_TEST_SUITE_P(
    Values, MarginBoxTyping,
    testing::Values(CMarginCase{"Max1000Kept", "1000", 1000, "1000"}, CMarginCase{"Over1001BecomesZero", "1001", 0, "0"},
                    CMarginCase{"Twelve", "12", 12, "12"}, CMarginCase{"LettersBecomeZero", "ab", 0, "0"},
                    CMarginCase{"MinusSignIsZeroThenTheDigitCounts", "-4", 4, "4"}),
    [](const testing::TestParamInfo<CMarginCase>& info) { return std::string(info.param.m_sName); });

TEST_F(MainFrameTest, MarginBoxIndentsOutputAndRefreshDoesNotRetrigger)
{
    Output().setText("select 1\n  from dual");
    QSignalSpy reports(m_pFrame->MarginBox(), &QAction::triggered);
    MarginEdit()->selectAll();
    QTest::keyClick(MarginEdit(), Qt::Key_3);
    EXPECT_EQ(reports.count(), 1);
    EXPECT_EQ(Output().text(), "   select 1\n     from dual");
    m_pFrame->RefreshLeftMargin();
    Margin() = 7;
    m_pFrame->RefreshLeftMargin();
    EXPECT_EQ(MarginEdit()->text(), "7");
    EXPECT_EQ(reports.count(), 1) << "putting the value into the box reports nothing";
}

struct CStepCase
{
    const char* m_sName;
    int m_nCommand;
    int32_t m_nBefore;
    int32_t m_nAfter;
};

class MarginSteps : public MainFrameTest, public testing::WithParamInterface<CStepCase> {};

TEST_P(MarginSteps, StopAtTheBoundsButStillReindent)
{
    const CStepCase& row = GetParam();
    Margin() = row.m_nBefore;
    Output().setText("  x\n    y");
    ToolButton(row.m_nCommand)->click();
    EXPECT_EQ(Margin(), row.m_nAfter);
    EXPECT_EQ(MarginEdit()->text(), QString::number(row.m_nAfter));
    const QString blanks(row.m_nAfter, u' ');
    EXPECT_EQ(Output().text(), blanks + "x\n" + blanks + "  y");
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, MarginSteps,
    testing::Values(CStepCase{"RightAt1000Stays", ID_LEFT_MARGIN_UP, 1000, 1000},
                    CStepCase{"LeftAt0Stays", ID_LEFT_MARGIN_DOWN, 0, 0},
                    CStepCase{"RightFrom3", ID_LEFT_MARGIN_UP, 3, 4}, CStepCase{"LeftFrom3", ID_LEFT_MARGIN_DOWN, 3, 2}),
    [](const testing::TestParamInfo<CStepCase>& info) { return std::string(info.param.m_sName); });

// ---- Options panel -------------------------------------------------------------------

TEST_F(MainFrameTest, PanelHasSevenPagesInOrder)
{
    QToolBox* box = m_pFrame->OutlookBar().GetUnderlyingWindow();
    ASSERT_NE(box, nullptr);
    const QStringList captions = {"Alignments", "Select",         "Commas",   "Parentheses",
                                  "Case",       "Capitalisation", "Comments", "PL/SQL"};
    ASSERT_EQ(box->count(), captions.size());
    for (int i = 0; i < box->count(); ++i)
    {
        EXPECT_EQ(box->itemText(i), captions[i]);
        EXPECT_FALSE(box->itemIcon(i).isNull()) << i;
        auto* pane = qobject_cast<CFormOptPane*>(box->widget(i));
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(pane->Id(), 1200 + i);
        EXPECT_EQ(pane->m_pPage, m_pFrame->Pages()[static_cast<size_t>(i)]);
        EXPECT_EQ(pane->m_pPage->m_pDoc, m_pDoc.get());
        EXPECT_EQ(pane->m_pPage->TemplateId(), 311 + i);
    }
    EXPECT_TRUE(m_pFrame->OutlookBar().IsAnimationEnabled()) << "OutlookAnimation defaults to on";
    EXPECT_FALSE(m_pFrame->OutlookBar().features() & QDockWidget::DockWidgetClosable);
}

TEST_F(MainFrameTest, OpeningAPageFadesItInThenDropsTheEffect)
{
    QToolBox* box = m_pFrame->OutlookBar().GetUnderlyingWindow();
    box->setCurrentIndex(2);
    EXPECT_NE(box->currentWidget()->graphicsEffect(), nullptr);
    box->setCurrentIndex(3); // before the first fade ends
    EXPECT_TRUE(QTest::qWaitFor([box] { return !box->widget(3)->graphicsEffect(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([box] { return !box->widget(2)->graphicsEffect(); }, 3000));
}

TEST_F(MainFrameTest, StoredOutlookAnimationOffIsUsed)
{
    Close();
    TestStore().WriteString("Workspace", "OutlookAnimation", "0");
    Open();
    EXPECT_FALSE(m_pFrame->OutlookBar().IsAnimationEnabled());
}

// ---- Help ------------------------------------------------------------------------------

TEST_F(MainFrameTest, HelpTwiceOpensOneWindowAndRaisesIt)
{
    auto helpWindows = [] {
        int count = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            count += window->isVisible() && window->windowTitle() == "Welcome to Quillmark";
        return count;
    };
    MenuItem("&Help", "&Help")->trigger();
    EXPECT_EQ(helpWindows(), 1);
    auto* browser = qobject_cast<QTextBrowser*>(m_pFrame->HelpWindow());
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isWindow());
    EXPECT_LE((browser->geometry().center() - m_pFrame->geometry().center()).manhattanLength(), 2)
        << "it opens over the main window";
    EXPECT_TRUE(browser->toPlainText().contains("options panel"));
    browser->showMinimized();
    m_pFrame->Action(ID_HELP_FINDER)->trigger();
    EXPECT_EQ(helpWindows(), 1);
    EXPECT_EQ(m_pFrame->HelpWindow(), browser) << "the same window is brought back";
    EXPECT_FALSE(browser->isMinimized());
}

// ---- Visual styles and window state -----------------------------------------------------

TEST_F(MainFrameTest, WithoutStoredLookTheDesktopsLookIsUsedAndStored)
{
    EXPECT_EQ(Workspace("ApplicationLook"), "212");
    EXPECT_TRUE(m_pFrame->Action(212)->isChecked());
    EXPECT_EQ(CQuillmarkApp::Instance()->m_nVisualStyle, 212u);
}

TEST_F(MainFrameTest, StyleCommandsStoreAndApplyTheirLook)
{
    const QPalette desktop = QApplication::palette();
    const QString desktopStyle = QApplication::style()->name();
    m_pFrame->Action(216)->trigger();
    EXPECT_EQ(Workspace("ApplicationLook"), "216");
    EXPECT_TRUE(m_pFrame->Action(216)->isChecked());
    EXPECT_FALSE(m_pFrame->Action(212)->isChecked());
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 100) << "the black style is dark";

    Close();
    Open(); // the stored look is applied at start
    EXPECT_TRUE(m_pFrame->Action(216)->isChecked());
    EXPECT_EQ(CQuillmarkApp::Instance()->m_nVisualStyle, 216u);
    m_pFrame->Action(212)->trigger();
    EXPECT_EQ(QApplication::style()->name(), desktopStyle);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Text, QPalette::Highlight})
        EXPECT_EQ(QApplication::palette().color(role), desktop.color(role)) << "the desktop's colours come back";
}

TEST_F(MainFrameTest, WindowStateIsSavedAndRestoredThroughTheProfile)
{
    m_pFrame->resize(910, 640);
    m_pFrame->addDockWidget(Qt::RightDockWidgetArea, &m_pFrame->OutlookBar());
    m_pFrame->Action(ID_VIEW_STATUS_BAR)->trigger();
    m_pFrame->OutlookBar().GetUnderlyingWindow()->setCurrentIndex(4);
    m_pFrame->OutlookBar().GetUnderlyingWindow()->setItemText(2, "Lists");
    Close();
    EXPECT_NE(Workspace("MainFrameGeometry"), "<none>");
    EXPECT_NE(Workspace("MainFrameLayout"), "<none>");

    Open();
    EXPECT_EQ(m_pFrame->size(), QSize(910, 640));
    EXPECT_EQ(m_pFrame->dockWidgetArea(&m_pFrame->OutlookBar()), Qt::RightDockWidgetArea);
    EXPECT_FALSE(m_pFrame->statusBar()->isVisible());
    EXPECT_FALSE(m_pFrame->Action(ID_VIEW_STATUS_BAR)->isChecked());
    EXPECT_EQ(m_pFrame->OutlookBar().GetUnderlyingWindow()->currentIndex(), 4);
    EXPECT_EQ(m_pFrame->OutlookBar().GetUnderlyingWindow()->itemText(2), "Lists") << "a renamed button keeps its name";
    EXPECT_EQ(m_pFrame->OutlookBar().GetUnderlyingWindow()->itemText(3), "Parentheses");
}

TEST_F(MainFrameTest, CloseOffersToSaveAModifiedDocument)
{
    Input().setText("select 1 from dual");
    m_pFrame->Action(ID_FORMAT)->trigger();
    ASSERT_TRUE(m_pDoc->IsModified());
    QStringList asked;
    CPrompts::SetMessageBoxHandler([&asked](const QString& text, QMessageBox::StandardButtons, QMessageBox::Icon) {
        asked << text;
        return QMessageBox::Cancel;
    });
    EXPECT_FALSE(m_pFrame->close()) << "Cancel keeps the window";
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked.value(0).startsWith("Save changes to "));
    AnswerMessageBoxesNo();
    EXPECT_TRUE(m_pFrame->close());
}

} // namespace
