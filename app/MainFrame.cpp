#include "MainFrame.h"

#include "AboutDlg.h"
#include "AppStrings.h"
#include "CommandIds.h"
#include "Contrast.h"
#include "DialogTemplate.h"
#include "LeftMarginEditBtn.h"
#include "ProfileStore.h"
#include "QuillmarkApp.h"
#include "QuillmarkDoc.h"
#include "QuillmarkView.h"
#include "SQLView.h"
#include "VisualStyles.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QStatusBar>
#include <QScreen>
#include <QShowEvent>
#include <QScrollArea>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QToolBar>
#include <QToolBox>
#include <QToolButton>

#include <algorithm>

#include <dlfcn.h>

namespace {

// Command numbers of the frame that CommandIds.h leaves to the frame.
constexpr int ID_VIEW_APPLOOK_FIRST = kFirstVisualStyle;
constexpr int ID_VIEW_APPLOOK_LAST = kLastVisualStyle;
constexpr int ID_INDICATOR_CAPS = 59137;
constexpr int ID_INDICATOR_NUM = 59138;
constexpr int ID_INDICATOR_SCRL = 59139;
constexpr int ID_MENU_BAR = 59398;
constexpr int ID_TOOL_BAR = 59392;
constexpr int ID_OUTLOOK_BAR = 131;
constexpr int kDefaultVisualStyle = kDesktopVisualStyle;

constexpr int kMaxLeftMargin = 1000;
constexpr int kCaretPaneWidth = 75;
// At the first start the editors get room for this many characters of their
// font beside the panel, and each window leaves this much of the screen
// around it for the frame and title bar the window manager adds.
constexpr int kEditorColumns = 80;
// The editors never get narrower than this many characters: the panel gives
// way first.
constexpr int kEditorLeastColumns = 32;
const QMargins kFrameAllowance(8, 32, 8, 8);
constexpr QSize kHelpWindowSize(720, 640);

// The place of a window with the frame allowance around it, shrunk and moved
// as far as needed for the frame to lie inside the area.
QRect FramedInside(const QRect& window, const QRect& area)
{
    QRect framed = window.marginsAdded(kFrameAllowance);
    framed.setSize(framed.size().boundedTo(area.size()));
    framed.moveLeft(std::clamp(framed.left(), area.left(), area.right() + 1 - framed.width()));
    framed.moveTop(std::clamp(framed.top(), area.top(), area.bottom() + 1 - framed.height()));
    return framed.marginsRemoved(kFrameAllowance);
}

const char* const kApplicationLook = "ApplicationLook";
const char* const kOutlookAnimation = "OutlookAnimation";
const char* const kWindowGeometry = "MainFrameGeometry";
const char* const kWindowLayout = "MainFrameLayout";
const char* const kStatusBarShown = "StatusBar";
const char* const kOutlookPage = "OutlookBarPage";
const char* const kOutlookCaption = "OutlookBarCaption%1"; // a button the user renamed
constexpr int kWindowLayoutVersion = 1;

const QString kToolBarTitle = QStringLiteral("Standard");
const QString kStyleMenuTitle = QStringLiteral("St&yle");
const QString kEncodingMenuTitle = QStringLiteral("&Encoding");
const QString kReopenMenuTitle = QStringLiteral("Reopen with Encodin&g");
const QString kRecentMenuTitle = QStringLiteral("Recent &Files");
const QString kRecentEmpty = QStringLiteral("(none)");
const QString kRecentClear = QStringLiteral("&Clear Recent Files");
const QString kEncodingPaneTip = QStringLiteral("The encoding Save writes in; click to choose another");
const QString kOutlookBarName = QStringLiteral("IDS_SHORTCUTS");
const QString kOutlookBarTitle = QStringLiteral("Options");
const QString kReady = QStringLiteral("Ready");
const QString kCaretFormat = QStringLiteral("Ln %1, Col %2");
const QString kHelpTitle = QStringLiteral("Welcome to Quillmark");
const QString kHelpPage = QStringLiteral("help/index.html");
const QString kBuiltInHelpPage = QStringLiteral(":/help/index.html");
const QString kPanelImages = QStringLiteral(":/images/panel_strip.png");
const QColor kPanelTransparent(255, 0, 255);
constexpr int kPanelImageWidth = 16;
const QString kAppIcon = QStringLiteral(":/images/quillmark.png");

} // namespace

namespace {

const struct
{
    int m_nId;
    const char* m_sText;
    const char* m_sKeys;
    const char* m_sPrompt;
    const char* m_sImage;
} kCommands[] = {
    {ID_FILE_NEW, "&New", "Ctrl+N", "Create a new document\nNew", nullptr},
    {ID_FILE_OPEN, "&Open...\tCtrl+O", "Ctrl+O", "Open an existing document\nOpen", "open"},
    {ID_FILE_SAVE, "&Save\tCtrl+S", "Ctrl+S", "Save the output in the current file\nSave", "save"},
    {ID_FILE_SAVE_AS, "Save &As...\tCtrl+Shift+S", "Ctrl+Shift+S", "Save the output in a file of another name\nSave As", nullptr},
    {ID_APP_EXIT, "E&xit", "", "Quit the application; prompts to save documents\nExit", nullptr},
    {ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Ctrl+Z", "Undo the last action\nUndo", "undo"},
    {ID_EDIT_REDO, "Re&do\tCtrl+Shift+Z", "Ctrl+Shift+Z", "Redo the previously undone action\nRedo", "redo"},
    {ID_EDIT_CUT, "Cu&t\tCtrl+X", "Ctrl+X;Shift+Del", "Cut the selection and put it on the Clipboard\nCut", "cut"},
    {ID_EDIT_COPY, "&Copy\tCtrl+C", "Ctrl+C;Ctrl+Ins", "Copy the selection and put it on the Clipboard\nCopy", "copy"},
    {ID_EDIT_PASTE, "&Paste\tCtrl+V", "Ctrl+V;Shift+Ins", "Insert Clipboard contents\nPaste", "paste"},
    {ID_EDIT_SELECT_ALL, "Select A&ll\tCtrl+A", "Ctrl+A", "Select the entire document\nSelect All", nullptr},
    {ID_EDIT_FIND, "&Find\tCtrl+F", "Ctrl+F", "Find the specified text\nFind", "find"},
    {ID_EDIT_REPLACE, "R&eplace\tCtrl+H", "Ctrl+H", "Replace specific text with different text\nReplace", "replace"},
    {ID_EDIT_GOTO, "&Go To...\tCtrl+G", "Ctrl+G", "Moves to a specified location\nGo To", "goto"},
    {ID_EDIT_FIND_NEXT, "Find &Next", "F3", "Find the next occurrence of the selection or the word at the caret\nFind Next", nullptr},
    {ID_FORMAT, "&Format\tCtrl+Shift+F", "Ctrl+Shift+F", "Format SQL code\nFormat", "format"},
    {ID_CAPITALISE, "&Capitalise\tCtrl+Shift+C", "Ctrl+Shift+C", "Only Capitalise SQL code\nCapitalise", "capitalise"},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "", "Show or hide the status bar\nToggle Status Bar", nullptr},
    {ID_EDITOR_PREFERENCE, "&Editor Preference", "", "SQL code editor preference\nEditor preference", "editorpref"},
    {ID_HELP_FINDER, "&Help", "", "Display instructions about how to use Quillmark\nHelp", "help"},
    {ID_APP_ABOUT, "&About Quillmark...", "", "Display program information and version\nAbout", "about"},
    {ID_LEFT_MARGIN_DOWN, "Left Margin -1", "", "Move the output one blank to the left\nLeft margin -1", "margin_left"},
    {ID_LEFT_MARGIN_UP, "Left Margin +1", "", "Move the output one blank to the right\nLeft margin +1", "margin_right"},
    {ID_NEXT_PANE, "Next Pane", "F6", "Switch to the next window pane\nNext Pane", nullptr},
    {ID_PREV_PANE, "Previous Pane", "Shift+F6", "Switch back to the previous window pane\nPrevious Pane", nullptr},
};

// The main menu: a title, then its commands, 0 for a separator, kStyleMenu
// for the submenu of visual styles, kEncodingMenu for that of the encodings
// Save writes in, kReopenMenu for that of the encodings the current file can be
// read again in, and kRecentMenu for that of the recent files.
constexpr int kStyleMenu = -1;
constexpr int kEncodingMenu = -2;
constexpr int kRecentMenu = -3;
constexpr int kReopenMenu = -4;
const struct
{
    const char* m_sTitle;
    std::initializer_list<int> m_aItems;
} kMenus[] = {
    {"&File", {ID_FILE_OPEN, kRecentMenu, ID_FILE_SAVE, ID_FILE_SAVE_AS, 0, kEncodingMenu, kReopenMenu, 0, ID_APP_EXIT}},
    {"&Edit",
     {ID_EDIT_UNDO, ID_EDIT_REDO, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_EDIT_SELECT_ALL, 0,
      ID_EDIT_FIND, ID_EDIT_REPLACE, ID_EDIT_GOTO}},
    {"Format", {ID_FORMAT, ID_CAPITALISE}},
    {"&View", {ID_VIEW_STATUS_BAR, 0, kStyleMenu, ID_EDITOR_PREFERENCE}},
    {"&Help", {ID_HELP_FINDER, ID_APP_ABOUT}},
};

// The main tool bar, 0 for a separator.
const int kToolBarLayout[] = {
    ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_EDIT_UNDO, ID_EDIT_REDO, 0,
    ID_EDIT_FIND, ID_EDIT_REPLACE, ID_EDIT_GOTO, 0, ID_EDITOR_PREFERENCE, 0, ID_LEFT_MARGIN_DOWN,
    ID_LEFT_MARGIN_BOX, ID_LEFT_MARGIN_UP, 0, ID_FORMAT, ID_CAPITALISE, 0, ID_APP_ABOUT,
};

// Buttons of the tool bar that show their text beside the image.
const struct
{
    int m_nId;
    const char* m_sText;
} kTextButtons[] = {
    {ID_FORMAT, "Format"},
    {ID_CAPITALISE, "Capitalise"},
};

// The status bar's panes after the message pane, with the text that sizes them.
const struct
{
    int m_nId;
    const char* m_sText;
} kStatusPanes[] = {
    {ID_INDICATOR_ROWCOL, ""},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
};

// The options panel, in button order.
const struct
{
    const char* m_sCaption;
    int m_nImage;
    int m_nPaneId;
    int m_nTemplateId;
} kPanelButtons[] = {
    {"Alignments", 0, 1200, 311}, {"Select", 1, 1201, 312},         {"Commas", 2, 1202, 313},
    {"Parentheses", 3, 1203, 314}, {"Case", 4, 1204, 315},           {"Capitalisation", 5, 1205, 316},
    {"Comments", 6, 1206, 317},    {"PL/SQL", 7, 1207, 318},
};

// The keyboard's lock lights as the X server sees them; none elsewhere.
struct CLockState
{
    bool m_bCaps = false;
    bool m_bNum = false;
    bool m_bScroll = false;
};

CLockState QueryLockState()
{
    CLockState state;
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return state;
    // libX11 is loaded by the platform plugin already; look the call up there.
    using GetIndicatorState = int (*)(void*, unsigned int, unsigned int*);
    static auto query = [] {
        void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        return library ? reinterpret_cast<GetIndicatorState>(dlsym(library, "XkbGetIndicatorState")) : nullptr;
    }();
    constexpr unsigned int kUseCoreKeyboard = 0x0100;
    unsigned int lights = 0;
    if (query && query(x11->display(), kUseCoreKeyboard, &lights) == 0)
    {
        state.m_bCaps = lights & 1u;
        state.m_bNum = lights & 2u;
        state.m_bScroll = lights & 4u;
    }
    return state;
}

// The shipped help page: installed, beside the build, or the copy built in.
QString HelpPagePath()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {programDir.filePath(QStringLiteral("../share/quillmark/") + kHelpPage), programDir.filePath(kHelpPage)})
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    return kBuiltInHelpPage;
}

QString StoredText(CProfileStore* store, const char* name)
{
    if (!store)
        return QString();
    return QString::fromStdString(store->GetString(AppStrings::kWorkspaceSection, name).value_or(std::string()));
}

int StoredInt(CProfileStore* store, const char* name, int fallback)
{
    const std::optional<std::string> text =
        store ? store->GetString(AppStrings::kWorkspaceSection, name) : std::nullopt;
    return text ? OptionTextToInt(*text) : fallback;
}

void WriteStored(CProfileStore* store, const char* name, const QString& value)
{
    if (store)
        store->WriteString(AppStrings::kWorkspaceSection, name, value.toStdString());
}

// The icon with each of its sizes made readable on the background.
QIcon ReadableIcon(const QIcon& source, const QColor& background)
{
    QIcon icon;
    for (const QSize& size : source.availableSizes())
        icon.addPixmap(QPixmap::fromImage(ReadableOn(source.pixmap(size).toImage(), background, kMarkContrast)));
    return icon;
}

// The width of that many characters in the editors' font.
int EditorColumnsWidth(CQuillmarkView& view, int columns)
{
    const CEditorSettings& editor = view.FindTabView(AppStrings::kInputTab)->Settings();
    return QFontMetrics(QFont(editor.m_sFontFamily, editor.m_nFontSize)).horizontalAdvance(QString(columns, u'M'));
}

} // namespace

CMainFrame::CMainFrame(CQuillmarkDoc* pDoc, QWidget* pParent) : QMainWindow(pParent), m_pDoc(pDoc)
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(QIcon(kAppIcon));
    resize(1000, 700);
    setAcceptDrops(true); // a file dropped on the window opens
    m_bCreated = LoadFrame();
}

CMainFrame::~CMainFrame()
{
    if (m_pDoc && m_pDoc->m_pDialogParent == this)
        m_pDoc->m_pDialogParent = nullptr;
    delete m_pHelpWindow;
}

CProfileStore* CMainFrame::Store() const
{
    if (m_pDoc && m_pDoc->Options().Store())
        return m_pDoc->Options().Store();
    return CQuillmarkApp::Profile();
}

bool CMainFrame::LoadFrame()
{
    // The client: the tab view with its two editors.
    if (!m_pDoc)
        return false;
    m_pView = new CQuillmarkView(m_pDoc, this);
    setCentralWidget(m_pView);
    m_pView->setMinimumWidth(EditorColumnsWidth(*m_pView, kEditorLeastColumns));
    m_pDoc->m_pDialogParent = this;
    connect(m_pDoc, &CQuillmarkDoc::titleChanged, this, &CMainFrame::UpdateTitle);
    connect(m_pDoc, &CQuillmarkDoc::modifiedChanged, this, &CMainFrame::UpdateTitle);
    connect(m_pDoc, &CQuillmarkDoc::statusMessage, this, [this](const QString& text) {
        statusBar()->showMessage(text);
    });
    connect(m_pDoc, &CQuillmarkDoc::leftMarginChanged, this, [this](int32_t margin) {
        // Setting the box's text programmatically never reports its command.
        if (m_pMarginBox)
            m_pMarginBox->SetContents(QString::number(margin));
    });

    CreateActions();
    WatchEditors();
    OnApplicationLook(StoredInt(Store(), kApplicationLook, kDefaultVisualStyle));
    CreateMenus();
    if (!CreateToolBar() || !CreateStatusBar() || !CreateOutlookBar())
        return false;
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    ReadWindowState();
    UpdateTitle();
    return true;
}

void CMainFrame::CreateActions()
{
    for (const auto& command : kCommands)
    {
        const QString text = QString::fromUtf8(command.m_sText);
        auto* action = new QAction(text.section(u'\t', 0, 0), this);
        action->setData(command.m_nId);
        action->setObjectName(QStringLiteral("command%1").arg(command.m_nId));
        QList<QKeySequence> keys;
        for (const QString& key : QString::fromUtf8(command.m_sKeys).split(u';', Qt::SkipEmptyParts))
            keys.append(QKeySequence(key));
        action->setShortcuts(keys);
        const QString prompt = QString::fromUtf8(command.m_sPrompt);
        action->setStatusTip(prompt.section(u'\n', 0, 0));
        action->setToolTip(prompt.section(u'\n', 1, 1));
        const int id = command.m_nId;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        addAction(action); // keys work even for commands that no menu shows
        m_aActions[id] = action;
    }
    m_aActions[ID_VIEW_STATUS_BAR]->setCheckable(true);
    m_aActions[ID_VIEW_STATUS_BAR]->setChecked(true);

    // The visual styles, one of them checked.
    m_pStyleGroup = new QActionGroup(this);
    m_pStyleGroup->setExclusive(true);
    for (const CVisualStyle& style : VisualStyles())
    {
        QAction* action = m_pStyleGroup->addAction(QString::fromUtf8(style.m_sName));
        action->setCheckable(true);
        action->setData(style.m_nId);
        action->setObjectName(QStringLiteral("command%1").arg(style.m_nId));
        const int id = style.m_nId;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        addAction(action);
        m_aActions[id] = action;
    }
}

QMenu* CMainFrame::CreateStyleMenu(QWidget* parent)
{
    auto* menu = new QMenu(kStyleMenuTitle, parent);
    menu->setObjectName(QStringLiteral("StyleMenu"));
    for (const CVisualStyle& style : VisualStyles())
    {
        menu->addAction(m_aActions.at(style.m_nId));
        if (style.m_nId == kDesktopVisualStyle)
            menu->addSeparator(); // the desktop's own look, then the program's
    }
    return menu;
}

void CMainFrame::CreateMenus()
{
    menuBar()->setObjectName(QStringLiteral("MenuBar%1").arg(ID_MENU_BAR));
    m_pEncodingMenu = new QMenu(kEncodingMenuTitle, this);
    m_pEncodingMenu->setObjectName(QStringLiteral("EncodingMenu"));
    connect(m_pDoc, &CQuillmarkDoc::encodingChanged, this, &CMainFrame::UpdateEncodingMenu);
    m_pRecentMenu = new QMenu(kRecentMenuTitle, this);
    m_pRecentMenu->setObjectName(QStringLiteral("RecentFilesMenu"));
    m_pRecentMenu->setToolTipsVisible(true);
    connect(m_pDoc, &CQuillmarkDoc::recentFilesChanged, this, &CMainFrame::UpdateRecentFilesMenu);
    UpdateRecentFilesMenu();
    for (const auto& menu : kMenus)
    {
        QMenu* popup = menuBar()->addMenu(QString::fromUtf8(menu.m_sTitle));
        popup->setToolTipsVisible(true);
        for (int id : menu.m_aItems)
        {
            if (id == 0)
                popup->addSeparator();
            else if (id == kStyleMenu)
                popup->addMenu(CreateStyleMenu(popup));
            else if (id == kEncodingMenu)
                popup->addMenu(m_pEncodingMenu);
            else if (id == kRecentMenu)
                popup->addMenu(m_pRecentMenu);
            else if (id == kReopenMenu)
                popup->addMenu(CreateReopenMenu(popup));
            else
                popup->addAction(m_aActions.at(id));
        }
    }
}

void CMainFrame::UpdateEncodingMenu()
{
    if (!m_pEncodingMenu)
        return;
    m_pEncodingMenu->clear();
    const CSaveEncoding current = m_pDoc->GetSaveEncoding();
    auto* group = new QActionGroup(m_pEncodingMenu);
    for (const CSaveEncoding& encoding : CSaveEncoding::Choices(current))
    {
        QAction* action = group->addAction(encoding.Name());
        action->setCheckable(true);
        action->setChecked(encoding == current);
        connect(action, &QAction::triggered, this, [this, encoding] { m_pDoc->SetSaveEncoding(encoding); });
        m_pEncodingMenu->addAction(action);
    }
    if (m_pEncodingPane)
        m_pEncodingPane->setText(current.Name());
}

QMenu* CMainFrame::CreateReopenMenu(QWidget* parent)
{
    auto* menu = new QMenu(kReopenMenuTitle, parent);
    menu->setObjectName(QStringLiteral("ReopenMenu"));
    for (const CSaveEncoding& encoding : CQuillmarkDoc::ReopenChoices())
    {
        const unsigned codePage = encoding.m_nCodePage;
        connect(menu->addAction(encoding.Name()), &QAction::triggered, this,
                [this, codePage] { m_pDoc->ReopenInCodePage(codePage); });
    }
    // Only a file that was opened or saved can be read again.
    const auto follow = [this, menu] { menu->setEnabled(!m_pDoc->GetPathName().isEmpty()); };
    connect(m_pDoc, &CQuillmarkDoc::titleChanged, menu, follow);
    follow();
    return menu;
}

void CMainFrame::UpdateRecentFilesMenu()
{
    if (!m_pRecentMenu)
        return;
    m_pRecentMenu->clear();
    const QStringList& files = m_pDoc->RecentFiles().Files();
    for (qsizetype i = 0; i < files.size(); ++i)
    {
        const QString path = files[i];
        // "&1 name", the tenth "1&0", as in the menus of most editors; the
        // whole path in the tool tip and the status bar.
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        QString name = QFileInfo(path).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = m_pRecentMenu->addAction(number + QLatin1Char(' ') + name);
        action->setToolTip(path);
        action->setStatusTip(path);
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { m_pDoc->OnOpenRecentFile(path); });
    }
    if (files.isEmpty())
        m_pRecentMenu->addAction(kRecentEmpty)->setEnabled(false);
    m_pRecentMenu->addSeparator();
    QAction* clear = m_pRecentMenu->addAction(kRecentClear);
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        m_pDoc->RecentFiles().Clear();
        UpdateRecentFilesMenu();
    });
}

bool CMainFrame::CreateToolBar()
{
    m_pToolBar = addToolBar(kToolBarTitle);
    if (!m_pToolBar)
        return false;
    m_pToolBar->setObjectName(QStringLiteral("ToolBar%1").arg(ID_TOOL_BAR));
    m_pToolBar->setIconSize(QSize(16, 16));
    m_pToolBar->setContentsMargins(1, 1, 1, 1);
    ResetToolBar();
    return true;
}

void CMainFrame::ResetToolBar()
{
    m_pToolBar->clear();
    if (!m_pMarginBox)
    {
        m_pMarginBox = new CLeftMarginEditBtn(this, QString::number(m_pDoc->GetLeftMargin()));
        connect(m_pMarginBox, &QAction::triggered, this, [this] { OnCommand(ID_LEFT_MARGIN_BOX); });
        m_aActions[ID_LEFT_MARGIN_BOX] = m_pMarginBox;
    }
    for (int id : kToolBarLayout)
    {
        if (id == 0)
            m_pToolBar->addSeparator();
        else
            m_pToolBar->addAction(m_aActions.at(id));
    }
    for (const auto& button : kTextButtons)
    {
        QAction* action = m_aActions.at(button.m_nId);
        action->setIconText(QString::fromUtf8(button.m_sText));
        if (auto* tool = qobject_cast<QToolButton*>(m_pToolBar->widgetForAction(action)))
            tool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    m_pMarginBox->SetContents(QString::number(m_pDoc->GetLeftMargin()));
}

bool CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar%1").arg(ID_VIEW_STATUS_BAR));
    // The message pane shows "Ready" whenever no prompt is showing.
    connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(kReady);
    });
    bar->showMessage(kReady);
    for (const auto& pane : kStatusPanes)
    {
        auto* label = new QLabel(QString::fromUtf8(pane.m_sText), bar);
        label->setObjectName(QStringLiteral("pane%1").arg(pane.m_nId));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setMinimumWidth(std::max(label->sizeHint().width() + 8, 32));
        bar->addPermanentWidget(label);
        m_aStatusPanes[pane.m_nId] = label;
    }
    // The encoding pane stands first: a button that opens the encoding menu.
    m_pEncodingPane = new QToolButton(bar);
    m_pEncodingPane->setObjectName(QStringLiteral("EncodingPane"));
    m_pEncodingPane->setAutoRaise(true);
    m_pEncodingPane->setPopupMode(QToolButton::InstantPopup);
    m_pEncodingPane->setMenu(m_pEncodingMenu);
    m_pEncodingPane->setToolTip(kEncodingPaneTip);
    bar->insertPermanentWidget(0, m_pEncodingPane);
    UpdateEncodingMenu();
    m_aStatusPanes[ID_INDICATOR_ROWCOL]->setMinimumWidth(kCaretPaneWidth);
    m_aStatusPanes[ID_INDICATOR_ROWCOL]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    UpdateCaretPane();
    UpdateLockIndicators();
    auto* lockTimer = new QTimer(this);
    connect(lockTimer, &QTimer::timeout, this, &CMainFrame::UpdateLockIndicators);
    lockTimer->start(300);
    return true;
}

bool CMainFrame::CreateOutlookBar()
{
    if (!m_wndOutlookBar.Create(kOutlookBarName, this, QRect(0, 0, 430, 32000), ID_OUTLOOK_BAR))
        return false;
    m_wndOutlookBar.setWindowTitle(kOutlookBarTitle);
    QToolBox* box = m_wndOutlookBar.GetUnderlyingWindow();
    if (!box)
        return false;

    CFormOptPane* panes[] = {&m_wndPaneAlignments, &m_wndPaneSelect,         &m_wndPaneCommas,   &m_wndPaneParenthesis,
                             &m_wndPaneCase,       &m_wndPaneCapitalisation, &m_wndPaneComments, &m_wndPanePlsql};
    const std::vector<CFormOptDlg*> pages = Pages();
    for (size_t i = 0; i < std::size(kPanelButtons); ++i)
    {
        const auto& button = kPanelButtons[i];
        pages[i]->m_pDoc = m_pDoc;
        panes[i]->Create(QRect(), box, pages[i], button.m_nTemplateId, button.m_nPaneId);
        m_wndOutlookBar.AddControl(panes[i], QString::fromUtf8(button.m_sCaption), button.m_nImage);
    }
    box->layout()->setContentsMargins(5, 5, 5, 5);
    m_wndOutlookBar.installEventFilter(this);
    // The buttons stack without gaps, as an outlook bar's do, leaving the
    // height to the open page.
    box->layout()->setSpacing(0);
    m_wndOutlookBar.EnableAnimation(StoredInt(Store(), kOutlookAnimation, 1) != 0);
    m_wndOutlookBar.SetButtonsFont(QApplication::font());
    return true;
}

std::vector<CFormOptDlg*> CMainFrame::Pages()
{
    return {&m_wndPageAlignments, &m_wndPageSelect,         &m_wndPageCommas,   &m_wndPageParenthesis,
            &m_wndPageCase,       &m_wndPageCapitalisation, &m_wndPageComments, &m_wndPagePlsql};
}

QAction* CMainFrame::Action(int command) const
{
    auto it = m_aActions.find(command);
    return it == m_aActions.end() ? nullptr : it->second;
}

QWidget* CMainFrame::StatusPane(int id) const
{
    if (id == 0)
        return statusBar();
    auto it = m_aStatusPanes.find(id);
    return it == m_aStatusPanes.end() ? nullptr : it->second;
}

CSQLView* CMainFrame::ActiveEditor() const
{
    return m_pView ? qobject_cast<CSQLView*>(m_pView->currentWidget()) : nullptr;
}

void CMainFrame::RouteToEditor(const std::function<void(CSQLView&)>& operation)
{
    if (CSQLView* editor = ActiveEditor())
        operation(*editor);
}

bool CMainFrame::OnCommand(int command)
{
    if (command >= ID_VIEW_APPLOOK_FIRST && command <= ID_VIEW_APPLOOK_LAST)
    {
        OnApplicationLook(command);
        return true;
    }
    static const std::map<int, std::function<void(CMainFrame&)>> kFrameHandlers = {
        {ID_FORMAT, &CMainFrame::OnFormat},
        {ID_CAPITALISE, &CMainFrame::OnCapitalise},
        {ID_LEFT_MARGIN_DOWN, &CMainFrame::OnLeftMarginDown},
        {ID_LEFT_MARGIN_BOX, &CMainFrame::OnLeftMarginBox},
        {ID_LEFT_MARGIN_UP, &CMainFrame::OnLeftMarginUp},
        {ID_HELP_FINDER, &CMainFrame::OnHelpFinder},
        {ID_APP_ABOUT, &CMainFrame::OnAppAbout},
        {ID_APP_EXIT, [](CMainFrame& frame) { frame.close(); }},
        {ID_FILE_NEW, [](CMainFrame& frame) {
             if (frame.m_pDoc && frame.m_pDoc->SaveModified())
                 frame.m_pDoc->OnNewDocument();
         }},
        {ID_FILE_OPEN, [](CMainFrame& frame) { frame.m_pDoc->OnFileOpen(); }},
        {ID_FILE_SAVE, [](CMainFrame& frame) { frame.m_pDoc->OnFileSave(); }},
        {ID_FILE_SAVE_AS, [](CMainFrame& frame) { frame.m_pDoc->OnFileSaveAs(); }},
        {ID_VIEW_STATUS_BAR, [](CMainFrame& frame) {
             frame.statusBar()->setVisible(frame.Action(ID_VIEW_STATUS_BAR)->isChecked());
         }},
        {ID_NEXT_PANE, [](CMainFrame& frame) { frame.MovePaneFocus(1); }},
        {ID_PREV_PANE, [](CMainFrame& frame) { frame.MovePaneFocus(-1); }},
    };
    static const std::map<int, std::function<void(CSQLView&)>> kEditorHandlers = {
        {ID_EDIT_UNDO, [](CSQLView& view) { view.undo(); }},
        {ID_EDIT_REDO, [](CSQLView& view) { view.redo(); }},
        {ID_EDIT_CUT, [](CSQLView& view) { view.cut(); }},
        {ID_EDIT_COPY, [](CSQLView& view) { view.copy(); }},
        {ID_EDIT_PASTE, [](CSQLView& view) { view.paste(); }},
        {ID_EDIT_SELECT_ALL, [](CSQLView& view) { view.selectAll(); }},
        {ID_EDIT_FIND, &CSQLView::OnEditFind},
        {ID_EDIT_REPLACE, &CSQLView::OnEditReplace},
        {ID_EDIT_GOTO, &CSQLView::OnEditGoTo},
        {ID_EDIT_FIND_NEXT, &CSQLView::OnEditFindNext},
        {ID_EDITOR_PREFERENCE, &CSQLView::OnEditorPreference},
    };
    if (auto frame = kFrameHandlers.find(command); frame != kFrameHandlers.end())
    {
        if (m_pDoc)
            frame->second(*this);
        return true;
    }
    if (auto editor = kEditorHandlers.find(command); editor != kEditorHandlers.end())
    {
        RouteToEditor(editor->second);
        return true;
    }
    return false;
}

void CMainFrame::WatchEditors()
{
    connect(m_pView, &QTabWidget::currentChanged, this, &CMainFrame::UpdateEditCommands);
    connect(m_pView, &QTabWidget::currentChanged, this, &CMainFrame::UpdateCaretPane);
    for (const QString& label : {AppStrings::kInputTab, AppStrings::kOutputTab})
        if (CSQLView* editor = m_pView->FindTabView(label))
        {
            connect(editor, &QsciScintilla::selectionChanged, this, &CMainFrame::UpdateEditCommands);
            connect(editor, &QsciScintilla::textChanged, this, &CMainFrame::UpdateEditCommands);
            connect(editor, &QsciScintilla::cursorPositionChanged, this, &CMainFrame::UpdateCaretPane);
            // Typing over a selection drops it without a selection signal; the
            // editor's update after every change of text, selection or caret
            // catches that.
            connect(editor, &QsciScintillaBase::SCN_UPDATEUI, this, &CMainFrame::UpdateEditCommands);
            connect(editor, &QsciScintillaBase::SCN_UPDATEUI, this, &CMainFrame::UpdateCaretPane);
            editor->viewport()->installEventFilter(this);
        }
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateEditCommands);
    UpdateEditCommands();
}

void CMainFrame::UpdateEditCommands()
{
    // A disabled command leaves its keys to the editor, which ignores them alike.
    const CSQLView* editor = ActiveEditor();
    const bool selection = editor && editor->HasSelection();
    const bool writable = editor && !editor->isReadOnly();
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    const std::pair<int, bool> states[] = {
        {ID_EDIT_UNDO, editor && editor->isUndoAvailable()},
        {ID_EDIT_REDO, editor && editor->isRedoAvailable()},
        {ID_EDIT_CUT, selection && writable},
        {ID_EDIT_COPY, selection},
        {ID_EDIT_PASTE, writable && clipboard && clipboard->hasText()},
    };
    for (const auto& [id, enabled] : states)
        if (QAction* action = Action(id))
            action->setEnabled(enabled);
}

void CMainFrame::UpdateCaretPane()
{
    int line = -1;
    int index = -1;
    if (const CSQLView* editor = ActiveEditor())
        editor->getCursorPosition(&line, &index);
    ShowCaretPosition(line + 1, index + 1);
}

void CMainFrame::OnFormat()
{
    if (!m_pDoc)
        return;
    m_pDoc->RunCommand(MODE_FORMAT);
    RefreshLeftMargin();
}

void CMainFrame::OnCapitalise()
{
    if (!m_pDoc)
        return;
    m_pDoc->RunCommand(MODE_CAPITALISE);
    RefreshLeftMargin();
}

void CMainFrame::OnLeftMarginBox()
{
    QLineEdit* edit = m_pMarginBox ? m_pMarginBox->GetEditBox() : nullptr;
    if (!edit || !m_pDoc)
        return;
    const int32_t value = TextToInt(edit->text());
    m_pDoc->SetLeftMargin(value >= 0 && value <= kMaxLeftMargin ? value : 0);
}

void CMainFrame::OnLeftMarginDown()
{
    m_pDoc->SetLeftMargin(std::max(m_pDoc->GetLeftMargin() - 1, 0));
}

void CMainFrame::OnLeftMarginUp()
{
    m_pDoc->SetLeftMargin(std::min(m_pDoc->GetLeftMargin() + 1, kMaxLeftMargin));
}

void CMainFrame::RefreshLeftMargin()
{
    if (m_pDoc)
        m_pDoc->RefreshLeftMargin();
}

void CMainFrame::ShowCaretPosition(int row, int column)
{
    QLabel* pane = m_aStatusPanes.count(ID_INDICATOR_ROWCOL) ? m_aStatusPanes[ID_INDICATOR_ROWCOL] : nullptr;
    if (!pane)
        return;
    // The editor reports the caret while it paints itself, so the pane is
    // redrawn on the next paint pass, never inside the editor's own.
    pane->setText(kCaretFormat.arg(row).arg(column));
    pane->update();
}

void CMainFrame::UpdateLockIndicators()
{
    const CLockState state = QueryLockState();
    const std::pair<int, bool> lights[] = {
        {ID_INDICATOR_CAPS, state.m_bCaps}, {ID_INDICATOR_NUM, state.m_bNum}, {ID_INDICATOR_SCRL, state.m_bScroll}};
    for (const auto& [id, on] : lights)
        m_aStatusPanes[id]->setEnabled(on);
}

void CMainFrame::OnHelpFinder()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == kHelpTitle)
        {
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            window->raise();
            window->activateWindow();
            return;
        }
    if (!m_pHelpWindow)
    {
        // A window of its own that belongs to the main window: it opens over
        // it, centred, and stays above it.
        m_pHelpWindow = new QTextBrowser(this);
        m_pHelpWindow->setWindowFlag(Qt::Window);
        m_pHelpWindow->setObjectName(QStringLiteral("HelpWindow"));
        m_pHelpWindow->setAttribute(Qt::WA_DeleteOnClose);
        m_pHelpWindow->setOpenExternalLinks(true);
        m_pHelpWindow->setWindowIcon(windowIcon());
        QRect place(QPoint(), kHelpWindowSize);
        place.moveCenter(frameGeometry().center());
        m_pHelpWindow->setGeometry(FramedInside(place, screen()->availableGeometry()));
    }
    const QString page = HelpPagePath();
    m_pHelpWindow->setSource(page.startsWith(u':') ? QUrl(QStringLiteral("qrc") + page) : QUrl::fromLocalFile(page));
    const QString title = m_pHelpWindow->documentTitle();
    m_pHelpWindow->setWindowTitle(title.isEmpty() ? kHelpTitle : title);
    m_pHelpWindow->show();
    m_pHelpWindow->raise();
}

QWidget* CMainFrame::HelpWindow() const
{
    return m_pHelpWindow;
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CMainFrame::OnApplicationLook(int styleId)
{
    const CVisualStyle& style = FindVisualStyle(styleId);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ApplyVisualStyle(style);
    setDockOptions(style.m_bSmartDocking ? QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks
                                         : QMainWindow::AllowTabbedDocks);
    if (CQuillmarkApp* app = CQuillmarkApp::Instance())
        app->m_nVisualStyle = static_cast<uint32_t>(style.m_nId);
    if (QAction* action = Action(style.m_nId))
        action->setChecked(true);
    RefreshIcons();
    update();
    QApplication::restoreOverrideCursor();
    WriteStored(Store(), kApplicationLook, QString::number(style.m_nId));
}

void CMainFrame::RefreshIcons()
{
    // The images are drawn for a light background: on another, each is made
    // readable against the colour of the bars and the panel.
    const QColor background = QApplication::palette().color(QPalette::Window);
    const QString imageFolder = QStringLiteral(":/images/toolbar/%1.png");
    for (const auto& command : kCommands)
        if (command.m_sImage)
            m_aActions.at(command.m_nId)->setIcon(
                ReadableIcon(QIcon(imageFolder.arg(QString::fromUtf8(command.m_sImage))), background));
    QImage strip = COutlookBar::Transparent(QImage(kPanelImages), kPanelTransparent);
    QPainter painter(&strip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int x = 0; x + kPanelImageWidth <= strip.width(); x += kPanelImageWidth)
        painter.drawImage(x, 0, ReadableOn(strip.copy(x, 0, kPanelImageWidth, strip.height()), background, kMarkContrast));
    painter.end();
    m_wndOutlookBar.SetImageList(QPixmap::fromImage(strip), kPanelImageWidth, kPanelTransparent);
}

void CMainFrame::MovePaneFocus(int step)
{
    std::vector<QWidget*> panes;
    if (CSQLView* editor = ActiveEditor())
        panes.push_back(editor);
    if (QToolBox* box = m_wndOutlookBar.GetUnderlyingWindow(); box && box->currentWidget())
        panes.push_back(box->currentWidget());
    if (m_pMarginBox && m_pMarginBox->GetEditBox())
        panes.push_back(m_pMarginBox->GetEditBox());
    if (panes.empty())
        return;
    size_t current = 0;
    for (size_t i = 0; i < panes.size(); ++i)
        if (panes[i] == QApplication::focusWidget() || panes[i]->isAncestorOf(QApplication::focusWidget()))
            current = i;
    const size_t next = (current + panes.size() + static_cast<size_t>(step)) % panes.size();
    QWidget* target = panes[next];
    target->setFocus(Qt::OtherFocusReason);
    if (!target->hasFocus())
        target->nextInFocusChain()->setFocus(Qt::TabFocusReason);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_bFitPending)
    {
        m_bFitPending = false;
        FitToScreen();
    }
}

QSize CMainFrame::PanelPageShortfall() const
{
    // Every page opens in the same place: the current one's scroll area shows
    // how much room each page gets.
    const QToolBox* box = m_wndOutlookBar.GetUnderlyingWindow();
    const QWidget* current = box ? box->currentWidget() : nullptr;
    const auto* area = current ? qobject_cast<const QScrollArea*>(current->parentWidget()->parentWidget()) : nullptr;
    if (!area)
        return QSize();
    QSize needed;
    for (int i = 0; i < box->count(); ++i)
        needed = needed.expandedTo(box->widget(i)->minimumSizeHint());
    return needed - area->maximumViewportSize();
}

void CMainFrame::FitToScreen()
{
    // Shown, the window has laid out its bars and the panel: what the pages
    // lack now is what the window and the panel must grow by.
    const QRect available = screen()->availableGeometry();
    const QSize room = available.marginsRemoved(kFrameAllowance).size();
    const QSize shortfall = PanelPageShortfall();
    // On a large screen the editors get three quarters of it.
    const int wantedHeight = std::max(height() + shortfall.height(), available.height() * 3 / 4);
    const int fittedHeight = std::min(wantedHeight, room.height());
    // A page that must scroll up and down gets the scroll bar beside it, not over it.
    const int scrollBar = fittedHeight < wantedHeight ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    const int panelWidth = m_wndOutlookBar.width() + std::max(0, shortfall.width()) + scrollBar;
    const int editorWidth = EditorColumnsWidth(*m_pView, kEditorColumns);
    const int wantedWidth = std::max(panelWidth + editorWidth + (width() - m_wndOutlookBar.width() - m_pView->width()),
                                     available.width() * 3 / 4);
    const QSize fitted(std::min(wantedWidth, room.width()), fittedHeight);
    resize(fitted);
    m_nPanelWidth = panelWidth;
    resizeDocks({&m_wndOutlookBar}, {panelWidth}, Qt::Horizontal);
    // The window manager frames the window only once it is shown: until then
    // it is placed inside a frame of the allowance's size, and once framed
    // (when it is first activated) its frame is kept on the screen.
    QRect place(QPoint(), fitted);
    place.moveCenter(available.center());
    move(FramedInside(place, available).topLeft());
    m_bFramePending = true;
}

void CMainFrame::KeepFrameOnScreen()
{
    // A frame taller or wider than the screen keeps its title bar and its
    // left edge on it.
    const QRect available = screen()->availableGeometry();
    const QRect frame = frameGeometry();
    const QPoint corner(std::max(available.left(), std::min(frame.left(), available.right() + 1 - frame.width())),
                        std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - frame.height())));
    if (corner != frame.topLeft())
        move(corner);
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_bFramePending && isActiveWindow())
    {
        m_bFramePending = false;
        KeepFrameOnScreen();
    }
    // Another style or font may make a page wider than the panel: once the
    // pages have taken it, the panel widens as far as they need (never less).
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        QTimer::singleShot(0, this, [this] {
            // The pages' layouts hear of their texts' new sizes only later.
            for (CFormOptDlg* page : Pages())
            {
                for (QLayout* layout : page->findChildren<QLayout*>())
                    layout->invalidate();
                page->updateGeometry();
            }
            const int shortfall = PanelPageShortfall().width();
            if (shortfall > 0 && !m_wndOutlookBar.isFloating())
            {
                m_nPanelWidth = m_wndOutlookBar.width() + shortfall;
                resizeDocks({&m_wndOutlookBar}, {m_nPanelWidth}, Qt::Horizontal);
            }
        });
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    // The bars have been laid out for the new size already. A panel that gave
    // way to the editors takes its width back first when the window grows.
    QMainWindow::resizeEvent(event);
    const int spare = m_pView->width() - m_pView->minimumWidth();
    if (!m_wndOutlookBar.isFloating() && m_wndOutlookBar.width() < m_nPanelWidth && spare > 0)
        resizeDocks({&m_wndOutlookBar}, {std::min(m_nPanelWidth, m_wndOutlookBar.width() + spare)}, Qt::Horizontal);
    m_nFrameWidth = width();
}

namespace
{
// The local files a drag carries, in its order; empty for anything else.
QStringList DroppedFiles(const QMimeData* pData)
{
    QStringList files;
    if (!pData || !pData->hasUrls())
        return files;
    for (const QUrl& url : pData->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}
} // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // The drag's source waits for the drop to end: the files open (and any
    // prompt shows) once it has.
    QTimer::singleShot(0, this, [this, files] { m_pDoc->OpenFiles(files); });
}

bool CMainFrame::FilterEditorDrop(QEvent* event)
{
    switch (event->type())
    {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (DroppedFiles(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop:
    {
        auto* drop = static_cast<QDropEvent*>(event);
        if (DroppedFiles(drop->mimeData()).isEmpty())
            return false;
        dropEvent(drop);
        return true;
    }
    default:
        return false;
    }
}

void CMainFrame::OnFilesHandedOver(const QStringList& files)
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    if (!files.isEmpty())
        m_pDoc->OpenFiles(files);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // A file dragged over an editor is the window's to open, not text for
    // the editor to insert.
    if (qobject_cast<QWidget*>(watched) && watched->parent() && qobject_cast<CSQLView*>(watched->parent())
        && FilterEditorDrop(event))
        return true;
    // The panel's width changing while the window's does not is the user's
    // (or a restored layout's) choice, and the width the panel keeps.
    if (watched == &m_wndOutlookBar && event->type() == QEvent::Resize && width() == m_nFrameWidth
        && !m_wndOutlookBar.isFloating())
        m_nPanelWidth = m_wndOutlookBar.width();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::ReadWindowState()
{
    CProfileStore* store = Store();
    const QByteArray geometry = QByteArray::fromBase64(StoredText(store, kWindowGeometry).toLatin1());
    // Without a stored geometry this is the first start: the window is fitted
    // to the screen and the pages when it is first shown.
    m_bFitPending = geometry.isEmpty() || !restoreGeometry(geometry);
    const QByteArray layout = QByteArray::fromBase64(StoredText(store, kWindowLayout).toLatin1());
    if (!layout.isEmpty())
        restoreState(layout, kWindowLayoutVersion);
    const bool statusShown = StoredInt(store, kStatusBarShown, 1) != 0;
    statusBar()->setVisible(statusShown);
    m_aActions[ID_VIEW_STATUS_BAR]->setChecked(statusShown);
    if (QToolBox* box = m_wndOutlookBar.GetUnderlyingWindow())
    {
        const int page = StoredInt(store, kOutlookPage, 0);
        if (page >= 0 && page < box->count())
            box->setCurrentIndex(page);
        for (int i = 0; i < box->count(); ++i)
        {
            const QByteArray name = QString::fromUtf8(kOutlookCaption).arg(i).toUtf8();
            const QString caption = StoredText(store, name.constData()).trimmed();
            if (!caption.isEmpty())
                box->setItemText(i, caption);
        }
    }
}

void CMainFrame::WriteWindowState()
{
    CProfileStore* store = Store();
    if (!store)
        return;
    WriteStored(store, kWindowGeometry, QString::fromLatin1(saveGeometry().toBase64()));
    WriteStored(store, kWindowLayout, QString::fromLatin1(saveState(kWindowLayoutVersion).toBase64()));
    WriteStored(store, kStatusBarShown, m_aActions[ID_VIEW_STATUS_BAR]->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    if (QToolBox* box = m_wndOutlookBar.GetUnderlyingWindow())
    {
        WriteStored(store, kOutlookPage, QString::number(box->currentIndex()));
        for (int i = 0; i < box->count() && i < static_cast<int>(std::size(kPanelButtons)); ++i)
        {
            const QByteArray name = QString::fromUtf8(kOutlookCaption).arg(i).toUtf8();
            const QString caption = box->itemText(i);
            // Only renamed buttons are kept (empty otherwise), so that the
            // program's own captions show for every other button.
            const bool renamed = caption != QString::fromUtf8(kPanelButtons[i].m_sCaption);
            if (renamed || !StoredText(store, name.constData()).isEmpty())
                WriteStored(store, name.constData(), renamed ? caption : QString());
        }
    }
    WriteStored(store, kOutlookAnimation, m_wndOutlookBar.IsAnimationEnabled() ? QStringLiteral("1") : QStringLiteral("0"));
}

void CMainFrame::CloseDiscarding()
{
    m_bDiscardOnClose = true;
    close();
    m_bDiscardOnClose = false;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_pDoc && !m_bDiscardOnClose && !m_pDoc->SaveModified())
    {
        event->ignore();
        return;
    }
    WriteWindowState();
    if (m_pHelpWindow)
        m_pHelpWindow->close();
    QMainWindow::closeEvent(event);
}

void CMainFrame::UpdateTitle()
{
    // The window shows "*" after the name while there is something unsaved.
    const QString title = m_pDoc ? m_pDoc->GetTitle() : AppStrings::kUntitled;
    setWindowTitle(title + QStringLiteral("[*] - ") + AppStrings::kAppTitle);
    setWindowModified(m_pDoc && m_pDoc->IsModified());
}
