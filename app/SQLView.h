// The editor of each tab: a QScintilla control with SQL colouring in a
// fixed-pitch font, set up from the user's copies of the two configuration
// files, with its own context menu, find, replace, find next, go to line and
// preference dialog, and the caret position reported on every move.
#pragma once

#include "EditorSettings.h"

#include <Qsci/qsciscintilla.h>

class CSQLLexer;

// What Find, Replace and find next share between the two editors.
struct CFindReplaceData
{
    QString m_sFindWhat;
    QString m_sReplaceWith;
    bool m_bWholeWord = false;
    bool m_bMatchCase = false;

    static CFindReplaceData& Shared();
};

class CSQLView : public QsciScintilla
{
    Q_OBJECT
public:
    explicit CSQLView(QWidget* pParent = nullptr);
    ~CSQLView() override;

    // Copies any of the two configuration files that the data folder lacks from
    // the program's folder (or, failing that, from the copies built into the
    // program). Returns true when a copy was due, whether or not it succeeded.
    static bool CopyConfigFiles(const QString& dataFolder);
    // The settings every editor starts with: the user's configuration copies
    // and the margins of the settings store.
    static CEditorSettings LoadSettings();

    void ApplySettings(const CEditorSettings& settings);
    // Colours the editor for its palette, as its visual style gives it.
    void ApplyColours();
    const CEditorSettings& Settings() const { return m_Settings; }

    // Replaces the whole text as setText() does (the caret at the start, no
    // selection, an empty undo history), without recording the old and the
    // new text for an undo that is then dropped, and keeping any NUL
    // characters, which setText() would end the text at.
    void SetWholeText(QStringView text);
    // The same, but the view stays scrolled as it was (lines and columns) and
    // the caret stays on its line and column, as far as the new text reaches.
    void SetWholeTextInPlace(QStringView text);
    // The whole text, read in place; text() would end it at a NUL character.
    QString WholeText() const;

    // Whether text is selected now. The control's own hasSelectedText() goes
    // on saying yes after the selection has been typed over.
    bool HasSelection() const;

    // The commands of the context menu: undo, cut, copy, paste, delete and
    // select all, by command number. Returns false for any other command.
    bool OnCommand(int nCommand);

    // Find next (F3): the selection, or the word at the caret, becomes the
    // shared search text; searches upward while Shift is held.
    void OnEditFindNext();
    bool FindNext(bool bUpward);
    void OnEditFind();
    void OnEditReplace();
    void OnEditGoTo();
    void OnEditorPreference();

    // Replaces the selection if it matches the shared search text, then finds
    // the next match; returns whether a next match was found.
    bool ReplaceAndFindNext();
    // Searches with the shared settings, after the selection (or before it,
    // upward), wrapping at the end; selects and shows the match.
    bool FindFromSelection(const QString& text, bool bUpward);
    int ReplaceAll();

    // The context menu as it would be shown now (for the tests and the event).
    QMenu* CreateContextMenu();

signals:
    // Row and column of the caret, both counted from 1.
    void caretPositionChanged(int nRow, int nColumn);

protected:
    void changeEvent(QEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void OnCursorPositionChanged(int line, int index);
    void OnMarginClicked(int margin, int line, Qt::KeyboardModifiers state);
    void UpdateLineNumberWidth();

    CSQLLexer* m_pLexer;
    CEditorSettings m_Settings;
};
