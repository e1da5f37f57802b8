#include "ValueLists.h"

#include "Options.h"

#include <QComboBox>

namespace {

const CValueListItem kCapitalisationItems[] = {
    {"Uppercase", CAP_UPPER},
    {"Lowercase", CAP_LOWER},
    {"InitCap", CAP_INITCAP},
    {"InitCap Each Word", CAP_INITCAP_EACH},
    {"No Change", CAP_NOCHANGE},
};
const CValueListItem kListStyleItems[] = {
    {"Stacked", 0},
    {"Wrapped", 1},
};
const CValueListItem kCommaPositionItems[] = {
    {"After Comma", COMMA_AFTER},
    {"Before Comma", COMMA_BEFORE},
    {"Before Comma With Space", COMMA_BEFORE_SPACE},
};
const CValueListItem kCommaSpacingItems[] = {
    {"Space before", COMMASPACE_BEFORE},
    {"Space after", COMMASPACE_AFTER},
    {"Space before and after", COMMASPACE_BOTH},
};
const CValueListItem kParenSpacingItems[] = {
    {"Compact", PAREN_COMPACT},
    {"Space before", PAREN_BEFORE},
    {"Space inside", PAREN_INSIDE},
    {"Space before and inside", PAREN_BEFORE_INSIDE},
};
const CValueListItem kKeywordAlignmentItems[] = {
    {"Left", 0},
    {"Right", 1},
};

} // namespace

const CValueList kCapitalisationList{kCapitalisationItems};
const CValueList kListStyleList{kListStyleItems};
const CValueList kCommaPositionList{kCommaPositionItems};
const CValueList kCommaSpacingList{kCommaSpacingItems};
const CValueList kParenSpacingList{kParenSpacingItems};
const CValueList kKeywordAlignmentList{kKeywordAlignmentItems};

int ValueListIndex(CValueList items, int32_t value)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].m_nValue == value)
            return static_cast<int>(i);
    return 0;
}

void FillValueList(QComboBox& list, CValueList items, int32_t value)
{
    list.clear();
    for (const CValueListItem& item : items)
        list.addItem(QString::fromUtf8(item.m_sText));
    list.setCurrentIndex(ValueListIndex(items, value));
}

void ReadValueList(const QComboBox& list, CValueList items, int32_t& field)
{
    const int index = list.currentIndex();
    if (index >= 0 && static_cast<size_t>(index) < items.size())
        field = items[static_cast<size_t>(index)].m_nValue;
}
