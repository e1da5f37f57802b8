// What the desktop app's tests share: the application object that the test
// program runs in (see TestMain.cpp), its in-memory settings store, answers to
// message boxes and file dialogs, and file helpers.
#pragma once

#include "Prompts.h"
#include "ProfileStore.h"
#include "QtTestHome.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>
#include <vector>


// Records every message box and answers it with m_nAnswer, so that no modal
// box ever waits for a user. Restores the default handler (which fails the
// test) when it goes out of scope.
class CMessageBoxRecorder
{
public:
    CMessageBoxRecorder();
    ~CMessageBoxRecorder();

    std::vector<QString> m_aTexts;
    QMessageBox::StandardButton m_nAnswer = QMessageBox::Ok;
};

// Answers the Save As and Open dialogs with a fixed path (empty: cancel) and
// counts how often each was shown.
class CFileDialogAnswer
{
public:
    explicit CFileDialogAnswer(QString path);
    ~CFileDialogAnswer();

    QString m_sPath;
    int m_nSaveShown = 0;
    int m_nOpenShown = 0;
    QString m_sLastFilter;
    QString m_sLastFolder; // where the dialog started (Save: with the name proposed)
};

// Lets gtest print QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline QByteArray ReadFileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Runs the event loop until condition holds or timeoutMs passes.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition())
    {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
