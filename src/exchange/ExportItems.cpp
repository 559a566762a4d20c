#include "exchange/ExportItems.h"

#include "core/AppSub.h"
#include "core/Env.h"
#include "core/WqhypWrapper.h"
#include "platform/Cp932.h"
#include "platform/Table.h"

namespace {

// How an item turns its field into text.
enum class TRule {
    RecNo, Group, Trim, Hyphen, TelDiv, PubDate, Pos, PrivCorp, Wide, IgnoreName, JointOwner, Print,
    PrintTarget, Sender, Memo, SymbolColor, Date, Time,
};

struct TItemRow {
    const char16_t *Caption; // nullptr: a keyword item
    const char *Field;
    TRule Rule;
};

const TItemRow kItems[ExportItemCount] = {
    {u"レコード番号", "RecNo", TRule::RecNo},
    {u"グループ名", "Group", TRule::Group},
    {u"顧客コード", "CustomCode", TRule::Trim},
    {u"電話番号", "Tel", TRule::Hyphen},
    {u"代表電話", "TelDiv", TRule::TelDiv},
    {u"FAX番号", "Fax", TRule::Hyphen},
    {u"初期掲載年月", "PubDate", TRule::PubDate},
    {u"携帯番号１", "Portable1", TRule::Hyphen},
    {u"携帯番号２", "Portable2", TRule::Hyphen},
    {u"郵便番号", "Pos", TRule::Pos},
    {u"都道府県", "Tdfkn", TRule::Trim},
    {u"住所１", "Adrs1", TRule::Trim},
    {u"住所２", "Adrs2", TRule::Trim},
    {u"住所３", "Adrs3", TRule::Trim},
    {u"住所カナ", "AdrsKana", TRule::Trim},
    {u"市町村コード", "JisCode", TRule::Trim},
    {u"個人会社区分", "PrivCorp", TRule::PrivCorp},
    {u"会社名", "CorpKanji", TRule::Trim},
    {u"会社名カナ", "CorpKana", TRule::Trim},
    {u"部署", "Dptmnt", TRule::Trim},
    {u"役職", "Post", TRule::Trim},
    {u"名前", "NameKanji", TRule::Wide},
    {u"名前カナ", "NameKana", TRule::Trim},
    {u"敬称", "Honor", TRule::Trim},
    {u"宛名印刷名前未使用", "IgnoreName", TRule::IgnoreName},
    {u"URL", "URL", TRule::Trim},
    {u"メールアドレス１", "EMail1", TRule::Trim},
    {u"メールアドレス２", "EMail2", TRule::Trim},
    {u"連名１", "Joint1", TRule::Wide},
    {u"連名２", "Joint2", TRule::Wide},
    {u"連名３", "Joint3", TRule::Wide},
    {u"連名４", "Joint4", TRule::Wide},
    {u"連名５", "Joint5", TRule::Wide},
    {u"連名敬称１", "JointHonor1", TRule::Trim},
    {u"連名敬称２", "JointHonor2", TRule::Trim},
    {u"連名敬称３", "JointHonor3", TRule::Trim},
    {u"連名敬称４", "JointHonor4", TRule::Trim},
    {u"連名敬称５", "JointHonor5", TRule::Trim},
    {u"連名主", "JointOwner", TRule::JointOwner},
    {u"連名印刷対象", "JointPrint", TRule::Print},
    {u"連名印刷対象１", "JointPrint1", TRule::Print},
    {u"連名印刷対象２", "JointPrint2", TRule::Print},
    {u"連名印刷対象３", "JointPrint3", TRule::Print},
    {u"連名印刷対象４", "JointPrint4", TRule::Print},
    {u"連名印刷対象５", "JointPrint5", TRule::Print},
    {u"印刷指定", "PrintTarget", TRule::PrintTarget},
    {u"差出人", "Sender", TRule::Sender},
    {nullptr, "Keyword1", TRule::Trim},
    {nullptr, "Keyword2", TRule::Trim},
    {nullptr, "Keyword3", TRule::Trim},
    {nullptr, "Keyword4", TRule::Trim},
    {nullptr, "Keyword5", TRule::Trim},
    {nullptr, "Keyword6", TRule::Trim},
    {nullptr, "Keyword7", TRule::Trim},
    {nullptr, "Keyword8", TRule::Trim},
    {u"備考", "Note", TRule::Memo},
    {u"外部リンク", "ExtLink", TRule::Memo},
    {u"シンボルマーク", "SymbolMark", TRule::Trim},
    {u"シンボル色", "SymbolColor", TRule::SymbolColor},
    {u"登録日付", "AddDateTime", TRule::Date},
    {u"登録時刻", "AddDateTime", TRule::Time},
    {u"更新日付", "UpdDateTime", TRule::Date},
    {u"更新時刻", "UpdDateTime", TRule::Time},
};

const char *const kJointFields[] = {"NameKanji", "Joint1", "Joint2", "Joint3", "Joint4", "Joint5"};

TField &field(TTable &table, const char *name)
{
    return table.FieldByName(QLatin1StringView(name));
}

QString wide(TTable &table, const char *name)
{
    QString text = DecodeUnicodeField(field(table, name).AsBytesView());
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

bool hyphenSwitch(int item, const TExportFormat &format)
{
    if (!format.EditHyphen)
        return false;
    switch (item) {
    case eiTel: return format.EditTel;
    case eiFax: return format.EditFax;
    case eiPortable1: return format.EditPortable1;
    case eiPortable2: return format.EditPortable2;
    case eiPos: return format.EditPos;
    default: return false;
    }
}

} // namespace

QByteArray TrimExportBytes(QByteArrayView Bytes)
{
    qsizetype begin = 0;
    qsizetype end = Bytes.size();
    while (begin < end && static_cast<unsigned char>(Bytes[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(Bytes[end - 1]) <= 0x20)
        --end;
    return Bytes.sliced(begin, end - begin).toByteArray();
}

QStringList ExportItemCatalogue()
{
    QStringList captions;
    captions.reserve(ExportItemCount);
    for (int i = 0; i < ExportItemCount; ++i) {
        if (kItems[i].Caption)
            captions << QString::fromUtf16(kItems[i].Caption);
        else
            captions << KeywordNames[size_t(i - eiKeyword1 + 1)];
    }
    return captions;
}

QStringList ExportItemFields(int Item)
{
    if (Item < 0 || Item >= ExportItemCount)
        return {};
    if (kItems[Item].Rule == TRule::JointOwner) {
        QStringList names{QStringLiteral("JointOwner")};
        for (const char *name : kJointFields)
            names << QLatin1StringView(name);
        return names;
    }
    return {QLatin1StringView(kItems[Item].Field)};
}

QString FormatExportValue(int Item, TTable &Table, const TExportContext &Context)
{
    if (Item < 0 || Item >= ExportItemCount)
        return {};
    const TItemRow &row = kItems[Item];
    switch (row.Rule) {
    case TRule::RecNo: return QString::number(field(Table, row.Field).AsInteger());
    case TRule::Group: {
        // Stored values past the ten groups have no name: empty, as for 0.
        const int group = field(Table, row.Field).AsInteger();
        return group >= 1 && group <= 10 ? Context.GroupNames.value(group) : QString();
    }
    case TRule::Trim: return Cp932::decode(TrimExportBytes(field(Table, row.Field).AsBytesView()));
    case TRule::Hyphen: {
        QByteArray number = TrimExportBytes(field(Table, row.Field).AsBytesView());
        if (!number.isEmpty() && hyphenSwitch(Item, Context.Format))
            number = HyphenatePhoneNumber(number);
        return Cp932::decode(number);
    }
    case TRule::TelDiv: return field(Table, row.Field).AsInteger() == 3 ? QStringLiteral("代表") : QString();
    case TRule::PubDate: {
        const QByteArray date = TrimExportBytes(field(Table, row.Field).AsBytesView());
        if (date.isEmpty())
            return {};
        return Cp932::decode(date.left(4)) + u'/' + Cp932::decode(date.mid(4, 2));
    }
    case TRule::Pos: {
        const QByteArray pos = TrimExportBytes(field(Table, row.Field).AsBytesView());
        if (hyphenSwitch(Item, Context.Format) && (pos.size() == 5 || pos.size() == 7))
            return Cp932::decode(pos.left(3)) + u'-' + Cp932::decode(pos.mid(3));
        return Cp932::decode(pos);
    }
    case TRule::PrivCorp:
        return field(Table, row.Field).AsBoolean() ? QStringLiteral("個人") : QStringLiteral("会社");
    case TRule::Wide: return wide(Table, row.Field);
    case TRule::IgnoreName:
        return field(Table, row.Field).AsBoolean() ? QStringLiteral("印刷しない") : QStringLiteral("印刷する");
    case TRule::JointOwner: {
        const int owner = field(Table, row.Field).AsInteger();
        return owner >= 0 && owner <= 5 ? wide(Table, kJointFields[owner]) : QString();
    }
    case TRule::Print: return field(Table, row.Field).AsBoolean() ? QStringLiteral("印刷") : QString();
    case TRule::PrintTarget:
        switch (field(Table, row.Field).AsInteger()) {
        case 0: return QStringLiteral("指定なし");
        case 1: return QStringLiteral("印刷対象");
        case 2: return QStringLiteral("印刷除外");
        default: return {};
        }
    case TRule::Sender: {
        const qint32 sender = field(Table, row.Field).AsInteger();
        if (sender <= 0)
            return {};
        for (const auto &[title, recNo] : Context.Senders) {
            if (recNo == sender)
                return title;
        }
        return {};
    }
    case TRule::Memo: {
        // A line of the file cannot hold a line break: the memo's lines are
        // joined by tabs, which the import splits again.
        QByteArray memo = field(Table, row.Field).AsBytes();
        memo.replace("\r\n", "\t");
        return Cp932::decode(memo);
    }
    case TRule::SymbolColor:
        return QStringLiteral("%1").arg(quint32(field(Table, row.Field).AsInteger()), 8, 16, QLatin1Char('0')).toUpper();
    case TRule::Date: return field(Table, row.Field).AsDateTime().toString(QStringLiteral("yyyy/MM/dd"));
    case TRule::Time: return field(Table, row.Field).AsDateTime().toString(QStringLiteral("HH:mm:ss"));
    }
    return {};
}
