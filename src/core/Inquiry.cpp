#include "core/Inquiry.h"

#include "core/WqhypWrapper.h"

#include "platform/Cp932.h"
#include "platform/Table.h"
#include "platform/TextLines.h"
#include "util/MsgBoxPos.h"
#include "widgets/ByteLimitValidator.h"

#include <utility>

namespace {

QByteArray textOf(TTable &table, const char *name)
{
    return TrimBlanks(table.FieldByName(QLatin1String(name)).AsBytes()).toByteArray();
}

// Hyphenated by the library when it is loaded, else only trimmed.
QByteArray phoneOf(TTable &table, const char *name)
{
    return TrimBlanks(HyphenatePhoneNumber(textOf(table, name))).toByteArray();
}

qint32 integerOf(TTable &table, const char *name)
{
    return table.FieldByName(QLatin1String(name)).AsInteger();
}

bool booleanOf(TTable &table, const char *name)
{
    return table.FieldByName(QLatin1String(name)).AsBoolean();
}

QDateTime dateTimeOf(TTable &table, const char *name)
{
    TField &field = table.FieldByName(QLatin1String(name));
    return field.IsNull() ? QDateTime() : field.AsDateTime();
}

std::optional<QStringList> memoOf(TTable &table, const char *name)
{
    const QString text = table.FieldByName(QLatin1String(name)).AsString();
    if (text.isEmpty())
        return std::nullopt;
    // A memo that ends with a line break has an empty last line.
    return SplitMemoLines(text);
}

// Every field of a record with the member that holds it, in the table's
// order; the reader, the writer and the storable check walk this one list.
// Kinds: Key (the record number, never written), Text, Name (text that the
// windows store in the "@" form, so it holds any character), Phone
// (hyphenated when read, stored as given), Integer, Boolean, Memo (one list
// item per line), Stamp and Code (kept by the table's writers themselves,
// never written from a record).
template <class Record, class Visitor>
void visitAddressFields(Record &r, Visitor &v)
{
    v.Key("RecNo", r.RecNo);
    v.Integer("Group", r.Group);
    v.Text("CustomCode", r.CustomCode);
    v.Phone("Tel", r.Tel);
    v.Integer("TelDiv", r.TelDiv);
    v.Phone("Fax", r.Fax);
    v.Text("PubDate", r.PubDate);
    v.Phone("Portable1", r.Portable1);
    v.Phone("Portable2", r.Portable2);
    v.Text("Pos", r.Pos);
    v.Text("Tdfkn", r.Tdfkn);
    v.Text("Adrs1", r.Adrs1);
    v.Text("Adrs2", r.Adrs2);
    v.Text("Adrs3", r.Adrs3);
    v.Text("AdrsKana", r.AdrsKana);
    v.Text("JisCode", r.JisCode);
    v.Text("KajoCode", r.KajoCode);
    v.Integer("Latitude", r.Latitude);
    v.Integer("Longitude", r.Longitude);
    v.Boolean("PrivCorp", r.PrivCorp);
    v.Text("CorpKanji", r.CorpKanji);
    v.Text("CorpKana", r.CorpKana);
    v.Text("Dptmnt", r.Dptmnt);
    v.Text("Post", r.Post);
    v.Name("NameKanji", r.NameKanji);
    v.Text("NameKana", r.NameKana);
    v.Text("Honor", r.Honor);
    v.Boolean("IgnoreName", r.IgnoreName);
    v.Text("URL", r.URL);
    v.Text("EMail1", r.EMail1);
    v.Text("EMail2", r.EMail2);
    v.Name("Joint1", r.Joint1);
    v.Name("Joint2", r.Joint2);
    v.Name("Joint3", r.Joint3);
    v.Name("Joint4", r.Joint4);
    v.Name("Joint5", r.Joint5);
    v.Text("JointHonor1", r.JointHonor1);
    v.Text("JointHonor2", r.JointHonor2);
    v.Text("JointHonor3", r.JointHonor3);
    v.Text("JointHonor4", r.JointHonor4);
    v.Text("JointHonor5", r.JointHonor5);
    v.Integer("JointOwner", r.JointOwner);
    v.Boolean("JointPrint", r.JointPrint);
    v.Boolean("JointPrint1", r.JointPrint1);
    v.Boolean("JointPrint2", r.JointPrint2);
    v.Boolean("JointPrint3", r.JointPrint3);
    v.Boolean("JointPrint4", r.JointPrint4);
    v.Boolean("JointPrint5", r.JointPrint5);
    v.Integer("PrintTarget", r.PrintTarget);
    v.Integer("Sender", r.Sender);
    v.Text("Keyword1", r.Keyword1);
    v.Text("Keyword2", r.Keyword2);
    v.Text("Keyword3", r.Keyword3);
    v.Text("Keyword4", r.Keyword4);
    v.Text("Keyword5", r.Keyword5);
    v.Text("Keyword6", r.Keyword6);
    v.Text("Keyword7", r.Keyword7);
    v.Text("Keyword8", r.Keyword8);
    v.Memo("Note", r.Note);
    v.Memo("ExtLink", r.ExtLink);
    v.Text("SymbolMark", r.SymbolMark);
    v.Integer("SymbolColor", r.SymbolColor);
    v.Stamp("AddDateTime", r.AddDateTime);
    v.Stamp("UpdDateTime", r.UpdDateTime);
    v.Code("CodeMain", r.CodeMain);
    v.Code("CodeSub", r.CodeSub);
    v.Code("CodeGenre", r.CodeGenre);
}

struct TFieldReader {
    TTable &table;
    void Key(const char *name, qint32 &value) { value = integerOf(table, name); }
    void Integer(const char *name, qint32 &value) { value = integerOf(table, name); }
    void Code(const char *name, qint32 &value) { value = integerOf(table, name); }
    void Boolean(const char *name, bool &value) { value = booleanOf(table, name); }
    template <qsizetype Width>
    void Text(const char *name, TShortString<Width> &value)
    {
        value = textOf(table, name);
    }
    template <qsizetype Width>
    void Name(const char *name, TShortString<Width> &value)
    {
        Text(name, value);
    }
    template <qsizetype Width>
    void Phone(const char *name, TShortString<Width> &value)
    {
        value = phoneOf(table, name);
    }
    void Memo(const char *name, std::optional<QStringList> &value) { value = memoOf(table, name); }
    void Stamp(const char *name, QDateTime &value) { value = dateTimeOf(table, name); }
};

struct TFieldWriter {
    TTable &table;
    void Key(const char *, qint32) {}
    void Code(const char *, qint32) {}
    void Stamp(const char *, const QDateTime &) {}
    void Integer(const char *name, qint32 value) { table.FieldByName(QLatin1String(name)).SetAsInteger(value); }
    void Boolean(const char *name, bool value) { table.FieldByName(QLatin1String(name)).SetAsBoolean(value); }
    template <qsizetype Width>
    void Text(const char *name, const TShortString<Width> &value)
    {
        table.FieldByName(QLatin1String(name)).SetAsBytes(value.Bytes());
    }
    template <qsizetype Width>
    void Name(const char *name, const TShortString<Width> &value)
    {
        Text(name, value);
    }
    template <qsizetype Width>
    void Phone(const char *name, const TShortString<Width> &value)
    {
        Text(name, value);
    }
    // Memo lines end with CR LF in the stored text.
    void Memo(const char *name, const std::optional<QStringList> &value)
    {
        table.FieldByName(QLatin1String(name))
            .SetAsBytes(value ? Cp932::encode(value->join(QStringLiteral("\r\n"))) : QByteArray());
    }
};

// Each written field's value as bytes, to tell which fields two records
// hold differently.
struct TFieldDigest {
    QList<std::pair<QString, QByteArray>> values;

    void add(const char *name, const QByteArray &value) { values.append({QLatin1String(name), value}); }
    void Key(const char *, qint32) {}
    void Code(const char *, qint32) {}
    void Stamp(const char *, const QDateTime &) {}
    void Integer(const char *name, qint32 value) { add(name, QByteArray::number(value)); }
    void Boolean(const char *name, bool value) { add(name, value ? "1" : "0"); }
    template <qsizetype Width>
    void Text(const char *name, const TShortString<Width> &value)
    {
        add(name, value.Bytes());
    }
    template <qsizetype Width>
    void Name(const char *name, const TShortString<Width> &value)
    {
        add(name, value.Bytes());
    }
    template <qsizetype Width>
    void Phone(const char *name, const TShortString<Width> &value)
    {
        add(name, value.Bytes());
    }
    void Memo(const char *name, const std::optional<QStringList> &value)
    {
        add(name, value ? "+" + value->join(QLatin1Char('\n')).toUtf8() : QByteArray());
    }
};

// The writer limited to some fields.
struct TChosenFieldWriter {
    TFieldWriter writer;
    const QStringList &fields;

    bool chosen(const char *name) const { return fields.contains(QLatin1String(name)); }
    void Key(const char *, qint32) {}
    void Code(const char *, qint32) {}
    void Stamp(const char *, const QDateTime &) {}
    void Integer(const char *name, qint32 value)
    {
        if (chosen(name))
            writer.Integer(name, value);
    }
    void Boolean(const char *name, bool value)
    {
        if (chosen(name))
            writer.Boolean(name, value);
    }
    template <qsizetype Width>
    void Text(const char *name, const TShortString<Width> &value)
    {
        if (chosen(name))
            writer.Text(name, value);
    }
    template <qsizetype Width>
    void Name(const char *name, const TShortString<Width> &value)
    {
        if (chosen(name))
            writer.Name(name, value);
    }
    template <qsizetype Width>
    void Phone(const char *name, const TShortString<Width> &value)
    {
        if (chosen(name))
            writer.Phone(name, value);
    }
    void Memo(const char *name, const std::optional<QStringList> &value)
    {
        if (chosen(name))
            writer.Memo(name, value);
    }
};

// What the user knows each checked field by, as the record form labels it.
QString fieldCaption(QLatin1StringView name)
{
    static const std::pair<const char *, const char16_t *> captions[] = {
        {"CustomCode", u"顧客コード"},    {"Tel", u"電話番号"},           {"Fax", u"FAX番号"},
        {"PubDate", u"初期掲載年月"},     {"Portable1", u"携帯番号１"},   {"Portable2", u"携帯番号２"},
        {"Pos", u"〒"},                   {"Tdfkn", u"都道府県"},         {"Adrs1", u"住所１"},
        {"Adrs2", u"住所２"},             {"Adrs3", u"住所３"},           {"AdrsKana", u"住所カナ"},
        {"JisCode", u"市町村コード"},     {"KajoCode", u"市町村コード"},  {"CorpKanji", u"会社名"},
        {"CorpKana", u"会社名カナ"},      {"Dptmnt", u"部署"},            {"Post", u"役職"},
        {"NameKana", u"名前カナ"},        {"Honor", u"敬称"},             {"URL", u"URL"},
        {"EMail1", u"メール１"},          {"EMail2", u"メール２"},        {"JointHonor1", u"連名１の敬称"},
        {"JointHonor2", u"連名２の敬称"}, {"JointHonor3", u"連名３の敬称"}, {"JointHonor4", u"連名４の敬称"},
        {"JointHonor5", u"連名５の敬称"}, {"Keyword1", u"キーワード１"},  {"Keyword2", u"キーワード２"},
        {"Keyword3", u"キーワード３"},    {"Keyword4", u"キーワード４"},  {"Keyword5", u"キーワード５"},
        {"Keyword6", u"キーワード６"},    {"Keyword7", u"キーワード７"},  {"Keyword8", u"キーワード８"},
        {"Note", u"備考"},                {"ExtLink", u"外部リンク"},     {"SymbolMark", u"シンボルマーク"},
    };
    for (const auto &[field, caption] : captions) {
        if (name == QLatin1StringView(field))
            return QString::fromUtf16(caption);
    }
    return name.toString();
}

// Walks the stored texts and stops at the first that would lose a
// character; the names take anything.
struct TStorableCheck {
    const TAddressTextOf &textOf;
    std::optional<TUnstorableField> found;

    void check(const char *name, const QString &stored)
    {
        if (found)
            return;
        const QLatin1StringView field(name);
        const std::optional<QString> wide = textOf ? textOf(field) : std::nullopt;
        const QString refused = UnstorableChars(wide ? *wide : stored);
        if (!refused.isEmpty())
            found = TUnstorableField{field.toString(), fieldCaption(field), refused};
    }

    void Key(const char *, qint32) {}
    void Integer(const char *, qint32) {}
    void Code(const char *, qint32) {}
    void Boolean(const char *, bool) {}
    void Stamp(const char *, const QDateTime &) {}
    template <qsizetype Width>
    void Name(const char *, const TShortString<Width> &)
    {
    }
    template <qsizetype Width>
    void Text(const char *name, const TShortString<Width> &value)
    {
        check(name, Cp932::decode(value.Bytes()));
    }
    template <qsizetype Width>
    void Phone(const char *name, const TShortString<Width> &value)
    {
        check(name, Cp932::decode(value.Bytes()));
    }
    void Memo(const char *name, const std::optional<QStringList> &value)
    {
        check(name, value ? value->join(QStringLiteral("\r\n")) : QString());
    }
};

} // namespace

std::optional<TUnstorableField> FindUnstorableField(const TAddressData &record, const TAddressTextOf &textOf)
{
    TStorableCheck checker{textOf, std::nullopt};
    visitAddressFields(record, checker);
    return checker.found;
}

void ClearAddressData(TAddressData &record)
{
    record = TAddressData{};
}

bool ReadAddressData(TTable &table, int recNo, TAddressData &record, QWidget *owner)
{
    table.SetIndexName(QString());
    if (!table.FindKey({QVariant(recNo)})) {
        ShowMessageBoxAt(owner, QStringLiteral("アドレス帳が読み出せませんでした  "), ProductCaption(), MB_ICONERROR,
                         mbpCenterOnOwner, 0, 0);
        return false;
    }
    TAddressData r;
    TFieldReader reader{table};
    visitAddressFields(r, reader);
    record = std::move(r);
    return true;
}

bool FindAddressData(TTable &table, int recNo, TAddressData &record)
{
    // Setting an index, even the one in force, sorts the table again; a run
    // reading record after record keeps the order it has.
    if (!table.IndexName().isEmpty())
        table.SetIndexName(QString());
    // The search and the record's fields under one lock of the file.
    const TTableRead read(table);
    if (!table.FindKey({QVariant(recNo)}))
        return false;
    TAddressData r;
    TFieldReader reader{table};
    visitAddressFields(r, reader);
    record = std::move(r);
    return true;
}

void WriteAddressData(TTable &table, const TAddressData &record)
{
    TFieldWriter writer{table};
    visitAddressFields(record, writer);
}

QStringList ChangedAddressFields(const TAddressData &record, const TAddressData &base)
{
    TFieldDigest mine;
    TFieldDigest theirs;
    visitAddressFields(record, mine);
    visitAddressFields(base, theirs);
    QStringList changed;
    for (qsizetype i = 0; i < mine.values.size(); ++i) {
        if (mine.values[i].second != theirs.values[i].second)
            changed << mine.values[i].first;
    }
    return changed;
}

void WriteAddressData(TTable &table, const TAddressData &record, const QStringList &fields)
{
    TChosenFieldWriter writer{TFieldWriter{table}, fields};
    visitAddressFields(record, writer);
}

namespace {

using A = TColumnAlign;

} // namespace

const std::array<TAddressListColumn, AddressListColumnCount> AddressListColumns = {{
    {0, QStringLiteral("No."), A::Right, 56, true, 1},
    {1, QStringLiteral("グループ"), A::Left, 120, true, 2},
    {2, QStringLiteral("顧客コード"), A::Left, 112, false, 3},
    {3, QStringLiteral("電話番号"), A::Left, 116, true, 4},
    {4, QStringLiteral("代表電話"), A::Left, 76, true, 5},
    {5, QStringLiteral("FAX番号"), A::Left, 116, false, 7},
    {6, QStringLiteral("初期掲載年月"), A::Left, 104, false, 6},
    {7, QStringLiteral("携帯番号1"), A::Left, 116, false, 8},
    {8, QStringLiteral("携帯番号2"), A::Left, 116, false, 9},
    {9, QStringLiteral("〒"), A::Left, 76, false, 10},
    {10, QStringLiteral("住所"), A::Left, 232, true, 11},
    {11, QStringLiteral("住所カナ"), A::Left, 200, false, 12},
    {12, QStringLiteral("個人会社区分"), A::Left, 104, false, 14},
    {13, QStringLiteral("会社名"), A::Left, 232, true, 15},
    {14, QStringLiteral("会社名カナ"), A::Left, 180, false, 16},
    {15, QStringLiteral("部署"), A::Left, 180, false, 17},
    {16, QStringLiteral("役職"), A::Left, 120, false, 18},
    {17, QStringLiteral("名前"), A::Left, 112, true, 19},
    {18, QStringLiteral("名前カナ"), A::Left, 112, false, 20},
    {19, QStringLiteral("URL"), A::Left, 200, false, 21},
    {20, QStringLiteral("E-Mail1"), A::Left, 180, false, 22},
    {21, QStringLiteral("E-Mail2"), A::Left, 180, false, 23},
    {22, QStringLiteral("連名1"), A::Left, 112, false, 24},
    {23, QStringLiteral("連名2"), A::Left, 112, false, 25},
    {24, QStringLiteral("連名3"), A::Left, 112, false, 26},
    {25, QStringLiteral("連名4"), A::Left, 112, false, 27},
    {26, QStringLiteral("連名5"), A::Left, 112, false, 28},
    {27, QStringLiteral("キーワード1"), A::Left, 128, true, 29},
    {28, QStringLiteral("キーワード2"), A::Left, 128, false, 30},
    {29, QStringLiteral("キーワード3"), A::Left, 128, false, 31},
    {30, QStringLiteral("キーワード4"), A::Left, 128, false, 32},
    {31, QStringLiteral("キーワード5"), A::Left, 128, false, 33},
    {32, QStringLiteral("キーワード6"), A::Left, 128, false, 34},
    {33, QStringLiteral("キーワード7"), A::Left, 128, false, 35},
    {34, QStringLiteral("キーワード8"), A::Left, 128, false, 36},
    {35, QStringLiteral("備考"), A::Left, 180, false, 37},
    {36, QStringLiteral("シンボル"), A::Center, 68, false, 38},
    {37, QStringLiteral("登録日時"), A::Left, 152, false, 39},
    {38, QStringLiteral("登録日付"), A::Left, 92, false, 40},
    {39, QStringLiteral("登録時刻"), A::Left, 72, false, 41},
    {40, QStringLiteral("更新日時"), A::Left, 152, false, 42},
    {41, QStringLiteral("更新日付"), A::Left, 92, false, 43},
    {42, QStringLiteral("更新時刻"), A::Left, 72, false, 44},
}};

const std::array<QString, 6> SymbolMarks = {
    QStringLiteral("●"), QStringLiteral("▲"), QStringLiteral("▼"),
    QStringLiteral("■"), QStringLiteral("◆"), QStringLiteral("★"),
};

const std::array<TWordFilterItem, 32> WordFilterItems = {{
    {QStringLiteral("顧客コード"), 0, 20},
    {QStringLiteral("電話番号"), 0, 13},
    {QStringLiteral("代表電話"), 2, 0},
    {QStringLiteral("FAX番号"), 0, 13},
    {QStringLiteral("初期掲載年月"), 3, 0},
    {QStringLiteral("携帯番号1"), 0, 13},
    {QStringLiteral("携帯番号2"), 0, 13},
    {QStringLiteral("〒"), 0, 8},
    {QStringLiteral("住所"), 0, 256},
    {QStringLiteral("個人会社区分"), 2, 0},
    {QStringLiteral("会社名"), 0, 112},
    {QStringLiteral("部署"), 1, 100},
    {QStringLiteral("役職"), 1, 50},
    {QStringLiteral("名前"), 0, 15},
    {QStringLiteral("URL"), 0, 128},
    {QStringLiteral("メールアドレス1"), 0, 64},
    {QStringLiteral("メールアドレス2"), 0, 64},
    {QStringLiteral("連名1"), 0, 11},
    {QStringLiteral("連名2"), 0, 11},
    {QStringLiteral("連名3"), 0, 11},
    {QStringLiteral("連名4"), 0, 11},
    {QStringLiteral("連名5"), 0, 11},
    {QStringLiteral("キーワード1"), 0, 100},
    {QStringLiteral("キーワード2"), 0, 100},
    {QStringLiteral("キーワード3"), 0, 100},
    {QStringLiteral("キーワード4"), 0, 100},
    {QStringLiteral("キーワード5"), 0, 100},
    {QStringLiteral("キーワード6"), 1, 100},
    {QStringLiteral("キーワード7"), 1, 100},
    {QStringLiteral("キーワード8"), 1, 100},
    {QStringLiteral("備考"), 0, 0},
    {QStringLiteral("シンボルマーク"), 2, 0},
}};

const std::array<TDirectoryResultItem, 15> DirectoryResultItems = {{
    {0, QStringLiteral("電話番号"), 0},
    {1, QStringLiteral("代表電話"), 0},
    {2, QStringLiteral("FAX番号"), 0},
    {3, QStringLiteral("郵便番号"), 1},
    {4, QStringLiteral("住所カナ"), 1},
    {5, QStringLiteral("都道府県"), 0},
    {6, QStringLiteral("住所１"), 1},
    {7, QStringLiteral("住所２"), 1},
    {8, QStringLiteral("市町村コード"), 1},
    {9, QStringLiteral("会社名カナ"), 1},
    {10, QStringLiteral("会社名"), 1},
    {11, QStringLiteral("名前カナ"), 1},
    {12, QStringLiteral("名前"), 1},
    {13, QStringLiteral("個人会社区分"), 1},
    {14, QStringLiteral("初期掲載年月"), 0},
}};

const std::array<TCopyItem, 54> CopyItems = {{
    {0, QStringLiteral("グループ"), true},
    {1, QStringLiteral("顧客コード"), true},
    {2, QStringLiteral("電話番号"), true},
    {3, QStringLiteral("代表電話"), true},
    {4, QStringLiteral("FAX番号"), true},
    {5, QStringLiteral("初回掲載年月"), true},
    {6, QStringLiteral("携帯番号１"), true},
    {7, QStringLiteral("携帯番号２"), true},
    {8, QStringLiteral("郵便番号"), true},
    {9, QStringLiteral("都道府県"), true},
    {10, QStringLiteral("住所１"), true},
    {11, QStringLiteral("住所２"), true},
    {12, QStringLiteral("住所３"), true},
    {13, QStringLiteral("連結住所"), true},
    {14, QStringLiteral("住所カナ"), true},
    {15, QStringLiteral("市町村コード"), true},
    {16, QStringLiteral("会社名漢字"), true},
    {17, QStringLiteral("会社名カナ"), true},
    {18, QStringLiteral("部署"), true},
    {19, QStringLiteral("役職"), true},
    {20, QStringLiteral("名前漢字"), true},
    {21, QStringLiteral("名前カナ"), true},
    {22, QStringLiteral("敬称"), true},
    {23, QStringLiteral("URL"), true},
    {24, QStringLiteral("メールアドレス１"), true},
    {25, QStringLiteral("メールアドレス２"), true},
    {26, QStringLiteral("連名１"), true},
    {27, QStringLiteral("連名２"), true},
    {28, QStringLiteral("連名３"), true},
    {29, QStringLiteral("連名４"), true},
    {30, QStringLiteral("連名５"), true},
    {31, QStringLiteral("連名敬称１"), true},
    {32, QStringLiteral("連名敬称２"), true},
    {33, QStringLiteral("連名敬称３"), true},
    {34, QStringLiteral("連名敬称４"), true},
    {35, QStringLiteral("連名敬称５"), true},
    {36, QStringLiteral("連名主"), true},
    {37, QStringLiteral("印刷指定"), true},
    {38, QStringLiteral("差出人"), true},
    {39, QStringLiteral("キーワード１"), true},
    {40, QStringLiteral("キーワード２"), true},
    {41, QStringLiteral("キーワード３"), true},
    {42, QStringLiteral("キーワード４"), true},
    {43, QStringLiteral("キーワード５"), true},
    {44, QStringLiteral("キーワード６"), true},
    {45, QStringLiteral("キーワード７"), true},
    {46, QStringLiteral("キーワード８"), true},
    {47, QStringLiteral("備考"), true},
    {48, QStringLiteral("外部リンク"), true},
    {49, QStringLiteral("シンボルマーク"), true},
    {50, QStringLiteral("登録日付"), true},
    {51, QStringLiteral("登録時刻"), true},
    {52, QStringLiteral("更新日付"), true},
    {53, QStringLiteral("更新時刻"), true},
}};
