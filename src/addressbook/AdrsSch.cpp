#include "addressbook/AdrsSch.h"

struct TAddressSearch::Impl {
    TNarrowDownCondition Working;
};

TAddressSearch::TAddressSearch(QWidget *Owner) : QDialog(Owner), d(std::make_unique<Impl>()) {}

TAddressSearch::~TAddressSearch() = default;

void TAddressSearch::SetCondition(const TNarrowDownCondition &Condition)
{
    d->Working = Condition;
}

void TAddressSearch::GetCondition(TNarrowDownCondition &Condition) const
{
    Condition = d->Working;
}
