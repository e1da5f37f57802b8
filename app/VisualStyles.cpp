#include "VisualStyles.h"

#include "Contrast.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace {

const CVisualStyle kVisualStyles[] = {
    {212, "&Desktop", nullptr, 0, 0, false, false},
    {210, "&Classic", "Windows", 0, 0, false, false},
    {211, "&Flat", "Fusion", 0, 0, false, false},
    {213, "Blue-&grey", "Fusion", 0xdbe4f2, 0x4a78b8, false, true},
    {214, "&Warm grey", "Fusion", 0xeeede5, 0x316ac5, false, true},
    {215, "&Blue", "Fusion", 0xd5e3f5, 0x3d6fb6, false, true},
    {216, "Dar&k", "Fusion", 0x3a3d42, 0x5a86c8, true, true},
    {217, "&Silver", "Fusion", 0xe6e9ee, 0x6d7f99, false, true},
    {218, "&Aqua", "Fusion", 0xdcecf0, 0x2f8fa8, false, true},
};

} // namespace

std::span<const CVisualStyle> VisualStyles()
{
    return kVisualStyles;
}

const CVisualStyle& FindVisualStyle(int id)
{
    for (const CVisualStyle& style : kVisualStyles)
        if (style.m_nId == id)
            return style;
    return kVisualStyles[0];
}

namespace {

// Every text of the palette made readable on its background: normal text as
// text, greyed text as a mark, fainter but legible.
void MakeReadable(QPalette& palette)
{
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
        {QPalette::WindowText, QPalette::Window}, {QPalette::ButtonText, QPalette::Button},
        {QPalette::Text, QPalette::Base},         {QPalette::ToolTipText, QPalette::ToolTipBase},
        {QPalette::PlaceholderText, QPalette::Base}};
    for (const auto& [text, back] : pairs)
    {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, text, ReadableOn(palette.color(group, text), palette.color(group, back), kTextContrast));
        palette.setColor(QPalette::Disabled, text, ReadableOn(palette.color(QPalette::Disabled, text),
                                                              palette.color(QPalette::Disabled, back), kMarkContrast));
    }
    // The selection's colour gives way, not the text on it.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::Highlight, ReadableOn(palette.color(group, QPalette::Highlight),
                                                                palette.color(group, QPalette::HighlightedText),
                                                                kTextContrast));
}

} // namespace

QPalette PaletteFor(const CVisualStyle& style, const QStyle& widgetStyle)
{
    QPalette palette = widgetStyle.standardPalette();
    if (style.m_crWindow)
    {
        const QColor window(style.m_crWindow);
        const QColor text = style.m_bDark ? QColor(0xe8, 0xea, 0xed) : QColor(0x1b, 0x24, 0x30);
        const QColor base = style.m_bDark ? QColor(0x26, 0x28, 0x2c) : QColor(Qt::white);
        const QColor button = style.m_bDark ? window.lighter(120) : window.lighter(104);
        const QColor disabled = Mix(text, window, 0.5);
        const std::pair<QPalette::ColorRole, QColor> roles[] = {
            {QPalette::Window, window},
            {QPalette::Button, button},
            {QPalette::Base, base},
            {QPalette::AlternateBase, style.m_bDark ? base.lighter(130) : window.lighter(108)},
            {QPalette::WindowText, text},
            {QPalette::ButtonText, text},
            {QPalette::Text, text},
            {QPalette::BrightText, style.m_bDark ? QColor(Qt::white) : QColor(Qt::black)},
            {QPalette::PlaceholderText, disabled},
            {QPalette::ToolTipBase, style.m_bDark ? base : QColor(0xff, 0xff, 0xe1)},
            {QPalette::ToolTipText, text},
            {QPalette::Highlight, QColor(style.m_crHighlight)},
            {QPalette::HighlightedText, Qt::white},
            {QPalette::Link, ReadableOn(style.m_bDark ? QColor(0x8a, 0xb4, 0xf8) : QColor(0x06, 0x45, 0xad), base,
                                        kTextContrast)},
            // The bevels of buttons and frames, lighter and darker than the button.
            {QPalette::Light, button.lighter(style.m_bDark ? 130 : 115)},
            {QPalette::Midlight, button.lighter(style.m_bDark ? 115 : 108)},
            {QPalette::Mid, button.darker(style.m_bDark ? 120 : 130)},
            {QPalette::Dark, button.darker(style.m_bDark ? 150 : 160)},
            {QPalette::Shadow, button.darker(style.m_bDark ? 250 : 300)},
        };
        for (const auto& [role, colour] : roles)
            palette.setColor(role, colour);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(QPalette::Disabled, role, disabled);
        palette.setColor(QPalette::Disabled, QPalette::Base, window);
    }
    MakeReadable(palette);
    return palette;
}

void ApplyVisualStyle(const CVisualStyle& style)
{
    // The style the application started with is the desktop's.
    static const QString desktopStyle = QApplication::style()->name();
    const QString name = style.m_sStyle ? QString::fromUtf8(style.m_sStyle) : desktopStyle;
    if (QApplication::style()->name().compare(name, Qt::CaseInsensitive) != 0)
        if (QStyle* widgetStyle = QStyleFactory::create(name))
            QApplication::setStyle(widgetStyle);
    // An empty palette sets no colour of its own: every colour then comes from
    // the desktop's theme, now and when the desktop's theme changes.
    QApplication::setPalette(style.m_sStyle ? PaletteFor(style, *QApplication::style()) : QPalette());
}
