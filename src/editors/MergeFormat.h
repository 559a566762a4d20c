#pragma once

#include "dialogs/DataFormat.h"

#include <QtGlobal>

class TDrawRect;
class TLayoutDocument;
struct TAddressText;

// The item classes a merge fills. An item's class is told from its kind (one
// virtual call) instead of trying a cast to each class in turn, for every
// item of every record merged; the name and company frames share their
// kinds and are told apart by their exact type.
enum class TMergeClass : quint8 { Other, Postcode, Address, Name, Corp, Barcode, SenderBlock, Addition };
[[nodiscard]] TMergeClass MergeClassOf(const TDrawRect &Item);

// The data format a layout's merge uses: its own record, or, while it has
// none, the record a new layout of its kind starts with.
[[nodiscard]] TDataFormat EffectiveDataFormat(const TLayoutDocument &Document);

// A new layout: the fields a new layout of the document's kind starts with
// are set in its record; the others keep the values the user gave them.
void ApplyNewLayoutFormat(TLayoutDocument &Document);

// Applies the layout's data format to the items a merge has just filled:
// the postal marks, the address conversions (prefecture left out, kanji
// numerals, dashes as "の", upright digits), the corporate form, the honorifics a record leaves
// empty, the size steps, company ratios, name spacing and alignment, and
// the line breaking of company lines; and fills the additional lines from
// the record's fields, those of kinds 19 to 22 from the contact lines of the
// document's PrintedSender (empty without one). Part of every merge, on
// screen and on paper.
void ApplyDataFormat(TLayoutDocument &Document, const TAddressText *Record, const TAddressText *Sender);
// The same with the document's data format already at hand (its
// EffectiveDataFormat), as a merge has it.
void ApplyDataFormat(TLayoutDocument &Document, const TAddressText *Record, const TAddressText *Sender,
                     const TDataFormat &Format);

// Address text as the data format converts it; in vertical writing the
// dashes left become the long vowel mark, which stands upright in a column.
[[nodiscard]] QString ConvertAddressText(const QString &Text, const TDataFormat &Format, bool Vertical = false);
// A postcode as a postal mark code writes it: 0 the digits as stored (the
// printed boxes), 1 "〒" and the digits with their hyphen, 2 with the hyphen.
[[nodiscard]] QString ConvertPostcode(const QString &Postcode, qint32 Mark);
// A company name in the data format's corporate form.
[[nodiscard]] QString ConvertCorpForm(const QString &Text, qint32 CorpForm);
