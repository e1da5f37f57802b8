// The Find and Replace dialogs of the editors. Modeless, one at a time; their
// search text and settings are the shared ones that find next (F3) uses too.
#pragma once

#include <QDialog>
#include <QPointer>

#include <vector>

class CSQLView;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CFindReplaceDlg : public QDialog
{
    Q_OBJECT
public:
    // Shows the dialog for the view (re-using an open one), filled from the
    // shared data, or from the view's selection when it lies on one line.
    static CFindReplaceDlg* Show(CSQLView* pView, bool bReplace);
    static CFindReplaceDlg* Current();

    CFindReplaceDlg(CSQLView* pView, bool bReplace, QWidget* pParent = nullptr);

    bool OnFindNext();
    bool OnReplace();
    int OnReplaceAll();

    QLineEdit* m_pFindWhat;
    QLineEdit* m_pReplaceWith = nullptr;
    QCheckBox* m_pWholeWord;
    QCheckBox* m_pMatchCase;
    QRadioButton* m_pUp = nullptr;
    QPushButton* m_pFindNextButton;

private:
    void StoreSharedData();
    void ReportNotFound();
    void UpdateButtons();

    QPointer<CSQLView> m_pView;
    std::vector<QPushButton*> m_aActionButtons;
    bool m_bReplace;
};
