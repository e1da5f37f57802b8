#include "Clipboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

#if QUILLMARK_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace
{
// Set in the keeper's environment; holds the descriptor on which it reports
// that it owns the clipboard.
const char* const kKeeperVariable = "QUILLMARK_CLIPBOARD_KEEPER";
constexpr int kKeeperStartTimeoutMs = 10000;
// The descriptor on which the keeper reports; fixed, so that the child need
// not format it after fork().
constexpr int kKeeperReadyFd = 3;

bool WriteAll(int fd, const char* pData, std::size_t size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(fd, pData, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        pData += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

QByteArray ReadAll(int fd)
{
    QByteArray data;
    char buffer[65536];
    for (;;)
    {
        const ssize_t count = ::read(fd, buffer, sizeof(buffer));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return data;
        data.append(buffer, count);
    }
}

bool IsX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Whether a clipboard manager owns the CLIPBOARD_MANAGER selection; Qt hands
// the clipboard to it when the application ends.
bool ClipboardManagerRuns()
{
#if QUILLMARK_HAVE_XCB
    auto* pX11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* pConnection = pX11 ? pX11->connection() : nullptr;
    if (!pConnection)
        return false;
    static const char kName[] = "CLIPBOARD_MANAGER";
    xcb_intern_atom_reply_t* pAtom = xcb_intern_atom_reply(
        pConnection, xcb_intern_atom(pConnection, 1, sizeof(kName) - 1, kName), nullptr);
    if (!pAtom)
        return false;
    const xcb_atom_t atom = pAtom->atom;
    std::free(pAtom);
    if (atom == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* pOwner =
        xcb_get_selection_owner_reply(pConnection, xcb_get_selection_owner(pConnection, atom), nullptr);
    if (!pOwner)
        return false;
    const bool bOwned = pOwner->owner != XCB_NONE;
    std::free(pOwner);
    return bOwned;
#else
    return false;
#endif
}

// Starts the keeper with the text on its standard input and waits until it
// reports that it owns the clipboard.
bool StartKeeper(const QString& text)
{
    int input[2];
    int ready[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(ready, O_CLOEXEC) != 0)
    {
        ::close(input[0]);
        ::close(input[1]);
        return false;
    }
    // Everything the child needs is made before fork(): between fork() and
    // exec() only async-signal-safe calls are allowed in a threaded process.
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    const std::string readyVariable = std::string(kKeeperVariable) + "=" + std::to_string(kKeeperReadyFd);
    std::vector<char*> environment;
    for (char** pEntry = environ; *pEntry; ++pEntry)
        if (std::strncmp(*pEntry, kKeeperVariable, std::strlen(kKeeperVariable)) != 0)
            environment.push_back(*pEntry);
    environment.push_back(const_cast<char*>(readyVariable.c_str()));
    environment.push_back(nullptr);
    char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};

    const pid_t pid = ::fork();
    if (pid == 0)
    {
        // The keeper: its own session, so that closing the terminal or a
        // Ctrl+C meant for the caller does not take the text away.
        ::setsid();
        ::dup2(input[0], STDIN_FILENO);
        if (ready[1] == kKeeperReadyFd)
            ::fcntl(kKeeperReadyFd, F_SETFD, 0);
        else
            ::dup2(ready[1], kKeeperReadyFd);
        ::execve(program.c_str(), arguments, environment.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(ready[1]);
    if (pid < 0)
    {
        ::close(input[1]);
        ::close(ready[0]);
        return false;
    }
    const QByteArray utf8 = text.toUtf8();
    // A keeper that dies early must not end this process by SIGPIPE.
    struct sigaction ignore{};
    struct sigaction previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    const bool bSent = WriteAll(input[1], utf8.constData(), static_cast<std::size_t>(utf8.size()));
    ::close(input[1]);
    ::sigaction(SIGPIPE, &previous, nullptr);

    char answer = 0;
    pollfd poller{ready[0], POLLIN, 0};
    bool bOwned = false;
    if (bSent && ::poll(&poller, 1, kKeeperStartTimeoutMs) > 0)
        bOwned = ::read(ready[0], &answer, 1) == 1 && answer == '1';
    ::close(ready[0]);
    // The keeper lives on by itself; only one that failed is waited for.
    if (!bOwned)
    {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    return bOwned;
}
} // namespace

std::optional<QString> CClipboard::ReadText()
{
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!pData || !pData->hasText())
        return std::nullopt;
    return pData->text();
}

bool CClipboard::WriteText(const QString& text, bool bOutliveProcess)
{
    if (bOutliveProcess && IsX11() && !ClipboardManagerRuns() && StartKeeper(text))
        return true;
    QClipboard* pClipboard = QGuiApplication::clipboard();
    pClipboard->setText(text, QClipboard::Clipboard);
    return !pClipboard->supportsSelection() || pClipboard->ownsClipboard() || !IsX11();
}

bool CClipboard::IsKeeperRequested()
{
    const char* pValue = std::getenv(kKeeperVariable);
    return pValue && *pValue;
}

int CClipboard::RunKeeper(int argc, char** argv)
{
    const int readyFd = std::atoi(std::getenv(kKeeperVariable));
    ::unsetenv(kKeeperVariable);
    ::fcntl(readyFd, F_SETFD, FD_CLOEXEC);
    const QByteArray utf8 = ReadAll(STDIN_FILENO);

    // Standard streams go nowhere: whoever waits for the caller's output
    // must not wait for the keeper too.
    const int nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nullFd >= 0)
    {
        ::dup2(nullFd, STDIN_FILENO);
        ::dup2(nullFd, STDOUT_FILENO);
        ::dup2(nullFd, STDERR_FILENO);
        ::close(nullFd);
    }

    QGuiApplication app(argc, argv);
    QClipboard* pClipboard = QGuiApplication::clipboard();
    pClipboard->setText(QString::fromUtf8(utf8), QClipboard::Clipboard);
    const bool bOwned = pClipboard->ownsClipboard();
    const char answer = bOwned ? '1' : '0';
    WriteAll(readyFd, &answer, 1);
    ::close(readyFd);
    if (!bOwned)
        return 1;
    // A clipboard manager that appeared meanwhile takes the text over when
    // the application ends.
    if (ClipboardManagerRuns())
        return 0;
    QObject::connect(pClipboard, &QClipboard::dataChanged, &app, [pClipboard] {
        if (!pClipboard->ownsClipboard())
            QCoreApplication::quit();
    });
    return app.exec();
}
