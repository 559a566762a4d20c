#pragma once

#include "dialogs/PaperFmt.h"
#include "dialogs/SenderData.h"
#include "items/BackImage.h"
#include "items/BarRect.h"
#include "items/DrawRect.h"

#include <QList>
#include <QSizeF>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct TAddressText;
struct TDataFormat;
struct TReferenceDevice;

// Which editor a layout belongs to; decides how its paper is read and which
// record its sender items take.
enum class TLayoutKind : quint8 { AddressSide = 0, Label = 1, Card = 2, Design = 3 };

// One layout as the editors hold it: the paper (format record and its cell
// grid) and the printable items on one piece, in page pixels (96 dpi) from
// the piece's top-left corner. Painting never happens here: PaintPiece draws
// the items of one piece onto any painter, so the editor's page view, the
// printer, the preview and the tests share one path.
class TLayoutDocument
{
public:
    TLayoutKind Kind = TLayoutKind::AddressSide;
    qint32 FormatIndex = 0;
    TLayoutFormat Format;
    TLabelGrid Grid;
    // Simple (false) or detail (true) frame set in use.
    bool Detail = false;
    // The towns of a postcode for the customer barcode (none: the address
    // alone decides its number).
    TTownNameLookup TownNames;
    std::vector<std::unique_ptr<TDrawRect>> Items;
    // The frame role of each default item (postcode, address lines, company,
    // department, title, name, joint names, barcode, sender frames), so that the two address frames and the company lines of the
    // detail set know their part of the record; -1 for an item added later.
    std::vector<int> ItemRoles;
    // The conversions of the layout's texts (the sender blocks read them).
    // Null: the defaults.
    std::shared_ptr<const TDataFormat> DataFormat;
    // The page background (design layouts), drawn under every item.
    TBackImage Background;
    // Finds the sender a sender block names by its title; nothing when no
    // sender has it (the block then merges empty). Reads Sender.DB through
    // the data module unless replaced.
    std::function<std::optional<TSenderData>(const QString &Title)> FindSender = LoadSenderByTitle;
    // The sender the editor prints (the one chosen in the sender window,
    // else the default one), whose contact lines fill the additional lines
    // of kinds 19 to 22. Unset or nothing: those lines merge empty.
    std::function<std::optional<TSenderData>()> PrintedSender;
    // The addressee's items take the sender's own record (a reply card
    // addressed to the sender, a return-address label, the sender's own
    // business card): their honorific is the sender-addressed one. The
    // layout's data side, kept in its file.
    bool SenderAsAddressee = false;

    // Replaces the items by the fixed items of the format's frame set in
    // the roles' order (postcode, address, name, then the sender's; the
    // detail set adds company, department and title lines; the customer
    // barcode stands centred in its frame at the largest size that fits).
    // A paper too small for the smallest customer barcode prints none
    // (its bars would run over the neighbouring pieces): the set's
    // barcode is built hidden there.
    void BuildDefaultItems();
    // Hides every customer barcode of a paper too small for one (a layout
    // saved before with one shown).
    void HideUnprintableBarcode();
    [[nodiscard]] bool BarcodeFitsPaper() const;
    // The frames of the set in use.
    [[nodiscard]] int FrameCount() const;
    // Horizontal writing: postcards and envelopes of direction 1 or 2, wide
    // labels, and cards other than the tall vertical one.
    [[nodiscard]] bool HorizontalWriting() const;
    // Cells on one sheet (1 for a single piece per sheet).
    [[nodiscard]] int CellsPerSheet() const;
    // The printed sheet in 0.1 mm: the grid's sheet, or the piece itself.
    [[nodiscard]] QSize SheetSize() const;
    // One piece in 0.1 mm and in page pixels.
    [[nodiscard]] QSize PieceSize() const { return QSize(Format.Width, Format.Height); }
    [[nodiscard]] QSize PiecePixels() const;
    // Cell (0-based, row by row) of the sheet: its rectangle in 0.1 mm on
    // the upright sheet.
    [[nodiscard]] QRect CellRect(int Cell) const;

    // Whether item Index belongs to the side of the paper the layout prints.
    // An envelope has two: its front takes the addressee's frames, its back
    // (the sender side, the layout filled from the sender) the sender's
    // frames, which stand where the addressee's name is on the front. Items
    // the user added print on whichever side is laid out; every other paper
    // prints all its items on its one side.
    [[nodiscard]] bool OnPrintedSide(size_t Index) const;
    // Where the frame set in use puts item Index: its role's frame (the
    // customer barcode centred in its frame at its largest size); none for
    // an item the user added. An item of the set standing elsewhere was
    // moved or resized by the user.
    [[nodiscard]] std::optional<TPageRect> FramePlace(size_t Index) const;

    // Sets the device every recorded item (text items, sender blocks,
    // figures) lays its content out for, and rescales the fonts to the paper.
    void SetReferenceDevice(const TReferenceDevice &Device);
};

// Puts a record's fields into the items: postcode, the address in three
// lines (prefecture with line 1, line 2, line 3), a person's name with its
// honorific and joint names, a company's company, department and title
// with its name, and the customer barcode (with the document's TownNames).
// The record comes as text, decoded where it was read (AddressTextOf).
// Sender items take Sender; a null record empties the items it would fill
// (a record deleted meanwhile merges as empty, never as the record shown
// before).
void MergeRecord(TLayoutDocument &Document, const TAddressText *Record, const TAddressText *Sender);

// Lines the detailed set's joint names up with the name beside them: the
// name item is laid out, and the joint frame takes its grid, so that the
// given names start under (beside) the name's and the honorifics stand under
// the name's, as they do beside the name in one frame. Run before the items
// are drawn: a name frame moved or resized since the last merge changes
// where they stand.
void LineUpJointNames(TLayoutDocument &Document);

// Lends the room a label or card leaves blank to the addressee's texts next
// to it, for the merged record: the frames it leaves empty (the company,
// department and title frames of a private person, a company's without a
// department) and the blank between frames, out from a text's frame to
// the nearest thing printing or the piece's edge, across its lines first,
// then along them; never across level with an addressee's text read
// after it, so that the block reads in its order. The name first, then
// the company lines, then the address: a text takes of that room only
// what keeps it at the least height without narrowing it, or narrows it
// least (TMetaRect::SetRoom), and what one takes is in the way of the
// next. The additional lines make way: they see the texts where they
// print. Run before the items are drawn or measured, as LineUpJointNames:
// the frames may have moved since the merge.
void LendFreeRoom(TLayoutDocument &Document);

// Draws the items of one piece at OriginDots (device dots of the painter,
// Dpi its resolution); Offset is the user's print position correction.
// UpsideDown turns the piece half round about its centre (postcards fed
// the other way round).
void PaintPiece(QPainter &Painter, TLayoutDocument &Document, QPoint OriginDots, TDeviceDpi Dpi,
                TTenthMmPoint Offset = {}, bool UpsideDown = false);
