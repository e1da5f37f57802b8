// The document: owns the window's options (loaded from the settings store when
// it is made, saved to it when it goes), runs Format and
// Capitalise from the input tab into the output tab, re-runs the last command
// when an option changes, and connects file open and save to the two tabs: a
// file opens into "SQL Input" and is formatted at once; saving writes "SQL
// Output". It reaches the tabs only through CDocumentView.
#pragma once

#include "DocumentView.h"
#include "Format.h"
#include "Options.h"
#include "RecentFiles.h"
#include "SaveEncoding.h"
#include "TextFileGuess.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class CProfileStore;
class QWidget;

class CQuillmarkDoc : public QObject
{
    Q_OBJECT
public:
    explicit CQuillmarkDoc(CProfileStore* pStore, QObject* pParent = nullptr);
    ~CQuillmarkDoc() override;

    // Formats or capitalises (mode) the input tab's text into the output tab
    // and brings the output tab to the front; the command and its text are
    // kept for RerunLastCommand. An empty input changes nothing: false.
    bool RunCommand(int mode);
    // Runs the last command again, on the text of that run, with the options
    // as they are now, and shows a non-empty result in the output tab without
    // changing the tab in front. Every option change calls it.
    void RerunLastCommand();
    // Re-indents the output tab's own text (edits made there are kept) to the
    // left margin and removes its blank lines, without formatting again.
    void RefreshLeftMargin();
    // The left margin of the output: the one the last run detected when
    // auto-detection was on, otherwise (and once a margin is set) the
    // options' own.
    int32_t GetLeftMargin() const;
    // Stores the margin in the options and re-indents the output to it.
    void SetLeftMargin(int32_t margin);

    COptions& Options() { return m_Options; }
    const COptions& Options() const { return m_Options; }
    // The input text of the last Format or Capitalise, which an option change
    // runs again.
    const std::u16string& LastInput() const { return m_sLastInput; }
    // The threads a run gives the units of a long text: one per core, up to
    // kMaxFormatThreads.
    static unsigned FormatThreads();
    static constexpr unsigned kMaxFormatThreads = 8;

    // Loads a file into the input tab and formats it (the open pipeline calls
    // it for a file that is not empty). A file that cannot be read is
    // reported and changes nothing; the result says whether it was read.
    // Without a byte-order mark the file is read in the locale's set, else
    // as UTF-8, else as Windows-1252, and the status bar says which when it
    // is not the locale's; bytes replaced all the same are reported. The file
    // is saved back in the encoding it was read in.
    bool Serialize(const QString& path);
    // Reads the current file again with bytes without a mark taken in
    // nCodePage (after the usual offer to save), formats it, and saves in
    // that set from then on; the status bar says so. False when there is no
    // current file, the user cancels, or it cannot be read.
    bool ReopenInCodePage(unsigned nCodePage);
    // The sets a file can be read again in: UTF-8, Windows-1252, and the
    // locale's when it is another.
    static std::vector<CSaveEncoding> ReopenChoices();
    // A new, empty document: both tabs emptied, no path.
    bool OnNewDocument();
    // The open pipeline: reports a file that cannot be read and changes
    // nothing then; loads a non-empty file; the path and title follow the file
    // and the document starts unmodified.
    bool OnOpenDocument(const QString& path);
    // Writes the output tab to path in the save encoding, ending with a line
    // break. Characters the encoding cannot hold are not replaced: the user
    // may save in UTF-8 instead, or not at all. The file is replaced only
    // once the whole text is written; a failure is reported and leaves the
    // old file as it was.
    bool OnSaveDocument(const QString& path);

    // What Save writes in: the encoding of the file last opened, the locale's
    // set for a new document, or what the user picked.
    const CSaveEncoding& GetSaveEncoding() const { return m_SaveEncoding; }
    void SetSaveEncoding(const CSaveEncoding& encoding);

    // Command 57600: offers to save a modified document, then empties both tabs.
    void OnFileNew();
    // Command 57601: offers to save a modified document, then asks for a file.
    void OnFileOpen();
    // Opens files named outside the Open dialog (the command line, another
    // start of the program, a drop on the window): offers to save a modified
    // document, opens the first file as Open does, and puts the others on
    // the recent-files list (after the first; names that are no file are
    // left out), saying so in the status bar.
    // False when nothing was opened.
    bool OpenFiles(const QStringList& files);
    // File > Recent Files: offers to save a modified document, then opens
    // path; a file that no longer exists is reported and leaves the list.
    bool OnOpenRecentFile(const QString& path);
    CRecentFiles& RecentFiles() { return m_RecentFiles; }
    // Command 57604: writes the output tab to the current file (the one last
    // opened or saved), or asks for a name when there is none.
    bool OnFileSave();
    // Command 57605: asks for a name, then saves the output tab there.
    bool OnFileSaveAs();
    // Before the document is closed or replaced: when the input tab holds
    // text that the output does not show (never formatted, or edited since),
    // offers to save that text, to format it and save the output, or to let
    // it go; otherwise offers to save a modified output. False when the user
    // cancels or the save fails.
    bool SaveModified();
    // Whether the input tab holds text that the output tab does not show:
    // text not run through Format or Capitalise since it last changed, or
    // any text while the output is empty.
    bool HasUnsavedInput() const;

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool bModified = true);
    QString GetPathName() const { return m_sPathName; }
    // The file's name, or "Untitled".
    QString GetTitle() const;

    // The window used as parent of the document's dialogs.
    QWidget* m_pDialogParent = nullptr;

    CDocumentView* m_pView = nullptr;
    // MODE_FORMAT after Format (and at start), MODE_CAPITALISE after Capitalise.
    int32_t m_nLastCommand = MODE_FORMAT;

signals:
    void titleChanged(const QString& title);
    void modifiedChanged(bool bModified);
    // The output's left margin was set (also to the value it had).
    void leftMarginChanged(int32_t margin);
    void encodingChanged();
    void recentFilesChanged();
    // A note for the status bar.
    void statusMessage(const QString& text);

private:
    void SetPathName(const QString& path);
    // Writes text to the current file, or (bAskName, or without one) to a
    // file the user names; the path then follows.
    bool SaveText(const QString& text, bool bAskName);
    bool WriteFile(const QString& path, const QString& text);
    // Whether text can be written in the save encoding as it stands, or the
    // user switched to UTF-8 for it.
    bool CanEncode(std::u16string_view text);
    // Shows a file read from path in the input tab, formatted, and takes its
    // encoding for saving; note (with the encoding's name) goes to the status
    // bar, or a message says which bytes were lost.
    void ShowReadFile(const QString& path, const CGuessedText& file, const QString& note);
    // Runs the engine over the text of the last command in its mode, into
    // m_sOutput.
    void RunEngine();

    COptions m_Options;
    CRecentFiles m_RecentFiles{m_Options.Store()}; // after m_Options
    std::u16string m_sLastInput;
    // m_sLastInput cut into its script pieces, which no option changes.
    std::vector<CScriptPiece> m_aLastPieces;
    // The result of the last run. Its storage is kept for the next: memory
    // the system hands out afresh costs more to fill than the copy itself.
    std::u16string m_sOutput;
    std::optional<int32_t> m_nDetectedMargin;

    QString m_sPathName;
    bool m_bModified = false;
    CSaveEncoding m_SaveEncoding = CSaveEncoding::Default();
};
