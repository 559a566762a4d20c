#include "addressbook/ListRowChoice.h"

#include "addressbook/AdrsList.h"
#include "widgets/RangeControls.h"

int ChosenListRowCount(int DataSelect, const TRowRange &Range)
{
    switch (DataSelect) {
    case 0: return AddressList ? AddressList->GetSelCount() : 0;
    case 1: return Range.Count();
    case 2: return AddressList ? AddressList->GetRowCount() : 0;
    default: return 0;
    }
}

TRunRecords ChosenListRunRecords(int DataSelect, const TRowRange &Range)
{
    if (!AddressList)
        return {};
    switch (DataSelect) {
    case 0: return AddressList->SelectedRunRecords();
    case 1:
        if (Range.BeginPos() < 1)
            return {};
        return AddressList->RowRunRecords(Range.BeginPos() - 1, Range.EndPos() - 1);
    case 2: return AddressList->RowRunRecords(0, AddressList->GetRowCount() - 1);
    default: return {};
    }
}
