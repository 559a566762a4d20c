#pragma once

#include "widgets/SortListView.h"

// The sortable list over the wide-text list view, as the main address list
// uses it. Every list here is wide, so it behaves exactly as
// TCustomSortListView; the name keeps the two uses apart.
class TTntCustomSortListView : public TCustomSortListView
{
    Q_OBJECT

public:
    explicit TTntCustomSortListView(QWidget *parent = nullptr);
};

// The wide sortable list as the forms place it.
class TTntSortListView : public TTntCustomSortListView
{
    Q_OBJECT

public:
    explicit TTntSortListView(QWidget *parent = nullptr);
};
