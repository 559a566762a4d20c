#pragma once

#include "exchange/ListPrtLayout.h"

#include <array>
#include <vector>

// The editing rules of the list-print window kept apart from its widgets, so
// that they can be proved case by case: the chosen columns with the list of
// items still to choose, the rule buttons and the cycle of row colours.

// The chosen columns and the source items (the items not chosen yet, in
// item order; the blank item 0 always stays). Rows of the chosen list are the
// columns plus one end row that stands for "after the last column".
class TListColumnEditor
{
public:
    explicit TListColumnEditor(TListPrintColumns columns = {});

    [[nodiscard]] const TListPrintColumns &Columns() const { return m_columns; }
    [[nodiscard]] const std::vector<int> &Source() const { return m_source; }
    // The end row's index.
    [[nodiscard]] int EndRow() const { return static_cast<int>(m_columns.size()); }

    void Reset(TListPrintColumns columns);

    enum class TSet : std::uint8_t { Set, Full, NoItem };
    // Inserts the item of source row srcRow before chosen row destRow (the end
    // row appends). newSrcRow: the source row to select afterwards.
    [[nodiscard]] TSet Set(int srcRow, int destRow, int *newSrcRow = nullptr);
    // Removes the column of chosen row destRow (the end row removes the last
    // column). newSrcRow: the row of the returned item in the source list (-1
    // for the blank); newDestRow: the chosen row to select. False when empty.
    bool Delete(int destRow, int *newSrcRow = nullptr, int *newDestRow = nullptr);
    void AllDelete();
    // Exchanges column row with the one above (step -1) or below (+1).
    bool Move(int row, int step);
    [[nodiscard]] bool CanMoveUp(int row) const;
    [[nodiscard]] bool CanMoveDown(int row) const;
    // Width (1..999) and alignment (0..2) of a real column; false otherwise.
    bool SetWidth(int row, int width);
    bool SetAlign(int row, int align);

private:
    void fillSource();
    TListPrintColumns m_columns;
    std::vector<int> m_source;
};

// The six rule lines (top, inner horizontal, bottom, left, inner vertical,
// right) and their types (rows of the line-type list).
struct TListRules {
    std::array<bool, 6> Flags{};
    std::array<int, 6> Types{};
    friend bool operator==(const TListRules &, const TListRules &) = default;
};

// Rule button tags: 0..5 one rule, 6 "なし", 7 "外枠", 8 "内側".
// A rule that is on with another type keeps on and takes the selected type;
// otherwise the button switches it. The group buttons switch their rules off
// when all are on with the selected type, else on with it. Returns true when
// the top or bottom rule changed, which changes the page capacity.
bool ClickRuleButton(TListRules &rules, int tag, int selectedType);

constexpr int ListPrintMaxColors = 10;
// A new data colour: after the selected row unless it is the last one (then
// appended). Returns the row to select; -1 when 10 colours are listed.
int InsertListColor(std::vector<TColor> &colors, int selected, TColor color);
// Removes the selected row; returns the row to select (-1 when none is left).
int DeleteListColor(std::vector<TColor> &colors, int selected);
// A colour dropped on another row changes places with it (a swap, not a move).
bool SwapListColors(std::vector<TColor> &colors, int from, int to);
