#include "FormOptPane.h"

#include "FormOptDlg.h"

#include <QPainter>
#include <QResizeEvent>

namespace {
// The page stops this far above the pane's bottom edge.
constexpr int kPageBottomGap = 5;
// The background is painted a little past the pane, as the page may scroll.
constexpr int kBackgroundOverdraw = 30;
} // namespace

bool CFormOptPane::Create(const QRect& rect, QWidget* parent, CFormOptDlg* page, int templateId, int id)
{
    m_pPage = page;
    m_nId = id;
    setParent(parent);
    setObjectName(QStringLiteral("pane%1").arg(id));
    setGeometry(rect);
    // Every pixel is painted by paintEvent: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setVisible(true);
    if (page && page->TemplateId() == templateId && page->Create(this))
    {
        // The panel scrolls rather than squeezing a page's controls.
        const QSize size = page->ContentSize();
        setMinimumSize(size.width(), size.height() + kPageBottomGap);
        page->setGeometry(0, 0, width(), std::max(0, height() - kPageBottomGap));
    }
    return true;
}

void CFormOptPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_pPage && m_pPage->parentWidget() == this)
        m_pPage->setGeometry(0, 0, event->size().width(), std::max(0, event->size().height() - kPageBottomGap));
}

void CFormOptPane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect().adjusted(0, 0, 0, kBackgroundOverdraw), palette().window());
}
