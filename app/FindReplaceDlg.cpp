#include "FindReplaceDlg.h"

#include "AppStrings.h"
#include "Prompts.h"
#include "SQLView.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
QPointer<CFindReplaceDlg>& OpenDialog()
{
    static QPointer<CFindReplaceDlg> pDialog;
    return pDialog;
}
} // namespace

CFindReplaceDlg* CFindReplaceDlg::Show(CSQLView* pView, bool bReplace)
{
    if (OpenDialog())
        OpenDialog()->close();
    auto* pDialog = new CFindReplaceDlg(pView, bReplace, pView->window());
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    OpenDialog() = pDialog;
    pDialog->show();
    pDialog->raise();
    pDialog->activateWindow();
    return pDialog;
}

CFindReplaceDlg* CFindReplaceDlg::Current()
{
    return OpenDialog();
}

CFindReplaceDlg::CFindReplaceDlg(CSQLView* pView, bool bReplace, QWidget* pParent)
    : QDialog(pParent), m_pView(pView), m_bReplace(bReplace)
{
    setWindowTitle(bReplace ? AppStrings::kReplaceCaption : AppStrings::kFindCaption);
    const CFindReplaceData& data = CFindReplaceData::Shared();

    auto* pForm = new QFormLayout;
    m_pFindWhat = new QLineEdit(this);
    QString initial = data.m_sFindWhat;
    const QString selection = pView->selectedText();
    if (!selection.isEmpty() && !selection.contains(QLatin1Char('\n')) && !selection.contains(QLatin1Char('\r')))
        initial = selection;
    m_pFindWhat->setText(initial);
    m_pFindWhat->selectAll();
    pForm->addRow(AppStrings::kFindWhat, m_pFindWhat);
    if (bReplace)
    {
        m_pReplaceWith = new QLineEdit(data.m_sReplaceWith, this);
        pForm->addRow(AppStrings::kReplaceWith, m_pReplaceWith);
    }

    m_pWholeWord = new QCheckBox(AppStrings::kMatchWholeWord, this);
    m_pWholeWord->setChecked(data.m_bWholeWord);
    m_pMatchCase = new QCheckBox(AppStrings::kMatchCase, this);
    m_pMatchCase->setChecked(data.m_bMatchCase);
    auto* pChecks = new QVBoxLayout;
    pChecks->addWidget(m_pWholeWord);
    pChecks->addWidget(m_pMatchCase);

    auto* pOptions = new QHBoxLayout;
    pOptions->addLayout(pChecks);
    if (!bReplace)
    {
        auto* pDirection = new QGroupBox(AppStrings::kDirection, this);
        m_pUp = new QRadioButton(AppStrings::kDirectionUp, pDirection);
        auto* pDown = new QRadioButton(AppStrings::kDirectionDown, pDirection);
        pDown->setChecked(true);
        auto* pDirLayout = new QHBoxLayout(pDirection);
        pDirLayout->addWidget(m_pUp);
        pDirLayout->addWidget(pDown);
        pOptions->addWidget(pDirection);
    }

    auto* pButtons = new QDialogButtonBox(Qt::Vertical, this);
    m_pFindNextButton = pButtons->addButton(AppStrings::kFindNextButton, QDialogButtonBox::ActionRole);
    m_pFindNextButton->setDefault(true);
    connect(m_pFindNextButton, &QPushButton::clicked, this, &CFindReplaceDlg::OnFindNext);
    m_aActionButtons.push_back(m_pFindNextButton);
    if (bReplace)
    {
        QPushButton* pReplace = pButtons->addButton(AppStrings::kReplaceButton, QDialogButtonBox::ActionRole);
        connect(pReplace, &QPushButton::clicked, this, &CFindReplaceDlg::OnReplace);
        QPushButton* pReplaceAll =
            pButtons->addButton(AppStrings::kReplaceAllButton, QDialogButtonBox::ActionRole);
        connect(pReplaceAll, &QPushButton::clicked, this, &CFindReplaceDlg::OnReplaceAll);
        m_aActionButtons.push_back(pReplace);
        m_aActionButtons.push_back(pReplaceAll);
    }
    pButtons->addButton(QDialogButtonBox::Cancel);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* pLeft = new QVBoxLayout;
    pLeft->addLayout(pForm);
    pLeft->addLayout(pOptions);
    pLeft->addStretch();
    auto* pMain = new QHBoxLayout(this);
    pMain->addLayout(pLeft);
    pMain->addWidget(pButtons);

    connect(m_pFindWhat, &QLineEdit::textChanged, this, &CFindReplaceDlg::UpdateButtons);
    UpdateButtons();
}

void CFindReplaceDlg::UpdateButtons()
{
    const bool bText = !m_pFindWhat->text().isEmpty();
    for (QPushButton* pButton : m_aActionButtons)
        pButton->setEnabled(bText);
}

void CFindReplaceDlg::StoreSharedData()
{
    CFindReplaceData& data = CFindReplaceData::Shared();
    data.m_sFindWhat = m_pFindWhat->text();
    if (m_pReplaceWith)
        data.m_sReplaceWith = m_pReplaceWith->text();
    data.m_bWholeWord = m_pWholeWord->isChecked();
    data.m_bMatchCase = m_pMatchCase->isChecked();
}

void CFindReplaceDlg::ReportNotFound()
{
    CPrompts::MessageBox(this, AppStrings::kNotFound.arg(m_pFindWhat->text()));
}

bool CFindReplaceDlg::OnFindNext()
{
    StoreSharedData();
    if (!m_pView || m_pFindWhat->text().isEmpty())
        return false;
    const bool bFound = m_pView->FindFromSelection(m_pFindWhat->text(), m_pUp && m_pUp->isChecked());
    if (!bFound)
        ReportNotFound();
    return bFound;
}

bool CFindReplaceDlg::OnReplace()
{
    StoreSharedData();
    if (!m_pView)
        return false;
    const bool bFound = m_pView->ReplaceAndFindNext();
    if (!bFound)
        ReportNotFound();
    return bFound;
}

int CFindReplaceDlg::OnReplaceAll()
{
    StoreSharedData();
    if (!m_pView)
        return 0;
    const int count = m_pView->ReplaceAll();
    if (count == 0)
        ReportNotFound();
    return count;
}
