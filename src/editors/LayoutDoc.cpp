#include "editors/LayoutDoc.h"

#include "core/AddressText.h"
#include "dialogs/DataFormat.h"
#include "editors/AdditionPlace.h"
#include "editors/ItemPlace.h"
#include "editors/MergeFormat.h"
#include "editors/PrintedSizes.h"
#include "items/AdditionRect.h"
#include "items/AddressRect.h"
#include "items/CorpRect.h"
#include "items/FigureRect.h"
#include "items/MetaRect.h"
#include "items/NameRect.h"
#include "items/PosRect.h"
#include "items/SenderRect.h"
#include "dialogs/SndCmp.h"

#include <QPainter>
#include <QStringBuilder>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

TPageRect pageRect(const TFrameRect &R)
{
    return {R.Left, R.Top, R.Right, R.Bottom};
}

bool isPostalPaper(const TLayoutFormat &F)
{
    return F.PaperKind() == TPaperKind::Postcard || F.PaperKind() == TPaperKind::Envelope;
}

// What the detail set's frames hold, in the order of its roles.
enum class TRole {
    Postcode,
    Address,
    Address1,
    Address2,
    Company,
    Department,
    Post,
    Name,
    Joint,
    Barcode,
    SenderPostcode,
    SenderAddress,
    SenderName
};

QList<TRole> rolesOf(const TLayoutFormat &F, bool Detail)
{
    const bool postal = isPostalPaper(F);
    if (!Detail) {
        QList<TRole> roles{TRole::Postcode, TRole::Address, TRole::Name, TRole::Barcode};
        if (postal)
            roles << TRole::SenderPostcode << TRole::SenderAddress << TRole::SenderName;
        return roles;
    }
    QList<TRole> roles{TRole::Postcode,   TRole::Address1, TRole::Address2, TRole::Company,
                       TRole::Department, TRole::Post,     TRole::Name};
    if (postal)
        roles << TRole::Joint;
    roles << TRole::Barcode;
    if (postal)
        roles << TRole::SenderPostcode << TRole::SenderAddress << TRole::SenderName;
    return roles;
}

QString honorOr(const QString &Honor)
{
    return Honor.isEmpty() ? QStringLiteral("様") : Honor;
}

void mergeName(TNameRect &Item, const TAddressText *Record, bool Detail, bool WithTitle, quint16 Hidden)
{
    // Every company line is set each time: one of the record merged before
    // never stays (a company item draws its department and title even
    // without a name). The addressee's detail set prints them in frames of
    // their own, but for a title the name takes (WithTitle); a sender's
    // name frame holds them in either set. A line the layout hides stays
    // empty.
    const bool company = Record && Record->IsCompany() && (!Detail || Item.IsSender());
    const bool title = company || (Record && WithTitle);
    Item.SetCorp(company && !(Hidden & hpCorp) ? Record->CorpKanji : QString());
    Item.SetDptmnt(0, company && !(Hidden & hpDptmnt) ? Record->Dptmnt : QString());
    Item.SetDptmnt(1, {});
    Item.SetPost(title && !(Hidden & hpPost) ? Record->Post : QString());
    if (!Record) {
        Item.SetName({});
        Item.SetHonor({});
        Item.SetJointCount(0);
        return;
    }
    Item.SetNameKind(title ? 2 : 1);
    // A private sender's own print mark (本) decides whether its name prints,
    // as on its sender block; a company sender always names itself.
    const bool senderOwnName = Record->IsCompany() || Record->JointPrint;
    Item.SetName(!Item.IsSender() || senderOwnName ? Record->NameKanji : QString());
    Item.SetHonor(Item.IsSender() ? QString() : honorOr(Record->Honor));
    Item.SetShowHonor(!Item.IsSender());
    // A sender's joint names print beside its name as they do on its own
    // block, without honorifics.
    QList<std::pair<QString, QString>> shown;
    if (Item.IsSender() || Record->JointPrint) {
        for (size_t i = 0; i < Record->Joint.size(); ++i)
            if (Record->JointPrints[i] && !Record->Joint[i].isEmpty())
                shown.append({Record->Joint[i], Item.IsSender() ? QString() : honorOr(Record->JointHonor[i])});
    }
    // Without its own name the sender's first printed joint name takes the
    // name's place, with the family name when it is written without one (the
    // sender block composes it the same way).
    if (Item.IsSender() && Item.GetName().isEmpty() && !shown.isEmpty()) {
        // NormalizeNameSpace leaves one blank after the family name, or a
        // leading blank when there is none.
        const QString first = NormalizeNameSpace(shown.takeFirst().first);
        const QString own = NormalizeNameSpace(Record->NameKanji);
        const bool withoutFamily = first.startsWith(u' ');
        Item.SetName((withoutFamily ? own.left(own.indexOf(u' ')) + first : first).trimmed());
    }
    Item.SetJointCount(int(shown.size()));
    for (int i = 0; i < shown.size(); ++i) {
        Item.SetJointName(i, shown[i].first);
        Item.SetJointHonor(i, shown[i].second);
    }
}

// The record's address lines a default address frame of Role holds: the
// first one's index and how many. The hidden-part bits of the lines follow
// them in the same order (hpAddress1 << line).
static_assert(hpAddress2 == hpAddress1 << 1 && hpAddress3 == hpAddress1 << 2);

struct TAddressLines {
    int First;
    int Count;
    [[nodiscard]] quint16 Bits() const { return quint16(((1 << Count) - 1) * hpAddress1 << First); }
};

TAddressLines addressLinesOf(int Role)
{
    if (Role == int(TRole::Address1))
        return {0, 1};
    if (Role == int(TRole::Address2))
        return {1, 2};
    return {0, 3};
}

void mergeAddress(TAddressRect &Item, const TAddressText *Record, int FirstLine, int LineCount, quint16 Hidden)
{
    // Each line straight from the record's field, without a list of copies;
    // a line the layout hides leaves its place empty (the next one moves up).
    for (int i = 0; i < 3; ++i) {
        const int line = FirstLine + i;
        if (!Record || i >= LineCount || line >= 3 || (Hidden & (hpAddress1 << line)))
            Item.SetAddressLine(i, QString());
        else if (line == 0)
            Item.SetAddressLine(i, Record->Tdfkn % Record->Adrs1);
        else
            Item.SetAddressLine(i, line == 1 ? Record->Adrs2 : Record->Adrs3);
    }
}

// Whether the detailed set's name frame takes the record's title: a short
// one (up to six characters) stands before the person's name on its line
// there, as the simple set prints it, instead of standing apart in the title
// frame as far from the name as the department's length leaves it. The title
// frame keeps a longer title, which is a line of its own, and the title of
// a company addressed as itself; a hidden frame of either keeps it there.
bool titleWithName(const TLayoutDocument &Document, const TAddressText *Record)
{
    if (!Document.Detail || !Record || !Record->IsCompany() || Record->NameKanji.isEmpty() ||
        Record->Post.isEmpty() || CellCount(Record->Post) > 6)
        return false;
    bool name = false, post = false;
    for (size_t i = 0; i < Document.Items.size() && i < Document.ItemRoles.size(); ++i) {
        const TDrawRect &item = *Document.Items[i];
        if (Document.ItemRoles[i] == int(TRole::Name) && MergeClassOf(item) == TMergeClass::Name)
            name = item.IsVisible();
        else if (Document.ItemRoles[i] == int(TRole::Post) && MergeClassOf(item) == TMergeClass::Corp)
            post = item.IsVisible();
    }
    return name && post;
}

// The detail set prints a company's lines in frames of their own: a company
// addressed as itself (no person named) takes its honorific, its own or the
// layout's company one, after the last of them that prints. The name frame
// stays empty then and has no honorific to show.
void mergeCompanyHonor(TLayoutDocument &Document, const TAddressText *Record, const TDataFormat &Format)
{
    TCorpRect *last = nullptr;
    for (size_t i = 0; i < Document.Items.size() && i < Document.ItemRoles.size(); ++i) {
        const int role = Document.ItemRoles[i];
        if (role != int(TRole::Company) && role != int(TRole::Department) && role != int(TRole::Post))
            continue;
        if (MergeClassOf(*Document.Items[i]) == TMergeClass::Corp) {
            auto *c = static_cast<TCorpRect *>(Document.Items[i].get());
            c->SetHonor({});
            if (c->IsVisible() && !c->GetText().isEmpty())
                last = c;
        }
    }
    if (last && Record && Record->IsCompany() && Record->NameKanji.isEmpty())
        last->SetHonor(Record->Honor.isEmpty() ? TDataFormat::HonorText(Format.CorpHonor) : Record->Honor);
}

// The detail set's name item and its joint names' item, where it has them.
std::pair<TNameRect *, TNameRect *> nameAndJoint(TLayoutDocument &Document)
{
    TNameRect *name = nullptr;
    TNameRect *joint = nullptr;
    for (size_t i = 0; i < Document.Items.size() && i < Document.ItemRoles.size(); ++i) {
        const int role = Document.ItemRoles[i];
        if ((role != int(TRole::Name) && role != int(TRole::Joint)) ||
            MergeClassOf(*Document.Items[i]) != TMergeClass::Name)
            continue;
        auto *n = static_cast<TNameRect *>(Document.Items[i].get());
        if (role == int(TRole::Name))
            name = n;
        else
            joint = n;
    }
    return {name, joint};
}

// The detail set of postcards and envelopes has a frame of its own for the
// joint names beside the name's: they print there, one line each with their
// honorifics, at the size that frame gives them, instead of crowding the
// name's frame. The name item takes them with their honorifics (converted
// by the data format) and hands them over; while the joint frame is hidden
// the name keeps them beside it, as a layout without one does.
void moveJointNames(TLayoutDocument &Document)
{
    const auto [name, joint] = nameAndJoint(Document);
    if (!joint) {
        if (name)
            name->SetJointCells(0, 0);
        return;
    }
    const int count = name && joint->IsVisible() ? name->GetJointCount() : 0;
    // The name's grid takes the joint names' cells, so that each of them
    // has a place on it (as beside the name in one frame).
    if (name) {
        int family = 0, given = 0;
        for (int i = 0; i < count; ++i) {
            const TNameParts parts = SplitNameParts(name->GetJointName(i));
            family = std::max(family, int(CellCount(parts.Family)));
            given = std::max(given, int(CellCount(parts.Given)));
        }
        name->SetJointCells(family, given);
    }
    joint->SetNameKind(1);
    joint->SetShowHonor(name ? name->IsShowHonor() : true);
    joint->SetName(count > 0 ? name->GetJointName(0) : QString());
    joint->SetHonor(count > 0 ? name->GetJointHonor(0) : QString());
    joint->SetJointCount(std::max(0, count - 1));
    for (int i = 1; i < count; ++i) {
        joint->SetJointName(i - 1, name->GetJointName(i));
        joint->SetJointHonor(i - 1, name->GetJointHonor(i));
    }
    if (count > 0)
        name->SetJointCount(0);
}

} // namespace

void LineUpJointNames(TLayoutDocument &Document)
{
    const auto [name, joint] = nameAndJoint(Document);
    if (!joint)
        return;
    TNameGuide guide;
    if (name && name->IsVisible()) {
        name->Rebuild(false);
        guide = name->GetGuide();
    }
    joint->SetLineUpWith(guide);
}

void LendFreeRoom(TLayoutDocument &Document)
{
    const bool lends = Document.Kind == TLayoutKind::Label || Document.Kind == TLayoutKind::Card;
    auto roleOf = [&Document](size_t Index) {
        return Index < Document.ItemRoles.size() ? Document.ItemRoles[Index] : -1;
    };
    // What prints on the piece (the bars with their blank), and the
    // addressee's texts that may take room, by rank: the name, the company
    // lines, the address.
    std::vector<QRect> solid;
    std::vector<int> solidRoles; // the role of each, -1 for none
    std::vector<size_t> solidItems; // the item of each
    std::vector<std::pair<int, size_t>> takers;
    std::vector<std::pair<QRect, int>> blanks; // the addressee's frames left blank, and their roles
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        TDrawRect &item = *Document.Items[i];
        auto *text = dynamic_cast<TMetaRect *>(&item);
        // A text keeps the room it has until it is told another, so that a
        // piece drawn again with the same room is not laid out again.
        if (!lends || !item.IsVisible() || !Document.OnPrintedSide(i) ||
            dynamic_cast<const TAdditionRect *>(&item)) {
            if (text)
                text->SetRoom({});
            continue; // the additional lines make way for the addressee
        }
        const auto *name = dynamic_cast<const TNameRect *>(&item);
        const auto *corp = dynamic_cast<const TCorpRect *>(&item);
        const auto *address = dynamic_cast<const TAddressRect *>(&item);
        const bool addressee = roleOf(i) >= 0 && ((name && !name->IsSender()) || (corp && !corp->IsSender()) ||
                                                  (address && !address->IsSender()));
        if (addressee) {
            // An addressee's frame the record leaves empty is blank.
            text->Rebuild(false);
            if (text->GetMetafile().IsEmpty()) {
                text->SetRoom({});
                blanks.push_back({ToQRect(item.GetRect()), roleOf(i)});
                continue;
            }
            takers.push_back({name ? 0 : corp ? 1 : 2, i});
        } else if (text) {
            text->SetRoom({});
        }
        const auto *block = dynamic_cast<const TSenderRect *>(&item);
        QRect area = ToQRect(block ? block->GetBlockRect() : item.GetRect());
        if (item.GetKind() == TDrawRectKind::Barcode)
            area.adjust(-kItemGap, -kItemGap, kItemGap, kItemGap);
        solid.push_back(area);
        solidRoles.push_back(roleOf(i));
        solidItems.push_back(i);
    }
    std::stable_sort(takers.begin(), takers.end(),
                     [](const auto &A, const auto &B) { return A.first < B.first; });
    const QRect piece = ToQRect(PlaceableArea(Document));
    // Whether S stands level with Band: in its rows, or its columns down
    // the piece.
    auto level = [](const QRect &S, const QRect &Band, bool Rows) {
        return Rows ? S.top() <= Band.bottom() && S.bottom() >= Band.top()
                    : S.left() <= Band.right() && S.right() >= Band.left();
    };
    // The boxes of what S (an item's frame, or the room it printed in)
    // printed: its texts' cells, or all of it for anything else.
    auto printedOf = [&Document](size_t Item, const QRect &S) {
        std::vector<QRectF> boxes;
        if (const auto *t = Item < Document.Items.size() ? dynamic_cast<const TMetaRect *>(Document.Items[Item].get())
                                                         : nullptr) {
            const std::vector<QRectF> printed = PrintedTextBoxes(*t);
            const QList<const TTextOp *> ops = t->GetMetafile().TextOps();
            for (size_t k = 0; k < printed.size() && k < size_t(ops.size()); ++k)
                if (!ops[qsizetype(k)]->Text.trimmed().isEmpty())
                    boxes.push_back(printed[k]);
            return boxes;
        }
        boxes.push_back(QRectF(S));
        return boxes;
    };
    std::vector<size_t> done; // the takers laid out, or moved
    for (const auto &[rank, index] : takers) {
        if (std::find(done.begin(), done.end(), index) != done.end())
            continue;
        auto &text = static_cast<TMetaRect &>(*Document.Items[index]);
        const QRect own = ToQRect(text.GetRect());
        const int takerRole = roleOf(index);
        auto clear = [&](const QRect &Band) {
            return std::none_of(solid.begin(), solid.end(),
                                [&](const QRect &S) { return S != own && S.intersects(Band); });
        };
        const bool rows = text.IsHorizontal();
        // What stands after the text along its lines, level with Band.
        auto besideAfter = [&](const QRect &Band) {
            std::vector<size_t> beside;
            for (size_t k = 0; k < solid.size(); ++k) {
                const QRect &S = solid[k];
                if (S != own && (rows ? S.left() >= own.right() : S.top() >= own.bottom()) && level(S, Band, rows))
                    beside.push_back(k);
            }
            return beside;
        };
        // Out from the frame to the nearest thing printing, or the piece's
        // edge: across its lines first (another line), then along them.
        // Lines before its first (above it; down a column, right of it)
        // may stand beside something after it (Besides) where that reads
        // level with the text's last line alone: they are tried and looked
        // at once laid out.
        std::vector<size_t> besides;
        auto roomFor = [&](bool Before) {
            QRect room = own;
            for (const bool across : {true, false}) {
                const bool vertical = across == rows; // growing up and down
                for (const int way : {-1, 1}) {
                    QRect band;
                    if (vertical) {
                        const int edge =
                            way < 0 ? std::min(piece.top(), room.top()) : std::max(piece.bottom(), room.bottom());
                        band = way < 0 ? QRect(QPoint(room.left(), edge), QPoint(room.right(), room.top() - 1))
                                       : QRect(QPoint(room.left(), room.bottom() + 1), QPoint(room.right(), edge));
                    } else {
                        const int edge =
                            way < 0 ? std::min(piece.left(), room.left()) : std::max(piece.right(), room.right());
                        band = way < 0 ? QRect(QPoint(edge, room.top()), QPoint(room.left() - 1, room.bottom()))
                                       : QRect(QPoint(room.right() + 1, room.top()), QPoint(edge, room.bottom()));
                    }
                    if (band.isEmpty())
                        continue;
                    // The band stops short of S on the side it grows towards.
                    const auto stopShortOf = [&band, vertical, way](const QRect &s) {
                        if (vertical && way < 0)
                            band.setTop(std::max(band.top(), s.bottom() + 1));
                        else if (vertical)
                            band.setBottom(std::min(band.bottom(), s.top() - 1));
                        else if (way < 0)
                            band.setLeft(std::max(band.left(), s.right() + 1));
                        else
                            band.setRight(std::min(band.right(), s.left() - 1));
                    };
                    // The band up to the nearest thing in the way.
                    for (const QRect &s : solid) {
                        if (s == own || !s.intersects(band))
                            continue;
                        stopShortOf(s);
                    }
                    // Another line level with an addressee's text read after
                    // this one, on either side, would be read after that text
                    // (a department's last line beside 「課長代理 御中」 read
                    // company, title, department): the band stops short of the
                    // rows (columns) such a text stands in, and a text with
                    // one level with its own frame takes no line after its
                    // last (below it; down a column, left of it). The roles run
                    // in reading order.
                    const bool nextLines = way == (rows ? 1 : -1);
                    for (size_t k = 0; across && k < solid.size(); ++k) {
                        const QRect &s = solid[k];
                        const int other = solidRoles[k];
                        if (s == own || takerRole < 0 || other <= takerRole || other > int(TRole::Joint))
                            continue;
                        if (nextLines && level(s, own, rows))
                            band = QRect();
                        if (band.isEmpty())
                            break;
                        if (!level(s, band, rows))
                            continue;
                        // Beside the text's lines, after them: looked at below.
                        if (!nextLines && Before && (rows ? s.left() >= own.right() : s.top() >= own.bottom()))
                            continue;
                        stopShortOf(s);
                    }
                    // A text that goes on to another line beside something
                    // standing after it along its lines would read its lines
                    // apart, by a person and a PDF reader alike (「代表取
                    // 山田太郎様 締役社長」): across only where nothing stands
                    // there, or before its lines where the text is looked at.
                    if (!band.isEmpty() && across) {
                        const std::vector<size_t> beside = besideAfter(band);
                        if (!beside.empty() && (nextLines || !Before))
                            continue;
                        if (!beside.empty() && clear(band))
                            besides.insert(besides.end(), beside.begin(), beside.end());
                    }
                    if (!band.isEmpty() && clear(band))
                        room |= band;
                }
            }
            return room;
        };
        // Whether the text, laid out, reads each of its lines but its last
        // apart from what it stood beside: rows (columns) clear of them.
        auto readsApart = [&]() {
            const std::vector<QRectF> lines = printedOf(index, own);
            if (lines.empty())
                return true;
            // The last line: the lowest row, the leftmost column.
            double last = rows ? lines.front().center().y() : lines.front().center().x();
            for (const QRectF &b : lines)
                last = rows ? std::max(last, b.center().y()) : std::min(last, b.center().x());
            // Neither the middle of a line nor that of what stands beside
            // it lies level with the other: the two read as rows (columns)
            // of their own.
            auto outside = [](double At, double From, double To) { return At < From || At > To; };
            for (const size_t k : besides)
                for (const QRectF &o : printedOf(k < solidItems.size() ? solidItems[k] : SIZE_MAX, solid[k]))
                    for (const QRectF &b : lines) {
                        const double at = rows ? b.center().y() : b.center().x();
                        if (std::abs(at - last) < 1e-6)
                            continue;
                        const bool apart = rows ? outside(at, o.top(), o.bottom()) &&
                                                      outside(o.center().y(), b.top(), b.bottom())
                                                : outside(at, o.left(), o.right()) &&
                                                      outside(o.center().x(), b.left(), b.right());
                        if (!apart)
                            return false;
                    }
            return true;
        };
        auto layOut = [&]() {
            besides.clear();
            QRect room = roomFor(true);
            text.SetRoom(room == own ? TPageRect{} : PageRectOf(room));
            text.Rebuild(false);
            if (room != own && !besides.empty() && !readsApart()) {
                besides.clear();
                room = roomFor(false);
                text.SetRoom(room == own ? TPageRect{} : PageRectOf(room));
                text.Rebuild(false);
            }
        };
        layOut();
        // A text still narrowed whose next line a later company line holds,
        // standing after it along its lines (a title below a department down
        // one column), takes that line's frame where a blank addressee frame
        // read after both stands on in the way of its next lines: the later
        // line moves there (a title to the empty name frame of a company
        // addressed as itself), and the block still reads in its order.
        for (size_t k = 0; text.IsSqueezed() && k < solid.size(); ++k) {
            const QRect later = solid[k];
            const size_t item = solidItems[k];
            const int laterRole = solidRoles[k];
            const bool pending = std::any_of(takers.begin(), takers.end(), [&](const auto &T) {
                return T.second == item && T.first == rank && item != index;
            }) && std::find(done.begin(), done.end(), item) == done.end();
            if (!pending || takerRole < 0 || laterRole <= takerRole || laterRole > int(TRole::Joint) ||
                later != ToQRect(Document.Items[item]->GetRect()) || !level(later, own, rows) ||
                !(rows ? later.left() >= own.right() : later.top() >= own.bottom()))
                continue;
            const auto to = std::find_if(blanks.begin(), blanks.end(), [&](const std::pair<QRect, int> &B) {
                const QRect &b = B.first;
                const bool beyond = rows ? b.top() > own.bottom() : b.right() < own.left();
                const bool along = rows ? b.left() <= later.left() && b.right() >= later.right()
                                        : b.top() <= later.top() && b.bottom() >= later.bottom();
                return B.second > laterRole && beyond && along &&
                       std::none_of(solid.begin(), solid.end(), [&](const QRect &S) { return S.intersects(b); });
            });
            if (to == blanks.end())
                continue;
            auto &moving = static_cast<TMetaRect &>(*Document.Items[item]);
            const double before = text.Narrowest();
            solid[k] = to->first;
            moving.SetRoom(PageRectOf(to->first));
            moving.Rebuild(false);
            layOut();
            if (std::min(text.Narrowest(), moving.Narrowest()) > before + 1e-3) {
                done.push_back(item);
                break;
            }
            solid[k] = later;
            moving.SetRoom({});
            layOut();
        }
        done.push_back(index);
        const QRect laidIn = ToQRect(text.GetLaidIn());
        if (laidIn != own) {
            solid.push_back(laidIn);
            solidRoles.push_back(takerRole);
            solidItems.push_back(index);
        }
    }
}

namespace {

// The customer barcode centred in its frame, along the frame's longer side,
// at the largest size shorter than the frame (the smallest when none is).
std::unique_ptr<TBarcodeRect> makeBarcode(const TFrameRect &Frame)
{
    auto bar = std::make_unique<TBarcodeRect>();
    const bool horizontal = Frame.Right - Frame.Left >= Frame.Bottom - Frame.Top;
    bar->SetHorizontal(horizontal);
    const qint32 along = horizontal ? Frame.Right - Frame.Left : Frame.Bottom - Frame.Top;
    int size = 0;
    (void)BarcodeSizeForLength(qRound(along * 254.0 / 96.0), size);
    bar->SetBarSize(size);
    const qint32 length = BarcodeLength(size);
    const qint32 height = BarcodeBarHeight(size);
    const qint32 w = horizontal ? length : height;
    const qint32 h = horizontal ? height : length;
    const qint32 left = Frame.Left + (Frame.Right - Frame.Left - w) / 2;
    const qint32 top = Frame.Top + (Frame.Bottom - Frame.Top - h) / 2;
    bar->SetRect({left, top, left + w, top + h});
    return bar;
}

// A frame no shorter than this (page pixels) along the way it is moved off
// the bars: the frames' own least size.
constexpr int kLeastFrame = 10;

// Frame kept kItemGap clear of Bars: a paper of the user's own size scales
// its frames but keeps the bars' size, which then come nearer. The frame
// gives up the side facing the bars where that leaves it two thirds of its
// length; a shorter one (a postcode's line) moves away instead as far as
// Area lets it, and gives up the rest. Still too near, it stays so, and
// the print run asks about it.
TPageRect clearOfBars(TPageRect F, const TPageRect &Bars, const TPageRect &Area)
{
    const TPageRect z{Bars.Left - kItemGap, Bars.Top - kItemGap, Bars.Right + kItemGap, Bars.Bottom + kItemGap};
    if (F.Right <= z.Left || z.Right <= F.Left || F.Bottom <= z.Top || z.Bottom <= F.Top)
        return F;
    // Down, up, right, left: the least way out.
    const std::array<int, 4> push{z.Bottom - F.Top, F.Bottom - z.Top, z.Right - F.Left, F.Right - z.Left};
    const int way = int(std::min_element(push.begin(), push.end()) - push.begin());
    const int need = push[size_t(way)];
    const int length = way < 2 ? F.height() : F.width();
    const std::array<int, 4> room{Area.Bottom - F.Bottom, F.Top - Area.Top, Area.Right - F.Right, F.Left - Area.Left};
    int shift = 0, trim = need;
    if (3 * need > length) {
        shift = std::clamp(room[size_t(way)], 0, need);
        trim = std::clamp(need - shift, 0, std::max(0, length - kLeastFrame));
    }
    switch (way) {
    case 0: F = {F.Left, F.Top + shift + trim, F.Right, F.Bottom + shift}; break;
    case 1: F = {F.Left, F.Top - shift, F.Right, F.Bottom - shift - trim}; break;
    case 2: F = {F.Left + shift + trim, F.Top, F.Right + shift, F.Bottom}; break;
    default: F = {F.Left - shift, F.Top, F.Right - shift - trim, F.Bottom}; break;
    }
    return F;
}

// Where the set in use puts its frame Frame (not the bars' own).
TPageRect frameOf(const TLayoutDocument &D, const TFrameSet &Set, const QList<TRole> &Roles, int Count, int Frame)
{
    const TPageRect r = pageRect(Set.Rects[size_t(Frame)]);
    const qsizetype bars = Roles.indexOf(TRole::Barcode);
    if (bars < 0 || bars >= Count || bars >= qsizetype(Set.Rects.size()) || !D.BarcodeFitsPaper())
        return r;
    // An envelope prints its sender's frames on its back, away from the bars.
    const TRole role = Roles.value(Frame, TRole::Postcode);
    const bool senderFrame = role == TRole::SenderPostcode || role == TRole::SenderAddress || role == TRole::SenderName;
    if (senderFrame && D.Format.PaperKind() == TPaperKind::Envelope)
        return r;
    return clearOfBars(r, makeBarcode(Set.Rects[size_t(bars)])->GetRect(), PlaceableArea(D));
}

} // namespace

void TLayoutDocument::BuildDefaultItems()
{
    Items.clear();
    ItemRoles.clear();
    const TFrameSet &set = Detail ? Format.Detail : Format.Simple;
    const QList<TRole> roles = rolesOf(Format, Detail);
    const int count = std::clamp(set.Count, 0, kMaxFrames);
    const bool horizontal = HorizontalWriting();
    for (int i = 0; i < count && i < roles.size(); ++i) {
        std::unique_ptr<TMetaRect> item;
        const TRole role = roles[i];
        switch (role) {
        case TRole::Postcode:
        case TRole::SenderPostcode: {
            auto p = std::make_unique<TPosRect>();
            p->SetSender(role == TRole::SenderPostcode);
            item = std::move(p);
            break;
        }
        case TRole::Address:
        case TRole::Address1:
        case TRole::Address2:
        case TRole::SenderAddress: {
            auto a = std::make_unique<TAddressRect>();
            a->SetSender(role == TRole::SenderAddress);
            item = std::move(a);
            break;
        }
        case TRole::Name:
        case TRole::Joint:
        case TRole::SenderName: {
            auto n = std::make_unique<TNameRect>();
            n->SetSender(role == TRole::SenderName);
            item = std::move(n);
            break;
        }
        case TRole::Company:
        case TRole::Department:
        case TRole::Post: item = std::make_unique<TCorpRect>(); break;
        case TRole::Barcode: {
            Items.push_back(makeBarcode(set.Rects[size_t(i)]));
            ItemRoles.push_back(int(role));
            continue;
        }
        }
        item->SetRect(frameOf(*this, set, roles, count, i));
        if (role != TRole::Postcode && role != TRole::SenderPostcode)
            item->SetHorizontal(horizontal);
        item->RescaleFont(TTenthMm(std::max(Format.Width, Format.Height)));
        ItemRoles.push_back(int(role));
        Items.push_back(std::move(item));
    }
    HideUnprintableBarcode();
}

bool TLayoutDocument::BarcodeFitsPaper() const
{
    int size = 0;
    return BarcodeSizeForLength(PaperFmt::barcodeAxisLength(Format), size);
}

void TLayoutDocument::HideUnprintableBarcode()
{
    if (BarcodeFitsPaper())
        return;
    for (auto &item : Items)
        if (item->GetKind() == TDrawRectKind::Barcode)
            item->SetVisible(false);
}

int TLayoutDocument::FrameCount() const
{
    return std::clamp((Detail ? Format.Detail : Format.Simple).Count, 0, kMaxFrames);
}

bool TLayoutDocument::HorizontalWriting() const
{
    switch (Format.PaperKind()) {
    case TPaperKind::Postcard:
    case TPaperKind::Envelope: return Format.Direction != 0;
    case TPaperKind::Label: return Format.Direction == 0;
    case TPaperKind::Card: return Format.Direction != 2;
    }
    return true;
}

int TLayoutDocument::CellsPerSheet() const
{
    if (Grid.Columns <= 0 || Grid.Rows <= 0)
        return 1;
    return Grid.Columns * Grid.Rows;
}

QSize TLayoutDocument::SheetSize() const
{
    if (CellsPerSheet() > 1 || (Grid.SheetWidth > 0 && Grid.SheetHeight > 0))
        return QSize(Grid.SheetWidth, Grid.SheetHeight);
    return PieceSize();
}

QSize TLayoutDocument::PiecePixels() const
{
    return QSize(PaperFmt::tenthsToPixels(Format.Width), PaperFmt::tenthsToPixels(Format.Height));
}

QRect TLayoutDocument::CellRect(int Cell) const
{
    if (Grid.Columns <= 0 || Grid.Rows <= 0)
        return QRect(QPoint(0, 0), PieceSize());
    return PaperFmt::cellRect(Format, Grid, Cell % Grid.Columns, Cell / Grid.Columns);
}

bool TLayoutDocument::OnPrintedSide(size_t Index) const
{
    if (Kind != TLayoutKind::AddressSide || Format.PaperKind() != TPaperKind::Envelope)
        return true;
    const int role = Index < ItemRoles.size() ? ItemRoles[Index] : -1;
    if (role < 0)
        return true;
    const bool senderFrame =
        role == int(TRole::SenderPostcode) || role == int(TRole::SenderAddress) || role == int(TRole::SenderName);
    return senderFrame == SenderAsAddressee;
}

std::optional<TPageRect> TLayoutDocument::FramePlace(size_t Index) const
{
    const int role = Index < ItemRoles.size() ? ItemRoles[Index] : -1;
    if (role < 0)
        return std::nullopt;
    const qsizetype frame = rolesOf(Format, Detail).indexOf(TRole(role));
    const TFrameSet &set = Detail ? Format.Detail : Format.Simple;
    if (frame < 0 || frame >= FrameCount() || frame >= qsizetype(set.Rects.size()))
        return std::nullopt;
    if (TRole(role) == TRole::Barcode)
        return makeBarcode(set.Rects[size_t(frame)])->GetRect();
    return frameOf(*this, set, rolesOf(Format, Detail), FrameCount(), int(frame));
}

void TLayoutDocument::SetReferenceDevice(const TReferenceDevice &Device)
{
    for (auto &item : Items) {
        if (auto *meta = dynamic_cast<TMetaRect *>(item.get())) {
            meta->SetReferenceDevice(Device);
            meta->RescaleFont(TTenthMm(std::max(Format.Width, Format.Height)));
        } else if (auto *block = dynamic_cast<TSenderRect *>(item.get())) {
            block->SetReferenceDevice(Device);
            block->RescaleFonts(TTenthMm(std::max(Format.Width, Format.Height)));
        } else if (auto *figure = dynamic_cast<TFigureRect *>(item.get())) {
            figure->SetReferenceDpi(Device.HasPrinter ? Device.Dpi : TDeviceDpi{96, 96});
        }
    }
}

void MergeRecord(TLayoutDocument &Document, const TAddressText *Record, const TAddressText *Sender)
{
    // A company whose name the user keeps off its address is addressed as
    // the company itself, in every step (the company honorific included):
    // none of its persons prints, the joint names neither.
    std::optional<TAddressText> unnamed;
    if (Record && Record->IsCompany() && Record->IgnoreName) {
        unnamed = *Record;
        unnamed->NameKanji.clear();
        unnamed->NameKana.clear();
        unnamed->JointPrint = false;
        unnamed->Joint.fill(QString());
        unnamed->JointHonor.fill(QString());
        unnamed->JointPrints.fill(false);
        Record = &*unnamed;
    }
    // The sender blocks take the conversions the other items take: the
    // layout's record, or its kind's defaults while it has none.
    const TDataFormat format = EffectiveDataFormat(Document);
    const bool withTitle = titleWithName(Document, Record);
    // The parts of the frames the layout hides (layout detail dialog). The
    // boxes that hide them are offered with the detailed frames only: the
    // automatic set of a piece that has both prints every part, where
    // nothing could show them again, and the choice comes back with the
    // detailed frames.
    const bool automaticSet =
        !Document.Detail && (Document.Kind == TLayoutKind::AddressSide || Document.Kind == TLayoutKind::Label);
    auto hiddenOf = [&format, automaticSet](const TDrawRect &Item) -> quint16 {
        if (automaticSet)
            return 0;
        const int shift = IsSenderFrameKind(Item.GetKind()) ? SenderPartShift : 0;
        return quint16((format.HiddenParts >> shift) & 0xFF);
    };
    // The addressee's address lines some shown frame prints: the bars carry
    // the numbers of the address the piece shows, not of a line left out.
    quint16 printedLines = 0;
    bool addressFrames = false;
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        const TDrawRect *item = Document.Items[i].get();
        if (MergeClassOf(*item) != TMergeClass::Address || static_cast<const TAddressRect *>(item)->IsSender())
            continue;
        addressFrames = true;
        if (!item->IsVisible())
            continue;
        const int role = i < Document.ItemRoles.size() ? Document.ItemRoles[i] : -1;
        printedLines |= quint16(addressLinesOf(role).Bits() & ~hiddenOf(*item));
    }
    if (!addressFrames)
        printedLines = addressLinesOf(-1).Bits();
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        TDrawRect *item = Document.Items[i].get();
        const int role = i < Document.ItemRoles.size() ? Document.ItemRoles[i] : -1;
        const TMergeClass itemClass = MergeClassOf(*item);
        if (itemClass == TMergeClass::SenderBlock) {
            auto *block = static_cast<TSenderRect *>(item);
            const std::optional<TSenderData> sender =
                Document.FindSender ? Document.FindSender(block->GetSenderTitle()) : std::nullopt;
            ComposeSenderBlock(*block, sender ? &*sender : nullptr, &format, true);
            block->Rebuild(true);
            continue;
        }
        if (itemClass == TMergeClass::Postcode) {
            auto *p = static_cast<TPosRect *>(item);
            const TAddressText *r = p->IsSender() ? Sender : Record;
            p->SetPostcode(r ? r->Pos : QString());
        } else if (itemClass == TMergeClass::Address) {
            auto *a = static_cast<TAddressRect *>(item);
            const TAddressText *r = a->IsSender() ? Sender : Record;
            const TAddressLines lines = addressLinesOf(role);
            mergeAddress(*a, r, lines.First, lines.Count, hiddenOf(*a));
            // The block number and the building share the second address
            // frame: a line each where that costs no size, else a blank
            // between them.
            a->SetLinesApart(role == int(TRole::Address2));
        } else if (itemClass == TMergeClass::Name) {
            auto *n = static_cast<TNameRect *>(item);
            // The joint frame takes its names from the name's (moveJointNames).
            if (role != int(TRole::Joint))
                mergeName(*n, n->IsSender() ? Sender : Record, Document.Detail,
                          withTitle && role == int(TRole::Name), hiddenOf(*n));
        } else if (itemClass == TMergeClass::Corp) {
            auto *c = static_cast<TCorpRect *>(item);
            QString line;
            const quint16 hidden = hiddenOf(*c);
            if (Record && Record->IsCompany()) {
                if (role == int(TRole::Company) && !(hidden & hpCorp))
                    line = Record->CorpKanji;
                else if (role == int(TRole::Department) && !(hidden & hpDptmnt))
                    line = Record->Dptmnt;
                else if (role == int(TRole::Post) && !withTitle && !(hidden & hpPost))
                    line = Record->Post;
            }
            c->SetText(line);
        } else if (itemClass == TMergeClass::Barcode) {
            auto *b = static_cast<TBarcodeRect *>(item);
            // Japan Post reads a line break of the address as a blank:
            // a house number ending one line and a room number starting
            // the next are two numbers, not one.
            // The first line, the town, stays: the numbers are read after it.
            if (Record)
                b->RenderCustomerBarcode(Record->Pos,
                                         Record->Tdfkn % Record->Adrs1 % u' ' %
                                             (printedLines & hpAddress2 ? Record->Adrs2 : QString()) % u' ' %
                                             (printedLines & hpAddress3 ? Record->Adrs3 : QString()),
                                         Document.TownNames);
            else
                b->ClearImage();
        }
    }
    mergeCompanyHonor(Document, Record, format);
    ApplyDataFormat(Document, Record, Sender, format);
    // A name the layout hides leaves the company lines sharing its frame,
    // without an honorific of its own (as the company frames print beside
    // a hidden name frame); its joint names go with it.
    for (auto &item : Document.Items) {
        if (MergeClassOf(*item) != TMergeClass::Name || !(hiddenOf(*item) & hpName))
            continue;
        auto *n = static_cast<TNameRect *>(item.get());
        n->SetName({});
        n->SetHonor({});
        n->SetJointCount(0);
    }
    moveJointNames(Document);
    LineUpJointNames(Document);
    LendFreeRoom(Document);
    // Only the items whose content changed lay themselves out again (the
    // sender block stays as it is from record to record).
    for (auto &item : Document.Items)
        item->Rebuild(false);
}

void PaintPiece(QPainter &Painter, TLayoutDocument &Document, QPoint OriginDots, TDeviceDpi Dpi, TTenthMmPoint Offset,
                bool UpsideDown)
{
    Painter.save();
    // A piece at the painter's origin leaves the transform alone: on a PDF
    // page every change of it writes the graphics state out again.
    if (!OriginDots.isNull())
        Painter.translate(OriginDots);
    if (UpsideDown) {
        const QSize piece = Document.PieceSize();
        Painter.translate(TenthMmToDots(TTenthMm(piece.width()), Dpi.x),
                          TenthMmToDots(TTenthMm(piece.height()), Dpi.y));
        Painter.rotate(180);
    }
    const TPrinterGeometry geometry{Dpi, 0, 0};
    if (Document.Background.GetKind() != TBackImage::None) {
        const QSize piece = Document.PieceSize();
        Document.Background.SetPaperSize(piece.width(), piece.height());
        Document.Background.SetRotate180(false);
        const QSize dots(TenthMmToDots(TTenthMm(piece.width()), Dpi.x), TenthMmToDots(TTenthMm(piece.height()), Dpi.y));
        Document.Background.PreparePrint(Offset, true, 0, geometry, dots);
        Document.Background.Print(Painter, 0, 0);
        Document.Background.ReleasePrint();
    }
    LineUpJointNames(Document);
    LendFreeRoom(Document);
    // Every item is placed for this device before any lays its text out.
    for (size_t i = 0; i < Document.Items.size(); ++i)
        if (Document.Items[i]->IsVisible() && Document.OnPrintedSide(i))
            Document.Items[i]->CalcPrintRect(Offset, geometry, true);
    // An additional line the record leaves no room for in its own box
    // stands where the record leaves room, or stays off the piece.
    const TRecordAdditionLines additions(Document);
    for (const int i : additions.Moved())
        Document.Items[size_t(i)]->CalcPrintRect(Offset, geometry, true);
    const std::vector<int> &leftOut = additions.LeftOut();
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        TDrawRect *item = Document.Items[i].get();
        if (!item->IsVisible() || !Document.OnPrintedSide(i) ||
            std::find(leftOut.begin(), leftOut.end(), int(i)) != leftOut.end())
            continue;
        item->Rebuild(false);
        item->Print(Painter, 0, 0);
    }
    Painter.restore();
}
