// The way a second start of the program reaches the running window: a local
// socket beside the single-instance lock, in the user's own runtime folder.
// The running instance listens; a later start connects, sends the files named
// on its command line (absolute paths, possibly none) and ends once the
// running one has acknowledged them. The running window then comes to the
// front and opens the files.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

class CInstanceChannel : public QObject
{
    Q_OBJECT
public:
    explicit CInstanceChannel(QObject* pParent = nullptr);
    ~CInstanceChannel() override;

    // Listens on path (a socket file left by an instance that ended is
    // removed first: the caller holds the lock, so no one else listens there).
    // Only the user can connect. False, with ErrorString() set, on failure.
    bool Listen(const QString& path);
    QString ErrorString() const { return m_sError; }

    // The socket's path beside a lock file: "<name>.lock" becomes "<name>.socket".
    static QString SocketPathBesideLock(const QString& lockPath);

    // Sends files to the instance listening on path and waits up to timeoutMs
    // for its acknowledgement (trying to connect again meanwhile, as the
    // running instance may not listen yet). True once it has them.
    static bool HandOver(const QString& path, const QStringList& files, int timeoutMs);

signals:
    // Another start asked for the window, with the files it was given.
    void filesHandedOver(const QStringList& files);

private:
    void OnNewConnection();

    QLocalServer* m_pServer = nullptr;
    QString m_sError;
};
