#include "RecentFiles.h"

#include "ProfileStore.h"

#include <QDir>
#include <QFileInfo>

namespace
{
const char* const kSection = "Recent File List";
const char* const kFileValue = "File%1";
const char* const kLastFolderSection = "Workspace";
const char* const kLastFolderValue = "LastFolder";

std::string FileValueName(int index)
{
    return QString::fromLatin1(kFileValue).arg(index + 1).toStdString();
}
} // namespace

CRecentFiles::CRecentFiles(CProfileStore* pStore) : m_pStore(pStore)
{
    if (!m_pStore)
        return;
    for (int i = 0; i < kMaxFiles; ++i)
    {
        const std::optional<std::string> value = m_pStore->GetString(kSection, FileValueName(i));
        const QString path = value ? QString::fromStdString(*value) : QString();
        if (!path.isEmpty() && !m_aFiles.contains(path))
            m_aFiles.append(path);
    }
    if (const std::optional<std::string> folder = m_pStore->GetString(kLastFolderSection, kLastFolderValue))
        m_sLastFolder = QString::fromStdString(*folder);
}

void CRecentFiles::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QFileInfo file(path);
    const QString absolute = file.absoluteFilePath();
    m_aFiles.removeAll(absolute);
    m_aFiles.prepend(absolute);
    while (m_aFiles.size() > kMaxFiles)
        m_aFiles.removeLast();
    m_sLastFolder = file.absolutePath();
    Write();
}

void CRecentFiles::Remove(const QString& path)
{
    if (m_aFiles.removeAll(QFileInfo(path).absoluteFilePath()) > 0)
        Write();
}

void CRecentFiles::Clear()
{
    m_aFiles.clear();
    Write();
}

QString CRecentFiles::LastFolder() const
{
    if (!m_sLastFolder.isEmpty() && QFileInfo(m_sLastFolder).isDir())
        return m_sLastFolder;
    return QDir::homePath();
}

void CRecentFiles::Write() const
{
    if (!m_pStore)
        return;
    // The section is written whole, so that no entry of a longer list stays.
    m_pStore->DeleteSection(kSection);
    for (int i = 0; i < m_aFiles.size(); ++i)
        m_pStore->WriteString(kSection, FileValueName(i), m_aFiles[i].toStdString());
    m_pStore->WriteString(kLastFolderSection, kLastFolderValue, m_sLastFolder.toStdString());
}
