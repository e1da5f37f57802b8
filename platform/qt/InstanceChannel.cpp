#include "InstanceChannel.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace
{
// The message: a version number, then the list of files. The answer is one
// byte.
constexpr quint32 kMessageVersion = 1;
constexpr char kAcknowledgement = 'K';
// A client that sends no whole message within this time is dropped.
constexpr int kClientTimeoutMs = 10000;
// Far more than any command line holds; a longer message is refused.
constexpr qint64 kMaxMessageBytes = 16 * 1024 * 1024;
constexpr int kConnectRetryMs = 50;
} // namespace

CInstanceChannel::CInstanceChannel(QObject* pParent) : QObject(pParent) {}

CInstanceChannel::~CInstanceChannel() = default;

QString CInstanceChannel::SocketPathBesideLock(const QString& lockPath)
{
    QString path = lockPath;
    if (path.endsWith(QLatin1String(".lock")))
        path.chop(5);
    return path + QStringLiteral(".socket");
}

bool CInstanceChannel::Listen(const QString& path)
{
    delete m_pServer;
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(path);
    if (!m_pServer->listen(path))
    {
        m_sError = m_pServer->errorString();
        delete m_pServer;
        m_pServer = nullptr;
        return false;
    }
    connect(m_pServer, &QLocalServer::newConnection, this, &CInstanceChannel::OnNewConnection);
    return true;
}

void CInstanceChannel::OnNewConnection()
{
    while (QLocalSocket* pSocket = m_pServer->nextPendingConnection())
    {
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        // A client that goes quiet is not waited for.
        QPointer<QLocalSocket> guard(pSocket);
        QTimer::singleShot(kClientTimeoutMs, pSocket, [guard] {
            if (guard)
                guard->abort();
        });
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] {
            if (pSocket->bytesAvailable() > kMaxMessageBytes)
            {
                pSocket->abort();
                return;
            }
            QDataStream in(pSocket);
            in.startTransaction();
            quint32 version = 0;
            QStringList files;
            in >> version >> files;
            if (!in.commitTransaction())
                return; // the rest has not arrived yet
            if (version != kMessageVersion)
            {
                pSocket->abort();
                return;
            }
            pSocket->write(&kAcknowledgement, 1);
            pSocket->flush();
            emit filesHandedOver(files);
        });
    }
}

bool CInstanceChannel::HandOver(const QString& path, const QStringList& files, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    const auto left = [&] { return std::max<qint64>(0, timeoutMs - timer.elapsed()); };
    // The running instance may have taken the lock but not be listening yet.
    QLocalSocket socket;
    for (;;)
    {
        socket.connectToServer(path);
        if (socket.waitForConnected(static_cast<int>(left())))
            break;
        if (left() < kConnectRetryMs)
            return false;
        QThread::msleep(kConnectRetryMs);
    }
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << kMessageVersion << files;
    socket.write(message);
    if (!socket.waitForBytesWritten(static_cast<int>(left())))
        return false;
    while (socket.bytesAvailable() < 1)
    {
        if (left() == 0 || !socket.waitForReadyRead(static_cast<int>(left())))
            return false;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kAcknowledgement;
}
