// The two list vocabularies that several option pages share: the list style
// ("Stacked" or "Wrapped") and the position of a stacked list's comma.
#pragma once

#include <cstdint>

class QComboBox;

class CInterfaceBehavior
{
public:
    virtual ~CInterfaceBehavior() = default;

    // Adds "Stacked" and "Wrapped" and selects "Wrapped" for true.
    void FillListStyleCombo(QComboBox& list, bool value) const;
    // Adds the three comma positions and selects the one of value; any value
    // outside 0 to 2 shows "After Comma".
    void FillCommaPositionCombo(QComboBox& list, int32_t value) const;
    // True when an item other than the first is selected.
    bool ReadListStyle(const QComboBox& list) const;
    // Stores 0, 1 or 2 for the selected item; without one of those selected
    // the field keeps its value.
    void ReadCommaPosition(const QComboBox& list, int32_t& field) const;
};
