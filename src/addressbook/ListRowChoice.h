#pragma once

#include "widgets/RecordRun.h"

class TRowRange;

// The rows of the main list a data-range window works on: DataSelect 0 the
// selected rows, 1 the numbered Range, 2 every shown row. Both are empty
// (0) while there is no main list.

// How many rows the choice holds.
[[nodiscard]] int ChosenListRowCount(int DataSelect, const TRowRange &Range);
// The records of the chosen rows, taken before a run starts.
[[nodiscard]] TRunRecords ChosenListRunRecords(int DataSelect, const TRowRange &Range);
