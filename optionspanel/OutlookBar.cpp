#include "OutlookBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLineEdit>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QPropertyAnimation>
#include <QTimer>
#include <QToolBox>

namespace {
constexpr int kFadeMilliseconds = 150;
const char* const kToolBoxButtonName = "qt_toolbox_toolboxbutton";
} // namespace

COutlookBar::COutlookBar()
{
    // The panel may float and be moved, but closing it would hide every option.
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
}

bool COutlookBar::Create(const QString& windowName, QMainWindow* parent, const QRect& rect, int id)
{
    if (!parent)
        return false;
    m_nId = id;
    setObjectName(windowName);
    setWindowTitle(tr("Options"));
    setParent(parent);
    m_pToolBox = new QToolBox(this);
    m_pToolBox->setObjectName(QStringLiteral("OutlookBarButtons"));
    setWidget(m_pToolBox);
    // The requested size is an upper bound; start at the narrowest width that
    // shows the pages whole.
    resize(std::min(rect.width(), 430), height());
    parent->addDockWidget(Qt::LeftDockWidgetArea, this);
    connect(m_pToolBox, &QToolBox::currentChanged, this, &COutlookBar::OnCurrentChanged);
    return true;
}

QImage COutlookBar::Transparent(const QImage& image, const QColor& transparent)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb();
    for (int y = 0; y < result.height(); ++y)
    {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if ((line[x] | 0xff000000u) == key)
                line[x] = 0;
    }
    return result;
}

bool COutlookBar::SetImageList(const QPixmap& strip, int imageWidth, const QColor& transparent)
{
    if (strip.isNull() || imageWidth <= 0)
        return false;
    const QPixmap masked = QPixmap::fromImage(Transparent(strip.toImage(), transparent));
    m_aImages.clear();
    for (int x = 0; x + imageWidth <= masked.width(); x += imageWidth)
        m_aImages.append(QIcon(masked.copy(x, 0, imageWidth, masked.height())));
    for (int i = 0; m_pToolBox && i < m_pToolBox->count() && i < m_aButtonImages.size(); ++i)
        if (m_aButtonImages[i] >= 0 && m_aButtonImages[i] < m_aImages.size())
            m_pToolBox->setItemIcon(i, m_aImages[m_aButtonImages[i]]);
    return true;
}

void COutlookBar::AddControl(QWidget* pane, const QString& caption, int imageIndex)
{
    if (!m_pToolBox)
        return;
    const QIcon icon = imageIndex >= 0 && imageIndex < m_aImages.size() ? m_aImages[imageIndex] : QIcon();
    m_pToolBox->addItem(pane, icon, caption);
    m_aButtonImages.append(imageIndex);
    for (QAbstractButton* button : m_pToolBox->findChildren<QAbstractButton*>(kToolBoxButtonName))
        button->installEventFilter(this);
}

void COutlookBar::SetButtonsFont(const QFont& font)
{
    if (!m_pToolBox)
        return;
    for (QAbstractButton* button : m_pToolBox->findChildren<QAbstractButton*>(kToolBoxButtonName))
        button->setFont(font);
    m_pToolBox->update();
}

bool COutlookBar::IsPageButton(const QObject* object) const
{
    const auto* button = qobject_cast<const QAbstractButton*>(object);
    return button && button->objectName() == QLatin1String(kToolBoxButtonName) && m_pToolBox
           && m_pToolBox->isAncestorOf(button);
}

bool COutlookBar::IsSecondClick(const QObject* watched, const QEvent* event)
{
    if (m_HeaderClickTime.elapsed() > QApplication::doubleClickInterval())
    {
        m_HeaderClickTime.invalidate();
        qApp->removeEventFilter(this);
        return false;
    }
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease)
        return false;
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (!widget || !m_pToolBox->isAncestorOf(widget) || (m_bInPlaceEdit && IsPageButton(widget)))
        return false;
    const QPoint at = static_cast<const QMouseEvent*>(event)->globalPosition().toPoint();
    return (at - m_ptHeaderClick).manhattanLength() <= QApplication::startDragDistance();
}

bool COutlookBar::eventFilter(QObject* watched, QEvent* event)
{
    // A click on a page's button moves the button up and opens the page where
    // the button was: the second click of a double click would land on one of
    // the page's controls. Until the double-click time has passed, clicks at
    // that spot go nowhere.
    if (m_HeaderClickTime.isValid() && IsSecondClick(watched, event))
        return true;
    if (event->type() == QEvent::MouseButtonRelease && IsPageButton(watched))
    {
        m_ptHeaderClick = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        m_HeaderClickTime.start();
        qApp->installEventFilter(this);
    }
    if (m_bInPlaceEdit && event->type() == QEvent::MouseButtonDblClick && IsPageButton(watched))
    {
        // The buttons are the box's own; find which page a button opens by its caption.
        auto* button = static_cast<QAbstractButton*>(watched);
        for (int i = 0; i < m_pToolBox->count(); ++i)
            if (m_pToolBox->itemText(i) == button->text())
            {
                EditCaption(i);
                return true;
            }
    }
    return QDockWidget::eventFilter(watched, event);
}

void COutlookBar::EditCaption(int index)
{
    QAbstractButton* target = nullptr;
    for (QAbstractButton* button : m_pToolBox->findChildren<QAbstractButton*>(kToolBoxButtonName))
        if (button->text() == m_pToolBox->itemText(index))
            target = button;
    if (!target)
        return;
    auto* editor = new QLineEdit(m_pToolBox->itemText(index), target);
    editor->setGeometry(target->rect());
    editor->selectAll();
    editor->show();
    editor->setFocus();
    connect(editor, &QLineEdit::editingFinished, this, [this, editor, index] {
        if (!editor->text().trimmed().isEmpty())
            m_pToolBox->setItemText(index, editor->text().trimmed());
        editor->deleteLater();
    });
}

void COutlookBar::OnCurrentChanged(int index)
{
    QWidget* page = m_pToolBox->widget(index);
    if (!m_bAnimation || !page || !isVisible())
        return;
    // The page owns the effect (a new one replaces an unfinished fade's) and
    // the animation; the effect is taken off once the fade has run, outside
    // the animation's own signal.
    auto* effect = new QGraphicsOpacityEffect(page);
    page->setGraphicsEffect(effect);
    auto* fade = new QPropertyAnimation(effect, "opacity", page);
    fade->setDuration(kFadeMilliseconds);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    QPointer<QGraphicsOpacityEffect> faded(effect);
    connect(fade, &QPropertyAnimation::finished, page, [page, faded] {
        QTimer::singleShot(0, page, [page, faded] {
            if (faded && page->graphicsEffect() == faded)
                page->setGraphicsEffect(nullptr);
        });
    });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}
