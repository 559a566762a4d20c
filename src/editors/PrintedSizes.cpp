#include "editors/PrintedSizes.h"

#include "editors/AdditionPlace.h"
#include "editors/LayoutDoc.h"
#include "editors/RecordSource.h"
#include "items/AdditionRect.h"
#include "items/AddressRect.h"
#include "items/CorpRect.h"
#include "items/MetaRect.h"
#include "items/NameRect.h"
#include "items/SenderRect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

QString AddresseePartOf(const TLayoutDocument &Document, size_t Index)
{
    const TDrawRect *item = Document.Items[Index].get();
    if (const auto *a = dynamic_cast<const TAddressRect *>(item))
        return a->IsSender() ? QString() : QStringLiteral("住所");
    if (const auto *n = dynamic_cast<const TNameRect *>(item))
        return n->IsSender() ? QString() : QStringLiteral("氏名");
    if (const auto *c = dynamic_cast<const TCorpRect *>(item)) {
        if (c->IsSender())
            return {};
        // The detailed sets' department and title frames (roles 5 and 6,
        // after the company's 4); the simple set's company lines stand in the
        // name's frame.
        const int role = Index < Document.ItemRoles.size() ? Document.ItemRoles[Index] : -1;
        return role == 5 ? QStringLiteral("部署名") : role == 6 ? QStringLiteral("役職") : QStringLiteral("会社名");
    }
    return {};
}

namespace {

QString withoutBlanks(QString Text)
{
    Text.remove(QLatin1Char(' '));
    Text.remove(QChar(0x3000));
    return Text;
}

// The part a text the name frame drew belongs to: the simple sets stand a
// company's lines (company, departments, title) in the name's frame, and a
// user told 氏名 for a department printed small would look for it in the
// wrong place. The name and joint names are looked for first; what none of
// the parts holds (an honorific, a note) is the name's.
QString nameFramePart(const TNameRect &Name, const QString &Drawn)
{
    const QString drawn = withoutBlanks(Drawn);
    auto holds = [&drawn](const QString &Field) { return !Field.isEmpty() && withoutBlanks(Field).contains(drawn); };
    const QString name = QStringLiteral("氏名");
    if (drawn.isEmpty() || holds(Name.GetName()))
        return name;
    for (int i = 0; i < Name.GetJointCount(); ++i)
        if (holds(Name.GetJointName(i)))
            return name;
    if (holds(Name.GetCorp()))
        return QStringLiteral("会社名");
    if (holds(Name.GetDptmnt(0)) || holds(Name.GetDptmnt(1)))
        return QStringLiteral("部署名");
    if (holds(Name.GetPost()))
        return QStringLiteral("役職");
    return name;
}

} // namespace

std::vector<QRectF> PrintedTextBoxes(const TMetaRect &Item)
{
    std::vector<QRectF> boxes;
    const TMetafileEx &recording = Item.GetMetafile();
    const double fx = 96.0 / recording.Dpi().x, fy = 96.0 / recording.Dpi().y;
    const TPageRect r = Item.GetRect();
    for (const TTextOp *op : recording.TextOps()) {
        int along = 0;
        for (const int a : op->Advances)
            along += a;
        const double x = op->Origin.x(), y = op->Origin.y(), c = op->CellHeight;
        // A horizontal font writes right with its cells below the origin, a
        // vertical one down with its cells to the left; turned round, the
        // other way.
        QRectF box;
        switch (((op->Font.Escapement % 3600) + 3600) % 3600) {
        case 2700: box = QRectF(x - c, y, c, along); break;
        case 1800: box = QRectF(x - along, y - c, along, c); break;
        case 900: box = QRectF(x, y - along, c, along); break;
        default: box = QRectF(x, y, along, c); break;
        }
        boxes.push_back(QRectF(r.Left + box.left() * fx, r.Top + box.top() * fy, box.width() * fx,
                               box.height() * fy));
    }
    return boxes;
}

namespace {

// Whether Text, laid out, prints a character under the least height.
bool printsSmall(TMetaRect &Text)
{
    Text.Rebuild(false);
    const int least = int(std::ceil(LeastTextMm / 25.4 * Text.GetMetafile().Dpi().y));
    const auto ops = Text.GetMetafile().TextOps();
    return std::any_of(ops.begin(), ops.end(), [least](const TTextOp *Op) {
        return !Op->Text.trimmed().isEmpty() && std::abs(Op->Font.Height) < least;
    });
}

} // namespace

TSizeShortfalls SizeShortfalls(TLayoutDocument &Document)
{
    TSizeShortfalls out;
    const std::vector<int> leftOut = LeftOutAdditionLines(Document);
    out.LeftOutLines = int(leftOut.size());
    for (const int i : leftOut)
        if (const auto *line = dynamic_cast<const TAdditionRect *>(Document.Items[size_t(i)].get()))
            out.LeftOutNames.append(AdditionLineName(*line));
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        // The merge hands a name frame the joint names ticked for printing
        // (none where the layout hides the name or the record keeps its
        // persons off); a frame set for a company draws the company's lines
        // and the one name, so that they stay off the piece.
        const auto *name = dynamic_cast<const TNameRect *>(Document.Items[i].get());
        if (name && !name->IsSender() && name->IsVisible() && Document.OnPrintedSide(i) &&
            name->GetJointCount() > 0 && name->GetNameKind() != 1) {
            out.LeftOutJoints += name->GetJointCount();
            if (out.JointsOf.isEmpty())
                out.JointsOf = name->GetName().trimmed();
        }
    }
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        // A sender block the user put in prints the lines it shows at the
        // size its box leaves them, as a free text does.
        if (const auto *block = dynamic_cast<const TSenderRect *>(Document.Items[i].get())) {
            const QString part = QStringLiteral("差出人情報");
            if (block->IsVisible() && Document.OnPrintedSide(i) && !out.Small.contains(part) &&
                std::any_of(block->ShownItems().begin(), block->ShownItems().end(),
                            [](TMetaRect *Line) { return Line->IsVisible() && printsSmall(*Line); }))
                out.Small.append(part);
            continue;
        }
        auto *text = dynamic_cast<TMetaRect *>(Document.Items[i].get());
        if (!text || !text->IsVisible() || !Document.OnPrintedSide(i))
            continue;
        // A free text the user put in reads as the addressee's texts do,
        // whatever size its box gives it.
        const bool placed = text->GetKind() == TDrawRectKind::Word;
        const QString part = placed ? QStringLiteral("挿入した文字") : AddresseePartOf(Document, i);
        if (part.isEmpty())
            continue;
        text->Rebuild(false);
        const int least = int(std::ceil(LeastTextMm / 25.4 * text->GetMetafile().Dpi().y));
        const auto *name = dynamic_cast<const TNameRect *>(text);
        bool small = false;
        for (const TTextOp *op : text->GetMetafile().TextOps()) {
            if (op->Text.trimmed().isEmpty() || std::abs(op->Font.Height) >= least)
                continue;
            small = true;
            const QString smallPart = name ? nameFramePart(*name, op->Text) : part;
            if (!out.Small.contains(smallPart))
                out.Small.append(smallPart);
        }
        if (!small && text->IsSqueezed() && !out.Squeezed.contains(part))
            out.Squeezed.append(part);
    }
    return out;
}

namespace {

// How many addressees whose joint names stay off the wizard names, so that
// its message stays on the screen.
constexpr qsizetype kNamedJointOwners = 10;

} // namespace

void TShortfallTally::Add(const TSizeShortfalls &Record, int Pieces)
{
    for (const QString &part : Record.Squeezed) {
        if (!m_squeezed.count(part))
            m_squeezedOrder.append(part);
        m_squeezed[part] += Pieces;
    }
    for (const QString &part : Record.Small) {
        if (!m_small.count(part))
            m_smallOrder.append(part);
        m_small[part] += Pieces;
    }
    if (Record.LeftOutLines > 0) {
        m_lines += Record.LeftOutLines * Pieces;
        m_linePieces += Pieces;
    }
    for (const QString &name : Record.LeftOutNames)
        if (!m_leftOutNames.contains(name))
            m_leftOutNames.append(name);
    if (Record.LeftOutJoints > 0) {
        ++m_jointRecords;
        m_jointPieces += Pieces;
        if (m_jointOwners.size() < kNamedJointOwners)
            m_jointOwners.append(Record.JointsOf);
    }
}

QString TShortfallTally::Report(bool Labels) const
{
    // The wizard counts a label run's sheets in 枚 as well: the labels are
    // named, so that their count is not read as sheets. Other pieces keep a
    // bare 枚: a postcard or envelope is its own sheet, and business cards
    // are counted as cards.
    auto pieces = [Labels](int Count) {
        return Labels ? QStringLiteral("ラベル %1 枚").arg(Count) : QStringLiteral("%1 枚").arg(Count);
    };
    QStringList report;
    for (const QString &part : m_smallOrder)
        report << QStringLiteral("%1が 1.8mm より小さい文字で印刷されます（%2）").arg(part, pieces(m_small.at(part)));
    for (const QString &part : m_squeezedOrder)
        report << QStringLiteral("%1は 1.8mm の文字の幅を詰めて印刷します（%2）").arg(part, pieces(m_squeezed.at(part)));
    if (m_lines > 0)
        report << QStringLiteral("付加情報 %1 行を省きます（%2）：%3")
                      .arg(m_lines)
                      .arg(pieces(m_linePieces), m_leftOutNames.join(QStringLiteral("、")));
    if (m_jointRecords > 0) {
        // The addressees are named so that the user can find their records;
        // a long run names the first of them and counts the rest.
        QString owners = m_jointOwners.join(QStringLiteral("、"));
        if (m_jointRecords > m_jointOwners.size())
            owners += QStringLiteral(" ほか %1 件").arg(m_jointRecords - m_jointOwners.size());
        report << QStringLiteral("%1 件の宛先の連名を省きます（%2）：%3")
                      .arg(m_jointRecords)
                      .arg(pieces(m_jointPieces), owners);
    }
    return report.join(QLatin1Char('\n'));
}

QString SizeShortfallReport(TLayoutDocument &Document, const TRecordSource &Source, const QList<qint32> &RecNos,
                            const TAddressText *Sender, int PrintsPerRecord)
{
    if (!Source)
        return {};
    TShortfallTally tally;
    constexpr qsizetype kBatch = 200;
    for (qsizetype from = 0; from < RecNos.size(); from += kBatch) {
        const QList<std::optional<TAddressText>> records = Source.ReadMany(RecNos.mid(from, kBatch));
        for (const std::optional<TAddressText> &record : records) {
            if (!record)
                continue;
            MergeRecord(Document, &*record, Sender);
            tally.Add(SizeShortfalls(Document), PrintsPerRecord);
        }
    }
    return tally.Report(Document.Kind == TLayoutKind::Label);
}
