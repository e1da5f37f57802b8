// What the document asks of the window that shows it: the texts of the "SQL
// Input" and "SQL Output" tabs, and which of the two is in front. The tab view
// is the one implementation; the document never sees an editor.
#pragma once

#include <QString>
#include <QStringView>

class CDocumentView
{
public:
    virtual ~CDocumentView() = default;

    virtual QString GetInputText() const = 0;
    virtual QString GetOutputText() const = 0;
    // Replace the whole text of the tab.
    virtual void SetInputText(QStringView text) = 0;
    virtual void SetOutputText(QStringView text) = 0;
    // Replace the output with the same result laid out anew (after an option
    // or the left margin changed): the tab stays scrolled where it was, with
    // the caret on the same line, so that the user sees the change in place.
    virtual void ReplaceOutputText(QStringView text) = 0;
    // Brings the output tab (or else the input tab) to the front.
    virtual void ShowTab(bool bOutput) = 0;
};
