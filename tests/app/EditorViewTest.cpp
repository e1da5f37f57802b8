// The editor of each tab: its configuration copies, margins, context menu,
// find next, find and replace, go to line, the preference sheet and the caret
// report.
#include "AppTest.h"

#include "AppStrings.h"
#include "CommandIds.h"
#include "EditorPrefDlg.h"
#include "FindReplaceDlg.h"
#include "GoToLineDlg.h"
#include "QuillmarkApp.h"
#include "SQLView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QMainWindow>
#include <QTest>

#include <Qsci/qscilexersql.h>

#include <gtest/gtest.h>

namespace
{
QString DataFolder()
{
    return CQuillmarkApp::GetUserDataFolder();
}

void EmptyDataFolder()
{
    QDir(DataFolder()).removeRecursively();
    CQuillmarkApp::GetUserDataFolder();
}

QByteArray Resource(const QString& name)
{
    return ReadFileBytes(QStringLiteral(":/config/") + name);
}

struct CCopyCase
{
    const char* m_pName;
    bool m_bIniExists;
    bool m_bCfgExists;
    bool m_bCopied;
};

void PrintTo(const CCopyCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class ConfigCopies : public testing::TestWithParam<CCopyCase>
{
};

TEST_P(ConfigCopies, CopiesOnlyWhatIsMissing)
{
    const CCopyCase& c = GetParam();
    QTemporaryDir folder;
    const QString ini = folder.filePath("orv_edit.ini");
    const QString cfg = folder.filePath("orv_sqledit.cfg");
    if (c.m_bIniExists)
    {
        ASSERT_TRUE(WriteFileBytes(ini, "user's own ini"));
    }
    if (c.m_bCfgExists)
    {
        ASSERT_TRUE(WriteFileBytes(cfg, "user's own cfg"));
    }

    EXPECT_EQ(CSQLView::CopyConfigFiles(folder.path()), c.m_bCopied);

    EXPECT_EQ(ReadFileBytes(ini), c.m_bIniExists ? QByteArray("user's own ini") : Resource("orv_edit.ini"));
    EXPECT_EQ(ReadFileBytes(cfg), c.m_bCfgExists ? QByteArray("user's own cfg") : Resource("orv_sqledit.cfg"));
    // The user's copy can be edited (the preference sheet writes to it).
    EXPECT_TRUE(QFileInfo(ini).isWritable());
    EXPECT_TRUE(QFileInfo(cfg).isWritable());
}

const CCopyCase kCopyCases[] = {
    {"FirstUse", false, false, true},
    {"BothPresent", true, true, false},
    {"SchemeDeletedByAnUpgrade", true, false, true},
    {"MainFileMissing", false, true, true},
};

INSTANTIATE_TEST_SUITE_P(App, ConfigCopies, testing::ValuesIn(kCopyCases),
                         [](const testing::TestParamInfo<CCopyCase>& info) { return std::string(info.param.m_pName); });

TEST(ConfigCopies, ShippedFilesAreReadable)
{
    EXPECT_FALSE(Resource("orv_edit.ini").isEmpty());
    EXPECT_FALSE(Resource("orv_sqledit.cfg").isEmpty());
    CEditorSettings settings;
    settings.LoadConfig(":/config/orv_edit.ini");
    EXPECT_EQ(settings.m_sFontFamily, "DejaVu Sans Mono");
    EXPECT_EQ(settings.m_nTabWidth, 4);
    EXPECT_EQ(settings.Colour("Keyword"), QColor("#0000ff"));
    EXPECT_EQ(settings.Colour("Keyword", true), QColor("#569cd6"));
    EXPECT_TRUE(settings.m_sKeywords.split(' ').contains("select"));
    EXPECT_TRUE(settings.m_sDataTypes.split(' ').contains("varchar2"));
    EXPECT_TRUE(settings.m_sFunctions.split(' ').contains("nvl"));
}

TEST(EditorView, AFreshConfigurationTurnsLineNumbersOnAndSaysSo)
{
    EmptyDataFolder();
    TestStore().WriteString("Settings", "LineNumbers", "0");
    TestStore().WriteString("Settings", "SelMargin", "1");
    CSQLView view;
    EXPECT_TRUE(QFileInfo::exists(QDir(DataFolder()).filePath("orv_edit.ini")));
    EXPECT_TRUE(QFileInfo::exists(QDir(DataFolder()).filePath("orv_sqledit.cfg")));
    EXPECT_TRUE(view.Settings().m_bLineNumbers);
    EXPECT_FALSE(view.Settings().m_bSelMargin);
    EXPECT_GT(view.marginWidth(0), 0);
    EXPECT_EQ(view.marginWidth(1), 0);
    EXPECT_EQ(TestStore().GetString("Settings", "LineNumbers"), "1");
    EXPECT_EQ(TestStore().GetString("Settings", "SelMargin"), "0");
}

TEST(EditorView, ASecondViewKeepsTheSavedMargins)
{
    EmptyDataFolder();
    {
        CSQLView first;
    }
    TestStore().WriteString("Settings", "LineNumbers", "0");
    TestStore().WriteString("Settings", "SelMargin", "1");
    CSQLView second;
    EXPECT_FALSE(second.Settings().m_bLineNumbers);
    EXPECT_TRUE(second.Settings().m_bSelMargin);
    EXPECT_EQ(second.marginWidth(0), 0);
    EXPECT_GT(second.marginWidth(1), 0);
    EXPECT_EQ(TestStore().GetString("Settings", "LineNumbers"), "0");
}

TEST(EditorView, UsesAFixedPitchFontAndTheUsersConfiguration)
{
    EmptyDataFolder();
    const QString ini = QDir(DataFolder()).filePath("orv_edit.ini");
    ASSERT_TRUE(WriteFileBytes(ini, "[Editor]\nFontFamily=Monospace\nFontSize=13\nTabWidth=8\n"));
    ASSERT_TRUE(WriteFileBytes(QDir(DataFolder()).filePath("orv_sqledit.cfg"),
                               "[Colours]\nKeyword=#123456\n[Words]\nKeywords=SELECT from\n"));
    CSQLView view;
    EXPECT_EQ(view.Settings().m_sFontFamily, "Monospace");
    EXPECT_EQ(view.Settings().m_nFontSize, 13);
    EXPECT_EQ(view.tabWidth(), 8);
    ASSERT_NE(view.lexer(), nullptr);
    EXPECT_TRUE(view.lexer()->defaultFont().fixedPitch());
    EXPECT_EQ(view.lexer()->color(QsciLexerSQL::Keyword), QColor("#123456"));
    EXPECT_STREQ(view.lexer()->keywords(1), "select from");
    EXPECT_EQ(view.eolMode(), QsciScintilla::EolUnix);
}

struct CMenuCase
{
    const char* m_pName;
    bool m_bSelect;
    bool m_bUndoable;
    bool m_bTypeOver; // a key typed over the selection
    // Enabled state of Undo, Cut, Copy, Paste, Delete, Select All.
    std::array<bool, 6> m_aEnabled;
};

void PrintTo(const CMenuCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class ContextMenu : public testing::TestWithParam<CMenuCase>
{
};

TEST_P(ContextMenu, GreysWhatCannotBeDone)
{
    const CMenuCase& c = GetParam();
    CSQLView view;
    if (c.m_bUndoable)
        view.insert("select 1 from dual");
    else
    {
        view.setText("select 1 from dual");
        view.SendScintilla(QsciScintilla::SCI_EMPTYUNDOBUFFER);
    }
    if (c.m_bSelect)
        view.setSelection(0, 0, 0, 6);
    if (c.m_bTypeOver)
        QTest::keyClick(&view, Qt::Key_X);
    std::unique_ptr<QMenu> pMenu(view.CreateContextMenu());
    std::vector<std::pair<int, bool>> items;
    int separators = 0;
    for (QAction* pAction : pMenu->actions())
    {
        if (pAction->isSeparator())
            ++separators;
        else
            items.emplace_back(pAction->data().toInt(), pAction->isEnabled());
    }
    EXPECT_EQ(separators, 2);
    const int commands[] = {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR, ID_EDIT_SELECT_ALL};
    ASSERT_EQ(items.size(), 6u);
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        EXPECT_EQ(items[i].first, commands[i]);
        EXPECT_EQ(items[i].second, c.m_aEnabled[i]) << "item " << i;
    }
}

const CMenuCase kMenuCases[] = {
    {"Nothing", false, false, false, {false, false, false, true, false, true}},
    {"Selection", true, false, false, {false, true, true, true, true, true}},
    {"Undoable", false, true, false, {true, false, false, true, false, true}},
    {"Both", true, true, false, {true, true, true, true, true, true}},
    {"SelectionTypedOver", true, false, true, {true, false, false, true, false, true}},
};

INSTANTIATE_TEST_SUITE_P(App, ContextMenu, testing::ValuesIn(kMenuCases),
                         [](const testing::TestParamInfo<CMenuCase>& info) { return std::string(info.param.m_pName); });

TEST(EditorView, ContextCommandsActOnce)
{
    CSQLView view;
    view.setText("select a from t");
    view.SendScintilla(QsciScintilla::SCI_EMPTYUNDOBUFFER);

    QGuiApplication::clipboard()->setText("X");
    view.setCursorPosition(0, 6);
    EXPECT_TRUE(view.OnCommand(ID_EDIT_PASTE));
    EXPECT_EQ(view.text(), "selectX a from t");

    view.setCursorPosition(0, 0);
    view.beginUndoAction();
    view.insert("1");
    view.endUndoAction();
    view.beginUndoAction();
    view.insert("2");
    view.endUndoAction();
    EXPECT_TRUE(view.OnCommand(ID_EDIT_UNDO));
    EXPECT_EQ(view.text(), "1selectX a from t");

    view.setSelection(0, 0, 0, 1);
    EXPECT_TRUE(view.OnCommand(ID_EDIT_CUT));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1");
    view.setSelection(0, 0, 0, 6);
    EXPECT_TRUE(view.OnCommand(ID_EDIT_COPY));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "select");
    EXPECT_TRUE(view.OnCommand(ID_EDIT_CLEAR));
    EXPECT_EQ(view.text(), "X a from t");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "select");
    EXPECT_TRUE(view.OnCommand(ID_EDIT_SELECT_ALL));
    EXPECT_EQ(view.selectedText(), "X a from t");
    EXPECT_FALSE(view.OnCommand(ID_FORMAT));
}

// The control binds the standard editing keys itself (Ctrl+C, Ctrl+A, ...)
// and claims them before any key binding of the window.
TEST(EditorView, StandardEditingKeysGoToTheEditorBeforeTheWindow)
{
    QMainWindow window;
    auto* pView = new CSQLView(&window);
    window.setCentralWidget(pView);
    int selectAllTriggered = 0;
    int openTriggered = 0;
    QAction* pSelectAll = window.addAction("Select All", [&] { ++selectAllTriggered; });
    pSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    QAction* pOpen = window.addAction("Open", [&] { ++openTriggered; });
    pOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    pView->setFocus();
    pView->setText("select 1 from dual");

    QTest::keyClick(pView, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectAllTriggered, 0);
    EXPECT_EQ(pView->selectedText(), "select 1 from dual");
    // Keys the editor does not own still reach the window.
    QTest::keyClick(pView, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(openTriggered, 1);
}

struct CFindNextCase
{
    const char* m_pName;
    QString m_sText;
    int m_aSelection[4]; // line, index, line, index; an empty one is the caret
    bool m_bWholeWord;
    bool m_bMatchCase;
    bool m_bUpward;
    QString m_sStored;   // the shared search text afterwards
    bool m_bFound;
    int m_aFound[4];     // the selection afterwards
};

void PrintTo(const CFindNextCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class FindNext : public testing::TestWithParam<CFindNextCase>
{
};

TEST_P(FindNext, SearchesForTheSelectionOrTheWordAtTheCaret)
{
    const CFindNextCase& c = GetParam();
    CSQLView view;
    view.setText(c.m_sText);
    CFindReplaceData& data = CFindReplaceData::Shared();
    data = CFindReplaceData();
    data.m_sFindWhat = "before";
    data.m_bWholeWord = c.m_bWholeWord;
    data.m_bMatchCase = c.m_bMatchCase;
    const int* s = c.m_aSelection;
    if (s[0] == s[2] && s[1] == s[3])
        view.setCursorPosition(s[0], s[1]);
    else
        view.setSelection(s[0], s[1], s[2], s[3]);

    EXPECT_EQ(view.FindNext(c.m_bUpward), c.m_bFound);
    EXPECT_EQ(data.m_sFindWhat, c.m_sStored);
    if (c.m_bFound)
    {
        int found[4];
        view.getSelection(&found[0], &found[1], &found[2], &found[3]);
        EXPECT_EQ(std::vector<int>(found, found + 4), std::vector<int>(c.m_aFound, c.m_aFound + 4));
    }
}

const CFindNextCase kFindNextCases[] = {
    {"WordAtCaret", "select abc from abc_x, abc", {0, 8, 0, 8}, false, false, false, "abc", true, {0, 16, 0, 19}},
    {"WholeWord", "select abc from abc_x, abc", {0, 8, 0, 8}, true, false, false, "abc", true, {0, 23, 0, 26}},
    {"FirstLineOfASelection", "foo bar\nbaz foo bar", {0, 0, 1, 3}, false, false, false, "foo bar", true,
     {1, 4, 1, 11}},
    {"TabBecomesFourBlanks", "a\tb x a    b", {0, 0, 0, 3}, false, false, false, "a    b", true, {0, 6, 0, 12}},
    {"UpwardWithShift", "abc x abc y abc", {0, 12, 0, 15}, false, false, true, "abc", true, {0, 6, 0, 9}},
    {"IgnoresCase", "ABC abc", {0, 0, 0, 3}, false, false, false, "ABC", true, {0, 4, 0, 7}},
    {"MatchCaseWrapsToItself", "ABC abc", {0, 0, 0, 3}, false, true, false, "ABC", true, {0, 0, 0, 3}},
    {"WrapsAtTheEnd", "abc x abc", {0, 6, 0, 9}, false, false, false, "abc", true, {0, 0, 0, 3}},
    {"NoWordSearchesABlank", "select\n\nfrom t", {1, 0, 1, 0}, false, false, false, "before", true,
     {2, 4, 2, 5}},
};

INSTANTIATE_TEST_SUITE_P(App, FindNext, testing::ValuesIn(kFindNextCases),
                         [](const testing::TestParamInfo<CFindNextCase>& info) { return std::string(info.param.m_pName); });

TEST(EditorView, F3FindsNextAndShiftF3FindsBack)
{
    CSQLView view;
    view.show();
    view.setFocus();
    view.setText("abc x abc y abc");
    CFindReplaceData::Shared() = CFindReplaceData();
    view.setSelection(0, 6, 0, 9);
    QTest::keyClick(&view, Qt::Key_F3);
    int line, index, lineTo, indexTo;
    view.getSelection(&line, &index, &lineTo, &indexTo);
    EXPECT_EQ(index, 12);
    QTest::keyClick(&view, Qt::Key_F3, Qt::ShiftModifier);
    view.getSelection(&line, &index, &lineTo, &indexTo);
    EXPECT_EQ(index, 6);
    EXPECT_EQ(CFindReplaceData::Shared().m_sFindWhat, "abc");
}

TEST(EditorView, ReportsTheCaretFromOne)
{
    CSQLView view;
    view.setText("select 1\nfrom dual\nwhere 'äöü' = x");
    view.show();
    QSignalSpy spy(&view, &CSQLView::caretPositionChanged);
    view.setCursorPosition(1, 3);
    ASSERT_TRUE(WaitFor([&] { return !spy.isEmpty(); }));
    EXPECT_EQ(spy.last(), (QList<QVariant>{2, 4}));
    // Columns count characters, not bytes.
    view.setCursorPosition(2, 0);
    view.SendScintilla(QsciScintilla::SCI_LINEEND);
    ASSERT_TRUE(WaitFor([&] { return spy.last() != QList<QVariant>{2, 4}; }));
    EXPECT_EQ(spy.last(), (QList<QVariant>{3, 16}));
}

// Replacing the whole text leaves what setText() leaves, and keeps every
// character.
TEST(EditorView, SetWholeTextReplacesEverything)
{
    const struct
    {
        const char* m_pName;
        QString m_sText;
        bool m_bReadOnly;
    } cases[] = {
        {"lines", QStringLiteral("select 1\nfrom dual\n"), false},
        {"a NUL character", QString::fromUtf16(u"select '\0' from dual", 20), false},
        {"accents and an emoji", QStringLiteral("select '\u00e9\U0001F600' from dual"), false},
        {"nothing", QString(), false},
        {"a read-only editor", QStringLiteral("select 2"), true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.m_pName);
        CSQLView view;
        view.setText("old text\nof two lines");
        view.insert("x");
        view.selectAll();
        view.setReadOnly(c.m_bReadOnly);
        view.SetWholeText(c.m_sText);
        EXPECT_EQ(view.WholeText(), c.m_sText);
        EXPECT_EQ(view.isReadOnly(), c.m_bReadOnly);
        EXPECT_FALSE(view.isUndoAvailable());
        EXPECT_FALSE(view.HasSelection());
        EXPECT_FALSE(view.hasSelectedText());
        int line = -1;
        int index = -1;
        view.getCursorPosition(&line, &index);
        EXPECT_EQ(line, 0);
        EXPECT_EQ(index, 0);
    }
}

// Where the new text is shorter, the caret keeps to what there is of it.
TEST(EditorView, SetWholeTextInPlaceKeepsTheCaretInsideTheText)
{
    const struct
    {
        const char* m_pName;
        QString m_sText;
        int m_nLine; // where the caret ends up
        int m_nIndex;
    } cases[] = {
        {"the same line, a shorter one", QStringLiteral("a\nb\nc\nxy\n"), 3, 2},
        {"fewer lines", QStringLiteral("a\nbcdefgh"), 1, 5},
        {"nothing", QString(), 0, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.m_pName);
        CSQLView view;
        view.SetWholeText(u"0\n1\n2\nselect a from t\n4\n");
        view.setCursorPosition(3, 5);
        view.SetWholeTextInPlace(c.m_sText);
        EXPECT_EQ(view.WholeText(), c.m_sText);
        int line = -1;
        int index = -1;
        view.getCursorPosition(&line, &index);
        EXPECT_EQ(line, c.m_nLine);
        EXPECT_EQ(index, c.m_nIndex);
    }
}

TEST(FindReplaceDialog, FindsWhatWasTypedAndReportsAMiss)
{
    CSQLView view;
    view.setText("select a, b from t where b = a");
    CFindReplaceData::Shared() = CFindReplaceData();
    CFindReplaceDlg* pDialog = CFindReplaceDlg::Show(&view, false);
    ASSERT_EQ(CFindReplaceDlg::Current(), pDialog);
    pDialog->m_pFindWhat->setText("B");
    pDialog->m_pWholeWord->setChecked(true);
    EXPECT_TRUE(pDialog->OnFindNext());
    EXPECT_EQ(view.selectedText(), "b");
    EXPECT_EQ(CFindReplaceData::Shared().m_sFindWhat, "B");
    EXPECT_TRUE(CFindReplaceData::Shared().m_bWholeWord);

    pDialog->m_pMatchCase->setChecked(true);
    CMessageBoxRecorder boxes;
    EXPECT_FALSE(pDialog->OnFindNext());
    ASSERT_EQ(boxes.m_aTexts.size(), 1u);
    EXPECT_EQ(boxes.m_aTexts[0], "Cannot find the string 'B'.");
    pDialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CFindReplaceDlg::Current(), nullptr);
}

TEST(FindReplaceDialog, FindNextUsesTheDialogsSettings)
{
    CSQLView view;
    view.setText("Abc abc ABC");
    CFindReplaceData::Shared() = CFindReplaceData();
    CFindReplaceDlg* pDialog = CFindReplaceDlg::Show(&view, false);
    pDialog->m_pFindWhat->setText("ABC");
    pDialog->m_pMatchCase->setChecked(true);
    EXPECT_TRUE(pDialog->OnFindNext());
    pDialog->close();
    view.setCursorPosition(0, 0);
    view.setSelection(0, 8, 0, 11);
    EXPECT_TRUE(view.FindNext(false));
    // Match case came from the dialog: only the upper-case word matches.
    int line, index, lineTo, indexTo;
    view.getSelection(&line, &index, &lineTo, &indexTo);
    EXPECT_EQ(index, 8);
}

TEST(FindReplaceDialog, ReplaceAllReplacesEachMatchOnce)
{
    CSQLView view;
    view.setText("a b a\na");
    CFindReplaceData::Shared() = CFindReplaceData();
    CFindReplaceDlg* pDialog = CFindReplaceDlg::Show(&view, true);
    pDialog->m_pFindWhat->setText("a");
    pDialog->m_pReplaceWith->setText("xa");
    pDialog->m_pWholeWord->setChecked(true);
    EXPECT_EQ(pDialog->OnReplaceAll(), 3);
    EXPECT_EQ(view.text(), "xa b xa\nxa");
    // One step undoes the whole replacement.
    view.undo();
    EXPECT_EQ(view.text(), "a b a\na");
    pDialog->close();
}

TEST(FindReplaceDialog, ReplaceReplacesTheMatchThenMovesOn)
{
    CSQLView view;
    view.setText("t1 t2 t1");
    CFindReplaceData::Shared() = CFindReplaceData();
    CFindReplaceDlg* pDialog = CFindReplaceDlg::Show(&view, true);
    pDialog->m_pFindWhat->setText("t1");
    pDialog->m_pReplaceWith->setText("T");
    EXPECT_TRUE(pDialog->OnReplace()); // selects the first match
    EXPECT_EQ(view.text(), "t1 t2 t1");
    EXPECT_TRUE(pDialog->OnReplace()); // replaces it, selects the next
    EXPECT_EQ(view.text(), "T t2 t1");
    EXPECT_EQ(view.selectedText(), "t1");
    pDialog->close();
}

TEST(GoToLine, MovesTheCaretWithinTheText)
{
    CSQLView view;
    view.setText("a\nb\nc\nd");
    CGoToLineDlg dialog(&view);
    EXPECT_EQ(dialog.m_pLine->minimum(), 1);
    EXPECT_EQ(dialog.m_pLine->maximum(), 4);
    dialog.m_pLine->setValue(3);
    dialog.accept();
    int line = 0;
    int index = 0;
    view.getCursorPosition(&line, &index);
    EXPECT_EQ(line, 2);
    dialog.m_pLine->setValue(99);
    EXPECT_EQ(dialog.m_pLine->value(), 4);
}

TEST(EditorPreference, OkAppliesToEveryEditorAndIsSaved)
{
    EmptyDataFolder();
    CSQLView first;
    CSQLView second;
    // The sheet is modal: answer it as soon as it shows.
    QTimer::singleShot(0, [] {
        auto* pDialog = qobject_cast<CEditorPrefDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(pDialog, nullptr);
        pDialog->m_pTabWidth->setValue(8);
        pDialog->m_pLineNumbers->setChecked(false);
        pDialog->m_pSelMargin->setChecked(true);
        pDialog->accept();
    });
    first.OnEditorPreference();
    for (CSQLView* pView : {&first, &second})
    {
        EXPECT_EQ(pView->tabWidth(), 8);
        EXPECT_EQ(pView->marginWidth(0), 0);
        EXPECT_GT(pView->marginWidth(1), 0);
    }
    EXPECT_EQ(TestStore().GetString("Settings", "LineNumbers"), "0");
    EXPECT_EQ(TestStore().GetString("Settings", "SelMargin"), "1");
    // A view made later reads the saved settings.
    CSQLView third;
    EXPECT_EQ(third.tabWidth(), 8);
    EXPECT_FALSE(third.Settings().m_bLineNumbers);
}

TEST(EditorPreference, CancelChangesNothing)
{
    EmptyDataFolder();
    CSQLView view;
    const QByteArray ini = ReadFileBytes(QDir(DataFolder()).filePath("orv_edit.ini"));
    QTimer::singleShot(0, [] {
        auto* pDialog = qobject_cast<CEditorPrefDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(pDialog, nullptr);
        pDialog->m_pTabWidth->setValue(2);
        pDialog->reject();
    });
    view.OnEditorPreference();
    EXPECT_EQ(view.tabWidth(), 4);
    EXPECT_EQ(ReadFileBytes(QDir(DataFolder()).filePath("orv_edit.ini")), ini);
}

TEST(EditorPreference, ColoursGoToTheUsersScheme)
{
    EmptyDataFolder();
    CSQLView::CopyConfigFiles(DataFolder());
    CEditorSettings settings = CSQLView::LoadSettings();
    settings.SetColour("Keyword", QColor("#abcdef"));
    settings.SetColour("Keyword", QColor("#fedcba"), true);
    settings.m_nTabWidth = 6;
    ASSERT_TRUE(settings.SaveConfig());
    CEditorSettings reread = CSQLView::LoadSettings();
    EXPECT_EQ(reread.Colour("Keyword"), QColor("#abcdef"));
    EXPECT_EQ(reread.Colour("Keyword", true), QColor("#fedcba")) << "the colours for a dark paper are kept apart";
    EXPECT_EQ(reread.Colour("String", true), QColor("#ce9178"));
    EXPECT_EQ(reread.m_nTabWidth, 6);
    // The shipped scheme's word lists survive the rewrite.
    EXPECT_TRUE(reread.m_sKeywords.split(' ').contains("select"));
}
} // namespace
