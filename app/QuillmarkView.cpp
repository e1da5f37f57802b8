#include "QuillmarkView.h"

#include "AppStrings.h"
#include "QuillmarkDoc.h"
#include "SQLView.h"

#include <QTabBar>

CQuillmarkView::CQuillmarkView(CQuillmarkDoc* pDoc, QWidget* pParent) : QTabWidget(pParent), m_pDoc(pDoc)
{
    if (m_pDoc)
        m_pDoc->m_pView = this;
    for (const QString& label : {AppStrings::kInputTab, AppStrings::kOutputTab})
    {
        auto* pView = new CSQLView(this);
        addTab(pView, label);
        if (m_pDoc)
            connect(pView, &QsciScintilla::textChanged, m_pDoc, [this] { m_pDoc->SetModifiedFlag(true); });
    }
    setDocumentMode(true);
    setCurrentIndex(0);
}

CQuillmarkView::~CQuillmarkView()
{
    if (m_pDoc && m_pDoc->m_pView == this)
        m_pDoc->m_pView = nullptr;
}

CSQLView* CQuillmarkView::FindTabView(const QString& label) const
{
    const int index = FindTabIndex(label);
    return index < 0 ? nullptr : qobject_cast<CSQLView*>(widget(index));
}

int CQuillmarkView::FindTabIndex(const QString& label) const
{
    // The walk stops at the first tab without a label.
    for (int index = 0; index < count() && !tabText(index).isEmpty(); ++index)
        if (tabText(index) == label)
            return index;
    return -1;
}

void CQuillmarkView::GetTabText(const QString& label, QString& text) const
{
    if (const CSQLView* pView = FindTabView(label))
        text = pView->WholeText();
}

void CQuillmarkView::FormatInput()
{
    if (m_pDoc)
        m_pDoc->RunCommand(MODE_FORMAT);
}

void CQuillmarkView::CapitaliseInput()
{
    if (m_pDoc)
        m_pDoc->RunCommand(MODE_CAPITALISE);
}

QString CQuillmarkView::GetInputText() const
{
    QString text;
    GetTabText(AppStrings::kInputTab, text);
    return text;
}

QString CQuillmarkView::GetOutputText() const
{
    QString text;
    GetTabText(AppStrings::kOutputTab, text);
    return text;
}

void CQuillmarkView::SetInputText(QStringView text)
{
    SetTabText(AppStrings::kInputTab, text);
}

void CQuillmarkView::SetOutputText(QStringView text)
{
    SetTabText(AppStrings::kOutputTab, text);
}

void CQuillmarkView::ReplaceOutputText(QStringView text)
{
    if (CSQLView* pView = FindTabView(AppStrings::kOutputTab))
        pView->SetWholeTextInPlace(text);
}

void CQuillmarkView::SetTabText(const QString& label, QStringView text)
{
    // Setting the text also drops the selection.
    if (CSQLView* pView = FindTabView(label))
        pView->SetWholeText(text);
}

void CQuillmarkView::ShowTab(bool bOutput)
{
    const int index = FindTabIndex(bOutput ? AppStrings::kOutputTab : AppStrings::kInputTab);
    if (index >= 0)
        setCurrentIndex(index);
}
