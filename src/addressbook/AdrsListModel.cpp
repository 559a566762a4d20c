#include "addressbook/AdrsListModel.h"
#include "util/StrFunc.h"

#include "addressbook/WordSch.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "core/Inquiry.h"
#include "core/WqhypWrapper.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SharedIni.h"
#include "platform/Table.h"
#include "platform/TextLines.h"
#include "util/SubUnit.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>

#include <algorithm>
#include <array>

namespace {

constexpr int kSymbolColumn = 36;
constexpr int kMaxViewGroup = 11;
constexpr int kMarginAt96Dpi = 6;

const QString kKeywordSection = QStringLiteral("KEYWORD");
const QString kHeaderSection = QStringLiteral("HEADER");
const QString kGroupSection = QStringLiteral("GROUP");
const QString kSortSection = QStringLiteral("SORT");

QByteArray bytesOf(const TField *field) { return field ? field->AsBytes() : QByteArray(); }

// The stored bytes without a copy, valid until the table's cursor moves.
QByteArrayView viewOf(const TField *field) { return field ? field->AsBytesView() : QByteArrayView(); }

// The fixed words some columns show, and what numbers and stamps are made of.
const QString kMainNumberWord = QStringLiteral("代表");
const QString kPersonWord = QStringLiteral("個人");
const QString kCompanyWord = QStringLiteral("会社");
const QString kDigitChars = QStringLiteral("0123456789");
const QString kStampChars = QStringLiteral("0123456789/: -");

// The texts the cells show, from the stored bytes of their fields.
QString plainText(QByteArrayView bytes) { return Cp932::decode(TrimBlanks(bytes)); }
QString plainText(const TField *field) { return plainText(viewOf(field)); }

QString phoneText(QByteArrayView bytes) { return Cp932::decode(HyphenatePhoneNumber(bytes.toByteArray())); }

QString nameText(QByteArrayView bytes) { return TrimBlanks(DecodeUnicodeField(bytes)); }

// "yyyymm" as year and month.
QString pubDateText(const QString &date)
{
    if (date.isEmpty())
        return date;
    return date.left(4) + u'年' + date.mid(4, 2) + u'月';
}

QString postcodeText(const QString &pos)
{
    return pos.size() == 5 || pos.size() == 7 ? pos.left(3) + u'-' + pos.mid(3) : pos;
}

// Lines the user kept apart never run two numbers together.
QString addressText(const QString &tdfkn, const QString &adrs1, const QString &adrs2, const QString &adrs3)
{
    return JoinAddressLines(JoinAddressLines(JoinAddressLines(tdfkn, adrs1), adrs2), adrs3);
}

// How a column's text is made of the stored bytes of its fields
// (TRecordFields::Fields): the decoded bytes, the names' wide form, a
// hyphenated number, or the bytes with a few added characters. The cells
// are made from them, and the word search tells from them alone which rows
// cannot hold a word. The other columns' texts are not their bytes (the row
// number, the group name, the fixed words, the stamps): columnMayHold
// decides them for the whole column.
enum class TByteTest { None, Plain, Name, Phone, PubDate, Pos, Address };

TByteTest byteTestOf(int columnId)
{
    switch (columnId) {
    case 2: case 11: case 13: case 14: case 15: case 16: case 18: case 19: case 20: case 21: case 35:
    case 27: case 28: case 29: case 30: case 31: case 32: case 33: case 34:
        return TByteTest::Plain;
    case 17: case 22: case 23: case 24: case 25: case 26:
        return TByteTest::Name;
    case 3: case 5: case 7: case 8:
        return TByteTest::Phone;
    case 6:
        return TByteTest::PubDate;
    case 9:
        return TByteTest::Pos;
    case 10:
        return TByteTest::Address;
    default:
        return TByteTest::None;
    }
}

// The text formatCell gives a column of a record, from the bytes of its
// fields; empty for a column whose text is not made of them.
QString textOfBytes(TByteTest test, const QByteArrayView *bytes)
{
    switch (test) {
    case TByteTest::None:
        return QString();
    case TByteTest::Plain:
        return plainText(bytes[0]);
    case TByteTest::Name:
        return nameText(bytes[0]);
    case TByteTest::Phone:
        return phoneText(bytes[0]);
    case TByteTest::PubDate:
        return pubDateText(plainText(bytes[0]));
    case TByteTest::Pos:
        return postcodeText(plainText(bytes[0]));
    case TByteTest::Address:
        return addressText(plainText(bytes[0]), plainText(bytes[1]), plainText(bytes[2]), plainText(bytes[3]));
    }
    return QString();
}

qint32 integerOf(const TField *field) { return field && !field->IsNull() ? field->AsInteger() : 0; }

// The texts of a date-time field: date and time, date, time. The three
// columns of one stamp convert it to local time and format it once per
// record.
class TStampTexts
{
public:
    explicit TStampTexts(const TField *field = nullptr) : m_field(field) {}
    void Forget() { m_read = false; }

    QString Text(int part) const
    {
        static const std::array<QString, 3> formats{QStringLiteral("yyyy/MM/dd hh:mm:ss"),
                                                    QStringLiteral("yyyy/MM/dd"), QStringLiteral("hh:mm:ss")};
        if (!m_read) {
            m_read = true;
            // An empty stamp shows nothing rather than the zero date.
            m_at = m_field && !m_field->IsNull() ? m_field->AsDateTime() : QDateTime();
            m_full = m_at.toString(formats[0]);
        }
        if (part == 0 || m_full.isEmpty())
            return m_full;
        // Every field has its fixed place in a year of four digits.
        if (m_full.size() == 19)
            return part == 1 ? m_full.left(10) : m_full.right(8);
        return m_at.toString(formats[size_t(part)]);
    }

private:
    const TField *m_field;
    mutable bool m_read = false;
    mutable QDateTime m_at;
    mutable QString m_full;
};

// A name key of the duplicate display: the decoded text in one canonical
// byte form, so the plain Shift-JIS and the "@" form of one name are equal;
// a text Shift-JIS cannot hold keeps the "@" form.
QByteArray nameKey(const TField *field)
{
    const QString text = DecodeUnicodeField(bytesOf(field));
    return Cp932::canEncode(text) ? Cp932::encode(text) : EncodeUnicodeField(text);
}

// A TColor (0x00BBGGRR) as a QColor.
QColor colorOfTColor(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// The symbol cell's cached form "mark,$RRGGBBxx": the mark and its colour.
// The colour part never holds a comma, so the last one separates them.
bool splitSymbolCell(const QString &cell, QString *mark, QColor *color)
{
    const qsizetype comma = cell.lastIndexOf(u',');
    if (comma < 0 || cell.size() < comma + 2 || cell[comma + 1] != u'$')
        return false;
    bool ok = false;
    const quint32 value = cell.mid(comma + 2).toUInt(&ok, 16);
    if (!ok)
        return false;
    if (mark)
        *mark = cell.left(comma);
    if (color)
        *color = colorOfTColor(value);
    return true;
}

// A HEADER list of decimal integers; false for a count other than the
// columns' or any entry that is not a number (the program writes only
// numbers there, so such a list is as unusable as a short one).
bool readIntegerList(const QString &text, QList<int> &out)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != ListColumnCount)
        return false;
    out.clear();
    for (const QString &part : parts) {
        bool ok = false;
        const int value = part.trimmed().toInt(&ok);
        if (!ok)
            return false;
        out << value;
    }
    return true;
}

// The catalogue row of a column id; -1 when no column has it.
int catalogueRowOf(int id)
{
    for (int row = 0; row < ListColumnCount; ++row) {
        if (AddressListColumns[size_t(row)].Index == id)
            return row;
    }
    return -1;
}

// HeaderIndex must name every column exactly once: a repeated id would show
// one column twice and drop another from the settings for good.
bool isColumnPermutation(const QList<int> &ids)
{
    std::array<bool, ListColumnCount> seen{};
    for (const int id : ids) {
        const int row = catalogueRowOf(id);
        if (row < 0 || seen[size_t(row)])
            return false;
        seen[size_t(row)] = true;
    }
    return true;
}

bool isKeywordMode(int mode) { return mode == 6 || mode == 8 || mode == 5 || mode == 7 || mode == 1; }

bool groupPasses(int viewGroup, const TField *group)
{
    if (viewGroup == 0)
        return true;
    const qint32 value = integerOf(group);
    return viewGroup == 1 ? value == 0 : value == viewGroup - 1;
}

int validSortType(int sortType) { return sortType >= 0 && sortType < SortTypeCount ? sortType : 0; }

// One record of the duplicate display while it is built.
struct TDupliData {
    qint32 RecNo = 0;
    qint32 Group = 0;
    QByteArray Key1;
    QByteArray Key2; // empty when there is no second item
};

} // namespace

// The fields a row's cells read, looked up once per row.
struct TAddressListModel::TRecordFields {
    explicit TRecordFields(TTable &table)
    {
        auto f = [&table](const char *name) { return table.FindField(QString::fromLatin1(name)); };
        RecNo = f("RecNo");
        Group = f("Group");
        CustomCode = f("CustomCode");
        Tel = f("Tel");
        TelDiv = f("TelDiv");
        Fax = f("Fax");
        PubDate = f("PubDate");
        Portable1 = f("Portable1");
        Portable2 = f("Portable2");
        Pos = f("Pos");
        Tdfkn = f("Tdfkn");
        Adrs1 = f("Adrs1");
        Adrs2 = f("Adrs2");
        Adrs3 = f("Adrs3");
        AdrsKana = f("AdrsKana");
        PrivCorp = f("PrivCorp");
        CorpKanji = f("CorpKanji");
        CorpKana = f("CorpKana");
        Dptmnt = f("Dptmnt");
        Post = f("Post");
        NameKanji = f("NameKanji");
        NameKana = f("NameKana");
        URL = f("URL");
        EMail1 = f("EMail1");
        EMail2 = f("EMail2");
        for (int i = 0; i < 5; ++i)
            Joint[size_t(i)] = table.FindField(QStringLiteral("Joint%1").arg(i + 1));
        for (int i = 0; i < KeywordCount; ++i)
            Keyword[size_t(i)] = table.FindField(QStringLiteral("Keyword%1").arg(i + 1));
        Note = f("Note");
        SymbolMark = f("SymbolMark");
        SymbolColor = f("SymbolColor");
        AddDateTime = f("AddDateTime");
        UpdDateTime = f("UpdDateTime");
        Added = TStampTexts(AddDateTime);
        Updated = TStampTexts(UpdDateTime);
    }

    // The cursor moved on to another record.
    void Forget() const
    {
        Added.Forget();
        Updated.Forget();
    }

    // The fields the text of column columnId is made of (formatCell), in
    // the order its format takes them; nullptr past them and where the table
    // lacks one.
    using TFieldSet = std::array<const TField *, 4>;
    TFieldSet Fields(int columnId) const
    {
        if (columnId >= 22 && columnId <= 26)
            return {Joint[size_t(columnId - 22)]};
        if (columnId >= 27 && columnId <= 34)
            return {Keyword[size_t(columnId - 27)]};
        switch (columnId) {
        case 1: return {Group};
        case 2: return {CustomCode};
        case 3: return {Tel};
        case 4: return {TelDiv};
        case 5: return {Fax};
        case 6: return {PubDate};
        case 7: return {Portable1};
        case 8: return {Portable2};
        case 9: return {Pos};
        case 10: return {Tdfkn, Adrs1, Adrs2, Adrs3};
        case 11: return {AdrsKana};
        case 12: return {PrivCorp};
        case 13: return {CorpKanji};
        case 14: return {CorpKana};
        case 15: return {Dptmnt};
        case 16: return {Post};
        case 17: return {NameKanji};
        case 18: return {NameKana};
        case 19: return {URL};
        case 20: return {EMail1};
        case 21: return {EMail2};
        case 35: return {Note};
        case 36: return {SymbolMark, SymbolColor};
        case 37: case 38: case 39: return {AddDateTime};
        case 40: case 41: case 42: return {UpdDateTime};
        default: return {};
        }
    }

    // The stored bytes of the fields column columnId takes them from, when
    // its text is made of them (byteTestOf).
    std::array<QByteArrayView, 4> Bytes(int columnId, TByteTest test) const
    {
        std::array<QByteArrayView, 4> bytes;
        if (test == TByteTest::None)
            return bytes;
        const TFieldSet fields = Fields(columnId);
        const size_t count = test == TByteTest::Address ? bytes.size() : 1;
        for (size_t k = 0; k < count; ++k)
            bytes[k] = viewOf(fields[k]);
        return bytes;
    }

    TField *RecNo, *Group, *CustomCode, *Tel, *TelDiv, *Fax, *PubDate, *Portable1, *Portable2, *Pos, *Tdfkn,
        *Adrs1, *Adrs2, *Adrs3, *AdrsKana, *PrivCorp, *CorpKanji, *CorpKana, *Dptmnt, *Post, *NameKanji,
        *NameKana, *URL, *EMail1, *EMail2, *Note, *SymbolMark, *SymbolColor, *AddDateTime, *UpdDateTime;
    std::array<TField *, 5> Joint{};
    std::array<TField *, KeywordCount> Keyword{};
    mutable TStampTexts Added;
    mutable TStampTexts Updated;
};

TAddressListModel::TAddressListModel(QObject *Parent)
    : QAbstractTableModel(Parent), m_dpi(ScreenLogicalDpi())
{
    m_columns = DefaultColumnRecords();
    for (int i = 0; i < ListColumnCount; ++i) {
        if (m_columns[size_t(i)].Shown)
            m_shown << i;
    }
}

TAddressListModel::~TAddressListModel() = default;

void TAddressListModel::SetTable(TTable *Table)
{
    if (Table == m_table)
        return;
    ClearRows();
    m_table = Table;
}

// ---- Settings --------------------------------------------------------------

void TAddressListModel::LoadListSettings(const QString &IniPath)
{
    // Always written with content: an empty file is a damaged one, kept aside
    // so that the defaults written at exit do not replace it.
    const TMemIniFile ini(IniPath);

    for (int n = 1; n <= KeywordCount; ++n) {
        QString name = ini.ReadString(kKeywordSection, QStringLiteral("Name%1").arg(n), QString());
        if (name.isEmpty())
            name = QStringLiteral("キーワード") + QChar(0xFF10 + n); // full-width digit
        KeywordNames[size_t(n)] = name;
        const int mode = ini.ReadInteger(kKeywordSection, QStringLiteral("Mode%1").arg(n), 6);
        KeywordModes[size_t(n)] = isKeywordMode(mode) ? mode : 6;
    }

    // The column ids first; widths and flags follow the ids' positions. A
    // list that cannot be used takes, for each record, its own column's
    // catalogue default.
    QList<int> ids;
    bool reset = !readIntegerList(ini.ReadString(kHeaderSection, QStringLiteral("HeaderIndex"), QString()), ids) ||
                 !isColumnPermutation(ids);
    if (reset) {
        ids.clear();
        for (const TAddressListColumn &column : AddressListColumns)
            ids << column.Index;
    }
    for (int i = 0; i < ListColumnCount; ++i) {
        TColumnRecord &record = m_columns[size_t(i)];
        record = TColumnRecord{};
        record.Index = ids[i];
        record.DefIndex = catalogueRowOf(record.Index);
    }

    QList<int> widths;
    if (reset || !readIntegerList(ini.ReadString(kHeaderSection, QStringLiteral("HeaderWidth"), QString()), widths)) {
        reset = true;
        widths.clear();
        for (const TColumnRecord &record : m_columns)
            widths << AddressListColumns[size_t(record.DefIndex)].Width;
    }
    for (int i = 0; i < ListColumnCount; ++i)
        m_columns[size_t(i)].Width = ScaleForDpi(widths[i], true, m_dpi);

    const QStringList views = ini.ReadString(kHeaderSection, QStringLiteral("HeaderView"), QString()).split(u',');
    reset = reset || views.size() != ListColumnCount;
    for (int i = 0; i < ListColumnCount; ++i) {
        TColumnRecord &record = m_columns[size_t(i)];
        record.Shown = reset ? AddressListColumns[size_t(record.DefIndex)].Shown : views[i].trimmed() == u"1";
    }

    ViewGroup = ini.ReadInteger(kGroupSection, QStringLiteral("ViewGroup"), 0);
    if (ViewGroup < 0 || ViewGroup > kMaxViewGroup)
        ViewGroup = 0;
    SortType = ini.ReadInteger(kSortSection, QStringLiteral("SortType"), 0);
    if (SortType < 0 || SortType >= SortTypeCount)
        SortType = 0;
    SortDir = ini.ReadBool(kSortSection, QStringLiteral("SortDir"), true);
    m_savedSettings = TMemIniFile(QString());
    writeListSettings(m_savedSettings);
}

bool TAddressListModel::SaveListSettings(const QString &IniPath, QString *Error)
{
    // Another program on the data folder saves its list's settings too: only
    // what this list changed since it read them is written.
    TMemIniFile mine{QString()};
    writeListSettings(mine);
    if (!SaveIniChanges(IniPath, m_savedSettings, mine, Error))
        return false;
    m_savedSettings = mine;
    return true;
}

void TAddressListModel::writeListSettings(TMemIniFile &ini) const
{
    QStringList ids, widths, views;
    for (const TColumnRecord &record : m_columns) {
        ids << QString::number(record.Index);
        widths << QString::number(ScaleForDpi(record.Width, false, m_dpi));
        views << (record.Shown ? QStringLiteral("1") : QStringLiteral("0"));
    }
    ini.WriteString(kHeaderSection, QStringLiteral("HeaderIndex"), ids.join(u','));
    ini.WriteString(kHeaderSection, QStringLiteral("HeaderWidth"), widths.join(u','));
    ini.WriteString(kHeaderSection, QStringLiteral("HeaderView"), views.join(u','));
    ini.WriteInteger(kGroupSection, QStringLiteral("ViewGroup"), ViewGroup);
    ini.WriteInteger(kSortSection, QStringLiteral("SortType"), SortType);
    ini.WriteBool(kSortSection, QStringLiteral("SortDir"), SortDir);
}

// ---- Columns ---------------------------------------------------------------

int TAddressListModel::margin() const { return ScaleForDpi(kMarginAt96Dpi, true, m_dpi); }

void TAddressListModel::measureCaptions()
{
    m_minWidths.clear();
    for (int position : std::as_const(m_shown)) {
        const QString caption = ColumnCaption(m_columns[size_t(position)].DefIndex);
        m_minWidths << (m_metrics ? m_metrics->horizontalAdvance(caption) : 0) + 2 * margin();
    }
}

void TAddressListModel::growMinWidth(int column, const QString &text) const
{
    if (!m_metrics || text.isEmpty() || column < 0 || column >= m_minWidths.size())
        return;
    const int width = m_metrics->horizontalAdvance(text) + 2 * margin();
    if (width > m_minWidths[column])
        m_minWidths[column] = width;
}

void TAddressListModel::BuildColumns(const QFontMetrics &Metrics)
{
    beginResetModel();
    m_metrics = Metrics;
    m_shown.clear();
    for (int i = 0; i < ListColumnCount; ++i) {
        if (m_columns[size_t(i)].Shown)
            m_shown << i;
    }
    measureCaptions();
    m_cache.dropTexts();
    endResetModel();
}

void TAddressListModel::MeasureColumns(const QFontMetrics &Metrics)
{
    m_metrics = Metrics;
    measureCaptions();
}

void TAddressListModel::SetShownColumnWidth(int Column, int Width)
{
    if (Column < 0 || Column >= m_shown.size())
        return;
    m_columns[size_t(m_shown[Column])].Width = Width;
}

void TAddressListModel::ResetShownColumnWidths()
{
    for (int position : std::as_const(m_shown)) {
        TColumnRecord &record = m_columns[size_t(position)];
        record.Width = ScaleForDpi(AddressListColumns[size_t(record.DefIndex)].Width, true, m_dpi);
    }
}

// ---- Rows ------------------------------------------------------------------

bool TAddressListModel::filterActive() const { return !FilterDisabled && !Condition.IsEmpty(); }

void TAddressListModel::ReloadRows(qint32 KeepRecNo)
{
    beginResetModel();
    m_rows.clear();
    m_cache.clear();
    m_inquiryRow = -1;
    try {
        if (m_table && m_table->Active()) {
            if (DupItem1 > 0 && !FilterDisabled)
                buildDuplicateList(*m_table, KeepRecNo);
            else
                buildRowList(*m_table, KeepRecNo);
        }
    } catch (...) {
        // A walk the table broke off shows no rows rather than a part.
        m_rows.clear();
        m_inquiryRow = -1;
        endResetModel();
        throw;
    }
    // Empty lists hold no memory of their own: a row's texts are allocated
    // when the view first asks for it.
    m_cache.resize(m_rows.size());
    endResetModel();
}

void TAddressListModel::buildRowList(TTable &table, qint32 keepRecNo)
{
    m_inquiryRow = -1;
    table.SetIndexName(SortTypes[size_t(validSortType(SortType))].IndexName);
    if (table.Descending())
        table.SetDescending(false);
    TField *recNo = table.FindField(QStringLiteral("RecNo"));
    if (!recNo)
        return;
    // Group is read only when a group is viewed.
    TField *group = ViewGroup != 0 ? table.FindField(QStringLiteral("Group")) : nullptr;
    std::optional<TNarrowDownMatcher> matcher;
    if (filterActive())
        matcher.emplace(Condition, table);
    // Everything the walk reads comes with the order in one query.
    QStringList walkFields{QStringLiteral("RecNo")};
    if (group)
        walkFields << QStringLiteral("Group");
    if (matcher)
        walkFields << matcher->FieldNames();
    table.SetWalkFields(walkFields);
    m_rows.reserve(size_t(table.RecordCount()));

    const int viewGroup = ViewGroup;
    auto visit = [&] {
        if (!groupPasses(viewGroup, group) || (matcher && !matcher->Matches()))
            return;
        const qint32 value = recNo->AsInteger();
        if (value == keepRecNo)
            m_inquiryRow = int(m_rows.size());
        m_rows.push_back(value);
    };
    if (SortDir) {
        for (table.First(); !table.Eof(); table.Next())
            visit();
    } else {
        for (table.Last(); !table.Bof(); table.Prior())
            visit();
    }
}

void TAddressListModel::buildDuplicateList(TTable &table, qint32 keepRecNo)
{
    m_inquiryRow = -1;
    table.SetIndexName(QString());
    if (table.Descending())
        table.SetDescending(false);
    TField *recNo = table.FindField(QStringLiteral("RecNo"));
    if (!recNo)
        return;
    TField *group = table.FindField(QStringLiteral("Group"));
    TField *tel = table.FindField(QStringLiteral("Tel"));
    const std::array<TField *, 4> address{table.FindField(QStringLiteral("Tdfkn")),
                                          table.FindField(QStringLiteral("Adrs1")),
                                          table.FindField(QStringLiteral("Adrs2")),
                                          table.FindField(QStringLiteral("Adrs3"))};
    TField *corp = table.FindField(QStringLiteral("CorpKanji"));
    TField *name = table.FindField(QStringLiteral("NameKanji"));
    // The keys come with the order in one query.
    QStringList walkFields{QStringLiteral("RecNo"), QStringLiteral("Group")};
    for (const int item : {DupItem1, DupItem2}) {
        if (item == 1)
            walkFields << QStringLiteral("Tel");
        else if (item == 2)
            walkFields << QStringLiteral("Tdfkn") << QStringLiteral("Adrs1") << QStringLiteral("Adrs2")
                       << QStringLiteral("Adrs3");
        else if (item == 3)
            walkFields << QStringLiteral("CorpKanji");
        else if (item == 4)
            walkFields << QStringLiteral("NameKanji");
    }
    table.SetWalkFields(walkFields);
    auto keyOf = [&](int item) -> QByteArray {
        switch (item) {
        case 1:
            return bytesOf(tel);
        case 2: {
            QByteArray key;
            for (const TField *field : address)
                key += bytesOf(field);
            return key;
        }
        case 3:
            return bytesOf(corp);
        case 4:
            return nameKey(name);
        default:
            return QByteArray();
        }
    };

    const int item2 = DupItem2;
    std::vector<TDupliData> entries;
    entries.reserve(size_t(table.RecordCount()));
    for (table.First(); !table.Eof(); table.Next())
        entries.push_back({recNo->AsInteger(), integerOf(group), keyOf(DupItem1), item2 > 0 ? keyOf(item2) : QByteArray()});

    // Keys in byte order, then the viewed group's records first among equal
    // keys; a stable sort keeps record-number order inside each block.
    const bool groupViewed = ViewGroup != 0;
    std::stable_sort(entries.begin(), entries.end(), [groupViewed](const TDupliData &a, const TDupliData &b) {
        if (const int c = a.Key1.compare(b.Key1); c != 0)
            return c < 0;
        if (const int c = a.Key2.compare(b.Key2); c != 0)
            return c < 0;
        return groupViewed && a.Group < b.Group;
    });

    const int viewGroup = ViewGroup;
    const auto eligible = [item2, viewGroup](const TDupliData &e) {
        const bool blank = item2 > 0 ? e.Key1.isEmpty() && e.Key2.isEmpty() : e.Key1.isEmpty();
        return !blank && (viewGroup == 0 || (viewGroup == 1 ? e.Group == 0 : e.Group == viewGroup - 1));
    };
    const auto append = [&](qint32 value) {
        if (value == keepRecNo)
            m_inquiryRow = int(m_rows.size());
        m_rows.push_back(value);
    };
    size_t i = 0;
    while (i < entries.size()) {
        const TDupliData &a = entries[i];
        if (!eligible(a)) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        for (; j < entries.size(); ++j) {
            const TDupliData &b = entries[j];
            if (!eligible(b) || b.Key1 != a.Key1 || (item2 > 0 && b.Key2 != a.Key2))
                break;
            if (j == i + 1)
                append(a.RecNo);
            append(b.RecNo);
        }
        i = j;
    }
}

void TAddressListModel::DropCache()
{
    m_cache.dropTexts();
    if (!m_rows.empty() && !m_shown.isEmpty())
        emit dataChanged(index(0, 0), index(RowCount() - 1, int(m_shown.size()) - 1));
}

void TAddressListModel::ClearRows()
{
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_cache.clear();
    m_cache.shrink_to_fit();
    m_inquiryRow = -1;
    endResetModel();
}

qint32 TAddressListModel::RecNoAt(int Row) const
{
    return Row >= 0 && Row < RowCount() ? m_rows[size_t(Row)] : -1;
}

int TAddressListModel::IndexOfRecNo(qint32 RecNo) const
{
    if (RecNo < 0)
        return -1;
    const auto it = std::find(m_rows.begin(), m_rows.end(), RecNo);
    return it == m_rows.end() ? -1 : int(it - m_rows.begin());
}

bool TAddressListModel::MatchesConditions() const
{
    if (!m_table || !m_table->Active())
        return false;
    if (!groupPasses(ViewGroup, m_table->FindField(QStringLiteral("Group"))))
        return false;
    if (!filterActive())
        return true;
    const TNarrowDownMatcher matcher(Condition, *m_table);
    return matcher.Matches();
}

// ---- Cell texts ------------------------------------------------------------

QString TAddressListModel::FormatCell(int ColumnId, int Row) const
{
    if (!m_table || !m_table->Active())
        return QString();
    return formatCell(TRecordFields(*m_table), ColumnId, Row);
}

QString TAddressListModel::formatCell(const TRecordFields &f, int columnId, int row) const
{
    if (const TByteTest test = byteTestOf(columnId); test != TByteTest::None)
        return textOfBytes(test, f.Bytes(columnId, test).data());
    switch (columnId) {
    case 0:
        return QString::number(row + 1);
    case 1: {
        const qint32 group = integerOf(f.Group);
        return group >= 1 && group <= GroupCount ? GroupNames[size_t(group)] : QString();
    }
    case 4:
        return integerOf(f.TelDiv) == 3 ? kMainNumberWord : QString();
    case 12:
        return f.PrivCorp && f.PrivCorp->AsBoolean() ? kPersonWord : kCompanyWord;
    case kSymbolColumn: {
        const QString mark = plainText(f.SymbolMark);
        if (mark.isEmpty())
            return mark;
        const auto color = quint32(integerOf(f.SymbolColor));
        return mark + QStringLiteral(",$") + QStringLiteral("%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
    }
    case 37:
        return f.Added.Text(0);
    case 38:
        return f.Added.Text(1);
    case 39:
        return f.Added.Text(2);
    case 40:
        return f.Updated.Text(0);
    case 41:
        return f.Updated.Text(1);
    case 42:
        return f.Updated.Text(2);
    default:
        return QString();
    }
}

namespace {

// The characters of the word a column's text must take from the bytes of
// its fields: those the format does not add.
TWordBytes::TNeeds needsOf(TByteTest test, const TWordBytes &word, bool phonesHyphenated)
{
    // What the hyphenation library writes for a number it knows: digits and
    // hyphens (brackets and blanks too, should a format ever use them); a
    // number it does not know is shown as stored. Either way a word with
    // any other character is not in the cell, and the library, by far the
    // dearest part of a search, is not asked.
    static const QString hyphenated = QStringLiteral("0123456789-() ");
    switch (test) {
    case TByteTest::Phone:
        return word.Needs(phonesHyphenated ? QStringView(hyphenated) : QStringView());
    case TByteTest::PubDate:
        return word.Needs(u"年月");
    case TByteTest::Pos:
        return word.Needs(u"-");
    case TByteTest::Address:
        return word.Needs(u"\u3000");
    default:
        return word.Needs();
    }
}

// Whether the text formatCell gives a column may contain the word, from the
// bytes of its fields: false only when a character of the word can come
// neither from the bytes nor from what the format adds. Far cheaper than
// formatting, and it needs no string.
bool bytesMayHold(TByteTest test, const TWordBytes::TNeeds &needs, const QByteArrayView *bytes)
{
    switch (test) {
    case TByteTest::None:
        return true;
    case TByteTest::Name:
        return needs.InWide(bytes[0]);
    case TByteTest::Address:
        return needs.In({bytes[0], bytes[1], bytes[2], bytes[3]});
    default:
        return needs.In({bytes[0]});
    }
}

} // namespace

bool TAddressListModel::columnMayHold(int columnId, const QString &Word, const TWordBytes &word)
{
    switch (columnId) {
    case 0:
        return word.MayHold({}, kDigitChars);
    case 1:
        return std::any_of(GroupNames.cbegin() + 1, GroupNames.cbegin() + 1 + GroupCount,
                           [&Word](const QString &name) { return name.contains(Word); });
    case 4:
        return kMainNumberWord.contains(Word);
    case 12:
        return kPersonWord.contains(Word) || kCompanyWord.contains(Word);
    case 37:
    case 38:
    case 39:
    case 40:
    case 41:
    case 42:
        return word.MayHold({}, kStampChars);
    default:
        return true;
    }
}

// Puts the table, on its primary index, on the record of the row. Scrolling
// asks for neighbouring rows one after the other: when the table is on a
// neighbour's record and the row's record comes next in record order, one
// step finds it without a key search.
bool TAddressListModel::positionOnRow(TTable &table, int row) const
{
    const qint32 recNo = m_rows[size_t(row)];
    const TField *field = table.FindField(QStringLiteral("RecNo"));
    if (field && !table.Eof() && !table.Bof()) {
        const qint32 current = field->AsInteger();
        if ((row > 0 && current == m_rows[size_t(row) - 1]) || (row + 1 < RowCount() && current == m_rows[size_t(row) + 1])) {
            if (recNo > current)
                table.Next();
            else
                table.Prior();
            if (!table.Eof() && !table.Bof() && field->AsInteger() == recNo)
                return true;
        }
    }
    return table.FindKey({QVariant(recNo)});
}

const QStringList &TAddressListModel::formatRow(int row) const
{
    if (const QStringList *cached = m_cache.find(row))
        return *cached;
    // The minimum widths already cover the texts of a row formatted again.
    const bool measure = !m_cache.formattedBefore(row);
    QStringList texts;
    texts.reserve(m_shown.size());
    if (m_table && m_table->Active()) {
        try {
            TTable &table = *m_table;
            // Setting the index name re-reads the order even when it is
            // already the primary one.
            if (!table.IndexName().isEmpty())
                table.SetIndexName(QString());
            if (positionOnRow(table, row)) {
                const TRecordFields fields(table);
                // The first read of a record decides how the table loads it:
                // an integer field read first would be taken for a column
                // that walks want, a text field loads the whole record.
                (void)bytesOf(fields.NameKanji);
                for (int column = 0; column < m_shown.size(); ++column) {
                    const int id = m_columns[size_t(m_shown[column])].Index;
                    QString text = formatCell(fields, id, row);
                    QString shown;
                    if (measure)
                        growMinWidth(column,
                                     id == kSymbolColumn && splitSymbolCell(text, &shown, nullptr) ? shown : text);
                    texts << std::move(text);
                }
            }
        } catch (const ETableError &) {
            texts.clear();
        }
    }
    // A record that cannot be positioned leaves its row blank; the blanks are
    // cached so that painting does not search for it again.
    while (texts.size() < m_shown.size())
        texts << QString();
    return m_cache.insert(row, std::move(texts));
}

// ---- Word search -------------------------------------------------------------

TAddressListModel::TWordSearchResult TAddressListModel::FindWord(const QString &Word, int Start, int &Row) const
{
    Row = -1;
    const int rows = RowCount();
    if (rows == 0 || Word.isEmpty())
        return TWordSearchResult::NotFound;
    if (Start < 0 || Start >= rows)
        Start = 0;
    if (!m_table || !m_table->Active()) {
        Row = Start;
        return TWordSearchResult::ReadFailed;
    }
    const TWordBytes wordBytes(Word);
    const bool phonesHyphenated = WqhypLoaded();
    TTable &table = *m_table;
    const TRecordFields fields(table);
    if (!fields.RecNo) {
        Row = Start;
        return TWordSearchResult::ReadFailed;
    }
    // The searched columns: those some of whose texts can hold the word.
    // Each names its fields' place among the fields read (-1: the table
    // lacks the field, read as empty).
    struct TSearched {
        int Id;
        TByteTest Test;
        TWordBytes::TNeeds Needs;
        std::array<int, 4> Source{-1, -1, -1, -1};
    };
    std::vector<TSearched> searched;
    // The fields whose bytes tell, and every field of the searched columns.
    QStringList sourceNames;
    QStringList walkFields{QStringLiteral("RecNo")};
    // Whether a searched column's texts are not told by its bytes: then
    // every record may hold the word.
    bool everyRecordMay = false;
    for (const int position : m_shown) {
        const int id = m_columns[size_t(position)].Index;
        // A column none of whose possible texts can hold the word is not
        // read at all.
        if (id == kSymbolColumn || !columnMayHold(id, Word, wordBytes))
            continue;
        TSearched column{id, byteTestOf(id), {}};
        column.Needs = needsOf(column.Test, wordBytes, phonesHyphenated);
        // A column whose bytes need hold none of the word's characters
        // (digits in a hyphenated number) may hold it in every record.
        if (column.Test != TByteTest::None && column.Needs.None())
            column.Test = TByteTest::None;
        everyRecordMay = everyRecordMay || column.Test == TByteTest::None;
        const TRecordFields::TFieldSet sources = fields.Fields(id);
        for (size_t k = 0; k < sources.size(); ++k) {
            if (!sources[k])
                continue;
            const QString name = sources[k]->FieldName();
            if (!walkFields.contains(name))
                walkFields << name;
            if (column.Test == TByteTest::None)
                continue;
            qsizetype at = sourceNames.indexOf(name);
            if (at < 0) {
                at = sourceNames.size();
                sourceNames << name;
            }
            column.Source[k] = int(at);
        }
        searched.push_back(column);
    }
    // The full test of a row whose record the table is on: the cell texts
    // as the list shows them.
    const auto rowHolds = [&](int row) {
        fields.Forget();
        return std::any_of(searched.cbegin(), searched.cend(), [&](const TSearched &column) {
            // Only bytes that tell are read: a stamp has none, only its text.
            return bytesMayHold(column.Test, column.Needs, fields.Bytes(column.Id, column.Test).data())
                   && formatCell(fields, column.Id, row).contains(Word);
        });
    };

    // Whether a cell of a record may hold the word, told by the bytes of
    // its fields as ForEachRecord hands them; with shown, whether it does,
    // in the texts the cells show.
    const auto recordMayHold = [&](const QByteArrayView *bytes, bool shown) {
        return std::any_of(searched.cbegin(), searched.cend(), [&](const TSearched &column) {
            std::array<QByteArrayView, 4> cell;
            if (column.Test == TByteTest::Address) {
                for (size_t k = 0; k < cell.size(); ++k) {
                    if (column.Source[k] >= 0)
                        cell[k] = bytes[column.Source[k]];
                }
            } else if (column.Source[0] >= 0) {
                cell[0] = bytes[column.Source[0]];
            }
            // An empty field holds none of the characters its column needs
            // from it (most of a book's fields are).
            if (column.Test != TByteTest::Address && cell[0].isEmpty())
                return false;
            return bytesMayHold(column.Test, column.Needs, cell.data())
                   && (!shown || textOfBytes(column.Test, cell.data()).contains(Word));
        });
    };

    // The row of each record number, for passes that meet the records in
    // table order.
    std::vector<std::pair<qint32, int>> rowOf;
    rowOf.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row)
        rowOf.emplace_back(m_rows[size_t(row)], row);
    std::sort(rowOf.begin(), rowOf.end());
    const auto rowOfRecNo = [&rowOf](qint64 recNo) {
        const auto it = std::lower_bound(rowOf.begin(), rowOf.end(), std::pair<qint32, int>(qint32(recNo), -1));
        return it != rowOf.end() && it->first == recNo ? it->second : -1;
    };

    // The rows are answered in the search's order, from Start round to
    // Start - 1: the first row with a hit, or the first one whose record
    // cannot be read (never met: it is gone). A row is a Candidate when the
    // bytes of a searched cell may hold the word; only then is it formatted.
    enum : char { Unseen, Miss, Hit, Candidate };
    std::vector<char> state(size_t(rows), Unseen);
    int answered = 0;
    const auto next = [&] { return (Start + answered) % rows; };
    // True once the search has its answer: every row missed, or the next
    // row to answer has a hit.
    const auto decided = [&] {
        while (answered < rows && state[size_t(next())] == Miss)
            ++answered;
        return answered == rows || state[size_t(next())] == Hit;
    };

    try {
        table.SetIndexName(QString());
        if (table.Descending())
            table.SetDescending(false);
        // Unless a column's texts are not in its bytes, the engine shows
        // every record's bytes once, and the rows none of whose cells can
        // hold the word are answered there: no order with the fields is
        // read, no record loaded, nothing formatted.
        if (!everyRecordMay) {
            table.ForEachRecord(sourceNames, [&](qint64 recNo, const QByteArrayView *bytes) {
                const int row = rowOfRecNo(recNo);
                if (row >= 0)
                    state[size_t(row)] = recordMayHold(bytes, false) ? Candidate : Miss;
            });
            // The candidates in the search's order, each record found by
            // its number, until a hit. When the word's characters are
            // common, so many rows are candidates that one more look at
            // every record, making the cells' texts from the bytes the
            // engine hands over, costs less.
            const int budget = std::max(64, rows / 200);
            bool again = false;
            for (int checked = 0; !decided() && state[size_t(next())] == Candidate; ++checked) {
                if (checked == budget) {
                    again = true;
                    break;
                }
                const int row = next();
                if (!positionOnRow(table, row))
                    break;
                // A text field read first: the record is loaded whole, and
                // no integer field is learned for later walks.
                (void)viewOf(fields.NameKanji);
                state[size_t(row)] = rowHolds(row) ? Hit : Miss;
            }
            if (again) {
                table.ForEachRecord(sourceNames, [&](qint64 recNo, const QByteArrayView *bytes) {
                    const int row = rowOfRecNo(recNo);
                    if (row >= 0 && state[size_t(row)] == Candidate)
                        state[size_t(row)] = recordMayHold(bytes, true) ? Hit : Miss;
                });
            }
        } else {
            // A column's texts are not in its bytes (the row number, the
            // stamps): a walk in record order, whatever the list's order.
            // The table reads a whole order with its fields before the
            // first record, and the primary one costs the least (a sort
            // index is read through the index, each record fetched apart).
            // The records are met out of the list's order; each row is
            // answered in turn. First the rows from Start on, then round
            // from row 0.
            table.SetWalkFields(walkFields);
            for (const bool wrapped : {false, true}) {
                // A row from Start on still unanswered was never met: it is gone.
                if (wrapped && (decided() || next() >= Start))
                    break;
                for (table.First(); !table.Eof(); table.Next()) {
                    const int row = rowOfRecNo(fields.RecNo->AsInteger());
                    if (row < 0 || (row >= Start) == wrapped || state[size_t(row)] != Unseen)
                        continue;
                    state[size_t(row)] = rowHolds(row) ? Hit : Miss;
                    if (decided())
                        break;
                }
            }
        }
    } catch (const ETableError &) {
        // The rows read so far stand; the next row to answer cannot be read.
    }

    // Later walks of the table name their own fields; these many would
    // slow every order the table reads until then.
    table.SetWalkFields({});
    (void)decided();
    if (answered == rows)
        return TWordSearchResult::NotFound;
    Row = next();
    return state[size_t(Row)] == Hit ? TWordSearchResult::Found : TWordSearchResult::ReadFailed;
}

// ---- Row text cache ----------------------------------------------------------

namespace {
constexpr qint32 kNotFormatted = -1;
constexpr qint32 kMadeRoom = -2; // formatted, its texts dropped for others
} // namespace

void TAddressListModel::TRowTexts::clear()
{
    m_slotOfRow.clear();
    m_rowOfSlot.clear();
    m_used.clear();
    m_texts.clear();
}

void TAddressListModel::TRowTexts::resize(size_t Rows)
{
    m_slotOfRow.assign(Rows, kNotFormatted);
    dropTexts();
}

void TAddressListModel::TRowTexts::shrink_to_fit()
{
    m_slotOfRow.shrink_to_fit();
    m_rowOfSlot.shrink_to_fit();
    m_used.shrink_to_fit();
    m_texts.shrink_to_fit();
}

void TAddressListModel::TRowTexts::dropTexts()
{
    std::fill(m_slotOfRow.begin(), m_slotOfRow.end(), kNotFormatted);
    m_rowOfSlot.clear();
    m_used.clear();
    m_texts.clear();
}

const QStringList *TAddressListModel::TRowTexts::find(int Row)
{
    if (Row < 0 || size_t(Row) >= m_slotOfRow.size())
        return nullptr;
    const qint32 slot = m_slotOfRow[size_t(Row)];
    if (slot < 0)
        return nullptr;
    m_used[size_t(slot)] = ++m_clock;
    return &m_texts[size_t(slot)];
}

bool TAddressListModel::TRowTexts::formattedBefore(int Row) const
{
    return Row >= 0 && size_t(Row) < m_slotOfRow.size() && m_slotOfRow[size_t(Row)] != kNotFormatted;
}

const QStringList &TAddressListModel::TRowTexts::insert(int Row, QStringList Texts)
{
    static const QStringList none;
    if (Row < 0 || size_t(Row) >= m_slotOfRow.size())
        return none;
    size_t slot = m_texts.size();
    if (slot < size_t(CachedRowLimit)) {
        m_rowOfSlot.push_back(Row);
        m_used.push_back(0);
        m_texts.push_back(QStringList());
    } else {
        // The rows the view paints are touched at every paint, so the
        // oldest use is a row scrolled out of sight long ago.
        slot = size_t(std::min_element(m_used.begin(), m_used.end()) - m_used.begin());
        m_slotOfRow[size_t(m_rowOfSlot[slot])] = kMadeRoom;
        m_rowOfSlot[slot] = Row;
    }
    m_slotOfRow[size_t(Row)] = qint32(slot);
    m_used[slot] = ++m_clock;
    m_texts[slot] = std::move(Texts);
    return m_texts[slot];
}

// ---- Model -----------------------------------------------------------------

int TAddressListModel::rowCount(const QModelIndex &Parent) const { return Parent.isValid() ? 0 : RowCount(); }

int TAddressListModel::columnCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : int(m_shown.size());
}

QVariant TAddressListModel::data(const QModelIndex &Index, int Role) const
{
    if (!checkIndex(Index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int row = Index.row();
    const TColumnRecord &record = m_columns[size_t(m_shown[Index.column()])];
    switch (Role) {
    case RecNoRole:
        return QVariant::fromValue<qint32>(m_rows[size_t(row)]);
    case Qt::TextAlignmentRole: {
        const TColumnAlign align = AddressListColumns[size_t(record.DefIndex)].Align;
        const Qt::Alignment horizontal = align == TColumnAlign::Right    ? Qt::AlignRight
                                         : align == TColumnAlign::Center ? Qt::AlignHCenter
                                                                         : Qt::AlignLeft;
        return int(horizontal | Qt::AlignVCenter);
    }
    case Qt::DisplayRole:
    case SymbolColorRole:
    case Qt::ForegroundRole:
        break;
    default:
        return QVariant();
    }
    const bool symbol = record.Index == kSymbolColumn;
    if (Role != Qt::DisplayRole && !symbol)
        return QVariant();
    const QString text = formatRow(row).value(Index.column());
    if (!symbol)
        return text;
    QString mark;
    QColor color;
    const bool marked = splitSymbolCell(text, &mark, &color);
    if (Role == Qt::DisplayRole)
        return marked ? mark : QString();
    if (Role == Qt::ForegroundRole)
        return marked ? QVariant(QBrush(color)) : QVariant();
    return marked ? color : QColor();
}

QVariant TAddressListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation == Qt::Horizontal && Role == Qt::DisplayRole && Section >= 0 && Section < m_shown.size())
        return ColumnCaption(m_columns[size_t(m_shown[Section])].DefIndex);
    return QAbstractTableModel::headerData(Section, Orientation, Role);
}
