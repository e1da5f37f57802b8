// A static text with its own font, colours, background fill (solid or a
// horizontal gradient), embossing, rotation, blinking and web or mail link
// behaviour, painted with QPainter. Every setter returns the label so that
// calls can be chained.
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QTimer>
#include <QVector>

#include <optional>

class CLabel : public QLabel
{
    Q_OBJECT

public:
    enum LinkMode { LinkNone = 0, LinkWeb = 1, LinkMail = 2 };
    enum BlinkMode { BlinkNone = 0, BlinkText = 1, BlinkBackground = 2 };
    // The notification code a click sends when a notify target is set.
    static constexpr int kClickNotification = 0x8200;

    explicit CLabel(QWidget* parent = nullptr);
    CLabel(const QString& text, QWidget* parent = nullptr);
    ~CLabel() override;

    virtual CLabel& SetBackgroundFill(const QColor& colour, const QColor& endColour = QColor(), bool gradient = false);
    virtual CLabel& SetTextColour(const QColor& colour);
    virtual CLabel& SetLabelText(const QString& text);
    virtual CLabel& SetBoldWeight(bool on);
    // The character set is chosen by the font itself here: charSet is accepted and unused.
    virtual CLabel& SetTypeface(const QString& name, int charSet = 0);
    virtual CLabel& SetUnderlined(bool on);
    virtual CLabel& SetItalicStyle(bool on);
    virtual CLabel& SetPointSize(int points);
    virtual CLabel& SetSunkenEdge(bool on);
    virtual CLabel& SetThinBorder(bool on);
    virtual CLabel& SetSeeThrough(bool on);
    virtual CLabel& StartTextBlink(bool on);
    virtual CLabel& StartBackgroundBlink(bool on);
    virtual CLabel& SetWebLink(bool on, QObject* notifyTarget = nullptr);
    virtual CLabel& SetHoverCursor(const std::optional<QCursor>& cursor);
    virtual CLabel& SetEmbossed(bool on, bool downRight = false);
    virtual CLabel& SetTextAngle(int degrees, bool rotated);
    virtual CLabel& SetEmbossColour(const QColor& colour);
    virtual CLabel& SetLogicalFont(const QFont& font);
    virtual CLabel& SetMailLink(bool on, QObject* notifyTarget = nullptr);
    virtual CLabel& SetLinkTarget(const QString& target);

    // What a click opens: the web link's target (the label's text when the
    // target is empty) or "mailto:" with the text; empty without a link.
    QString LinkToOpen() const;

    // The gradient's bands over rect: one per pixel up to 100, the last band
    // reaching the right edge, colours interpolated per channel in 8.8 fixed point.
    struct CBand
    {
        QRect m_Rect;
        QColor m_Colour;
    };
    static QVector<CBand> GradientBands(const QRect& rect, const QColor& from, const QColor& to);

    int LinkModeValue() const { return m_nLinkMode; }
    int BlinkModeValue() const { return m_nBlinkMode; }
    int BlinkPhase() const { return m_nBlinkPhase; }
    bool IsTimerRunning() const { return m_bTimerRunning; }
    bool IsTransparent() const { return m_bTransparent; }
    int Escapement() const { return m_nEscapement; }
    const QFont& LogicalFont() const { return m_Font; }
    // The colour the text is drawn in now (the blink phase included).
    QColor EffectiveTextColour() const;

signals:
    // Sent instead of opening the link when a notify target is set.
    void Notify(CLabel* label, int controlId, int code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerTick();

private:
    void Repaint();
    void RecreateFont();
    void StopTimer();

    QColor m_crText;
    QColor m_crEmboss{255, 255, 255};
    QColor m_crBase;                    // the button-face colour of the system
    std::optional<QColor> m_crCustomBrush;
    QFont m_Font;                       // the logical font description and the font made from it
    int m_nEscapement = 0;              // tenths of a degree, counter-clockwise
    int m_nBlinkPhase = 0;
    bool m_bTimerRunning = false;
    int m_nLinkMode = LinkNone;
    bool m_bTransparent = false;
    bool m_bEmbossOn = false;
    QObject* m_pNotifyTarget = nullptr;
    bool m_bRotated = false;
    int m_nBlinkMode = BlinkNone;
    std::optional<QCursor> m_HoverCursor;
    bool m_bEmbossDownRight = false;
    bool m_bGradient = false;
    QColor m_crGradientEnd{0, 0, 0};
    QColor m_crFill{0, 0, 0};
    QString m_sLinkTarget;
    QTimer m_BlinkTimer;
};
