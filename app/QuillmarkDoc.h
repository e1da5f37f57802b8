// The document: owns the window's formatting engine (whose construction loads
// the saved options and whose destruction saves them) and connects file open
// and save to the two tabs: a file opens into "SQL Input" and is formatted at
// once; saving writes "SQL Output".
#pragma once

#include "SQLParser.h"

#include <QObject>
#include <QString>

class CProfileStore;
class CQuillmarkView;
class QWidget;

class CQuillmarkDoc : public QObject
{
    Q_OBJECT
public:
    explicit CQuillmarkDoc(CProfileStore* pStore, QObject* pParent = nullptr);
    ~CQuillmarkDoc() override;

    // Loads a file into the input tab and formats it (the open pipeline calls
    // it for a file that is not empty). A file that cannot be read is
    // reported and changes nothing; the result says whether it was read.
    bool Serialize(const QString& path);
    // A new, empty document: both tabs emptied, no path.
    bool OnNewDocument();
    // The open pipeline: reports a file that cannot be read and changes
    // nothing then; loads a non-empty file; the path and title follow the file
    // and the document starts unmodified.
    bool OnOpenDocument(const QString& path);
    // Writes the output tab to path in the locale's encoding without a
    // byte-order mark. The file is replaced only once the whole text is
    // written; a failure is reported and leaves the old file as it was.
    bool OnSaveDocument(const QString& path);

    // Command 57600: offers to save a modified document, then empties both tabs.
    void OnFileNew();
    // Command 57601: offers to save a modified document, then asks for a file.
    void OnFileOpen();
    // Command 57604: always asks for a file name (Save As), then saves.
    bool OnFileSave();
    // Offers to save a modified document ("Save changes to %1?"); false when
    // the user cancels or the save fails.
    bool SaveModified();

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool bModified = true);
    QString GetPathName() const { return m_sPathName; }
    // The file's name, or "Untitled".
    QString GetTitle() const;

    // The window used as parent of the document's dialogs.
    QWidget* m_pDialogParent = nullptr;

    CQuillmarkView* m_pView = nullptr;
    CSQLParser m_Parser;

signals:
    void titleChanged(const QString& title);
    void modifiedChanged(bool bModified);

private:
    void SetPathName(const QString& path);

    QString m_sPathName;
    bool m_bModified = false;
};
