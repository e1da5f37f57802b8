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
        connect(pView, &CSQLView::caretPositionChanged, this, &CQuillmarkView::caretPositionChanged);
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
        text = pView->text();
}

void CQuillmarkView::FormatInput()
{
    RunInput(CSQLParser::MODE_FORMAT);
}

void CQuillmarkView::CapitaliseInput()
{
    RunInput(CSQLParser::MODE_CAPITALISE);
}

void CQuillmarkView::RunInput(int mode)
{
    QString input;
    GetTabText(AppStrings::kInputTab, input);
    CSQLView* pOutput = FindTabView(AppStrings::kOutputTab);
    if (input.isEmpty() || !m_pDoc || !pOutput)
        return;
    m_nLastCommand = mode;
    CSQLParser& parser = m_pDoc->m_Parser;
    parser.m_sInput = input.toStdU16String();
    parser.Process(mode);
    if (mode == CSQLParser::MODE_FORMAT)
    {
        int line = 0;
        int index = 0;
        pOutput->getCursorPosition(&line, &index);
        pOutput->setCursorPosition(line, index);
    }
    pOutput->setText(QString::fromStdU16String(parser.m_sOutput));
    setCurrentIndex(FindTabIndex(AppStrings::kOutputTab));
}
