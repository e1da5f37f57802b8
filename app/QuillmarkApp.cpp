#include "QuillmarkApp.h"

#include "AppStrings.h"
#include "Clipboard.h"
#include "ClipboardMode.h"
#include "CommandLineInfo.h"
#include "IniProfileStore.h"
#include "InstanceChannel.h"
#include "MainFrame.h"
#include "Processes.h"
#include "QuillmarkDoc.h"
#include "SingleInstance.h"
#include "UserFolders.h"
#include "VersionCheck.h"

#include <QClipboard>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

// Resources built into a static library are registered by hand.
static void InitResources()
{
    Q_INIT_RESOURCE(config);
    Q_INIT_RESOURCE(quillmark);
}

namespace
{
CProfileStore* g_pProfile = nullptr;

// How long a close request waits for the running instance to save and end.
constexpr int kCloseWaitMs = 10000;
// How long a second start waits for the running instance to take its files.
constexpr int kHandOverWaitMs = 10000;
} // namespace

CQuillmarkApp::CQuillmarkApp(int& argc, char** argv, CProfileStore* pStore) : QApplication(argc, argv)
{
    InitResources();
    setApplicationName(AppStrings::kAppTitle);
    setApplicationVersion(QStringLiteral("1.1"));
    setQuitOnLastWindowClosed(true);
    if (!pStore)
    {
        m_pOwnStore = std::make_unique<CIniProfileStore>(ConfigFilePath(), CIniProfileStore::StandardErrorSink());
        pStore = m_pOwnStore.get();
    }
    g_pProfile = pStore;
}

CQuillmarkApp::~CQuillmarkApp()
{
    m_pFrame.reset();
    m_pDoc.reset();
    FlushProfile();
    g_pProfile = nullptr;
}

CQuillmarkApp* CQuillmarkApp::Instance()
{
    return qobject_cast<CQuillmarkApp*>(QCoreApplication::instance());
}

bool CQuillmarkApp::InitInstance()
{
    // Written at once, so that a second process started meanwhile (a close
    // request, a clipboard run) does not take itself for the first start.
    if (g_pProfile && RunVersionCheck(*g_pProfile))
        FlushProfile();

    CCustomCommandLineInfo commandLine;
    ParseCommandLine(arguments().mid(1), commandLine);
    if (commandLine.m_bClipboard)
    {
        // Clipboard mode works beside a running window: no instance rule.
        FormatClipboard(g_pProfile);
        return true;
    }
    // Catch a close request from the moment this process can be found as the
    // running instance; one that comes before the main loop waits in the pipe.
    OpenTerminationPipe();
    // Relative names are made absolute here, where they were given: the
    // running instance may work in another folder.
    for (QString& file : commandLine.m_aFiles)
        file = QFileInfo(file).absoluteFilePath();
    m_aFilesToOpen = commandLine.m_aFiles;
    if (CheckSingleInstance())
        return false;
    // Other starts connect as soon as the lock is seen held; they are served
    // from the main loop, once the window is there.
    ListenForOtherStarts();

    m_pDoc = std::make_unique<CQuillmarkDoc>(g_pProfile);
    m_pFrame = std::make_unique<CMainFrame>(m_pDoc.get());
    m_pDoc->OnNewDocument();
    WatchTerminationRequests();
    m_pFrame->show();
    if (!m_aFilesToOpen.isEmpty())
        m_pDoc->OpenFiles(m_aFilesToOpen);
    return true;
}

int CQuillmarkApp::ExitInstance()
{
    // Text the user copied from an editor stays on the clipboard after the
    // window has gone, as it would with a clipboard manager.
    if (m_pFrame && QGuiApplication::clipboard()->ownsClipboard())
    {
        if (const std::optional<QString> text = CClipboard::ReadText())
            CClipboard::WriteText(*text, true);
    }
    m_pFrame.reset();
    // Destroying the engine writes every option to the store.
    m_pDoc.reset();
    FlushProfile();
    if (m_pLock)
        m_pLock->Release();
    return 0;
}

int CQuillmarkApp::Run()
{
    if (InitInstance() && m_pFrame)
        exec();
    return ExitInstance();
}

bool CQuillmarkApp::CheckSingleInstance()
{
    CCommandLineInfo standard;
    ParseCommandLine(arguments().mid(1), standard);
    const bool bClose = standard.m_strFileName == AppStrings::kCloseArgument;

    m_pLock = std::make_unique<CSingleInstanceLock>(
        CSingleInstanceLock::DefaultPath(AppStrings::kInstanceName.toStdString()));
    switch (m_pLock->TryAcquire())
    {
    case CSingleInstanceLock::LOCK_HELD:
        if (bClose)
        {
            const pid_t pid = m_pLock->HolderPid();
            if (IsOtherInstanceOfThisProgram(pid) && RequestProcessEnd(pid))
                m_pLock->WaitUntilFree(kCloseWaitMs);
        }
        else if (!CInstanceChannel::HandOver(SocketPath(), m_aFilesToOpen, kHandOverWaitMs))
        {
            // An instance that does not answer (one still starting, or of an
            // older version) keeps its window; this start ends all the same.
            qWarning("quillmark: the running window did not answer; it keeps running as it was");
        }
        return true;
    case CSingleInstanceLock::LOCK_TAKEN:
        if (bClose)
            m_pLock->Release();
        return bClose;
    case CSingleInstanceLock::LOCK_FAILED:
        // Without a usable lock file the window still opens.
        return bClose;
    }
    return bClose;
}

QString CQuillmarkApp::SocketPath() const
{
    return m_pLock ? CInstanceChannel::SocketPathBesideLock(QString::fromStdString(m_pLock->Path())) : QString();
}

void CQuillmarkApp::ListenForOtherStarts()
{
    // Only the holder of the lock listens, and without a lock file there is
    // no agreed place to listen at.
    if (!m_pLock || !m_pLock->IsHeld() || m_pChannel)
        return;
    m_pChannel = new CInstanceChannel(this);
    if (!m_pChannel->Listen(SocketPath()))
    {
        qWarning("quillmark: cannot listen for other starts at %s: %s", qPrintable(SocketPath()),
                 qPrintable(m_pChannel->ErrorString()));
        return;
    }
    connect(m_pChannel, &CInstanceChannel::filesHandedOver, this, [this](const QStringList& files) {
        // Answered first, so that the other start ends; a prompt may follow.
        QTimer::singleShot(0, this, [this, files] {
            if (m_pFrame)
                m_pFrame->OnFilesHandedOver(files);
        });
    });
}

void CQuillmarkApp::OnCloseRequest()
{
    if (m_pFrame)
        m_pFrame->CloseDiscarding();
    else
        quit();
}

void CQuillmarkApp::WatchTerminationRequests()
{
    const int fd = OpenTerminationPipe();
    if (fd < 0 || m_pTerminationNotifier)
        return;
    m_pTerminationNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_pTerminationNotifier, &QSocketNotifier::activated, this, [this, fd] {
        if (ReadTerminationSignal(fd) != 0)
            OnCloseRequest();
    });
}

void CQuillmarkApp::FlushProfile()
{
    if (m_pOwnStore)
        m_pOwnStore->Flush();
}

QString CQuillmarkApp::GetUserDataFolder()
{
    return QString::fromStdString(UserDataFolder());
}

void CQuillmarkApp::DeleteUserDataFile(const QString& name)
{
    ::DeleteUserDataFile(name.toStdString());
}

CProfileStore* CQuillmarkApp::Profile()
{
    return g_pProfile;
}

void CQuillmarkApp::SetProfile(CProfileStore* pStore)
{
    g_pProfile = pStore;
}
