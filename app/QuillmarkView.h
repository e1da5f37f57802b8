// The tab view: the "SQL Input" and "SQL Output" editors, and the Format and
// Capitalise operations that move text from the one through the engine into
// the other.
#pragma once

#include "DocumentView.h"

#include <QTabWidget>

class CQuillmarkDoc;
class CSQLView;

class CQuillmarkView : public QTabWidget, public CDocumentView
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
    // Sets text to the whole text of that tab's editor (NUL characters
    // included); leaves it unchanged when there is no such tab.
    void GetTabText(const QString& label, QString& text) const;

    // The document's Format and Capitalise: the input tab's text through the
    // engine into the output tab; an empty input changes nothing.
    void FormatInput();
    void CapitaliseInput();

    QString GetInputText() const override;
    QString GetOutputText() const override;
    void SetInputText(QStringView text) override;
    void SetOutputText(QStringView text) override;
    void ReplaceOutputText(QStringView text) override;
    void ShowTab(bool bOutput) override;

private:
    void SetTabText(const QString& label, QStringView text);

    CQuillmarkDoc* m_pDoc;
};
