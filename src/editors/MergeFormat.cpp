#include "editors/MergeFormat.h"

#include "core/Env.h"
#include "core/Inquiry.h"
#include "editors/FormatDialogs.h"
#include "editors/LayoutDoc.h"
#include "items/AdditionRect.h"
#include "items/AddressRect.h"
#include "items/CorpRect.h"
#include "items/NameRect.h"
#include "platform/Cp932.h"

#include <QDate>

#include <algorithm>

namespace {

QString text(const auto &Field)
{
    return Cp932::decode(Field.Bytes()).trimmed();
}

// The written-out and abbreviated corporate forms, in the same order.
const std::array<std::pair<const char16_t *, const char16_t *>, 5> kCorpForms{{
    {u"株式会社", u"（株）"},
    {u"有限会社", u"（有）"},
    {u"合資会社", u"（資）"},
    {u"合名会社", u"（名）"},
    {u"合同会社", u"（同）"},
}};

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

// The honorific a record without its own gets.
QString honorFor(const TAddressData &Record, const TDataFormat &F)
{
    if (Record.PrivCorp && text(Record.NameKanji).isEmpty())
        return TDataFormat::HonorText(F.CorpHonor);
    if (Record.PrivCorp && !text(Record.Post).isEmpty())
        return TDataFormat::HonorText(F.PostHonor);
    return TDataFormat::HonorText(F.DefHonor);
}

QString additionValue(int Id, const TAddressData *Record)
{
    // The sender's contact lines are not among the fields the host hands
    // over; such a line prints empty rather than another field.
    if (Id >= 19 && Id <= 22)
        return {};
    if (!Record)
        return {};
    switch (Id) {
    case 1: {
        QString digits;
        for (const QChar c : text(Record->Tel))
            if (c.isDigit())
                digits.prepend(c);
        return digits;
    }
    case 2: return QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    case 3: return text(Record->Tel);
    case 4: return text(Record->Fax);
    case 5: return text(Record->Portable1);
    case 6: return text(Record->Portable2);
    case 7: return text(Record->URL);
    case 9: return text(Record->EMail1);
    case 10: return text(Record->EMail2);
    default: break;
    }
    if (Id >= 11 && Id <= 18) {
        const std::array keys{&Record->Keyword1, &Record->Keyword2, &Record->Keyword3, &Record->Keyword4,
                              &Record->Keyword5, &Record->Keyword6, &Record->Keyword7, &Record->Keyword8};
        return text(*keys[size_t(Id - 11)]);
    }
    return {};
}

} // namespace

TDataFormat EffectiveDataFormat(const TLayoutDocument &Document)
{
    if (Document.DataFormat)
        return *Document.DataFormat;
    TDataFormat format;
    ApplyNewLayoutDefaults(format, editorOf(Document), true);
    return format;
}

QString ConvertAddressText(const QString &Text, const TDataFormat &Format)
{
    QString out = Text;
    if (Format.HyphenToNo)
        for (const QChar dash : {QChar(0xFF0D), QChar(u'-'), QChar(0x2212), QChar(0x2010)})
            out.replace(dash, QChar(u'の'));
    if (Format.KanjiNumerals) {
        static const char16_t kanji[] = u"〇一二三四五六七八九";
        for (QChar &c : out) {
            if (c >= QChar(u'0') && c <= QChar(u'9'))
                c = QChar(kanji[c.unicode() - u'0']);
            else if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
                c = QChar(kanji[c.unicode() - 0xFF10]);
        }
    }
    return out;
}

QString ConvertCorpForm(const QString &Text, qint32 CorpForm)
{
    QString out = Text;
    for (const auto &[full, brief] : kCorpForms) {
        if (CorpForm == 1)
            out.replace(QString::fromUtf16(full), QString::fromUtf16(brief));
        else if (CorpForm == 2)
            out.replace(QString::fromUtf16(brief), QString::fromUtf16(full));
    }
    return out;
}

void ApplyDataFormat(TLayoutDocument &Document, const TAddressData *Record, const TAddressData *Sender)
{
    const TDataFormat f = EffectiveDataFormat(Document);
    const TTenthMm longSide(std::max(Document.Format.Width, Document.Format.Height));
    for (auto &owned : Document.Items) {
        TDrawRect *item = owned.get();
        if (auto *a = dynamic_cast<TAddressRect *>(item)) {
            const TAddressData *r = a->IsSender() ? Sender : Record;
            for (int line = 0; line < 3; ++line) {
                QString value = a->GetAddressLine(line);
                if (f.HidePrefecture && r && line == 0) {
                    const QString prefecture = text(r->Tdfkn);
                    if (!prefecture.isEmpty() && value.startsWith(prefecture))
                        value.remove(0, prefecture.size());
                }
                const QString converted = ConvertAddressText(value, f);
                if (converted != a->GetAddressLine(line))
                    a->SetAddressLine(line, converted);
            }
            a->SetVertNumeral(f.VerticalDigits);
            const qint32 level = a->IsSender() ? f.SendAddressSize : f.AddressSize;
            if (level >= 1 && level <= 5 && level != a->GetSizeLevel()) {
                a->SetSizeLevel(level);
                a->RescaleFont(longSide);
            }
        } else if (auto *n = dynamic_cast<TNameRect *>(item)) {
            const TAddressData *r = n->IsSender() ? Sender : Record;
            if (r && !n->IsSender()) {
                if (text(r->Honor).isEmpty())
                    n->SetHonor(honorFor(*r, f));
                const std::array honors{&r->JointHonor1, &r->JointHonor2, &r->JointHonor3, &r->JointHonor4,
                                        &r->JointHonor5};
                // The merge keeps only the printed joint names, in order; an
                // empty honorific of the record is the default one.
                int shown = 0;
                const std::array prints{r->JointPrint1, r->JointPrint2, r->JointPrint3, r->JointPrint4,
                                        r->JointPrint5};
                const std::array joints{&r->Joint1, &r->Joint2, &r->Joint3, &r->Joint4, &r->Joint5};
                for (size_t i = 0; i < joints.size() && shown < n->GetJointCount(); ++i) {
                    if (!prints[i] || joints[i]->IsEmpty())
                        continue;
                    if (text(*honors[i]).isEmpty())
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
        } else if (auto *c = dynamic_cast<TCorpRect *>(item)) {
            if (!c->GetText().isEmpty())
                c->SetText(ConvertCorpForm(c->GetText(), f.CorpForm));
            c->SetCorpBreak(f.CorpBreak);
        } else if (auto *add = dynamic_cast<TAdditionRect *>(item)) {
            const int id = add->GetAddKind();
            if (id != 0) {
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
