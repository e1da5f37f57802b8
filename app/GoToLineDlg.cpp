#include "GoToLineDlg.h"

#include "AppStrings.h"
#include "SQLView.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

CGoToLineDlg::CGoToLineDlg(CSQLView* pView) : QDialog(pView), m_pView(pView)
{
    setWindowTitle(AppStrings::kGoToCaption);
    const int lineCount = qMax(pView->lines(), 1);
    int line = 0;
    int index = 0;
    pView->getCursorPosition(&line, &index);

    m_pLine = new QSpinBox(this);
    m_pLine->setRange(1, lineCount);
    m_pLine->setValue(line + 1);
    m_pLine->selectAll();

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* pLayout = new QFormLayout(this);
    pLayout->addRow(AppStrings::kGoToLabel.arg(lineCount), m_pLine);
    pLayout->addRow(pButtons);
}

void CGoToLineDlg::accept()
{
    const int line = m_pLine->value() - 1;
    m_pView->setCursorPosition(line, 0);
    m_pView->ensureLineVisible(line);
    m_pView->setFocus();
    QDialog::accept();
}
