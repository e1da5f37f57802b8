// The value lists of the option pages: each item's text and the value the
// option field receives when the user picks it. Lists are filled in the order
// given here, which is not always the order of the values.
#pragma once

#include <cstdint>
#include <span>

class QComboBox;

struct CValueListItem
{
    const char* m_sText;
    int32_t m_nValue;
};

using CValueList = std::span<const CValueListItem>;

extern const CValueList kCapitalisationList;
extern const CValueList kListStyleList;
extern const CValueList kCommaPositionList;
extern const CValueList kCommaSpacingList;
extern const CValueList kParenSpacingList;
extern const CValueList kKeywordAlignmentList;

// The index of the item that shows value: its own, or the first item when no
// item stores it.
int ValueListIndex(CValueList items, int32_t value);
// Replaces the list's items and selects the one that shows value.
void FillValueList(QComboBox& list, CValueList items, int32_t value);
// Stores the value of the selected item; with no known item selected the
// field keeps its value.
void ReadValueList(const QComboBox& list, CValueList items, int32_t& field);
