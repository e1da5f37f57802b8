// The files last opened or saved, newest first, at most ten, kept in the
// settings store (section "Recent File List", values File1 to File10) so that
// File > Recent Files shows them after a restart; and the folder the file
// dialogs start in.
#pragma once

#include <QString>
#include <QStringList>

class CProfileStore;

class CRecentFiles
{
public:
    static constexpr int kMaxFiles = 10;

    // Reads the list from the store; without one the list lives in memory.
    explicit CRecentFiles(CProfileStore* pStore);

    const QStringList& Files() const { return m_aFiles; }
    // Puts path (made absolute) first; an older entry for it goes, and so
    // does the oldest when there are more than kMaxFiles. The folder of path
    // becomes the last folder used.
    void Add(const QString& path);
    void Remove(const QString& path);
    void Clear();

    // The folder of the file last opened or saved, when it still exists;
    // else the home folder.
    QString LastFolder() const;

private:
    void Write() const;

    CProfileStore* m_pStore;
    QStringList m_aFiles;
    QString m_sLastFolder;
};
