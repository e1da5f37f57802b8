// An option page's layout as data: every control with its identifier, text and
// position in dialog units, and every option field a control edits with the
// value list that converts between the two. A page is built from its template
// and filled and read through its bindings.
#pragma once

#include "Options.h"
#include "ValueLists.h"

#include <cstdint>
#include <span>

#include <QRect>

class QFont;
class QString;

enum class ControlKind { Static, GroupBox, List, CheckBox, DigitEdit };

struct CControlTemplate
{
    ControlKind m_nKind;
    int m_nId; // 0 for static texts and group boxes
    const char* m_sText;
    int m_nX, m_nY, m_nWidth, m_nHeight; // dialog units; a list's height includes its drop-down
    // What the control changes; lines after the first are an example, shown
    // in the editors' kind of type. The label before a control shows its tip too.
    const char* m_sToolTip = nullptr;
};

struct CDialogTemplate
{
    int m_nId;
    const char* m_sCaption; // the panel button's caption
    int m_nWidth, m_nHeight; // dialog units
    std::span<const CControlTemplate> m_aControls;
};

// How a control's state becomes an option value.
enum class BindingKind {
    CheckBox,     // checked gives true
    BoolList,     // a two-item list: any index but 0 gives true
    ValueList,    // the item's value from m_aItems
    ListStyle,    // "Stacked"/"Wrapped", through CInterfaceBehavior
    CommaPosition,// the comma position list, through CInterfaceBehavior
    Integer,      // an edit box converted like _wtoi
};

using BoolField = bool& (*)(COptions&);
using IntField = int32_t& (*)(COptions&);

struct COptionBinding
{
    int m_nId;
    BindingKind m_nKind;
    BoolField m_pBool = nullptr;        // CheckBox, BoolList, ListStyle
    IntField m_pInt = nullptr;          // ValueList, CommaPosition, Integer
    const CValueList* m_pItems = nullptr; // ValueList and BoolList
    bool m_bRunsEnablingRules = false;  // a change re-runs the page's enabling rules
};

// The option field of a group, as a function the bindings can hold:
// OptionField<&COptions::m_Select, &COptions::CSelect::m_bFromClauseStyle>.
template <auto Group, auto Field>
auto& OptionField(COptions& options)
{
    return (options.*Group).*Field;
}

constexpr COptionBinding CheckBinding(int id, BoolField field, bool runsRules = false)
{
    return {id, BindingKind::CheckBox, field, nullptr, nullptr, runsRules};
}
constexpr COptionBinding BoolListBinding(int id, BoolField field, const CValueList& items)
{
    return {id, BindingKind::BoolList, field, nullptr, &items, false};
}
constexpr COptionBinding ValueListBinding(int id, IntField field, const CValueList& items)
{
    return {id, BindingKind::ValueList, nullptr, field, &items, false};
}
constexpr COptionBinding ListStyleBinding(int id, BoolField field, bool runsRules)
{
    return {id, BindingKind::ListStyle, field, nullptr, nullptr, runsRules};
}
constexpr COptionBinding CommaPositionBinding(int id, IntField field)
{
    return {id, BindingKind::CommaPosition, nullptr, field, nullptr, false};
}
constexpr COptionBinding IntegerBinding(int id, IntField field)
{
    return {id, BindingKind::Integer, nullptr, field, nullptr, false};
}

// Dialog units to pixels for the given font: horizontal units are a quarter
// of the font's average character width (stretched a quarter for wide faces),
// vertical ones an eighth of its height.
QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height);

// Converts text the way the C library's wide-string _wtoi does: leading white
// space, an optional sign, decimal digits up to the first other character;
// no digits give 0 and values beyond 32 bits are clamped.
int32_t TextToInt(const QString& text);
