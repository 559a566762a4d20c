#pragma once

#include "addressbook/AdrsSch.h"

#include <utility>

// Filter condition items as the filter tests build them.

// A text condition (kind 0); an empty value has no match mode.
inline TNarrowDownItem textItem(int item, QByteArray value, int match)
{
    TNarrowDownItem i;
    i.Item = item;
    i.Value = std::move(value);
    i.Match = i.Value.isEmpty() ? -1 : match;
    return i;
}

// A pick-list condition (kind 1): the entry at index of the item's list,
// or every other entry when negated.
inline TNarrowDownItem choiceItem(int item, int index, bool negate = false)
{
    TNarrowDownItem i;
    i.Item = item;
    i.Kind = 1;
    i.Value1 = index;
    i.Negate = negate;
    return i;
}

// A month range (kind 11, months as yyyymm) on the first-listed month.
inline TNarrowDownItem monthItem(int from, int to)
{
    TNarrowDownItem i;
    i.Item = 4;
    i.Kind = 11;
    i.Value1 = from;
    i.Value2 = to;
    return i;
}
