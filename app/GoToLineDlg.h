// Go to line (Ctrl+G): asks for a line number and moves the editor's caret there.
#pragma once

#include <QDialog>

class CSQLView;
class QSpinBox;

class CGoToLineDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CGoToLineDlg(CSQLView* pView);

    void accept() override;

    QSpinBox* m_pLine;

private:
    CSQLView* m_pView;
};
