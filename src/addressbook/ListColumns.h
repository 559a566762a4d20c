#pragma once

#include <QString>

#include <array>

// One column of the main list in the user's order: its id (the catalogue
// index written to AdrsList.ini), its row in AddressListColumns, its width
// in screen pixels and whether it is shown.
struct TColumnRecord {
    int Index = 0;
    int DefIndex = 0;
    int Width = 0;
    bool Shown = false;

    friend bool operator==(const TColumnRecord &, const TColumnRecord &) = default;
};

constexpr int ListColumnCount = 43;
using TColumnRecords = std::array<TColumnRecord, ListColumnCount>;

// The catalogue's order, default widths scaled to the screen and default
// shown flags.
[[nodiscard]] TColumnRecords DefaultColumnRecords();

// The caption of a column by its catalogue row: the user's keyword caption
// for the keyword columns (rows 27..34), else the catalogue caption.
[[nodiscard]] QString ColumnCaption(int DefIndex);

// The fifteen orders of the list.
constexpr int SortTypeCount = 15;
struct TSortType {
    QString Caption;   // "登録順", ...; keyword rows hold "キーワード１順" ..
    QString IndexName; // index of Adrs.DB; empty = primary (RecNo)
};
extern const std::array<TSortType, SortTypeCount> SortTypes;
// The caption the sort combo shows: keyword caption n + "順" for 7..14.
[[nodiscard]] QString SortTypeCaption(int SortType);
