// Files that reach the window from outside: dropped on it or on an editor,
// handed over by another start, and picked from File > Recent Files.
#include "PanelTest.h"

#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

namespace
{
class FilesFromOutside : public MainFrameTest
{
protected:
    QString MakeFile(const QString& name, const QByteArray& text)
    {
        const QString path = m_Dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        return path;
    }
    // Drags data over target and drops it there, as a user's mouse would.
    static bool Drop(QWidget* target, QMimeData* data)
    {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QApplication::processEvents();
        return drop.isAccepted();
    }
    static QMimeData* FileDrag(const QStringList& paths)
    {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data->setUrls(urls);
        data->setText(paths.join('\n')); // file managers offer the names as text too
        return data;
    }

    QTemporaryDir m_Dir;
};

TEST_F(FilesFromOutside, AFileDroppedOnAnEditorOrTheWindowOpens)
{
    const QString first = MakeFile("dropped.sql", "select a from t");
    const QString second = MakeFile("also.sql", "select b from t");
    for (QWidget* target : {Input().viewport(), Output().viewport(), static_cast<QWidget*>(m_pFrame.get())})
    {
        std::unique_ptr<QMimeData> data(FileDrag({first, second}));
        EXPECT_TRUE(Drop(target, data.get()));
        EXPECT_EQ(m_pDoc->GetPathName(), first);
        EXPECT_EQ(Input().text(), "select a from t") << "the name is not inserted as text";
        EXPECT_EQ(m_pDoc->RecentFiles().Files(), (QStringList{first, second}));
        m_pDoc->OnNewDocument();
    }
}

TEST_F(FilesFromOutside, TextDroppedOnAnEditorIsStillTheEditors)
{
    QMimeData data;
    data.setText("select dropped from dual");
    Drop(Input().viewport(), &data);
    EXPECT_TRUE(m_pDoc->GetPathName().isEmpty());
    EXPECT_TRUE(m_pDoc->RecentFiles().Files().isEmpty());
}

TEST_F(FilesFromOutside, AnotherStartRaisesTheWindowAndOpensItsFiles)
{
    const QString path = MakeFile("handed.sql", "select c from t");
    m_pFrame->showMinimized();
    m_pFrame->OnFilesHandedOver({});
    EXPECT_FALSE(m_pFrame->isMinimized());
    EXPECT_TRUE(m_pDoc->GetPathName().isEmpty());
    m_pFrame->OnFilesHandedOver({path});
    EXPECT_EQ(m_pDoc->GetPathName(), path);
    EXPECT_EQ(Input().text(), "select c from t");
}

TEST_F(FilesFromOutside, RecentFilesMenuListsNewestFirstAndOpens)
{
    const QString older = MakeFile("older.sql", "select 1 from dual");
    const QString newer = MakeFile("a&b.sql", "select 2 from dual");
    QMenu* menu = m_pFrame->RecentFilesMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->actions().first()->isEnabled()) << "an empty list shows a disabled entry";
    ASSERT_TRUE(m_pDoc->OnOpenDocument(older));
    ASSERT_TRUE(m_pDoc->OnOpenDocument(newer));
    const QList<QAction*> items = menu->actions();
    ASSERT_GE(items.size(), 2);
    EXPECT_EQ(items[0]->text(), "&1 a&&b.sql");
    EXPECT_EQ(items[0]->toolTip(), newer);
    EXPECT_EQ(items[1]->text(), "&2 older.sql");
    items[1]->trigger();
    EXPECT_EQ(m_pDoc->GetPathName(), older);
    EXPECT_EQ(menu->actions()[0]->toolTip(), older) << "opening moves it to the front";
}
} // namespace
