// The tab view: the "SQL Input" and "SQL Output" editors, and the Format and
// Capitalise operations that move text from the one through the engine into
// the other.
#pragma once

#include <QTabWidget>

#include <cstdint>

class CQuillmarkDoc;
class CSQLView;

class CQuillmarkView : public QTabWidget
{
    Q_OBJECT
public:
    // Creates the two editor tabs and attaches itself to the document.
    explicit CQuillmarkView(CQuillmarkDoc* pDoc, QWidget* pParent = nullptr);
    ~CQuillmarkView() override;

    CQuillmarkDoc* GetDocument() const { return m_pDoc; }

    // The editor of the tab with exactly that label, or null.
    CSQLView* FindTabView(const QString& label) const;
    // Its index, or -1.
    int FindTabIndex(const QString& label) const;
    // Sets text to the whole text of that tab's editor; leaves it unchanged
    // when there is no such tab.
    void GetTabText(const QString& label, QString& text) const;

    // Runs the engine on the input tab's text and shows the result in the
    // output tab; an empty input changes nothing.
    void FormatInput();
    void CapitaliseInput();

    // 0 after Format (and at start), 1 after Capitalise.
    int32_t m_nLastCommand = 0;

signals:
    // The caret of either editor moved (row and column from 1).
    void caretPositionChanged(int nRow, int nColumn);

private:
    void RunInput(int mode);

    CQuillmarkDoc* m_pDoc;
};
