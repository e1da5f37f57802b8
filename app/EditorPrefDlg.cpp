#include "EditorPrefDlg.h"

#include "AppStrings.h"
#include "Contrast.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace
{
QIcon Swatch(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}
} // namespace

CEditorPrefDlg::CEditorPrefDlg(const CEditorSettings& settings, QWidget* pParent)
    : QDialog(pParent), m_Settings(settings), m_bDarkPaper(IsDark(palette().color(QPalette::Base)))
{
    setWindowTitle(AppStrings::kPrefCaption);
    auto* pTabs = new QTabWidget(this);
    pTabs->addTab(CreateEditorPage(), AppStrings::kPrefEditorPage);
    pTabs->addTab(CreateFontPage(), AppStrings::kPrefFontPage);
    pTabs->addTab(CreateColourPage(), AppStrings::kPrefColorPage);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pTabs);
    pLayout->addWidget(pButtons);
    UpdateSample();
}

QWidget* CEditorPrefDlg::CreateEditorPage()
{
    auto* pPage = new QWidget(this);
    m_pTabWidth = new QSpinBox(pPage);
    m_pTabWidth->setRange(1, 16);
    m_pTabWidth->setValue(m_Settings.m_nTabWidth);
    m_pLineNumbers = new QCheckBox(AppStrings::kPrefLineNumbers, pPage);
    m_pLineNumbers->setChecked(m_Settings.m_bLineNumbers);
    m_pSelMargin = new QCheckBox(AppStrings::kPrefSelMargin, pPage);
    m_pSelMargin->setChecked(m_Settings.m_bSelMargin);
    auto* pLayout = new QFormLayout(pPage);
    pLayout->addRow(AppStrings::kPrefTabWidth, m_pTabWidth);
    pLayout->addRow(m_pLineNumbers);
    pLayout->addRow(m_pSelMargin);
    return pPage;
}

QWidget* CEditorPrefDlg::CreateFontPage()
{
    auto* pPage = new QWidget(this);
    m_pFont = new QFontComboBox(pPage);
    // Alignment is the point of the tool: only fixed-pitch fonts are offered.
    m_pFont->setFontFilters(QFontComboBox::MonospacedFonts);
    m_pFont->setCurrentFont(QFont(m_Settings.m_sFontFamily));
    m_pFontSize = new QSpinBox(pPage);
    m_pFontSize->setRange(4, 72);
    m_pFontSize->setValue(m_Settings.m_nFontSize);
    m_pSample = new QPlainTextEdit(AppStrings::kPrefSample, pPage);
    m_pSample->setReadOnly(true);
    connect(m_pFont, &QFontComboBox::currentFontChanged, this, &CEditorPrefDlg::UpdateSample);
    connect(m_pFontSize, &QSpinBox::valueChanged, this, &CEditorPrefDlg::UpdateSample);
    auto* pLayout = new QFormLayout(pPage);
    pLayout->addRow(AppStrings::kPrefFont, m_pFont);
    pLayout->addRow(AppStrings::kPrefFontSize, m_pFontSize);
    pLayout->addRow(m_pSample);
    return pPage;
}

QWidget* CEditorPrefDlg::CreateColourPage()
{
    auto* pPage = new QWidget(this);
    m_pColours = new QListWidget(pPage);
    for (const auto& style : m_Settings.Colours(m_bDarkPaper))
        m_pColours->addItem(new QListWidgetItem(Swatch(style.m_crColour), style.m_sName));
    m_pColours->setCurrentRow(0);
    connect(m_pColours, &QListWidget::itemDoubleClicked, this, &CEditorPrefDlg::ChooseColour);
    auto* pChange = new QPushButton(AppStrings::kPrefChangeColour, pPage);
    connect(pChange, &QPushButton::clicked, this, &CEditorPrefDlg::ChooseColour);
    auto* pLayout = new QVBoxLayout(pPage);
    pLayout->addWidget(m_pColours);
    pLayout->addWidget(pChange, 0, Qt::AlignRight);
    return pPage;
}

void CEditorPrefDlg::ChooseColour()
{
    QListWidgetItem* pItem = m_pColours->currentItem();
    if (!pItem)
        return;
    const QString name = pItem->text();
    const QColor colour =
        QColorDialog::getColor(m_Settings.Colour(name, m_bDarkPaper), this, AppStrings::kPrefChooseColour.arg(name));
    if (!colour.isValid())
        return;
    m_Settings.SetColour(name, colour, m_bDarkPaper);
    pItem->setIcon(Swatch(colour));
}

void CEditorPrefDlg::UpdateSample()
{
    if (!m_pSample)
        return;
    QFont font = m_pFont->currentFont();
    font.setPointSize(m_pFontSize->value());
    m_pSample->setFont(font);
}

CEditorSettings CEditorPrefDlg::Settings() const
{
    CEditorSettings settings = m_Settings;
    settings.m_nTabWidth = m_pTabWidth->value();
    settings.m_bLineNumbers = m_pLineNumbers->isChecked();
    settings.m_bSelMargin = m_pSelMargin->isChecked();
    settings.m_sFontFamily = m_pFont->currentFont().family();
    settings.m_nFontSize = m_pFontSize->value();
    return settings;
}
