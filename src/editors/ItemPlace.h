#pragma once

#include "items/Units.h"

#include <QList>
#include <QSize>
#include <QString>

#include <optional>
#include <utility>

class TDrawRect;
class TLayoutDocument;
class TQRCodeRect;
class TSenderRect;

// Where an item the user inserts lands on the piece (a picture, a figure, a
// QR code, a sender block, a free text), and which items a print run finds
// over the customer barcode. Lengths are page pixels (96 per inch) from the
// piece's top-left corner.
//
// An inserted item never covers what the printed side already shows (the
// addressee's postcode, address, name and bars, every other frame and item)
// and keeps kItemGap clear of it, stays off the stamp's corner of a
// postcard's or an envelope's face, and keeps inside the placeable area:
// the piece less the edge a printer cannot print on a sheet fed whole, and
// less kItemGap from the cut of a label or card.

// The least blank, in page pixels (2 mm and a little), between an inserted
// item and any other, and round the bars of the customer barcode.
inline constexpr int kItemGap = 8;

// The smallest share of its size an item of text (a sender block, a free
// text) is made in search of a free place: smaller, its lines could no
// longer be read.
inline constexpr double kLeastTextScale = 0.25;

// The part of the piece an inserted item may cover.
[[nodiscard]] TPageRect PlaceableArea(const TLayoutDocument &Document);

// How far Item's ink reaches beyond its rectangle: a figure's outline is
// drawn on the edge of its box, half its pen (at a pointed corner or a
// line's end, the whole pen) outside.
[[nodiscard]] int InkOutset(const TDrawRect &Item);

// What Item prints over on the page: its rectangle (a sender block's whole
// block) widened by its ink outset.
[[nodiscard]] TPageRect InkRect(const TDrawRect &Item);

// The place nearest the piece's middle where an item of Size, whose ink
// reaches Outset beyond it, covers nothing the printed side shows; none
// when there is no such place at that size.
[[nodiscard]] std::optional<TPageRect> FreePlace(const TLayoutDocument &Document, QSize Size, int Outset = 0);

// The same for an item that may be made smaller: at its own Size where that
// finds a free place, else at the largest size, proportions kept, that does,
// but not below LeastShortSide on its shorter side; none when even that
// size finds no place.
[[nodiscard]] std::optional<TPageRect> FreePlaceShrunk(const TLayoutDocument &Document, QSize Size,
                                                       int LeastShortSide, int Outset = 0);

// The shorter side LeastShortSide of FreePlaceShrunk for an item of text
// of Size.
[[nodiscard]] int LeastTextSide(QSize Size);
// The shorter side a sender block first sized Size (its places as they are)
// is made no smaller than in search of a free place: each line it shows (its
// address, names, company lines) keeps kLeastTextScale of the room it has
// inside its margins at Size, both ways.
[[nodiscard]] int LeastSenderBlockSide(const TSenderRect &Block, QSize Size);

// The shorter side, in page pixels (4 mm), a picture or figure of Size is
// made no smaller than in search of a free place (one smaller of its own
// keeps its size).
[[nodiscard]] int LeastPictureSide(QSize Size);

// Places a QR code at the free place its size finds, its cells made smaller
// (a code cannot be stretched) down to the smallest where its own find
// none; false, the code as it was, when even the smallest find none.
[[nodiscard]] bool PlaceQRCode(const TLayoutDocument &Document, TQRCodeRect &Item);

// The items the user inserted (pictures, figures, QR codes, sender blocks,
// free texts) that stand clear where they are, as insertion leaves them:
// taken before a step that moves the frames under them or turns one of
// them, and handed to KeepClear after it.
[[nodiscard]] QList<const TDrawRect *> ClearInsertedItems(const TLayoutDocument &Document);
// Places anew, as at insertion (made smaller where it must), each of Items
// still in the document that no longer stands clear; an item the user
// placed over another on purpose is not among Items and stays. The items no
// free place holds stay where they are and are returned.
QList<const TDrawRect *> KeepClear(TLayoutDocument &Document, const QList<const TDrawRect *> &Items);

// The layout's text frames (addressee, sender, additional lines) over an
// inserted item, as the printed side shows them: pairs of indexes, the
// frame first. The print run names them before it prints.
[[nodiscard]] QList<std::pair<int, int>> TextOverItems(const TLayoutDocument &Document);

// The items the user inserted (indexes) whose ink reaches out of the
// placeable area, into the edge a printer may cut off, as the printed side
// shows them. The print run names them before it prints.
[[nodiscard]] QList<int> InsertedItemsAtEdge(const TLayoutDocument &Document);

// What the user is told instead of an item (What: its name) put over the
// addressee when no free place holds it; Smallest says what was tried.
[[nodiscard]] QString NoFreePlaceText(const QString &What, const QString &Smallest = {});

// The items (indexes) over a customer barcode's bars or the blank of
// kItemGap round them, as the printed side shows them: the frames too, which
// their set keeps clear of the bars wherever the paper leaves room.
[[nodiscard]] QList<int> ItemsOverBars(const TLayoutDocument &Document);

// An item's name as the user knows it from the editor's menus ("イラスト",
// "QRコード", "氏名" ...), to name it in a message.
[[nodiscard]] QString ItemName(const TDrawRect &Item);
