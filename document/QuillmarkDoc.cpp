#include "QuillmarkDoc.h"

#include "AppStrings.h"
#include "Lexicon.h"
#include "Prompts.h"
#include "SplitOnThreads.h"
#include "TextFileGuess.h"
#include "TextFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <thread>

namespace
{
std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(path.toStdString());
}

// The characters of text, read in place.
std::u16string_view ViewOf(const QString& text)
{
    return std::u16string_view(QStringView(text).utf16(), static_cast<size_t>(text.size()));
}
} // namespace

CQuillmarkDoc::CQuillmarkDoc(CProfileStore* pStore, QObject* pParent)
    : QObject(pParent), m_Options(pStore)
{
}

CQuillmarkDoc::~CQuillmarkDoc() = default;

bool CQuillmarkDoc::RunCommand(int mode)
{
    if (!m_pView)
        return false;
    const QString input = m_pView->GetInputText();
    if (input.isEmpty())
        return false;
    m_nLastCommand = mode;
    m_sLastInput.assign(ViewOf(input));
    m_aLastPieces = SplitScriptOnThreads(m_sLastInput, FormatThreads());
    RunEngine();
    m_pView->SetOutputText(m_sOutput);
    m_pView->ShowTab(true);
    return true;
}

void CQuillmarkDoc::RerunLastCommand()
{
    if (!m_pView || m_sLastInput.empty())
        return;
    RunEngine();
    if (!m_sOutput.empty())
        m_pView->ReplaceOutputText(m_sOutput);
}

unsigned CQuillmarkDoc::FormatThreads()
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxFormatThreads);
}

void CQuillmarkDoc::RunEngine()
{
    // The units of a long text are formatted on every core while the window
    // waits: an option change on megabytes of SQL shows its result at once.
    CTokenList tokens;
    const CFormatResult result = FormatInto(StandardLexicon(), m_sLastInput, m_aLastPieces, m_Options,
                                            m_nLastCommand, {}, tokens, m_sOutput, FormatThreads());
    // The margin the engine detects is the output's, not the user's: the
    // stored one stays as it was.
    m_nDetectedMargin.reset();
    if (m_Options.m_General.m_bAutoDetectLeftMargin)
        m_nDetectedMargin = result.m_nLeftMargin;
    emit leftMarginChanged(GetLeftMargin());
}

int32_t CQuillmarkDoc::GetLeftMargin() const
{
    return m_nDetectedMargin.value_or(m_Options.m_General.m_nLeftMargin);
}

void CQuillmarkDoc::RefreshLeftMargin()
{
    emit leftMarginChanged(GetLeftMargin());
    if (!m_pView)
        return;
    // Only the units of a script are re-indented; its command lines and
    // terminator lines stay as they are.
    const QString current = m_pView->GetOutputText();
    const std::u16string output = ReapplyLeftMargin(ViewOf(current), m_Options, GetLeftMargin());
    if (!output.empty() && ViewOf(current) != output)
        m_pView->ReplaceOutputText(output);
}

void CQuillmarkDoc::SetLeftMargin(int32_t margin)
{
    m_Options.m_General.m_nLeftMargin = margin;
    m_nDetectedMargin.reset();
    RefreshLeftMargin();
}

bool CQuillmarkDoc::Serialize(const QString& path)
{
    // Lines are joined with the editor's own line break.
    CGuessedText file;
    if (!ReadTextFileGuessing(ToPath(path), u"\n", file))
    {
        // A failed read leaves the tabs as they were rather than emptying
        // the input the user may still need.
        CPrompts::MessageBox(m_pDialogParent,
                             AppStrings::kCannotOpenFile.arg(path, QString::fromStdString(file.m_sError)),
                             QMessageBox::Ok, QMessageBox::Warning);
        return false;
    }
    const bool bOwnSet = file.m_nEncoding != ENC_ANSI || file.m_nCodePage == kCodePageLocale;
    ShowReadFile(path, file, bOwnSet ? QString() : AppStrings::kOpenedAs);
    SetModifiedFlag(true);
    return true;
}

void CQuillmarkDoc::ShowReadFile(const QString& path, const CGuessedText& file, const QString& note)
{
    SetSaveEncoding(CSaveEncoding::Of(file.m_nEncoding, file.m_nCodePage));
    QStringList notes;
    if (!file.m_bLossless)
        CPrompts::MessageBox(m_pDialogParent, AppStrings::kReadWithLoss.arg(path, m_SaveEncoding.Name()),
                             QMessageBox::Ok, QMessageBox::Warning);
    else if (!note.isEmpty())
        notes << note.arg(m_SaveEncoding.Name());
    // A NUL is kept, but is rarely meant: a file of another kind, or UTF-16
    // without a mark, shows itself this way.
    if (file.m_nFirstNul != std::string_view::npos)
        notes << AppStrings::kNulKept.arg(file.m_nFirstNul);
    if (!notes.isEmpty())
        emit statusMessage(notes.join(QStringLiteral("; ")));
    if (!m_pView)
        return;
    m_pView->SetInputText(file.m_sText);
    RunCommand(MODE_FORMAT);
}

bool CQuillmarkDoc::ReopenInCodePage(unsigned nCodePage)
{
    if (m_sPathName.isEmpty() || !SaveModified())
        return false;
    CGuessedText file;
    if (!ReadTextFileIn(ToPath(m_sPathName), nCodePage, u"\n", file))
    {
        CPrompts::MessageBox(m_pDialogParent,
                             AppStrings::kCannotOpenFile.arg(m_sPathName, QString::fromStdString(file.m_sError)),
                             QMessageBox::Ok, QMessageBox::Warning);
        return false;
    }
    ShowReadFile(m_sPathName, file, AppStrings::kReopenedAs);
    SetModifiedFlag(false);
    return true;
}

std::vector<CSaveEncoding> CQuillmarkDoc::ReopenChoices()
{
    std::vector<CSaveEncoding> choices = {{ENC_ANSI, kCodePageUtf8}, {ENC_ANSI, kCodePageWindows1252}};
    const CSaveEncoding locale = CSaveEncoding::Default();
    if (std::find(choices.begin(), choices.end(), locale) == choices.end())
        choices.push_back(locale);
    return choices;
}

void CQuillmarkDoc::SetSaveEncoding(const CSaveEncoding& encoding)
{
    m_SaveEncoding = encoding;
    emit encodingChanged();
}

bool CQuillmarkDoc::OnNewDocument()
{
    if (m_pView)
    {
        m_pView->SetInputText(QString());
        m_pView->SetOutputText(QString());
        m_pView->ShowTab(false);
    }
    SetPathName(QString());
    SetSaveEncoding(CSaveEncoding::Default());
    SetModifiedFlag(false);
    return true;
}

bool CQuillmarkDoc::OnOpenDocument(const QString& path)
{
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly) || QFileInfo(path).isDir())
    {
        const QString reason = QFileInfo(path).isDir() ? AppStrings::kIsAFolder : probe.errorString();
        CPrompts::MessageBox(m_pDialogParent, AppStrings::kCannotOpenFile.arg(path, reason), QMessageBox::Ok,
                             QMessageBox::Warning);
        return false;
    }
    const bool bEmpty = probe.size() == 0;
    probe.close();
    // An empty file changes neither tab; only the path and title follow it.
    if (!bEmpty && !Serialize(path))
        return false;
    if (bEmpty)
        SetSaveEncoding(CSaveEncoding::Default());
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CQuillmarkDoc::OnSaveDocument(const QString& path)
{
    return WriteFile(path, m_pView ? m_pView->GetOutputText() : QString());
}

bool CQuillmarkDoc::WriteFile(const QString& path, const QString& text)
{
    // A text file ends with a line break; an empty one stays empty.
    std::u16string contents = text.toStdU16String();
    if (!contents.empty() && contents.back() != u'\n')
        contents += u'\n';
    if (!CanEncode(contents))
        return false;
    CTextFileWrite file(ToPath(path), m_SaveEncoding.m_nEncoding, m_SaveEncoding.m_nCodePage);
    const bool bWritten = file.Write(contents);
    const bool bClosed = file.Close();
    if (bWritten && bClosed)
        return true;
    CPrompts::MessageBox(m_pDialogParent,
                         AppStrings::kCannotSaveFile.arg(path, QString::fromStdString(file.GetError())),
                         QMessageBox::Ok, QMessageBox::Warning);
    return false;
}

bool CQuillmarkDoc::CanEncode(std::u16string_view text)
{
    // No character is ever written as a stand-in without the user's word:
    // offer UTF-8, which holds them all.
    CCodePage codePage(m_SaveEncoding.m_nCodePage);
    std::string bytes;
    const std::size_t replaced = AppendEncoded(text, m_SaveEncoding.m_nEncoding, &codePage, 0, bytes);
    if (replaced == 0)
        return true;
    const QMessageBox::StandardButton answer = CPrompts::MessageBox(
        m_pDialogParent, AppStrings::kCannotEncode.arg(m_SaveEncoding.Name()).arg(replaced),
        QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Warning, QMessageBox::Yes,
        {{QMessageBox::Yes, AppStrings::kSaveAsUtf8Button}});
    if (answer != QMessageBox::Yes)
        return false;
    SetSaveEncoding({ENC_ANSI, kCodePageUtf8});
    return true;
}

void CQuillmarkDoc::OnFileNew()
{
    if (SaveModified())
        OnNewDocument();
}

void CQuillmarkDoc::OnFileOpen()
{
    if (!SaveModified())
        return;
    const QString path = CPrompts::GetOpenFileName(
        m_pDialogParent, AppStrings::kOpenCaption, m_RecentFiles.LastFolder(),
        AppStrings::kFileFilter + QStringLiteral(";;") + AppStrings::kAllFilesFilter);
    if (!path.isEmpty())
        OnOpenDocument(path);
}

bool CQuillmarkDoc::OpenFiles(const QStringList& files)
{
    if (files.isEmpty() || !SaveModified())
        return false;
    int listed = 0;
    for (qsizetype i = files.size() - 1; i > 0; --i)
        if (QFileInfo(files[i]).isFile())
        {
            m_RecentFiles.Add(files[i]);
            ++listed;
        }
    if (listed > 0)
        emit recentFilesChanged();
    // What opening the first file says (its encoding) stays beside the note
    // on the others.
    QString note;
    const QMetaObject::Connection noting =
        connect(this, &CQuillmarkDoc::statusMessage, this, [&note](const QString& text) { note = text; });
    const bool bOpened = OnOpenDocument(files.constFirst());
    disconnect(noting);
    if (listed > 0)
    {
        const QString more = AppStrings::kMoreFilesInRecent.arg(listed);
        emit statusMessage(note.isEmpty() ? more : note + QStringLiteral("; ") + more);
    }
    return bOpened;
}

bool CQuillmarkDoc::OnOpenRecentFile(const QString& path)
{
    if (!SaveModified())
        return false;
    if (!QFileInfo::exists(path))
    {
        CPrompts::MessageBox(m_pDialogParent, AppStrings::kRecentFileGone.arg(path), QMessageBox::Ok,
                             QMessageBox::Warning);
        m_RecentFiles.Remove(path);
        emit recentFilesChanged();
        return false;
    }
    return OnOpenDocument(path);
}

bool CQuillmarkDoc::OnFileSave()
{
    return SaveText(m_pView ? m_pView->GetOutputText() : QString(), false);
}

bool CQuillmarkDoc::OnFileSaveAs()
{
    return SaveText(m_pView ? m_pView->GetOutputText() : QString(), true);
}

bool CQuillmarkDoc::SaveText(const QString& text, bool bAskName)
{
    QString path = m_sPathName;
    if (bAskName || path.isEmpty())
    {
        const QString suggestion =
            path.isEmpty() ? QDir(m_RecentFiles.LastFolder()).filePath(GetTitle() + AppStrings::kDefaultExtension)
                           : path;
        path = CPrompts::GetSaveFileName(m_pDialogParent, AppStrings::kSaveAsCaption, suggestion,
                                         AppStrings::kFileFilter + QStringLiteral(";;") + AppStrings::kAllFilesFilter);
    }
    if (path.isEmpty() || !WriteFile(path, text))
        return false;
    SetPathName(path);
    // What stays unsaved is input that the saved output does not show.
    SetModifiedFlag(HasUnsavedInput());
    return true;
}

bool CQuillmarkDoc::HasUnsavedInput() const
{
    if (!m_pView)
        return false;
    const QString input = m_pView->GetInputText();
    return !input.isEmpty() &&
           (ViewOf(input) != m_sLastInput || m_pView->GetOutputText().isEmpty());
}

bool CQuillmarkDoc::SaveModified()
{
    if (HasUnsavedInput())
    {
        // The default keeps what was typed as it stands, and is never an
        // empty file: the input holds text.
        const QMessageBox::StandardButton answer = CPrompts::MessageBox(
            m_pDialogParent, AppStrings::kUnsavedInputPrompt.arg(GetTitle()),
            QMessageBox::Save | QMessageBox::Apply | QMessageBox::Discard | QMessageBox::Cancel,
            QMessageBox::Question, QMessageBox::Save,
            {{QMessageBox::Save, AppStrings::kSaveInputButton}, {QMessageBox::Apply, AppStrings::kFormatAndSaveButton}});
        switch (answer)
        {
        case QMessageBox::Save:
            return SaveText(m_pView->GetInputText(), false);
        case QMessageBox::Apply:
            RunCommand(MODE_FORMAT);
            return OnFileSave();
        case QMessageBox::Discard:
        case QMessageBox::No:
            return true;
        default:
            return false;
        }
    }
    // An empty output would be an empty file: there is nothing to keep.
    if (!m_bModified || !m_pView || m_pView->GetOutputText().isEmpty())
        return true;
    const QMessageBox::StandardButton answer =
        CPrompts::MessageBox(m_pDialogParent, AppStrings::kSaveChangesPrompt.arg(GetTitle()),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question,
                             QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes)
        return OnFileSave();
    return true;
}

void CQuillmarkDoc::SetModifiedFlag(bool bModified)
{
    if (m_bModified == bModified)
        return;
    m_bModified = bModified;
    emit modifiedChanged(bModified);
}

QString CQuillmarkDoc::GetTitle() const
{
    return m_sPathName.isEmpty() ? AppStrings::kUntitled : QFileInfo(m_sPathName).fileName();
}

void CQuillmarkDoc::SetPathName(const QString& path)
{
    const QString oldTitle = GetTitle();
    m_sPathName = path;
    if (!path.isEmpty())
    {
        m_RecentFiles.Add(path);
        emit recentFilesChanged();
    }
    if (GetTitle() != oldTitle)
        emit titleChanged(GetTitle());
}
