// The window's visual styles, chosen under View > Style and kept as their
// command number in the settings store: the desktop's own style and colours,
// two plain styles, and tinted palettes over one flat style, one of them dark.
#pragma once

#include <QRgb>

#include <span>

class QPalette;
class QStyle;

struct CVisualStyle
{
    int m_nId;            // the command that chooses it
    const char* m_sName;  // its item in View > Style
    const char* m_sStyle; // the widget style; null for the desktop's own
    QRgb m_crWindow;      // the tint of windows; 0 for the style's own palette
    QRgb m_crHighlight;   // the tint of selections
    bool m_bDark;
    bool m_bSmartDocking; // docking shows where a dragged panel will land
};

constexpr int kFirstVisualStyle = 210;
constexpr int kLastVisualStyle = 218;
constexpr int kDesktopVisualStyle = 212;

// Every style, in the order of the menu.
std::span<const CVisualStyle> VisualStyles();
// The style of that command number; the desktop's for any other number.
const CVisualStyle& FindVisualStyle(int id);
// The palette the style gives the application's widgets.
QPalette PaletteFor(const CVisualStyle& style, const QStyle& widgetStyle);
// Makes the style and its palette the application's. The desktop's style is
// the one the application started with, and its palette follows the desktop.
void ApplyVisualStyle(const CVisualStyle& style);
