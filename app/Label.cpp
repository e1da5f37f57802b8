#include "Label.h"

#include <QDesktopServices>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace {
constexpr int kBlinkMilliseconds = 500;
constexpr int kMaxGradientBands = 100;
const QString kMailPrefix = QStringLiteral("mailto:");
} // namespace

CLabel::CLabel(QWidget* parent) : CLabel(QString(), parent) {}

CLabel::CLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    m_crText = palette().color(QPalette::WindowText);
    m_crBase = palette().color(QPalette::Button);
    m_Font = font();
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_BlinkTimer.setInterval(kBlinkMilliseconds);
    connect(&m_BlinkTimer, &QTimer::timeout, this, &CLabel::timerTick);
}

CLabel::~CLabel() = default;

void CLabel::Repaint()
{
    // A see-through label is drawn over its parent: refresh what lies beneath too.
    if (m_bTransparent && parentWidget())
        parentWidget()->update(geometry());
    update();
}

void CLabel::RecreateFont()
{
    setFont(m_Font);
    Repaint();
}

void CLabel::StopTimer()
{
    m_BlinkTimer.stop();
    m_bTimerRunning = false;
}

CLabel& CLabel::SetBackgroundFill(const QColor& colour, const QColor& endColour, bool gradient)
{
    m_crFill = colour;
    m_crGradientEnd = endColour.isValid() ? endColour : QColor(0, 0, 0);
    m_bGradient = gradient;
    m_crCustomBrush.reset();
    if (!gradient)
        m_crCustomBrush = colour;
    Repaint();
    return *this;
}

CLabel& CLabel::SetTextColour(const QColor& colour)
{
    m_crText = colour;
    Repaint();
    return *this;
}

CLabel& CLabel::SetLabelText(const QString& text)
{
    setText(text);
    Repaint();
    return *this;
}

CLabel& CLabel::SetBoldWeight(bool on)
{
    m_Font.setWeight(on ? QFont::Bold : QFont::Normal);
    RecreateFont();
    return *this;
}

CLabel& CLabel::SetTypeface(const QString& name, int /*charSet*/)
{
    m_Font.setFamily(name);
    RecreateFont();
    return *this;
}

CLabel& CLabel::SetUnderlined(bool on)
{
    m_Font.setUnderline(on);
    RecreateFont();
    return *this;
}

CLabel& CLabel::SetItalicStyle(bool on)
{
    m_Font.setItalic(on);
    RecreateFont();
    return *this;
}

CLabel& CLabel::SetPointSize(int points)
{
    if (points > 0)
        m_Font.setPointSize(points);
    RecreateFont();
    return *this;
}

CLabel& CLabel::SetSunkenEdge(bool on)
{
    setFrameStyle(on ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
    return *this;
}

CLabel& CLabel::SetThinBorder(bool on)
{
    setFrameStyle(on ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    setLineWidth(1);
    return *this;
}

CLabel& CLabel::SetSeeThrough(bool on)
{
    m_bTransparent = on;
    setAutoFillBackground(!on);
    setAttribute(Qt::WA_TranslucentBackground, on);
    Repaint();
    return *this;
}

CLabel& CLabel::StartTextBlink(bool on)
{
    StopTimer();
    if (on)
    {
        m_nBlinkPhase = 0;
        m_BlinkTimer.start();
        m_bTimerRunning = true;
        m_nBlinkMode = BlinkText;
    }
    else
        m_nBlinkMode = BlinkNone;
    return *this;
}

CLabel& CLabel::StartBackgroundBlink(bool on)
{
    StopTimer();
    if (on)
    {
        m_nBlinkPhase = 0;
        m_BlinkTimer.start();
        m_bTimerRunning = true;
        m_nBlinkMode = BlinkBackground;
    }
    return *this;
}

CLabel& CLabel::SetWebLink(bool on, QObject* notifyTarget)
{
    m_nLinkMode = on ? LinkWeb : LinkNone;
    m_pNotifyTarget = notifyTarget;
    return *this;
}

CLabel& CLabel::SetMailLink(bool on, QObject* notifyTarget)
{
    m_nLinkMode = on ? LinkMail : LinkNone;
    m_pNotifyTarget = notifyTarget;
    return *this;
}

CLabel& CLabel::SetHoverCursor(const std::optional<QCursor>& cursor)
{
    m_HoverCursor = cursor;
    if (cursor)
        setCursor(*cursor);
    else
        unsetCursor();
    return *this;
}

CLabel& CLabel::SetEmbossed(bool on, bool downRight)
{
    m_bEmbossOn = on;
    m_bEmbossDownRight = downRight;
    Repaint();
    return *this;
}

CLabel& CLabel::SetTextAngle(int degrees, bool rotated)
{
    m_nEscapement = degrees * 10;
    m_bRotated = rotated;
    RecreateFont();
    return *this;
}

CLabel& CLabel::SetEmbossColour(const QColor& colour)
{
    m_crEmboss = colour;
    Repaint();
    return *this;
}

CLabel& CLabel::SetLogicalFont(const QFont& font)
{
    m_Font = font;
    RecreateFont();
    return *this;
}

CLabel& CLabel::SetLinkTarget(const QString& target)
{
    m_sLinkTarget = target;
    return *this;
}

QString CLabel::LinkToOpen() const
{
    switch (m_nLinkMode)
    {
    case LinkWeb:
        return m_sLinkTarget.isEmpty() ? text() : m_sLinkTarget;
    case LinkMail:
        return kMailPrefix + text();
    default:
        return QString();
    }
}

QColor CLabel::EffectiveTextColour() const
{
    if (m_nBlinkMode == BlinkText && m_nBlinkPhase == 0)
        return m_crCustomBrush.value_or(QColor(0, 0, 0));
    return m_crText;
}

QVector<CLabel::CBand> CLabel::GradientBands(const QRect& rect, const QColor& from, const QColor& to)
{
    QVector<CBand> bands;
    const int count = std::clamp(rect.width(), 1, kMaxGradientBands);
    const int bandWidth = std::max(1, rect.width() / count);
    // Per-channel steps in 8.8 fixed point, so that rounding never drifts.
    auto step = [count](int a, int b) { return ((b - a) * 256) / count; };
    const int stepR = step(from.red(), to.red());
    const int stepG = step(from.green(), to.green());
    const int stepB = step(from.blue(), to.blue());
    int r = from.red() * 256, g = from.green() * 256, b = from.blue() * 256;
    for (int i = 0; i < count; ++i)
    {
        const int left = rect.left() + i * bandWidth;
        const int right = i == count - 1 ? rect.right() + 1 : left + bandWidth;
        bands.append({QRect(left, rect.top(), right - left, rect.height()),
                      QColor(std::clamp(r >> 8, 0, 255), std::clamp(g >> 8, 0, 255), std::clamp(b >> 8, 0, 255))});
        r += stepR;
        g += stepG;
        b += stepB;
    }
    return bands;
}

void CLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    if (!m_bTransparent)
    {
        if (m_bGradient)
            for (const CBand& band : GradientBands(rect(), m_crFill, m_crGradientEnd))
                painter.fillRect(band.m_Rect, band.m_Colour);
        else
            painter.fillRect(rect(), m_crCustomBrush.value_or(m_crBase));
    }
    painter.setFont(m_Font);
    const QString label = text();

    int flags = 0;
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignHCenter)
        flags = Qt::AlignHCenter | Qt::TextWordWrap;
    else if (align & Qt::AlignRight)
        flags = Qt::AlignRight | Qt::TextWordWrap;
    else if (!wordWrap())
        flags = Qt::AlignLeft;
    else
        flags = Qt::AlignLeft | Qt::TextWordWrap;
    if (label.contains(u'\t'))
        flags |= Qt::TextExpandTabs;
    if (align & Qt::AlignVCenter)
    {
        if (label.contains(QStringLiteral("\r\n")))
            flags |= Qt::AlignTop;
        else
            flags = (flags & ~Qt::TextWordWrap) | Qt::AlignVCenter | Qt::TextSingleLine;
    }
    else
        flags |= Qt::AlignTop;

    if (m_bRotated)
    {
        painter.save();
        painter.translate(area.center());
        painter.rotate(-m_nEscapement / 10.0);
        const int width = painter.fontMetrics().horizontalAdvance(label);
        painter.setPen(EffectiveTextColour());
        painter.drawText(QPoint(-width / 2, 0), label);
        painter.restore();
    }
    else
    {
        painter.setPen(EffectiveTextColour());
        painter.drawText(area, flags, label);
        if (m_bEmbossOn)
        {
            const int offset = m_bEmbossDownRight ? 1 : -1;
            painter.setPen(m_crEmboss);
            painter.drawText(area.translated(offset, offset), flags, label);
        }
    }
    drawFrame(&painter);
}

void CLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
    {
        if (m_pNotifyTarget)
            emit Notify(this, property("controlId").toInt(), kClickNotification);
        else if (const QString target = LinkToOpen(); !target.isEmpty())
            QDesktopServices::openUrl(QUrl::fromUserInput(target));
    }
    QLabel::mousePressEvent(event);
}

void CLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
    {
        m_crBase = palette().color(QPalette::Button);
        Repaint();
    }
    QLabel::changeEvent(event);
}

void CLabel::timerTick()
{
    m_nBlinkPhase = m_nBlinkPhase ? 0 : 1;
    Repaint();
}
