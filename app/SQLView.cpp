#include "SQLView.h"

#include "AppStrings.h"
#include "CommandIds.h"
#include "Contrast.h"
#include "EditorPrefDlg.h"
#include "FindReplaceDlg.h"
#include "GoToLineDlg.h"
#include "QuillmarkApp.h"
#include "SQLLexer.h"

#include <algorithm>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QRegularExpression>

namespace
{
// Margins of the control: line numbers, then the selection margin.
constexpr int kLineNumberMargin = 0;
constexpr int kSelectionMargin = 1;
constexpr int kSelectionMarginWidth = 16;
// The caret's line is the paper tinted this far toward the text, a matched
// brace this far toward the selection, and line numbers are the margin's
// text faded this far toward the margin.
constexpr double kCaretLineTint = 0.06;
constexpr double kBraceTint = 0.3;
constexpr double kLineNumberFade = 0.35;

// Where a configuration file is copied from: beside the program, in the
// installed data folder, or else the copy built into the program.
QString ShippedConfigFile(const QString& name)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {programDir.filePath(name), programDir.filePath(QStringLiteral("../share/quillmark/") + name)})
    {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return QStringLiteral(":/config/") + name;
}
} // namespace

CFindReplaceData& CFindReplaceData::Shared()
{
    static CFindReplaceData data;
    return data;
}

CSQLView::CSQLView(QWidget* pParent) : QsciScintilla(pParent), m_pLexer(new CSQLLexer(this))
{
    const bool bCopied = CopyConfigFiles(CQuillmarkApp::GetUserDataFolder());
    CEditorSettings settings = LoadSettings();
    if (bCopied)
    {
        // A fresh configuration starts with line numbers and without the
        // selection margin, and says so for later runs.
        settings.m_bLineNumbers = true;
        settings.m_bSelMargin = false;
        settings.SaveMargins(CQuillmarkApp::Profile());
    }

    setUtf8(true);
    setEolMode(QsciScintilla::EolUnix);
    setLexer(m_pLexer);
    setCaretLineVisible(true);
    setBraceMatching(QsciScintilla::SloppyBraceMatch);
    setAutoIndent(true);
    setMarginType(kLineNumberMargin, QsciScintilla::NumberMargin);
    setMarginType(kSelectionMargin, QsciScintilla::SymbolMargin);
    setMarginSensitivity(kSelectionMargin, true);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    // The horizontal scroll bar follows the longest line rather than a fixed width.
    SendScintilla(SCI_SETSCROLLWIDTH, 1L);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1L);
    SendScintilla(SCI_SETMARGINLEFT, 0UL, 4L);
    ApplySettings(settings);

    connect(this, &QsciScintilla::cursorPositionChanged, this, &CSQLView::OnCursorPositionChanged);
    connect(this, &QsciScintilla::marginClicked, this, &CSQLView::OnMarginClicked);
    connect(this, &QsciScintilla::linesChanged, this, &CSQLView::UpdateLineNumberWidth);
}

CSQLView::~CSQLView() = default;

bool CSQLView::CopyConfigFiles(const QString& dataFolder)
{
    if (dataFolder.isEmpty())
        return false;
    bool bCopied = false;
    for (const QString& name : {AppStrings::kEditConfigFile, AppStrings::kSqlConfigFile})
    {
        const QString target = QDir(dataFolder).filePath(name);
        if (QFileInfo::exists(target))
            continue;
        bCopied = true;
        if (QFile::copy(ShippedConfigFile(name), target))
        {
            // A copy of a built-in resource is read-only; the user's copy is not.
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                              | QFile::ReadOther);
        }
    }
    return bCopied;
}

CEditorSettings CSQLView::LoadSettings()
{
    CEditorSettings settings;
    const QString folder = CQuillmarkApp::GetUserDataFolder();
    QString editIni = QDir(folder).filePath(AppStrings::kEditConfigFile);
    if (folder.isEmpty() || !QFileInfo(editIni).isFile())
        editIni = ShippedConfigFile(AppStrings::kEditConfigFile);
    settings.LoadConfig(editIni);
    settings.LoadMargins(CQuillmarkApp::Profile());
    return settings;
}

void CSQLView::ApplySettings(const CEditorSettings& settings)
{
    m_Settings = settings;
    m_pLexer->Apply(settings);
    // Setting the lexer again makes the control re-read its word lists.
    setLexer(m_pLexer);
    setTabWidth(settings.m_nTabWidth);
    setIndentationsUseTabs(false);
    QFont font(settings.m_sFontFamily, settings.m_nFontSize);
    font.setFixedPitch(true);
    setMarginsFont(font);
    setMarginWidth(kSelectionMargin, settings.m_bSelMargin ? kSelectionMarginWidth : 0);
    UpdateLineNumberWidth();
    ApplyColours();
}

void CSQLView::ApplyColours()
{
    // The paper, the caret, the selection and the margins are the visual
    // style's (the desktop's, by default); the text keeps the scheme's colours
    // for a paper that light or dark, made readable where they would not be.
    const QPalette& look = palette();
    const QColor paper = look.color(QPalette::Base);
    const QColor text = ReadableOn(look.color(QPalette::Text), paper, kTextContrast);
    const QColor caretLine = Mix(paper, text, kCaretLineTint);
    m_pLexer->ApplyColours(m_Settings, paper, caretLine);
    setCaretForegroundColor(text);
    setCaretLineBackgroundColor(caretLine);
    const QColor highlight = look.color(QPalette::Highlight);
    setSelectionBackgroundColor(highlight);
    setSelectionForegroundColor(ReadableOn(look.color(QPalette::HighlightedText), highlight, kTextContrast));
    setMatchedBraceBackgroundColor(Mix(paper, highlight, kBraceTint));
    setMatchedBraceForegroundColor(ReadableOn(text, Mix(paper, highlight, kBraceTint), kTextContrast));
    setUnmatchedBraceForegroundColor(ReadableOn(QColor(Qt::red), paper, kTextContrast));
    const QColor margin = look.color(QPalette::Window);
    setMarginsBackgroundColor(margin);
    setMarginsForegroundColor(ReadableOn(Mix(look.color(QPalette::WindowText), margin, kLineNumberFade), margin,
                                         kTextContrast));
    setFoldMarginColors(margin, margin);
}

void CSQLView::changeEvent(QEvent* pEvent)
{
    QsciScintilla::changeEvent(pEvent);
    if (pEvent->type() == QEvent::PaletteChange)
        ApplyColours();
}

void CSQLView::UpdateLineNumberWidth()
{
    if (!m_Settings.m_bLineNumbers)
    {
        setMarginWidth(kLineNumberMargin, 0);
        return;
    }
    const QString digits = QString::number(qMax(lines(), 1));
    setMarginWidth(kLineNumberMargin, QStringLiteral("0") + QString(digits.size(), QLatin1Char('9')));
}

void CSQLView::SetWholeText(QStringView text)
{
    const bool bReadOnly = isReadOnly();
    if (bReadOnly)
        setReadOnly(false);
    const QByteArray bytes = text.toUtf8();
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()), bytes.constData());
    // Also tells the control's selection flag that nothing is selected.
    SendScintilla(SCI_SETEMPTYSELECTION, 0UL);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    if (bReadOnly)
        setReadOnly(true);
}

void CSQLView::SetWholeTextInPlace(QStringView text)
{
    const auto firstVisible = SendScintilla(SCI_GETFIRSTVISIBLELINE);
    const auto xOffset = SendScintilla(SCI_GETXOFFSET);
    const auto caret = SendScintilla(SCI_GETCURRENTPOS);
    const auto column = SendScintilla(SCI_GETCOLUMN, static_cast<unsigned long>(caret));
    auto line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret));
    SetWholeText(text);
    // The same column of the same line, or the end of that line where it is
    // shorter now; the last line where the text is.
    line = std::min(line, SendScintilla(SCI_GETLINECOUNT) - 1);
    SendScintilla(SCI_GOTOPOS, SendScintilla(SCI_FINDCOLUMN, static_cast<unsigned long>(line), column));
    SendScintilla(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(firstVisible));
    SendScintilla(SCI_SETXOFFSET, static_cast<unsigned long>(xOffset));
}

QString CSQLView::WholeText() const
{
    const auto length = static_cast<qsizetype>(SendScintilla(SCI_GETLENGTH));
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return bytes ? QString::fromUtf8(bytes, length) : QString();
}

bool CSQLView::HasSelection() const
{
    return SendScintilla(SCI_GETSELECTIONEMPTY) == 0;
}

bool CSQLView::OnCommand(int nCommand)
{
    switch (nCommand)
    {
    case ID_EDIT_UNDO: undo(); return true;
    case ID_EDIT_REDO: redo(); return true;
    case ID_EDIT_CUT: cut(); return true;
    case ID_EDIT_COPY: copy(); return true;
    case ID_EDIT_PASTE: paste(); return true;
    case ID_EDIT_CLEAR: removeSelectedText(); return true;
    case ID_EDIT_SELECT_ALL: selectAll(true); return true;
    default: return false;
    }
}

QMenu* CSQLView::CreateContextMenu()
{
    auto* pMenu = new QMenu(this);
    auto add = [this, pMenu](const QString& label, int nCommand, bool bEnabled) {
        QAction* pAction = pMenu->addAction(label, this, [this, nCommand] { OnCommand(nCommand); });
        pAction->setData(nCommand);
        pAction->setEnabled(bEnabled);
    };
    const bool bSelection = HasSelection();
    add(AppStrings::kMenuUndo, ID_EDIT_UNDO, isUndoAvailable());
    pMenu->addSeparator();
    add(AppStrings::kMenuCut, ID_EDIT_CUT, bSelection && !isReadOnly());
    add(AppStrings::kMenuCopy, ID_EDIT_COPY, bSelection);
    add(AppStrings::kMenuPaste, ID_EDIT_PASTE, !isReadOnly());
    add(AppStrings::kMenuDelete, ID_EDIT_CLEAR, bSelection && !isReadOnly());
    pMenu->addSeparator();
    add(AppStrings::kMenuSelectAll, ID_EDIT_SELECT_ALL, true);
    return pMenu;
}

void CSQLView::contextMenuEvent(QContextMenuEvent* pEvent)
{
    QMenu* pMenu = CreateContextMenu();
    pMenu->exec(pEvent->globalPos());
    delete pMenu;
}

void CSQLView::keyPressEvent(QKeyEvent* pEvent)
{
    // The window binds these keys too; without a window (or before it binds
    // them) the editor answers them itself.
    const QKeyCombination key = pEvent->keyCombination();
    if (key == QKeyCombination(Qt::Key_F3) || key == QKeyCombination(Qt::ShiftModifier, Qt::Key_F3))
    {
        FindNext(key.keyboardModifiers() & Qt::ShiftModifier);
        return;
    }
    if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_F))
    {
        OnEditFind();
        return;
    }
    if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_H))
    {
        OnEditReplace();
        return;
    }
    if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_G))
    {
        OnEditGoTo();
        return;
    }
    QsciScintilla::keyPressEvent(pEvent);
}

void CSQLView::OnEditFindNext()
{
    FindNext(QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier);
}

bool CSQLView::FindNext(bool bUpward)
{
    CFindReplaceData& data = CFindReplaceData::Shared();
    QString text = selectedText();
    if (text.isEmpty())
    {
        // The word at the caret becomes the selection.
        const long pos = SendScintilla(SCI_GETCURRENTPOS);
        const long start = SendScintilla(SCI_WORDSTARTPOSITION, pos, 1L);
        const long end = SendScintilla(SCI_WORDENDPOSITION, pos, 1L);
        if (end > start)
        {
            SendScintilla(SCI_SETSEL, start, end);
            text = selectedText();
        }
    }
    const int lineEnd = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (lineEnd >= 0)
        text.truncate(lineEnd);
    text.replace(QLatin1Char('\t'), QStringLiteral("    "));
    if (text.isEmpty())
        text = QStringLiteral(" ");
    else
        data.m_sFindWhat = text;
    return FindFromSelection(text, bUpward);
}

bool CSQLView::FindFromSelection(const QString& text, bool bUpward)
{
    const CFindReplaceData& data = CFindReplaceData::Shared();
    int line = 0;
    int index = 0;
    int lineTo = 0;
    int indexTo = 0;
    getSelection(&line, &index, &lineTo, &indexTo);
    if (line < 0)
    {
        getCursorPosition(&line, &index);
        lineTo = line;
        indexTo = index;
    }
    // Upward the search starts before the selection, downward after it, so that
    // the match already selected is not found again.
    if (!bUpward)
    {
        line = lineTo;
        index = indexTo;
    }
    const bool bFound = findFirst(text, false, data.m_bMatchCase, data.m_bWholeWord, true,
                                  !bUpward, line, index, true, false, false);
    if (bFound)
        update();
    return bFound;
}

bool CSQLView::ReplaceAndFindNext()
{
    const CFindReplaceData& data = CFindReplaceData::Shared();
    if (data.m_sFindWhat.isEmpty())
        return false;
    const Qt::CaseSensitivity cs = data.m_bMatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (HasSelection() && selectedText().compare(data.m_sFindWhat, cs) == 0)
        replaceSelectedText(data.m_sReplaceWith);
    return FindFromSelection(data.m_sFindWhat, false);
}

int CSQLView::ReplaceAll()
{
    const CFindReplaceData& data = CFindReplaceData::Shared();
    if (data.m_sFindWhat.isEmpty())
        return 0;
    int count = 0;
    beginUndoAction();
    // No wrapping: every match from the top is replaced exactly once, also when
    // the replacement contains the search text.
    bool bFound = findFirst(data.m_sFindWhat, false, data.m_bMatchCase, data.m_bWholeWord, false,
                            true, 0, 0, false, false, false);
    while (bFound)
    {
        replace(data.m_sReplaceWith);
        ++count;
        bFound = findNext();
    }
    endUndoAction();
    return count;
}

void CSQLView::OnEditFind()
{
    CFindReplaceDlg::Show(this, false);
}

void CSQLView::OnEditReplace()
{
    CFindReplaceDlg::Show(this, true);
}

void CSQLView::OnEditGoTo()
{
    CGoToLineDlg dialog(this);
    dialog.exec();
}

void CSQLView::OnEditorPreference()
{
    CEditorPrefDlg dialog(m_Settings, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CEditorSettings settings = dialog.Settings();
    settings.SaveConfig();
    settings.SaveMargins(CQuillmarkApp::Profile());
    // Every editor of the window shows the new settings.
    for (QWidget* pWidget : QApplication::allWidgets())
        if (auto* pView = qobject_cast<CSQLView*>(pWidget))
            pView->ApplySettings(settings);
}

void CSQLView::OnCursorPositionChanged(int line, int index)
{
    emit caretPositionChanged(line + 1, index + 1);
}

void CSQLView::OnMarginClicked(int margin, int line, Qt::KeyboardModifiers)
{
    if (margin == kSelectionMargin)
        setSelection(line, 0, line + 1, 0);
}
