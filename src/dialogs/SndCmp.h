#pragma once

struct TDataFormat;
struct TSenderData;
class TSenderRect;
class TAdditionRect;

// Fills the children of a sender block from one sender record with the
// layout's conversions: postcode with the sender's postal mark, address
// lines, the name with its joint names (merged after "・" when the layout
// keeps joint names together), the company lines, and the contact lines of
// kinds 19 to 22 (telephone numbers hyphenated, mail and web addresses kept
// half-width). Every text goes full-width. A null sender leaves every child
// empty, so a block whose sender cannot be found never shows another
// sender's data. PrintFlags: contact lines the sender does not print stay
// empty (the editors' merge; the settings dialog's preview shows them all).
// A null Format applies the defaults.
void ComposeSenderBlock(TSenderRect &Block, const TSenderData *Sender, const TDataFormat *Format,
                        bool PrintFlags = false);

// Fills one additional-information item of kind 19 to 22 with the sender's
// contact line of that number, converted as the sender block converts it;
// a null sender, or a line the sender leaves empty, empties the item. Items
// of other kinds are left alone. Vertical: the item is written vertically.
void ComposeSenderAddition(TAdditionRect &Item, const TSenderData *Sender, const TDataFormat &Format, bool Vertical,
                           bool PrintFlags = false);
