#include "InterfaceBehavior.h"

#include "ValueLists.h"

#include <QComboBox>

void CInterfaceBehavior::FillListStyleCombo(QComboBox& list, bool value) const
{
    FillValueList(list, kListStyleList, value ? 1 : 0);
}

void CInterfaceBehavior::FillCommaPositionCombo(QComboBox& list, int32_t value) const
{
    FillValueList(list, kCommaPositionList, value);
}

bool CInterfaceBehavior::ReadListStyle(const QComboBox& list) const
{
    return list.currentIndex() != 0;
}

void CInterfaceBehavior::ReadCommaPosition(const QComboBox& list, int32_t& field) const
{
    ReadValueList(list, kCommaPositionList, field);
}
