#include "MainFrame.h"

#include "AppStrings.h"
#include "CommandIds.h"
#include "QuillmarkDoc.h"
#include "QuillmarkView.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>

CMainFrame::CMainFrame(CQuillmarkDoc* pDoc, QWidget* pParent)
    : QMainWindow(pParent), m_pDoc(pDoc), m_pView(new CQuillmarkView(pDoc, this))
{
    setCentralWidget(m_pView);
    if (m_pDoc)
    {
        m_pDoc->m_pDialogParent = this;
        connect(m_pDoc, &CQuillmarkDoc::titleChanged, this, &CMainFrame::UpdateTitle);
    }
    CreateActions();
    UpdateTitle();
    resize(900, 650);
}

CMainFrame::~CMainFrame()
{
    if (m_pDoc && m_pDoc->m_pDialogParent == this)
        m_pDoc->m_pDialogParent = nullptr;
}

void CMainFrame::CreateActions()
{
    auto addCommand = [this](QMenu* pMenu, const QString& text, int nCommand, const QKeySequence& keys,
                             auto handler) {
        QAction* pAction = pMenu->addAction(text, this, handler);
        pAction->setData(nCommand);
        if (!keys.isEmpty())
            pAction->setShortcut(keys);
        return pAction;
    };
    QMenu* pFile = menuBar()->addMenu(AppStrings::kMenuFile);
    addCommand(pFile, AppStrings::kMenuOpen, ID_FILE_OPEN, QKeySequence(Qt::CTRL | Qt::Key_O), [this] {
        if (m_pDoc)
            m_pDoc->OnFileOpen();
    });
    addCommand(pFile, AppStrings::kMenuSave, ID_FILE_SAVE, QKeySequence(Qt::CTRL | Qt::Key_S), [this] {
        if (m_pDoc)
            m_pDoc->OnFileSave();
    });
    pFile->addSeparator();
    addCommand(pFile, AppStrings::kMenuExit, ID_APP_EXIT, QKeySequence(), [this] { close(); });

    QMenu* pFormat = menuBar()->addMenu(AppStrings::kMenuFormatTitle);
    addCommand(pFormat, AppStrings::kMenuFormat, ID_FORMAT, QKeySequence(), [this] { OnFormat(); });
    addCommand(pFormat, AppStrings::kMenuCapitalise, ID_CAPITALISE, QKeySequence(), [this] { OnCapitalise(); });
}

void CMainFrame::OnFormat()
{
    if (m_pDoc && m_pDoc->m_pView)
        m_pDoc->m_pView->FormatInput();
}

void CMainFrame::OnCapitalise()
{
    if (m_pDoc && m_pDoc->m_pView)
        m_pDoc->m_pView->CapitaliseInput();
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    if (m_pDoc && !m_pDoc->SaveModified())
    {
        pEvent->ignore();
        return;
    }
    QMainWindow::closeEvent(pEvent);
}

void CMainFrame::UpdateTitle()
{
    const QString title = m_pDoc ? m_pDoc->GetTitle() : AppStrings::kUntitled;
    setWindowTitle(title + QStringLiteral(" - ") + AppStrings::kAppTitle);
}
