#include "widgets/TntSortListView.h"

TTntCustomSortListView::TTntCustomSortListView(QWidget *parent) : TCustomSortListView(parent) {}

TTntSortListView::TTntSortListView(QWidget *parent) : TTntCustomSortListView(parent) {}
