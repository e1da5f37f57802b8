// The main window: the tab view as its client, the menus, the tool bar with
// the left-margin box, the status bar with the caret position, the options
// panel at the left, and the routing of every command by its number.
#pragma once

#include "FormOptAlignments.h"
#include "FormOptCapitalisation.h"
#include "FormOptCase.h"
#include "FormOptCommas.h"
#include "FormOptComments.h"
#include "FormOptPlsql.h"
#include "FormOptPane.h"
#include "FormOptParenthesis.h"
#include "FormOptSelect.h"
#include "OutlookBar.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <vector>

class CLeftMarginEditBtn;
class CProfileStore;
class CQuillmarkDoc;
class CQuillmarkView;
class CSQLView;
class QActionGroup;
class QLabel;
class QMenu;
class QTextBrowser;
class QToolBar;
class QToolButton;

class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    // Builds the whole window for the document; IsCreated() tells whether
    // every step that must succeed did.
    explicit CMainFrame(CQuillmarkDoc* pDoc, QWidget* pParent = nullptr);
    ~CMainFrame() override;

    bool IsCreated() const { return m_bCreated; }
    // Closes the window without offering to save anything (a close request
    // from another process); the window state and the options are saved.
    void CloseDiscarding();
    CQuillmarkView* GetView() const { return m_pView; }
    // Another start of the program asked for the window: it comes to the
    // front and opens the files it was given (see CQuillmarkDoc::OpenFiles).
    void OnFilesHandedOver(const QStringList& files);
    // The File > Recent Files submenu.
    QMenu* RecentFilesMenu() const { return m_pRecentMenu; }

    // The action of a command number, or null; triggering it routes the
    // command as the menu, the tool bar or a key would.
    QAction* Action(int command) const;
    // Routes a command by its number; false when no one handles it.
    bool OnCommand(int command);

    void OnFormat();
    void OnCapitalise();
    void OnLeftMarginDown();
    void OnLeftMarginBox();
    void OnLeftMarginUp();
    void OnHelpFinder();
    void OnApplicationLook(int style);
    void OnAppAbout();

    // Shows "Ln %d, Col %d" in the caret pane of the status bar.
    void ShowCaretPosition(int row, int column);
    // Puts the left margin into the box and re-indents the output tab's
    // current text to it, without formatting again.
    void RefreshLeftMargin();
    // Sets the tool bar's buttons from its layout: the margin box in place of
    // command 32833, Format and Capitalise shown with their texts.
    void ResetToolBar();

    QToolBar* ToolBar() const { return m_pToolBar; }
    CLeftMarginEditBtn* MarginBox() const { return m_pMarginBox; }
    COutlookBar& OutlookBar() { return m_wndOutlookBar; }
    // The status pane with that identifier (0 is the message pane), or null.
    QWidget* StatusPane(int id) const;
    // The eight pages in panel order.
    std::vector<CFormOptDlg*> Pages();
    QWidget* HelpWindow() const;

    CQuillmarkDoc* m_pDoc;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool LoadFrame();
    void CreateActions();
    void CreateMenus();
    QMenu* CreateStyleMenu(QWidget* parent);
    // The encoding menu and pane show the document's choices and its own.
    void UpdateEncodingMenu();
    // The encodings the current file can be read again in.
    QMenu* CreateReopenMenu(QWidget* parent);
    // The recent-files menu shows the document's list, newest first.
    void UpdateRecentFilesMenu();
    // Files dropped on an editor open as a drop on the window would; other
    // drops there are the editor's own. True when the event was handled.
    bool FilterEditorDrop(QEvent* event);
    // Sets the icons of the commands and the panel, readable in the current style.
    void RefreshIcons();
    bool CreateToolBar();
    bool CreateStatusBar();
    bool CreateOutlookBar();
    void ReadWindowState();
    // At the first start: sizes the window to show every option page whole
    // beside the editors, as far as the screen allows, and centres it.
    void FitToScreen();
    void KeepFrameOnScreen();
    // How much wider and taller the panel's pages need to be than the room
    // they have now (negative where they have more).
    QSize PanelPageShortfall() const;
    void WriteWindowState();
    void UpdateTitle();
    void UpdateLockIndicators();
    // Undo, redo, cut, copy and paste are enabled as the active editor allows.
    void WatchEditors();
    void UpdateEditCommands();
    // The caret pane shows where the caret of the active editor stands.
    void UpdateCaretPane();
    void MovePaneFocus(int step);
    CSQLView* ActiveEditor() const;
    CProfileStore* Store() const;
    void RouteToEditor(const std::function<void(CSQLView&)>& operation);

    // Member order matters: the pages are children of the panes, which are
    // children of the bar, so the pages are destroyed first.
    COutlookBar m_wndOutlookBar;
    CFormOptPane m_wndPaneAlignments;
    CFormOptPane m_wndPaneSelect;
    CFormOptPane m_wndPaneCommas;
    CFormOptPane m_wndPaneParenthesis;
    CFormOptPane m_wndPaneCase;
    CFormOptPane m_wndPaneCapitalisation;
    CFormOptPane m_wndPaneComments;
    CFormOptPane m_wndPanePlsql;
    CFormOptAlignments m_wndPageAlignments;
    CFormOptSelect m_wndPageSelect;
    CFormOptCommas m_wndPageCommas;
    CFormOptParenthesis m_wndPageParenthesis;
    CFormOptCase m_wndPageCase;
    CFormOptCapitalisation m_wndPageCapitalisation;
    CFormOptComments m_wndPageComments;
    CFormOptPlsql m_wndPagePlsql;

    CQuillmarkView* m_pView = nullptr;
    QToolBar* m_pToolBar = nullptr;
    CLeftMarginEditBtn* m_pMarginBox = nullptr;
    QActionGroup* m_pStyleGroup = nullptr;
    QMenu* m_pEncodingMenu = nullptr;
    QMenu* m_pRecentMenu = nullptr;
    QToolButton* m_pEncodingPane = nullptr;
    std::map<int, QAction*> m_aActions;
    std::map<int, QLabel*> m_aStatusPanes;
    QPointer<QTextBrowser> m_pHelpWindow;
    bool m_bCreated = false;
    bool m_bDiscardOnClose = false;
    bool m_bFitPending = false;
    bool m_bFramePending = false; // placed at the first start, not framed yet
    int m_nPanelWidth = 0; // the width the panel keeps while the window changes size
    int m_nFrameWidth = 0; // the window's width at its last resize
};
