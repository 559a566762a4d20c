#include "editors/ItemPlace.h"

#include "editors/LayoutDoc.h"
#include "items/AdditionRect.h"
#include "items/BarRect.h"
#include "items/FigureRect.h"
#include "items/PosRect.h"
#include "items/SenderRect.h"

#include <QPoint>
#include <QRect>

#include <algorithm>
#include <cmath>

namespace {

// The edge of a sheet most printers cannot print, in 0.1 mm.
constexpr int kSheetEdge = 50;
// The postmark area of a postcard's or an envelope's face (70 x 35 mm in the
// stamp's corner, kept free both ways round), in whole page pixels.
constexpr int kStampLong = 265, kStampShort = 133;


bool onFace(const TLayoutDocument &D)
{
    const TPaperKind paper = D.Format.PaperKind();
    return D.Kind == TLayoutKind::AddressSide &&
           (paper == TPaperKind::Postcard || (paper == TPaperKind::Envelope && !D.SenderAsAddressee));
}

// Everything an inserted item keeps clear of: the items widened by the gap,
// the stamp's corner as it is. The items of Skip (the ones being placed)
// are left out.
QList<QRect> obstacles(const TLayoutDocument &D, const QList<const TDrawRect *> &Skip = {})
{
    QList<QRect> areas;
    for (size_t i = 0; i < D.Items.size(); ++i) {
        const TDrawRect &item = *D.Items[i];
        if (!item.IsVisible() || !D.OnPrintedSide(i) || Skip.contains(&item))
            continue;
        const TPageRect r = InkRect(item);
        if (!r.isEmpty())
            areas.append(ToQRect(r).adjusted(-kItemGap, -kItemGap, kItemGap, kItemGap));
    }
    if (onFace(D)) {
        const QSize piece = D.PiecePixels();
        // Top left of upright mail, top right of mail used lying.
        const bool upright = piece.height() >= piece.width();
        for (const QSize stamp : {QSize(kStampLong, kStampShort), QSize(kStampShort, kStampLong)})
            areas.append(QRect(QPoint(upright ? 0 : piece.width() - stamp.width(), 0), stamp));
    }
    return areas;
}

struct TRoom {
    QRect area;            // where an item may lie
    QList<QRect> blocked;  // what it may not touch
    QPoint middle;         // the place it is drawn to
};

TRoom roomOf(const TLayoutDocument &D, const QList<const TDrawRect *> &Skip = {})
{
    const QSize piece = D.PiecePixels();
    return {ToQRect(PlaceableArea(D)), obstacles(D, Skip), QPoint(piece.width() / 2, piece.height() / 2)};
}

// The free place of a W x H item nearest the middle (its ink included). A free place slides
// left and up until it meets the area's edge or a blocked rectangle, and
// towards the middle until it meets one or stands there: only such places
// are tried.
std::optional<QRect> placeIn(const TRoom &Room, int W, int H)
{
    if (W < 1 || H < 1 || W > Room.area.width() || H > Room.area.height())
        return std::nullopt;
    const int minX = Room.area.left(), maxX = Room.area.right() + 1 - W;
    const int minY = Room.area.top(), maxY = Room.area.bottom() + 1 - H;
    QList<int> xs{minX, maxX, Room.middle.x() - W / 2}, ys{minY, maxY, Room.middle.y() - H / 2};
    for (const QRect &b : Room.blocked) {
        xs << b.right() + 1 << b.left() - W;
        ys << b.bottom() + 1 << b.top() - H;
    }
    std::optional<QRect> best;
    qint64 bestDistance = 0;
    for (int x : xs) {
        if (x < minX || x > maxX)
            continue;
        for (int y : ys) {
            if (y < minY || y > maxY)
                continue;
            const QRect r(x, y, W, H);
            if (std::any_of(Room.blocked.cbegin(), Room.blocked.cend(), [&r](const QRect &B) { return B.intersects(r); }))
                continue;
            // Twice the centre's offset, kept whole.
            const qint64 dx = 2 * qint64(x) + W - 2 * qint64(Room.middle.x());
            const qint64 dy = 2 * qint64(y) + H - 2 * qint64(Room.middle.y());
            const qint64 distance = dx * dx + dy * dy;
            if (!best || distance < bestDistance) {
                best = r;
                bestDistance = distance;
            }
        }
    }
    return best;
}

} // namespace

int InkOutset(const TDrawRect &Item)
{
    const auto *figure = dynamic_cast<const TFigureRect *>(&Item);
    if (!figure || !figure->HasFrame())
        return 0;
    const int pen = std::max(1, figure->GetLineWidth());
    switch (figure->GetFigureKind()) {
    case TFigureRect::Rectangle:
    case TFigureRect::RoundRect:
    case TFigureRect::Ellipse: return (pen + 1) / 2;
    default: return pen;
    }
}

TPageRect InkRect(const TDrawRect &Item)
{
    const auto *block = dynamic_cast<const TSenderRect *>(&Item);
    const TPageRect r = block ? block->GetBlockRect() : Item.GetRect();
    const int out = InkOutset(Item);
    return r.isEmpty() ? r : TPageRect{r.Left - out, r.Top - out, r.Right + out, r.Bottom + out};
}

TPageRect PlaceableArea(const TLayoutDocument &D)
{
    const QSize piece = D.PiecePixels();
    // A piece that is the whole sheet keeps off the sheet's unprintable
    // edge; a label or card keeps off its cut, and off the sheet's edge as
    // far as the sheet's margin does not.
    int edge = kSheetEdge;
    if (D.CellsPerSheet() > 1) {
        const QSize sheet = D.SheetSize();
        const QRect first = D.CellRect(0), last = D.CellRect(D.CellsPerSheet() - 1);
        const int margin = std::min({first.left(), first.top(), sheet.width() - (last.left() + last.width()),
                                     sheet.height() - (last.top() + last.height())});
        edge = kSheetEdge - std::max(0, margin);
    }
    const int inset = std::max(kItemGap, edge > 0 ? PaperFmt::tenthsToPixels(edge) : 0);
    if (piece.width() <= 2 * inset || piece.height() <= 2 * inset)
        return {};
    return {inset, inset, piece.width() - inset, piece.height() - inset};
}

namespace {

// The item's own rectangle in the place found for its ink.
std::optional<TPageRect> itemIn(const std::optional<QRect> &Ink, int Outset)
{
    if (!Ink)
        return std::nullopt;
    return PageRectOf(Ink->adjusted(Outset, Outset, -Outset, -Outset));
}

} // namespace

std::optional<TPageRect> FreePlace(const TLayoutDocument &Document, QSize Size, int Outset)
{
    return itemIn(placeIn(roomOf(Document), Size.width() + 2 * Outset, Size.height() + 2 * Outset), Outset);
}

namespace {

std::optional<TPageRect> shrunkIn(const TRoom &room, QSize Size, int LeastShortSide, int Outset)
{
    if (Size.width() < 1 || Size.height() < 1)
        return std::nullopt;
    auto placed = [&](QSize S) { return placeIn(room, S.width() + 2 * Outset, S.height() + 2 * Outset); };
    if (const std::optional<QRect> own = placed(Size))
        return itemIn(own, Outset);
    // The size is stepped by its longer side, the shorter one following in
    // proportion: a smaller item fits wherever a larger one did, so the
    // largest that fits is found by halving.
    const bool wide = Size.width() >= Size.height();
    const int longSide = wide ? Size.width() : Size.height();
    const int shortSide = wide ? Size.height() : Size.width();
    auto sized = [&](int Long) {
        const int other = std::max(1, int(std::lround(double(Long) * shortSide / longSide)));
        return wide ? QSize(Long, other) : QSize(other, Long);
    };
    auto shortOf = [](QSize S) { return std::min(S.width(), S.height()); };
    // The least longer side whose shorter side, rounded, reaches the least
    // allowed.
    int low = std::max(1, int((std::max(1, LeastShortSide) - 0.5) * longSide / shortSide));
    while (low < longSide && shortOf(sized(low)) < LeastShortSide)
        ++low;
    if (low >= longSide)
        return std::nullopt;
    std::optional<QRect> found = placed(sized(low));
    if (!found)
        return std::nullopt;
    int high = longSide; // does not fit
    while (high - low > 1) {
        const int mid = low + (high - low) / 2;
        if (const std::optional<QRect> tried = placed(sized(mid))) {
            low = mid;
            found = tried;
        } else {
            high = mid;
        }
    }
    return itemIn(found, Outset);
}

} // namespace

std::optional<TPageRect> FreePlaceShrunk(const TLayoutDocument &Document, QSize Size, int LeastShortSide, int Outset)
{
    return shrunkIn(roomOf(Document), Size, LeastShortSide, Outset);
}

int LeastTextSide(QSize Size)
{
    return int(std::ceil(std::min(Size.width(), Size.height()) * kLeastTextScale));
}

int LeastSenderBlockSide(const TSenderRect &Block, QSize Size)
{
    constexpr int kBlank = 2 * TSenderRect::Blank;
    const int margins = 2 * TextItemMargin.value;
    const int shortSide = std::min(Size.width(), Size.height());
    const int longSide = std::max(Size.width(), Size.height());
    // The blank round the lines and each line's text margins keep their size
    // as the block shrinks: a quarter of the block's size leaves its lines no
    // room at all, and the block prints its postcode alone (which has no
    // margins). The contact lines, empty for most senders, are not asked.
    const bool personal = Block.IsPrivate();
    const QList<TMetaRect *> &items = personal ? Block.PrivateItems() : Block.CorpItems();
    double least = LeastTextSide(Size);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const TMetaRect *line = items.at(i);
        if (!line->IsVisible() || dynamic_cast<const TPosRect *>(line) || dynamic_cast<const TAdditionRect *>(line))
            continue;
        const TPageRect &place = personal ? Block.PrivatePlaces()[size_t(i)] : Block.CorpPlaces()[size_t(i)];
        for (const bool widthwise : {true, false}) {
            const double share = double(widthwise ? place.width() : place.height()) / TSenderRect::Grid;
            const int side = widthwise ? Size.width() : Size.height();
            const double room = share * (side - kBlank) - margins;
            if (share <= 0 || room <= 0)
                continue;
            const double needed = kBlank + (margins + kLeastTextScale * room) / share;
            least = std::max(least, side == shortSide ? needed : needed * shortSide / longSide);
        }
    }
    return std::min(shortSide, int(std::ceil(least)));
}

int LeastPictureSide(QSize Size)
{
    constexpr int kLeastSide = 15;
    return std::min({kLeastSide, Size.width(), Size.height()});
}

namespace {

// A QR code's free place in Room, its cells made smaller where it must; the
// code as it was when none is found.
bool placeQRIn(const TRoom &Room, TQRCodeRect &Item)
{
    const qint32 pitch = Item.GetCellPitch();
    const TPageRect was = Item.GetRect();
    for (qint32 p = pitch; p >= TQRCodeRect::MinCellPitch; --p) {
        Item.SetCellPitch(p);
        Item.Rebuild(true);
        const TPageRect size = Item.GetRect();
        if (const std::optional<TPageRect> place = itemIn(placeIn(Room, size.width(), size.height()), 0)) {
            Item.SetRect(*place);
            return true;
        }
    }
    Item.SetCellPitch(pitch);
    Item.Rebuild(true);
    Item.SetRect(was);
    return false;
}

bool isInserted(const TLayoutDocument &D, size_t Index)
{
    if (Index < D.ItemRoles.size() && D.ItemRoles[Index] >= 0)
        return false;
    switch (D.Items[Index]->GetKind()) {
    case TDrawRectKind::Illust:
    case TDrawRectKind::Word:
    case TDrawRectKind::Figure:
    case TDrawRectKind::QRCode:
    case TDrawRectKind::SenderBlock: return true;
    default: return false;
    }
}

// Whether the item at Index stands where an insertion could have put it:
// inside the placeable area, clear of everything else the side shows.
bool standsClear(const TLayoutDocument &D, size_t Index)
{
    const TDrawRect &item = *D.Items[Index];
    const TPageRect ink = InkRect(item);
    if (!item.IsVisible() || !D.OnPrintedSide(Index) || ink.isEmpty())
        return true;
    const QRect r = ToQRect(ink);
    if (!ToQRect(PlaceableArea(D)).contains(r))
        return false;
    const QList<QRect> blocked = obstacles(D, {&item});
    return std::none_of(blocked.cbegin(), blocked.cend(), [&r](const QRect &B) { return B.intersects(r); });
}

// Item at the free place of Room nearest the middle, made smaller as at its
// insertion; false, the item unchanged, when there is none.
bool placeAnew(const TLayoutDocument &D, const TRoom &Room, TDrawRect &Item)
{
    if (auto *qr = dynamic_cast<TQRCodeRect *>(&Item))
        return placeQRIn(Room, *qr);
    std::optional<TPageRect> place;
    if (auto *block = dynamic_cast<TSenderRect *>(&Item)) {
        const TPageRect r = block->GetBlockRect();
        const QSize size(r.width(), r.height());
        place = shrunkIn(Room, size, LeastSenderBlockSide(*block, size), 0);
        if (!place)
            return false;
        block->SetRect(*place);
        block->ResetChildRect(-1);
        block->RescaleFonts(TTenthMm(std::max(D.Format.Width, D.Format.Height)));
        return true;
    }
    const TPageRect r = Item.GetRect();
    const QSize size(r.width(), r.height());
    const int least = Item.GetKind() == TDrawRectKind::Word ? LeastTextSide(size) : LeastPictureSide(size);
    place = shrunkIn(Room, size, least, InkOutset(Item));
    if (!place)
        return false;
    Item.SetRect(*place);
    return true;
}

} // namespace

bool PlaceQRCode(const TLayoutDocument &Document, TQRCodeRect &Item)
{
    return placeQRIn(roomOf(Document), Item);
}

QList<const TDrawRect *> ClearInsertedItems(const TLayoutDocument &D)
{
    QList<const TDrawRect *> clear;
    for (size_t i = 0; i < D.Items.size(); ++i)
        if (isInserted(D, i) && standsClear(D, i))
            clear << D.Items[i].get();
    return clear;
}

QList<const TDrawRect *> KeepClear(TLayoutDocument &D, const QList<const TDrawRect *> &Items)
{
    auto indexOf = [&D](const TDrawRect *Item) -> std::optional<size_t> {
        for (size_t i = 0; i < D.Items.size(); ++i)
            if (D.Items[i].get() == Item)
                return i;
        return std::nullopt;
    };
    QList<const TDrawRect *> moving;
    for (const TDrawRect *item : Items)
        if (const std::optional<size_t> i = indexOf(item); i && !standsClear(D, *i))
            moving << item;
    // Each is placed among the others as they stand, the ones still to be
    // placed left out: they are going elsewhere.
    QList<const TDrawRect *> waiting = moving, stuck;
    for (const TDrawRect *item : moving) {
        const std::optional<size_t> i = indexOf(item);
        if (!placeAnew(D, roomOf(D, waiting), *D.Items[*i]))
            stuck << item;
        waiting.removeOne(item);
    }
    return stuck;
}

QList<std::pair<int, int>> TextOverItems(const TLayoutDocument &D)
{
    // The frames' kinds; the barcode is asked about on its own.
    auto isFrame = [](TDrawRectKind Kind) {
        return int(Kind) <= int(TDrawRectKind::Addition) && Kind != TDrawRectKind::Barcode;
    };
    QList<std::pair<int, int>> over;
    for (size_t t = 0; t < D.Items.size(); ++t) {
        const TDrawRect &text = *D.Items[t];
        if (!isFrame(text.GetKind()) || !text.IsVisible() || !D.OnPrintedSide(t))
            continue;
        const TPageRect r = InkRect(text);
        if (r.isEmpty())
            continue;
        for (size_t i = 0; i < D.Items.size(); ++i) {
            if (i == t || !isInserted(D, i) || !D.Items[i]->IsVisible() || !D.OnPrintedSide(i))
                continue;
            const TPageRect c = InkRect(*D.Items[i]);
            if (!c.isEmpty() && ToQRect(c).intersects(ToQRect(r)))
                over.append({int(t), int(i)});
        }
    }
    return over;
}

QList<int> InsertedItemsAtEdge(const TLayoutDocument &D)
{
    const QRect area = ToQRect(PlaceableArea(D));
    QList<int> out;
    for (size_t i = 0; i < D.Items.size(); ++i) {
        if (!isInserted(D, i) || !D.Items[i]->IsVisible() || !D.OnPrintedSide(i))
            continue;
        const TPageRect ink = InkRect(*D.Items[i]);
        if (!ink.isEmpty() && !area.contains(ToQRect(ink)))
            out.append(int(i));
    }
    return out;
}

QString NoFreePlaceText(const QString &What, const QString &Smallest)
{
    return What + QStringLiteral("を置ける場所がありません  \r\n") + Smallest +
           QStringLiteral("宛名やバーコード、ほかの項目に重ならずに入る空きがないため、挿入しませんでした  ");
}

QList<int> ItemsOverBars(const TLayoutDocument &D)
{
    QList<int> over;
    for (size_t b = 0; b < D.Items.size(); ++b) {
        const TDrawRect &bars = *D.Items[b];
        if (bars.GetKind() != TDrawRectKind::Barcode || !bars.IsVisible() || !D.OnPrintedSide(b))
            continue;
        const TPageRect r = InkRect(bars);
        if (r.isEmpty())
            continue;
        const QRect blank = ToQRect(r).adjusted(-kItemGap, -kItemGap, kItemGap, kItemGap);
        for (size_t i = 0; i < D.Items.size(); ++i) {
            if (i == b || !D.Items[i]->IsVisible() || !D.OnPrintedSide(i) || over.contains(int(i)))
                continue;
            const TPageRect c = InkRect(*D.Items[i]);
            if (!c.isEmpty() && ToQRect(c).intersects(blank))
                over.append(int(i));
        }
    }
    std::sort(over.begin(), over.end());
    return over;
}

QString ItemName(const TDrawRect &Item)
{
    switch (Item.GetKind()) {
    case TDrawRectKind::RecipientPostcode: return QStringLiteral("郵便番号");
    case TDrawRectKind::RecipientAddress: return QStringLiteral("住所");
    case TDrawRectKind::RecipientName: return QStringLiteral("氏名");
    case TDrawRectKind::SenderPostcode: return QStringLiteral("差出人の郵便番号");
    case TDrawRectKind::SenderAddress: return QStringLiteral("差出人の住所");
    case TDrawRectKind::SenderName: return QStringLiteral("差出人の氏名");
    case TDrawRectKind::Addition: return QStringLiteral("付加情報");
    case TDrawRectKind::Barcode: return QStringLiteral("バーコード");
    case TDrawRectKind::Illust: return QStringLiteral("イラスト");
    case TDrawRectKind::Word: return QStringLiteral("文字");
    case TDrawRectKind::Figure: return QStringLiteral("図形");
    case TDrawRectKind::QRCode: return QStringLiteral("QRコード");
    case TDrawRectKind::SenderBlock: return QStringLiteral("差出人情報");
    }
    return QStringLiteral("項目");
}
