#include "editors/MergeFormat.h"

#include "core/Env.h"
#include "core/AddressText.h"
#include "dialogs/SndCmp.h"
#include "editors/FormatDialogs.h"
#include "editors/LayoutDoc.h"
#include "items/AdditionRect.h"
#include "items/AddressRect.h"
#include "items/BarRect.h"
#include "items/CorpRect.h"
#include "items/NameRect.h"
#include "items/PosRect.h"
#include "items/SenderRect.h"
#include "util/StrFunc.h"

#include <QDate>

#include <algorithm>
#include <array>
#include <typeinfo>

namespace {

TDataFormatEditor editorOf(const TLayoutDocument &D)
{
    switch (D.Kind) {
    case TLayoutKind::Label: return TDataFormatEditor::dfeLabel;
    case TLayoutKind::Card: return TDataFormatEditor::dfeCard;
    case TLayoutKind::Design: return TDataFormatEditor::dfeDesign;
    default: return TDataFormatEditor::dfeAddressSide;
    }
}

double ratioOf(qint32 Index)
{
    return (10 - std::clamp(Index, 0, 5)) / 10.0;
}

// The honorific a record without its own gets: a company addressed as
// itself the company one, a person named with a title the title one.
QString honorFor(const TAddressText &Record, const TDataFormat &F)
{
    if (Record.IsCompany() && Record.NameKanji.isEmpty())
        return TDataFormat::HonorText(F.CorpHonor);
    if (Record.IsCompany() && !Record.Post.isEmpty())
        return TDataFormat::HonorText(F.PostHonor);
    return TDataFormat::HonorText(F.DefHonor);
}

QString additionValue(int Id, const TAddressText *Record)
{
    if (!Record)
        return {};
    switch (Id) {
    case 1: {
        QString digits;
        for (const QChar c : Record->Tel)
            if (c.isDigit())
                digits.prepend(c);
        return digits;
    }
    case 2: return QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    case 3: return Record->Tel;
    case 4: return Record->Fax;
    case 5: return Record->Portable1;
    case 6: return Record->Portable2;
    case 7: return Record->URL;
    case 9: return Record->EMail1;
    case 10: return Record->EMail2;
    default: break;
    }
    if (Id >= 11 && Id <= 18)
        return Record->Keyword[size_t(Id - 11)];
    return {};
}

} // namespace

TMergeClass MergeClassOf(const TDrawRect &Item)
{
    switch (Item.GetKind()) {
    case TDrawRectKind::RecipientPostcode:
    case TDrawRectKind::SenderPostcode: return TMergeClass::Postcode;
    case TDrawRectKind::RecipientAddress:
    case TDrawRectKind::SenderAddress: return TMergeClass::Address;
    case TDrawRectKind::RecipientName:
    case TDrawRectKind::SenderName: {
        const std::type_info &type = typeid(Item);
        if (type == typeid(TNameRect))
            return TMergeClass::Name;
        return type == typeid(TCorpRect) ? TMergeClass::Corp : TMergeClass::Other;
    }
    case TDrawRectKind::Barcode: return TMergeClass::Barcode;
    case TDrawRectKind::SenderBlock: return TMergeClass::SenderBlock;
    case TDrawRectKind::Addition: return TMergeClass::Addition;
    default: return TMergeClass::Other;
    }
}

TDataFormat EffectiveDataFormat(const TLayoutDocument &Document)
{
    if (Document.DataFormat)
        return *Document.DataFormat;
    // The defaults depend on the layout's kind and its picture alone; every
    // record merged asks for them, so they are worked out once (their
    // honorifics are converted to Shift-JIS).
    static const std::array<TDataFormat, 8> defaults = [] {
        std::array<TDataFormat, 8> out;
        for (int editor = 0; editor < 4; ++editor)
            for (int withoutPicture = 0; withoutPicture < 2; ++withoutPicture)
                ApplyNewLayoutDefaults(out[size_t(editor * 2 + withoutPicture)], TDataFormatEditor(editor),
                                       withoutPicture != 0);
        return out;
    }();
    // Papers with a picture of the printed boxes keep the digits in the
    // boxes; the others write the postcode out.
    const bool withoutPicture = Document.Format.Background.isEmpty() || Document.Format.BackgroundText().isEmpty();
    return defaults[size_t(int(editorOf(Document)) * 2 + (withoutPicture ? 1 : 0))];
}

void ApplyNewLayoutFormat(TLayoutDocument &Document)
{
    // Without a record of its own the layout follows the defaults anyway.
    if (!Document.DataFormat)
        return;
    TDataFormat format = *Document.DataFormat;
    const bool withoutPicture = Document.Format.BackgroundText().isEmpty();
    ApplyNewLayoutDefaults(format, editorOf(Document), withoutPicture);
    // A paper with its postcode boxes printed takes the digits alone, as a
    // layout of it without a record of its own does: the marks of the
    // layout shown before (an envelope's "〒" or hyphen) would write the
    // postcode as one string across the boxes.
    if (!withoutPicture && Document.Kind == TLayoutKind::AddressSide) {
        format.PostalMark = 0;
        format.SendPostalMark = 0;
    }
    // The new layout's frames all print, every part of them.
    format.HiddenParts = 0;
    Document.DataFormat = std::make_shared<const TDataFormat>(format);
}

QString ConvertAddressText(const QString &Text, const TDataFormat &Format, bool Vertical)
{
    QString out = Text;
    if (Format.KanjiNumerals)
        out = DigitsToKanjiW(out);
    if (Format.HyphenToNo)
        out = ReplaceDashesW(out, 1);
    if (Vertical)
        out = ReplaceDashesW(out, 0);
    return out;
}

QString ConvertCorpForm(const QString &Text, qint32 CorpForm)
{
    if (CorpForm == 1)
        return AbbreviateCompanyTypeW(Text, true);
    if (CorpForm == 2)
        return ExpandCompanyTypeW(Text);
    return Text;
}

QString ConvertPostcode(const QString &Postcode, qint32 Mark)
{
    QString p = Postcode.trimmed();
    if (p.isEmpty() || (Mark != 1 && Mark != 2))
        return p;
    if (p.size() > 3 && p.indexOf(QLatin1Char('-')) < 0)
        p = p.left(3) + QLatin1Char('-') + p.mid(3);
    if (Mark == 1 && !p.startsWith(QChar(u'〒')))
        p.prepend(QChar(u'〒'));
    return p;
}

void ApplyDataFormat(TLayoutDocument &Document, const TAddressText *Record, const TAddressText *Sender)
{
    ApplyDataFormat(Document, Record, Sender, EffectiveDataFormat(Document));
}

void ApplyDataFormat(TLayoutDocument &Document, const TAddressText *Record, const TAddressText *Sender,
                     const TDataFormat &f)
{
    const TTenthMm longSide(std::max(Document.Format.Width, Document.Format.Height));
    // The printed sender is read once per merge, and only when a line shows
    // one of its contact lines.
    std::optional<std::optional<TSenderData>> printedSender;
    auto senderContacts = [&Document, &printedSender]() -> const TSenderData * {
        if (!printedSender)
            printedSender.emplace(Document.PrintedSender ? Document.PrintedSender() : std::optional<TSenderData>());
        return *printedSender ? &**printedSender : nullptr;
    };
    for (auto &owned : Document.Items) {
        TDrawRect *item = owned.get();
        const TMergeClass itemClass = MergeClassOf(*item);
        if (itemClass == TMergeClass::Postcode) {
            auto *p = static_cast<TPosRect *>(item);
            const QString postcode = ConvertPostcode(p->GetPostcode(), p->IsSender() ? f.SendPostalMark : f.PostalMark);
            if (postcode != p->GetPostcode())
                p->SetPostcode(postcode);
        } else if (itemClass == TMergeClass::Address) {
            auto *a = static_cast<TAddressRect *>(item);
            const TAddressText *r = a->IsSender() ? Sender : Record;
            for (int line = 0; line < 3; ++line) {
                // An empty line stays empty whatever the conversions.
                QString value = a->GetAddressLine(line);
                if (value.isEmpty())
                    continue;
                // Only the first line carries the prefecture; a town of the
                // same name further on stays.
                if (f.HidePrefecture && r && line == 0) {
                    const QString &prefecture = r->Tdfkn;
                    if (!prefecture.isEmpty() && value.startsWith(prefecture))
                        value.remove(0, prefecture.size());
                }
                a->SetAddressLine(line, ConvertAddressText(value, f, !a->IsHorizontal()));
            }
            a->SetVertNumeral(f.VerticalDigits);
            const qint32 level = a->IsSender() ? f.SendAddressSize : f.AddressSize;
            if (level >= 1 && level <= 5 && level != a->GetSizeLevel()) {
                a->SetSizeLevel(level);
                a->RescaleFont(longSide);
            }
        } else if (itemClass == TMergeClass::Name) {
            auto *n = static_cast<TNameRect *>(item);
            const TAddressText *r = n->IsSender() ? Sender : Record;
            if (r && !n->IsSender() && Document.SenderAsAddressee) {
                n->SetHonor(TDataFormat::HonorText(f.SenderHonor));
                n->SetShowHonor(true);
            } else if (r && !n->IsSender()) {
                if (r->Honor.isEmpty())
                    n->SetHonor(honorFor(*r, f));
                // The merge keeps only the printed joint names, in order; an
                // empty honorific of the record is the default one.
                int shown = 0;
                for (size_t i = 0; i < r->Joint.size() && shown < n->GetJointCount(); ++i) {
                    if (!r->JointPrints[i] || r->Joint[i].isEmpty())
                        continue;
                    if (r->JointHonor[i].isEmpty())
                        n->SetJointHonor(shown, TDataFormat::HonorText(f.DefHonor));
                    ++shown;
                }
            }
            if (!n->GetCorp().isEmpty())
                n->SetCorp(ConvertCorpForm(n->GetCorp(), f.CorpForm));
            n->SetCorpRatio(ratioOf(f.CorpRatio));
            n->SetDptmntRatio(ratioOf(f.DptmntRatio));
            n->SetPostRatio(ratioOf(f.PostRatio));
            n->SetCharSpace(f.CharSpace);
            n->SetCorpBreak(f.CorpBreak);
            n->SetNameAlign(std::min<quint8>(n->IsSender() ? f.SendNameAlign : f.NameAlign, 3));
            const qint32 level = n->IsSender() ? f.SendNameSize : f.NameSize;
            if (level >= 1 && level <= 5 && level != n->GetSizeLevel()) {
                n->SetSizeLevel(level);
                n->RescaleFont(longSide);
            }
        } else if (itemClass == TMergeClass::Corp) {
            auto *c = static_cast<TCorpRect *>(item);
            if (!c->GetText().isEmpty())
                c->SetText(ConvertCorpForm(c->GetText(), f.CorpForm));
            c->SetCorpBreak(f.CorpBreak);
        } else if (itemClass == TMergeClass::Addition) {
            auto *add = static_cast<TAdditionRect *>(item);
            const int id = add->GetAddKind();
            if (id >= 19 && id <= 22) {
                ComposeSenderAddition(*add, senderContacts(), f, !add->IsHorizontal());
            } else if (id != 0) {
                add->SetCaption(AdditionCaption(id));
                add->SetContent(additionValue(id, Record));
            }
            const qint32 level = Document.Kind == TLayoutKind::Card ? f.SendAdditionSize : f.AdditionSize;
            if (level >= 1 && level <= 5 && level != add->GetSizeLevel()) {
                add->SetSizeLevel(level);
                add->RescaleFont(longSide);
            }
        }
    }
}
