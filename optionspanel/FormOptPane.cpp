#include "FormOptPane.h"

#include "FormOptDlg.h"

#include <QPainter>
#include <QVBoxLayout>

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
        // The page fills the pane's width and its height less the gap; the
        // pane asks for what the page's layout needs, so that the panel
        // scrolls rather than squeezing a control.
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, kPageBottomGap);
        layout->addWidget(page);
    }
    return true;
}

void CFormOptPane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect().adjusted(0, 0, 0, kBackgroundOverdraw), palette().window());
}
