// One interactive instance: the lock, its release when the holder dies, the
// socket through which a later start hands over its files, and the real
// program started twice, with and without a close request or files.
#include "AppTest.h"

#include "InstanceChannel.h"
#include "Processes.h"
#include "SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
TEST(SingleInstanceLock, OneHolderAtATime)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("QUILLMARK.lock").toStdString();
    CSingleInstanceLock first(path);
    CSingleInstanceLock second(path);
    EXPECT_EQ(first.TryAcquire(), CSingleInstanceLock::LOCK_TAKEN);
    EXPECT_EQ(second.TryAcquire(), CSingleInstanceLock::LOCK_HELD);
    EXPECT_EQ(second.HolderPid(), ::getpid());
    EXPECT_FALSE(second.WaitUntilFree(50));
    first.Release();
    EXPECT_TRUE(second.WaitUntilFree(0));
    EXPECT_EQ(second.HolderPid(), 0);
    EXPECT_EQ(second.TryAcquire(), CSingleInstanceLock::LOCK_TAKEN);
}

TEST(SingleInstanceLock, ReleasedByTheKernelWhenTheHolderIsKilled)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("QUILLMARK.lock").toStdString();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0)
    {
        CSingleInstanceLock lock(path);
        const char answer = lock.TryAcquire() == CSingleInstanceLock::LOCK_TAKEN ? '1' : '0';
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, '1');
    CSingleInstanceLock lock(path);
    EXPECT_EQ(lock.TryAcquire(), CSingleInstanceLock::LOCK_HELD);
    EXPECT_EQ(lock.HolderPid(), child);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(lock.TryAcquire(), CSingleInstanceLock::LOCK_TAKEN);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(SingleInstanceLock, NotInheritedByStartedPrograms)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("QUILLMARK.lock").toStdString();
    CSingleInstanceLock lock(path);
    ASSERT_EQ(lock.TryAcquire(), CSingleInstanceLock::LOCK_TAKEN);
    QProcess sleeper;
    sleeper.start("sleep", {"30"});
    ASSERT_TRUE(sleeper.waitForStarted());
    lock.Release();
    CSingleInstanceLock next(path);
    EXPECT_EQ(next.TryAcquire(), CSingleInstanceLock::LOCK_TAKEN);
    sleeper.kill();
    sleeper.waitForFinished();
}

TEST(SingleInstanceLock, AFolderThatCannotHoldTheLockFails)
{
    QTemporaryDir dir;
    CSingleInstanceLock lock(dir.filePath("missing/QUILLMARK.lock").toStdString());
    EXPECT_EQ(lock.TryAcquire(), CSingleInstanceLock::LOCK_FAILED);
    CSingleInstanceLock unnamed("");
    EXPECT_EQ(unnamed.TryAcquire(), CSingleInstanceLock::LOCK_FAILED);
}

struct CLockPathCase
{
    const char* m_pName;
    const char* m_pRuntime; // null: unset; "file": a file, not a folder
    bool m_bInRuntime;
};

void PrintTo(const CLockPathCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class LockPath : public testing::TestWithParam<CLockPathCase>
{
};

TEST_P(LockPath, PrefersTheRuntimeFolder)
{
    const CLockPathCase& c = GetParam();
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    QString runtime;
    if (!c.m_pRuntime)
        qunsetenv("XDG_RUNTIME_DIR");
    else
    {
        runtime = dir.filePath(c.m_pRuntime);
        if (QString(c.m_pRuntime) == "file")
            WriteFileBytes(runtime, "x");
        else
            QDir().mkpath(runtime);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }
    const QString path = QString::fromStdString(CSingleInstanceLock::DefaultPath("QUILLMARK"));
    qputenv("XDG_RUNTIME_DIR", saved);
    if (c.m_bInRuntime)
        EXPECT_EQ(path, runtime + "/QUILLMARK.lock");
    else
        EXPECT_EQ(path, qEnvironmentVariable("XDG_DATA_HOME") + "/Quillmark/QUILLMARK.lock");
}

const CLockPathCase kLockPathCases[] = {
    {"RuntimeFolder", "run", true},
    {"NoRuntimeFolder", nullptr, false},
    {"RuntimeIsAFile", "file", false},
};

INSTANTIATE_TEST_SUITE_P(App, LockPath, testing::ValuesIn(kLockPathCases),
                         [](const testing::TestParamInfo<CLockPathCase>& info) {
                             return std::string(info.param.m_pName);
                         });

TEST(InstanceChannel, HandsFilesToTheListenerOverAStaleSocketFile)
{
    QTemporaryDir dir;
    const QString path = CInstanceChannel::SocketPathBesideLock(dir.filePath("QUILLMARK.lock"));
    EXPECT_EQ(path, dir.filePath("QUILLMARK.socket"));
    EXPECT_FALSE(CInstanceChannel::HandOver(path, {}, 500)) << "no one listens yet";
    ASSERT_TRUE(WriteFileBytes(path, "left by an instance that ended"));

    CInstanceChannel channel;
    ASSERT_TRUE(channel.Listen(path)) << channel.ErrorString().toStdString();
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
              QFile::Permissions{}) << "only the user may connect";
    std::vector<QStringList> received;
    QObject::connect(&channel, &CInstanceChannel::filesHandedOver,
                     [&received](const QStringList& files) { received.push_back(files); });
    // The client blocks while it waits, so it runs beside the event loop.
    for (const QStringList& files : {QStringList{}, QStringList{"/tmp/a b.sql", QString::fromUtf8("/tmp/\xc3\xa9\nx.sql")}})
    {
        std::atomic<int> result = -1;
        std::thread client([&] { result = CInstanceChannel::HandOver(path, files, 10000) ? 1 : 0; });
        EXPECT_TRUE(WaitFor([&] { return result != -1; }, 15000));
        client.join();
        EXPECT_EQ(result, 1);
    }
    ASSERT_EQ(received.size(), 2u);
    EXPECT_TRUE(received[0].isEmpty()) << "a start without files only raises the window";
    EXPECT_EQ(received[1], (QStringList{"/tmp/a b.sql", QString::fromUtf8("/tmp/\xc3\xa9\nx.sql")}));
}

TEST(Processes, KnowTheirProgram)
{
    EXPECT_EQ(ProcessExecutableName(::getpid()), "app_tests");
    EXPECT_FALSE(IsOtherInstanceOfThisProgram(::getpid()));
    EXPECT_FALSE(IsOtherInstanceOfThisProgram(0));
    EXPECT_FALSE(RequestProcessEnd(::getpid()));
    EXPECT_FALSE(RequestProcessEnd(0));
    QProcess sleeper;
    sleeper.start("sleep", {"30"});
    ASSERT_TRUE(sleeper.waitForStarted());
    const pid_t pid = static_cast<pid_t>(sleeper.processId());
    EXPECT_EQ(ProcessExecutableName(pid), "sleep");
    EXPECT_FALSE(IsOtherInstanceOfThisProgram(pid));
    EXPECT_TRUE(RequestProcessEnd(pid));
    EXPECT_TRUE(sleeper.waitForFinished(5000));
}

TEST(Processes, TerminationSignalsArriveThroughThePipe)
{
    const int fd = OpenTerminationPipe();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(OpenTerminationPipe(), fd);
    EXPECT_EQ(ReadTerminationSignal(fd), 0);
    ::raise(SIGTERM);
    EXPECT_EQ(ReadTerminationSignal(fd), SIGTERM);
    ::raise(SIGHUP);
    EXPECT_EQ(ReadTerminationSignal(fd), SIGHUP);
    EXPECT_EQ(ReadTerminationSignal(fd), 0);
}

// The real program, each run with folders of its own.
class Instances : public testing::Test
{
protected:
    Instances()
    {
        for (const char* sub : {"run", "data", "config"})
            QDir().mkpath(m_Home.filePath(sub));
        QFile::setPermissions(m_Home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_Env = QProcessEnvironment::systemEnvironment();
        m_Env.insert("QT_QPA_PLATFORM", "offscreen");
        m_Env.insert("XDG_RUNTIME_DIR", m_Home.filePath("run"));
        m_Env.insert("XDG_DATA_HOME", m_Home.filePath("data"));
        m_Env.insert("XDG_CONFIG_HOME", m_Home.filePath("config"));
        m_Env.insert("QUILLMARK_CONFIG", ConfigFile());
        m_Env.insert("HOME", m_Home.path());
    }
    ~Instances() override
    {
        for (QProcess* pProcess : m_aProcesses)
        {
            if (pProcess->state() != QProcess::NotRunning)
            {
                pProcess->kill();
                pProcess->waitForFinished();
            }
            delete pProcess;
        }
    }

    QString ConfigFile() const { return m_Home.filePath("config/Quillmark.ini"); }

    QProcess* Start(const QStringList& arguments, const QString& folder = QString())
    {
        auto* pProcess = new QProcess;
        m_aProcesses.push_back(pProcess);
        pProcess->setProcessEnvironment(m_Env);
        pProcess->setWorkingDirectory(folder);
        pProcess->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        pProcess->start(QUILLMARK_APP_PATH, arguments);
        return pProcess;
    }

    // Starts the interactive window and waits until it holds the lock.
    QProcess* StartWindow()
    {
        QProcess* pProcess = Start({});
        const std::string lockPath = m_Home.filePath("run/QUILLMARK.lock").toStdString();
        const bool bUp = WaitFor(
            [&] {
                return CSingleInstanceLock(lockPath).HolderPid() == static_cast<pid_t>(pProcess->processId());
            },
            20000);
        EXPECT_TRUE(bUp) << "the window did not start";
        return pProcess;
    }

    // Runs the program to its end; its exit status, or -1 if it did not end.
    int RunToEnd(const QStringList& arguments)
    {
        QProcess* pProcess = Start(arguments);
        if (!pProcess->waitForFinished(20000))
            return -1;
        return pProcess->exitStatus() == QProcess::NormalExit ? pProcess->exitCode() : -1;
    }

    QTemporaryDir m_Home;
    QProcessEnvironment m_Env;
    std::vector<QProcess*> m_aProcesses;
};

TEST_F(Instances, ASecondInstanceEndsAndTheFirstRunsOn)
{
    QProcess* pFirst = StartWindow();
    for (const QStringList& arguments : {QStringList{}, QStringList{"close"}, QStringList{"query.sql"}})
    {
        EXPECT_EQ(RunToEnd(arguments), 0) << arguments.join(' ').toStdString();
        EXPECT_EQ(pFirst->state(), QProcess::Running) << arguments.join(' ').toStdString();
    }
}

TEST_F(Instances, CloseEndsTheRunningInstanceWhichSavesItsOptions)
{
    QProcess* pFirst = StartWindow();
    EXPECT_FALSE(ReadFileBytes(ConfigFile()).contains("[Options\\CGeneral]"));
    EXPECT_EQ(RunToEnd({"Close"}), 0);
    ASSERT_TRUE(pFirst->waitForFinished(20000));
    EXPECT_EQ(pFirst->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pFirst->exitCode(), 0);
    const QByteArray config = ReadFileBytes(ConfigFile());
    EXPECT_TRUE(config.contains("[Options\\CGeneral]")) << config.toStdString();
    EXPECT_TRUE(config.contains("AppNameVer=Quillmark v 1.1"));
    // Ended, the lock is free for the next window.
    QProcess* pNext = StartWindow();
    EXPECT_EQ(pNext->state(), QProcess::Running);
}

TEST_F(Instances, SigtermEndsTheWindowGracefullyToo)
{
    QProcess* pFirst = StartWindow();
    pFirst->terminate();
    ASSERT_TRUE(pFirst->waitForFinished(20000));
    EXPECT_EQ(pFirst->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pFirst->exitCode(), 0);
    EXPECT_TRUE(ReadFileBytes(ConfigFile()).contains("[Options\\CGeneral]"));
}

TEST_F(Instances, ASecondStartHandsItsFilesToTheRunningWindow)
{
    const QString first = m_Home.filePath("first.sql");
    const QString second = m_Home.filePath("second.pkb");
    ASSERT_TRUE(WriteFileBytes(first, "select 1 from dual"));
    ASSERT_TRUE(WriteFileBytes(second, "select 2 from dual"));
    QProcess* pWindow = StartWindow();
    // Relative names are read in the folder of the start that names them.
    QProcess* pSecond = Start({"first.sql", second}, m_Home.path());
    ASSERT_TRUE(pSecond->waitForFinished(20000));
    EXPECT_EQ(pSecond->exitCode(), 0);
    EXPECT_EQ(pWindow->state(), QProcess::Running);
    EXPECT_EQ(RunToEnd({"Close"}), 0);
    ASSERT_TRUE(pWindow->waitForFinished(20000));
    // The window opened the first file and listed the second.
    const QByteArray config = ReadFileBytes(ConfigFile());
    EXPECT_TRUE(config.contains(("File1=" + first).toUtf8())) << config.toStdString();
    EXPECT_TRUE(config.contains(("File2=" + second).toUtf8())) << config.toStdString();
}

TEST_F(Instances, CloseWithoutARunningInstanceEndsAtOnce)
{
    EXPECT_EQ(RunToEnd({"Close"}), 0);
    EXPECT_EQ(RunToEnd({"-x", "Close"}), 0);
}
} // namespace
