#include "dialogs/SndCmp.h"

#include "core/WqhypWrapper.h"
#include "dialogs/DataFrm.h"
#include "dialogs/SenderData.h"
#include "items/SenderRect.h"
#include "platform/Cp932.h"
#include "util/StrFunc.h"

namespace {

QString fw(const QString &S)
{
    return ToFullWidthW(S);
}

// The conversions every name and company line takes (company form, kanji
// numerals, dashes of vertical writing).
QString convertLine(QString S, const TDataFormat &F, bool FullWidthParens, bool Vertical)
{
    if (F.CorpForm == 1)
        S = AbbreviateCompanyTypeW(S, FullWidthParens);
    else if (F.CorpForm == 2)
        S = ExpandCompanyTypeW(S);
    if (F.KanjiNumerals)
        S = DigitsToKanjiW(S);
    if (Vertical)
        S = ReplaceDashesW(S, 0);
    return S;
}

QString postcodeText(const QString &Pos, qint32 Mode)
{
    QString p = fw(Pos.trimmed());
    if (p.isEmpty())
        return p;
    if ((Mode == 1 || Mode == 2) && p.size() > 3)
        p = p.left(3) + u'-' + p.mid(3);
    if (Mode == 1)
        p = QStringLiteral("〒") + p;
    return p;
}

QString addressLine(QString S, const TDataFormat &F, bool Vertical)
{
    if (F.HidePrefecture)
        S = RemovePrefectureNamesW(S);
    if (F.KanjiNumerals)
        S = DigitsToKanjiW(S);
    if (F.HyphenToNo)
        S = ReplaceDashesW(S, 1);
    if (Vertical)
        S = ReplaceDashesW(S, 0);
    return S;
}

// Family part with its separating blank (empty without one) and the rest.
std::pair<QString, QString> splitFamily(const QString &Name)
{
    const QString n = NormalizeNameSpace(Name);
    const qsizetype p = n.indexOf(u' ');
    if (p < 0)
        return {QString(), n};
    return {n.left(p + 1), n.mid(p + 1)};
}

void composePerson(TNameRect &Item, const TSenderData &S, const TDataFormat &F)
{
    const auto [family, given] = splitFamily(fw(S.Name));
    Item.SetName(S.NamePrint ? family + given : QString());
    const bool together = F.SendSeries != 0;
    int index = 0;
    bool merged = false;
    Item.SetJointCount(0);
    for (int i = 0; i < 5; ++i) {
        const QString joint = S.Joint[size_t(i)];
        if (!S.JointPrint[size_t(i)] || joint.isEmpty())
            continue;
        auto [jFamily, j] = splitFamily(fw(joint));
        if (!jFamily.trimmed().isEmpty() && jFamily != family)
            j = jFamily + j;
        else if (Item.GetName().isEmpty())
            j = family + j;
        else
            j = u' ' + j;
        if (Item.GetName().isEmpty()) {
            Item.SetName(j);
            if (!together)
                Item.SetNote(fw(S.Note[size_t(i)]));
        } else if (j.startsWith(u' ') && !merged && together) {
            if (index == 0)
                Item.SetName(Item.GetName() + QStringLiteral("・") + j.trimmed());
            else
                Item.SetJointName(index - 1, Item.GetJointName(index - 1) + QStringLiteral("・") + j.trimmed());
            merged = true;
        } else {
            Item.SetJointCount(index + 1);
            Item.SetJointName(index, j);
            if (!together)
                Item.SetJointNote(index, fw(S.Note[size_t(i)]));
            ++index;
            merged = false;
        }
    }
    Item.SetNameAlign(F.SendNameAlign);
}

bool isPhoneHead(const QString &Head)
{
    for (const char *h : {"TEL", "FAX", "TEL/FAX"})
        if (Head.compare(QLatin1String(h), Qt::CaseInsensitive) == 0)
            return true;
    return Head == QStringLiteral("携帯");
}

bool keepsHalfWidth(const QString &Head)
{
    const QString upper = Head.toUpper();
    return Head.contains(QStringLiteral("メール")) || Head.contains(QStringLiteral("E-Mail")) ||
           upper.contains(QStringLiteral("MAIL")) || upper.contains(QStringLiteral("HP")) ||
           upper.contains(QStringLiteral("URL"));
}

void composeAddition(TAdditionRect &Item, const TSenderData &S, const TDataFormat &F, bool Vertical, bool PrintFlags)
{
    const int kind = Item.GetAddKind();
    if (kind < 19 || kind > 22)
        return;
    const size_t k = size_t(kind - 19);
    QString head = S.Head[k].trimmed();
    QString text = S.Addition[k].trimmed();
    if (text.isEmpty() || (PrintFlags && !S.AdditionPrint[k])) {
        Item.SetCaption({});
        Item.SetContent({});
        return;
    }
    if (isPhoneHead(head))
        text = Cp932::decode(HyphenatePhoneNumber(Cp932::encode(text)));
    if (!keepsHalfWidth(head)) {
        head = fw(head);
        text = fw(text);
        if (F.KanjiNumerals)
            text = DigitsToKanjiW(text);
        if (Vertical)
            text = ReplaceDashesW(text, 0);
    }
    Item.SetCaption(head);
    Item.SetContent(text);
}

} // namespace

void ComposeSenderAddition(TAdditionRect &Item, const TSenderData *Sender, const TDataFormat &Format, bool Vertical,
                           bool PrintFlags)
{
    const int kind = Item.GetAddKind();
    if (kind < 19 || kind > 22)
        return;
    if (!Sender) {
        Item.SetCaption({});
        Item.SetContent({});
        return;
    }
    composeAddition(Item, *Sender, Format, Vertical, PrintFlags);
}

void ComposeSenderBlock(TSenderRect &Block, const TSenderData *Sender, const TDataFormat *Format, bool PrintFlags)
{
    const TDataFormat defaults;
    const TDataFormat &F = Format ? *Format : defaults;
    Block.ClearContents();
    if (!Sender)
        return;
    const TSenderData &S = *Sender;
    const bool priv = Block.IsPrivate();
    const bool vertical = !Block.GetHorizontal();
    TPosRect &pos = priv ? Block.PosRect() : Block.CorpPosRect();
    TNameRect &name = priv ? Block.NameRect() : Block.CorpNameRect();

    pos.SetPostcode(postcodeText(S.Pos, F.SendPostalMark));

    const std::array<QString, 3> raw{fw(S.Tdfkn + S.Adrs1), fw(S.Adrs2), fw(S.Adrs3)};
    for (int i = 0; i < 3; ++i) {
        const QString line = addressLine(raw[size_t(i)], F, vertical);
        if (priv)
            Block.AddressRect().SetAddressLine(i, line);
        else if (TAddressRect *a = Block.GetCorpAddress(i))
            a->SetAddressLine(0, line);
    }

    name.SetHonor({});
    name.SetNameKind(quint8(S.SelectInfo));
    name.SetNameAsIs(false);
    QList<TCorpRect *> corpItems;
    if (S.SelectInfo == 1) {
        composePerson(name, S, F);
    } else if (S.SelectInfo == 2) {
        name.SetName(fw(S.Name));
        if (priv) {
            name.SetNameAsIs(name.GetName().isEmpty());
            name.SetCorp(fw(S.Corp));
            name.SetDptmnt(0, fw(S.Dptmnt));
            name.SetPost(fw(S.Post));
            if (name.IsNameAsIs()) {
                if (!name.GetPost().isEmpty()) {
                    name.SetName(name.GetPost());
                    name.SetPost({});
                } else if (!name.GetDptmnt(0).isEmpty()) {
                    name.SetName(name.GetDptmnt(0));
                    name.SetDptmnt(0, {});
                } else if (!name.GetCorp().isEmpty()) {
                    name.SetName(name.GetCorp());
                    name.SetCorp({});
                }
            }
        } else {
            Block.CorpLine().SetText(fw(S.Corp));
            Block.GetDptmntRect(0)->SetText(fw(S.Dptmnt));
            Block.Post().SetText(fw(S.Post));
            corpItems = {&Block.CorpLine(), Block.GetDptmntRect(0), &Block.Post()};
        }
    } else {
        name.SetName(fw(S.Name));
    }

    name.SetName(convertLine(name.GetName(), F, true, vertical));
    for (int i = 0; i < name.GetJointCount(); ++i)
        name.SetJointName(i, convertLine(name.GetJointName(i), F, true, vertical));
    if (priv) {
        name.SetCorp(convertLine(name.GetCorp(), F, false, vertical));
        name.SetDptmnt(0, convertLine(name.GetDptmnt(0), F, false, vertical));
        name.SetPost(convertLine(name.GetPost(), F, false, vertical));
    }
    for (TCorpRect *c : corpItems)
        c->SetText(convertLine(c->GetText(), F, false, vertical));

    name.SetCharSpace(F.CharSpace);
    if (priv) {
        name.SetCorpBreak(F.CorpBreak);
    } else {
        Block.CorpLine().SetCorpBreak(F.CorpBreak);
        Block.GetDptmntRect(0)->SetCorpBreak(F.CorpBreak);
        Block.Post().SetCorpBreak(F.CorpBreak);
    }

    for (int i = 0; i < (priv ? 2 : 4); ++i)
        if (TAdditionRect *a = priv ? Block.GetPrivateAddition(i) : Block.GetCorpAddition(i))
            composeAddition(*a, S, F, vertical, PrintFlags);
}
