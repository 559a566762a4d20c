#include "dialogs/SenderData.h"

#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "platform/UnreadableFile.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

qint32 DefaultSenderNo = 0;

namespace {

QString plain(TTable &T, const QString &Name)
{
    return T.FieldByName(Name).AsString();
}

QString wide(TTable &T, const QString &Name)
{
    return DecodeUnicodeField(T.FieldByName(Name).AsBytes());
}

QString numbered(const char *Base, int N)
{
    return QLatin1String(Base) + QString::number(N);
}

template <typename F>
auto withSenderTable(F Function) -> decltype(Function(std::declval<TTable &>()))
{
    if (!DMMurven19 || !DMMurven19->SenderTable() || !DMMurven19->OpenSender())
        return {};
    decltype(Function(std::declval<TTable &>())) result{};
    try {
        result = Function(*DMMurven19->SenderTable());
    } catch (const ETableError &) {
        result = {};
    }
    DMMurven19->CloseSender();
    return result;
}

} // namespace

TAddressText SenderAddressText(const TSenderData &S)
{
    TAddressText t;
    t.RecNo = S.RecNo;
    t.PrivCorp = S.SelectInfo != 2;
    t.NameKanji = S.Name.trimmed();
    t.Pos = S.Pos.trimmed();
    t.Tdfkn = S.Tdfkn.trimmed();
    t.Adrs1 = S.Adrs1.trimmed();
    t.Adrs2 = S.Adrs2.trimmed();
    t.Adrs3 = S.Adrs3.trimmed();
    t.CorpKanji = S.Corp.trimmed();
    t.Dptmnt = S.Dptmnt.trimmed();
    t.Post = S.Post.trimmed();
    t.Tel = S.Tel.trimmed();
    // The joint names a private sender prints beside its own name; the
    // sender's own print mark stands where a record keeps its name's.
    if (t.PrivCorp) {
        t.JointPrint = S.NamePrint;
        for (size_t i = 0; i < t.Joint.size(); ++i) {
            t.Joint[i] = S.Joint[i].trimmed();
            t.JointPrints[i] = S.JointPrint[i];
        }
    }
    return t;
}

TSenderData ReadSenderFields(TTable &T)
{
    TSenderData d;
    d.RecNo = T.FieldByName(QStringLiteral("RecNo")).AsInteger();
    d.Title = plain(T, QStringLiteral("Title"));
    d.Name = wide(T, QStringLiteral("Name"));
    d.Tel = plain(T, QStringLiteral("Tel"));
    d.Fax = plain(T, QStringLiteral("Fax"));
    d.Pos = plain(T, QStringLiteral("Pos"));
    d.Tdfkn = plain(T, QStringLiteral("Tdfkn"));
    d.Adrs1 = plain(T, QStringLiteral("Adrs1"));
    d.Adrs2 = plain(T, QStringLiteral("Adrs2"));
    d.Adrs3 = plain(T, QStringLiteral("Adrs3"));
    d.SelectInfo = T.FieldByName(QStringLiteral("SelectInfo")).AsInteger();
    d.NamePrint = T.FieldByName(QStringLiteral("NamePrint")).AsBoolean();
    for (int i = 0; i < 5; ++i) {
        d.Joint[size_t(i)] = wide(T, numbered("Joint", i + 1));
        d.Note[size_t(i)] = plain(T, numbered("Note", i + 1));
        d.JointPrint[size_t(i)] = T.FieldByName(numbered("JointPrint", i + 1)).AsBoolean();
    }
    d.Corp = plain(T, QStringLiteral("Corp"));
    d.Dptmnt = plain(T, QStringLiteral("Dptmnt"));
    d.Post = plain(T, QStringLiteral("Post"));
    for (int i = 0; i < 4; ++i) {
        d.Head[size_t(i)] = plain(T, numbered("Head", i + 1));
        d.Addition[size_t(i)] = plain(T, numbered("Addition", i + 1));
        d.AdditionPrint[size_t(i)] = T.FieldByName(numbered("AdditionPrint", i + 1)).AsBoolean();
    }
    return d;
}

void WriteSenderFields(TTable &T, const TSenderData &d)
{
    auto set = [&T](const QString &Name, const QString &Value) { T.FieldByName(Name).SetAsString(Value); };
    set(QStringLiteral("Title"), d.Title);
    T.FieldByName(QStringLiteral("Name")).SetAsBytes(EncodeUnicodeField(d.Name));
    set(QStringLiteral("Tel"), d.Tel);
    set(QStringLiteral("Fax"), d.Fax);
    set(QStringLiteral("Pos"), d.Pos);
    set(QStringLiteral("Tdfkn"), d.Tdfkn);
    set(QStringLiteral("Adrs1"), d.Adrs1);
    set(QStringLiteral("Adrs2"), d.Adrs2);
    set(QStringLiteral("Adrs3"), d.Adrs3);
    T.FieldByName(QStringLiteral("SelectInfo")).SetAsInteger(d.SelectInfo);
    T.FieldByName(QStringLiteral("NamePrint")).SetAsBoolean(d.NamePrint);
    for (int i = 0; i < 5; ++i) {
        T.FieldByName(numbered("Joint", i + 1)).SetAsBytes(EncodeUnicodeField(d.Joint[size_t(i)]));
        set(numbered("Note", i + 1), d.Note[size_t(i)]);
        T.FieldByName(numbered("JointPrint", i + 1)).SetAsBoolean(d.JointPrint[size_t(i)]);
    }
    set(QStringLiteral("Corp"), d.Corp);
    set(QStringLiteral("Dptmnt"), d.Dptmnt);
    set(QStringLiteral("Post"), d.Post);
    for (int i = 0; i < 4; ++i) {
        set(numbered("Head", i + 1), d.Head[size_t(i)]);
        set(numbered("Addition", i + 1), d.Addition[size_t(i)]);
        T.FieldByName(numbered("AdditionPrint", i + 1)).SetAsBoolean(d.AdditionPrint[size_t(i)]);
    }
}

QList<TSenderData> ReadAllSenders(TTable &T)
{
    QList<TSenderData> all;
    for (T.First(); !T.Eof(); T.Next())
        all.append(ReadSenderFields(T));
    return all;
}

std::optional<TSenderData> FindSenderByRecNo(TTable &T, qint32 RecNo)
{
    if (RecNo <= 0 || !T.Locate(QStringLiteral("RecNo"), {RecNo}))
        return std::nullopt;
    return ReadSenderFields(T);
}

std::optional<TSenderData> FindSenderByTitle(TTable &T, const QString &Title)
{
    const QString wanted = Title.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    for (T.First(); !T.Eof(); T.Next())
        if (plain(T, QStringLiteral("Title")).trimmed() == wanted)
            return ReadSenderFields(T);
    return std::nullopt;
}

QList<std::pair<QString, QString>> RenamedSenders(const QList<TSenderData> &Before, const QList<TSenderData> &After)
{
    QList<std::pair<QString, QString>> renamed;
    for (const TSenderData &was : Before) {
        const QString from = was.Title.trimmed();
        // A block finds the first sender of its title: only that one's new
        // title is the block's.
        const bool first = std::find_if(Before.begin(), Before.end(), [&from](const TSenderData &S) {
                               return S.Title.trimmed() == from;
                           })->RecNo == was.RecNo;
        if (from.isEmpty() || !first)
            continue;
        for (const TSenderData &now : After)
            if (now.RecNo == was.RecNo && !now.Title.trimmed().isEmpty() && now.Title.trimmed() != from)
                renamed.append({from, now.Title.trimmed()});
    }
    return renamed;
}

QList<TSenderData> LoadSenders()
{
    return withSenderTable([](TTable &T) { return ReadAllSenders(T); });
}

std::optional<TSenderData> LoadSenderByTitle(const QString &Title)
{
    return withSenderTable([&Title](TTable &T) { return FindSenderByTitle(T, Title); });
}

std::optional<TSenderData> LoadSenderByRecNo(qint32 RecNo)
{
    return withSenderTable([RecNo](TTable &T) { return FindSenderByRecNo(T, RecNo); });
}

QString SenderIniFileName()
{
    return DataPath + QStringLiteral("Sender.ini");
}

TSenderIni ReadSenderIni()
{
    const QString fileName = SenderIniFileName();
    const TMemIniFile ini(fileName);
    TSenderIni values;
    if (ini.Unreadable()) {
        values.Blocked = ini.KeptAsidePath().isEmpty();
        return values;
    }
    if (!QFileInfo(fileName).isFile())
        return values;
    const QString section = QStringLiteral("SENDER");
    // A number is there when two different defaults give the same value.
    const auto number = [&](const QString &key) -> std::optional<qint32> {
        const int value = ini.ReadInteger(section, key, 0);
        return value == ini.ReadInteger(section, key, 1) ? std::optional<qint32>(value) : std::nullopt;
    };
    const std::optional<qint32> defaultNo = number(QStringLiteral("Default"));
    const std::optional<qint32> lastNo = number(QStringLiteral("LastNo"));
    if (defaultNo && lastNo) {
        values.Read = true;
        values.Default = *defaultNo;
        values.LastNo = *lastNo;
        return values;
    }
    values.Blocked = KeepUnreadableFileAside(fileName, QStringLiteral("cut short")).isEmpty();
    return values;
}

void LoadDefaultSenderNo()
{
    DefaultSenderNo = ReadSenderIni().Default;
}
