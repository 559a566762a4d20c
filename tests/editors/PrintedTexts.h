#pragma once

// What a layout prints of a merged record, text by text: each field's
// character height in millimetres and the box it stands in on the piece,
// read from the items' recordings at a printer's resolution (the same
// recordings the printer plays 1:1).
#include "EditorsFixture.h"
#include "items/AddressRect.h"
#include "items/CorpRect.h"
#include "items/MetaRect.h"
#include "items/NameRect.h"

#include <QRectF>

#include <map>
#include <optional>

// The fields of a record a layout prints as text of their own.
enum class TPrintedField { Town, Block, Building, Company, Department, Post, Name, Joint };

inline const char *fieldName(TPrintedField F)
{
    switch (F) {
    case TPrintedField::Town: return "address line 1";
    case TPrintedField::Block: return "address line 2";
    case TPrintedField::Building: return "address line 3";
    case TPrintedField::Company: return "company";
    case TPrintedField::Department: return "department";
    case TPrintedField::Post: return "title";
    case TPrintedField::Name: return "name";
    case TPrintedField::Joint: return "joint name";
    }
    return "";
}

// One field as printed: the smallest character height of its pieces (mm)
// and the box around them on the piece (mm from its top-left corner).
struct TPrintedText {
    double Em = 0;
    QRectF Box;
};

// Fields (a joint name by its number) to what they print.
using TPrintedTexts = std::map<std::pair<TPrintedField, int>, TPrintedText>;

namespace printed_texts_detail {

inline QString bare(QString Text)
{
    Text = Text.normalized(QString::NormalizationForm_KC);
    Text.remove(QLatin1Char(' '));
    Text.remove(QChar(0x3000));
    return Text;
}

inline void add(TPrintedTexts &Out, std::pair<TPrintedField, int> Key, const TMetaRect &Item, const TTextOp &Op)
{
    const double dot = 25.4 / Item.GetMetafile().Dpi().y;
    const double px = 25.4 / 96;
    const TPageRect r = Item.GetRect();
    int along = 0;
    for (const int a : Op.Advances)
        along += a;
    // The text runs down the page from a vertical font's origin, the tops
    // of its cells to the right; across it from a horizontal one.
    QRectF box = Op.Font.Escapement == 2700
                     ? QRectF(QPointF(Op.Origin.x() - Op.CellHeight, Op.Origin.y()), QSizeF(Op.CellHeight, along))
                     : QRectF(QPointF(Op.Origin.x(), Op.Origin.y()), QSizeF(along, Op.CellHeight));
    box = QRectF(r.Left * px + box.left() * dot, r.Top * px + box.top() * dot, box.width() * dot,
                 box.height() * dot);
    const double em = std::abs(Op.Font.Height) * dot;
    auto [at, fresh] = Out.try_emplace(Key, TPrintedText{em, box});
    if (!fresh) {
        at->second.Em = std::min(at->second.Em, em);
        at->second.Box |= box;
    }
}

// The address item's lines with the record's line each stands for (the
// second frame of the detailed set starts at the record's second line).
inline void addAddress(TPrintedTexts &Out, const TAddressRect &Item, int FirstLine)
{
    QString all;
    QList<std::pair<qsizetype, int>> ends; // where each line ends in all
    for (int i = 0; i < 3; ++i) {
        const QString line = bare(Item.GetAddressLine(i));
        if (line.isEmpty())
            continue;
        all += line;
        ends.append({all.size(), FirstLine + i});
    }
    qsizetype at = 0;
    for (const TTextOp *op : Item.GetMetafile().TextOps()) {
        const QString text = bare(op->Text);
        if (text.isEmpty())
            continue;
        EXPECT_EQ(all.mid(at, text.size()), text) << "the address prints what was merged";
        // Every line the piece covers prints at its height.
        qsizetype lineStart = 0;
        for (const auto &[end, line] : ends) {
            if (at < end && at + text.size() > lineStart)
                add(Out, {TPrintedField(int(TPrintedField::Town) + line), 0}, Item, *op);
            lineStart = end;
        }
        at += text.size();
    }
}

} // namespace printed_texts_detail

// The fields Record prints in Document (merged, with the sender Sender).
inline TPrintedTexts PrintedTexts(TLayoutDocument &Document, const TAddressText &Record,
                                  const TAddressText *Sender = nullptr)
{
    using namespace printed_texts_detail;
    MergeRecord(Document, &Record, Sender);
    TPrintedTexts out;
    const QString name = bare(Record.NameKanji);
    QStringList joints;
    for (const QString &j : Record.Joint)
        joints.append(bare(j));
    const QString company = bare(Record.CorpKanji), department = bare(Record.Dptmnt), post = bare(Record.Post);
    auto keyOf = [&](const QString &Text) -> std::optional<std::pair<TPrintedField, int>> {
        if (Text.isEmpty())
            return std::nullopt;
        if (Text == name)
            return std::pair{TPrintedField::Name, 0};
        for (int i = 0; i < joints.size(); ++i)
            if (Text == joints[i])
                return std::pair{TPrintedField::Joint, i};
        // A company line may be broken in two.
        for (const auto &[field, whole] : {std::pair{TPrintedField::Company, company},
                                           std::pair{TPrintedField::Department, department},
                                           std::pair{TPrintedField::Post, post}})
            if (!whole.isEmpty() && (Text == whole || whole.contains(Text)))
                return std::pair{field, 0};
        return std::nullopt;
    };
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        auto *item = dynamic_cast<TMetaRect *>(Document.Items[i].get());
        if (!item || !item->IsVisible() || !Document.OnPrintedSide(i))
            continue;
        item->Rebuild(false);
        if (auto *a = dynamic_cast<TAddressRect *>(item)) {
            // The frame roles: 3 is the detailed set's second address frame.
            const int role = i < Document.ItemRoles.size() ? Document.ItemRoles[i] : -1;
            if (!a->IsSender())
                addAddress(out, *a, role == 3 ? 1 : 0);
            continue;
        }
        if (auto *n = dynamic_cast<TNameRect *>(item); n && n->IsSender())
            continue;
        for (const TTextOp *op : item->GetMetafile().TextOps())
            if (const auto key = keyOf(bare(op->Text)))
                add(out, *key, *item, *op);
    }
    return out;
}
