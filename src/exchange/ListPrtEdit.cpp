#include "exchange/ListPrtEdit.h"

#include <algorithm>

TListColumnEditor::TListColumnEditor(TListPrintColumns columns)
{
    Reset(std::move(columns));
}

void TListColumnEditor::Reset(TListPrintColumns columns)
{
    m_columns = std::move(columns);
    fillSource();
}

void TListColumnEditor::fillSource()
{
    m_source.clear();
    for (int item = 0; item < ListPrintItemCount; ++item)
        if (item == 0 || std::none_of(m_columns.begin(), m_columns.end(),
                                      [item](const TListPrintColumn &c) { return c.ItemNo == item; }))
            m_source.push_back(item);
}

TListColumnEditor::TSet TListColumnEditor::Set(int srcRow, int destRow, int *newSrcRow)
{
    if (static_cast<int>(m_columns.size()) >= ListPrintMaxColumns)
        return TSet::Full;
    if (srcRow < 0 || srcRow >= static_cast<int>(m_source.size()))
        return TSet::NoItem;
    const int item = m_source[static_cast<std::size_t>(srcRow)];
    const int at = std::clamp(destRow, 0, EndRow());
    m_columns.insert(m_columns.begin() + at, DefaultListPrintColumn(item));
    int select = srcRow;
    if (item != 0) {
        m_source.erase(m_source.begin() + srcRow);
        select = std::min(srcRow, static_cast<int>(m_source.size()) - 1);
    }
    if (newSrcRow)
        *newSrcRow = select;
    return TSet::Set;
}

bool TListColumnEditor::Delete(int destRow, int *newSrcRow, int *newDestRow)
{
    if (m_columns.empty())
        return false;
    int at = std::clamp(destRow, 0, EndRow());
    if (at == EndRow())
        --at;
    const int item = m_columns[static_cast<std::size_t>(at)].ItemNo;
    int srcRow = -1;
    if (item != 0) {
        // Back to its place in item order.
        const auto place = std::upper_bound(m_source.begin(), m_source.end(), item);
        srcRow = static_cast<int>(place - m_source.begin());
        m_source.insert(place, item);
    }
    m_columns.erase(m_columns.begin() + at);
    if (newSrcRow)
        *newSrcRow = srcRow;
    if (newDestRow)
        *newDestRow = at;
    return true;
}

void TListColumnEditor::AllDelete()
{
    m_columns.clear();
    fillSource();
}

bool TListColumnEditor::CanMoveUp(int row) const
{
    return row >= 1 && row < EndRow();
}

bool TListColumnEditor::CanMoveDown(int row) const
{
    return row >= 0 && row < EndRow() - 1;
}

bool TListColumnEditor::Move(int row, int step)
{
    if (step < 0 ? !CanMoveUp(row) : !CanMoveDown(row))
        return false;
    std::swap(m_columns[static_cast<std::size_t>(row)], m_columns[static_cast<std::size_t>(row + (step < 0 ? -1 : 1))]);
    return true;
}

bool TListColumnEditor::SetWidth(int row, int width)
{
    if (row < 0 || row >= EndRow() || width < 1 || width > 999)
        return false;
    m_columns[static_cast<std::size_t>(row)].ItemSize = width;
    return true;
}

bool TListColumnEditor::SetAlign(int row, int align)
{
    if (row < 0 || row >= EndRow() || align < 0 || align > 2)
        return false;
    m_columns[static_cast<std::size_t>(row)].ItemAlign = align;
    return true;
}

bool ClickRuleButton(TListRules &rules, int tag, int selectedType)
{
    const TListRules before = rules;
    auto group = [&](std::initializer_list<std::size_t> lines) {
        const bool allSame = std::all_of(lines.begin(), lines.end(), [&](std::size_t i) {
            return rules.Flags[i] && rules.Types[i] == selectedType;
        });
        for (std::size_t i : lines) {
            rules.Flags[i] = !allSame;
            if (!allSame)
                rules.Types[i] = selectedType;
        }
    };
    if (tag >= 0 && tag <= 5) {
        const auto i = static_cast<std::size_t>(tag);
        if (!(rules.Flags[i] && rules.Types[i] != selectedType))
            rules.Flags[i] = !rules.Flags[i];
        rules.Types[i] = selectedType;
    } else if (tag == 6) {
        rules.Flags.fill(false);
    } else if (tag == 7) {
        group({0, 2, 3, 5});
    } else if (tag == 8) {
        group({1, 4});
    }
    auto changed = [&](std::size_t i) {
        return before.Flags[i] != rules.Flags[i] || before.Types[i] != rules.Types[i];
    };
    return changed(0) || changed(2);
}

int InsertListColor(std::vector<TColor> &colors, int selected, TColor color)
{
    if (static_cast<int>(colors.size()) >= ListPrintMaxColors)
        return -1;
    const int count = static_cast<int>(colors.size());
    if (selected >= 0 && selected < count - 1) {
        colors.insert(colors.begin() + selected + 1, color);
        return selected + 1;
    }
    colors.push_back(color);
    return static_cast<int>(colors.size()) - 1;
}

int DeleteListColor(std::vector<TColor> &colors, int selected)
{
    if (colors.empty() || selected < 0 || selected >= static_cast<int>(colors.size()))
        return colors.empty() ? -1 : selected;
    colors.erase(colors.begin() + selected);
    return std::min(selected, static_cast<int>(colors.size()) - 1);
}

bool SwapListColors(std::vector<TColor> &colors, int from, int to)
{
    const int count = static_cast<int>(colors.size());
    if (from == to || from < 0 || to < 0 || from >= count || to >= count)
        return false;
    std::swap(colors[static_cast<std::size_t>(from)], colors[static_cast<std::size_t>(to)]);
    return true;
}
