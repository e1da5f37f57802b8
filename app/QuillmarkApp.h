// The application object: decides at start-up where the settings live, whether
// this is the first start of this version, whether to format the clipboard and
// end, and whether another instance already runs; then builds the document,
// the main window and the tab view.
#pragma once

#include <QApplication>
#include <QStringList>

#include <cstdint>
#include <memory>

class CIniProfileStore;
class CInstanceChannel;
class CMainFrame;
class CProfileStore;
class CQuillmarkDoc;
class CSingleInstanceLock;
class QSocketNotifier;

class CQuillmarkApp : public QApplication
{
    Q_OBJECT
public:
    // pStore: the settings store to use; null opens the user's own
    // (QUILLMARK_CONFIG, else the XDG configuration folder).
    CQuillmarkApp(int& argc, char** argv, CProfileStore* pStore = nullptr);
    ~CQuillmarkApp() override;

    static CQuillmarkApp* Instance();

    // Start-up: true to go on into the main loop, false to end.
    bool InitInstance();
    // Tears down the window and the document (saving the options) and writes
    // the settings store; the process's exit status.
    int ExitInstance();
    // InitInstance, the main loop while a window is open, ExitInstance.
    int Run();

    // True when this process must end at once: another instance runs (it is
    // handed the files to open, and comes to the front), or the command line
    // asked to close one ("Close"), which is then asked to end.
    bool CheckSingleInstance();
    // Ends the interactive window as a normal close would, but without asking
    // about unsaved text; the options are saved as on every exit.
    void OnCloseRequest();

    // The per-user data folder (created when missing); empty if there is none.
    static QString GetUserDataFolder();
    static void DeleteUserDataFile(const QString& name);

    // The settings store in use, or null.
    static CProfileStore* Profile();
    // Lets a test run the views against a store of its own.
    static void SetProfile(CProfileStore* pStore);

    CQuillmarkDoc* GetDocument() const { return m_pDoc.get(); }
    CMainFrame* GetMainFrame() const { return m_pFrame.get(); }

    bool m_bHighColorIcons = true;
    uint32_t m_nVisualStyle = 218;

private:
    void WatchTerminationRequests();
    // The running instance listens on a socket beside its lock for later
    // starts, which hand it their files.
    void ListenForOtherStarts();
    QString SocketPath() const;
    void FlushProfile();

    std::unique_ptr<CIniProfileStore> m_pOwnStore;
    std::unique_ptr<CSingleInstanceLock> m_pLock;
    std::unique_ptr<CQuillmarkDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
    QSocketNotifier* m_pTerminationNotifier = nullptr;
    CInstanceChannel* m_pChannel = nullptr;
    QStringList m_aFilesToOpen; // from the command line, absolute

};
