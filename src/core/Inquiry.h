#pragma once

#include "platform/Cp932.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class QWidget;
class TTable;

// A byte string of at most Width bytes, the in-memory form of one text field
// of an address record: CP932 text or the "@" form exactly as stored in the
// table. Assigning cuts the value to Width bytes at a CP932 character
// boundary (the "@" form is ASCII, so it is cut between any two bytes).
template <qsizetype Width>
class TShortString
{
public:
    static constexpr qsizetype MaxBytes = Width;

    TShortString() = default;
    explicit TShortString(QByteArrayView bytes) { Assign(bytes); }

    TShortString &operator=(QByteArrayView bytes)
    {
        Assign(bytes);
        return *this;
    }
    void Assign(QByteArrayView bytes) { m_bytes = Cp932::truncated(bytes, Width); }

    [[nodiscard]] const QByteArray &Bytes() const { return m_bytes; }
    [[nodiscard]] qsizetype Length() const { return m_bytes.size(); }
    [[nodiscard]] bool IsEmpty() const { return m_bytes.isEmpty(); }

    bool operator==(const TShortString &) const = default;

private:
    QByteArray m_bytes;
};

// The in-memory copy of one record of Adrs.DB, as the main list reads it by
// record number and the record form, the filters, the copy window and the
// editors fill and consume it. A plain value: windows keep several copies and
// compare them with ==. Text widths are those of the record, not of the
// columns: the telephone fields hold 13 bytes for the hyphenated form,
// CorpKanji 112 of its 120-byte column. Date-times are local; an invalid
// QDateTime is the cleared value. Note and ExtLink exist only when the memo is
// not empty (one list item per memo line).
struct TAddressData {
    qint32 RecNo = 0;
    qint32 Group = 0;
    TShortString<20> CustomCode;
    TShortString<13> Tel;
    qint32 TelDiv = 0;
    TShortString<13> Fax;
    TShortString<8> PubDate;
    TShortString<13> Portable1;
    TShortString<13> Portable2;
    TShortString<7> Pos;
    TShortString<8> Tdfkn;
    TShortString<32> Adrs1;
    TShortString<100> Adrs2;
    TShortString<116> Adrs3;
    TShortString<100> AdrsKana;
    TShortString<5> JisCode;
    TShortString<6> KajoCode;
    qint32 Latitude = 0;  // thousandths of an arc-second
    qint32 Longitude = 0; // thousandths of an arc-second
    bool PrivCorp = false;
    TShortString<112> CorpKanji;
    TShortString<80> CorpKana;
    TShortString<100> Dptmnt;
    TShortString<50> Post;
    TShortString<75> NameKanji;
    TShortString<25> NameKana;
    TShortString<10> Honor;
    bool IgnoreName = false;
    TShortString<128> URL;
    TShortString<64> EMail1;
    TShortString<64> EMail2;
    TShortString<55> Joint1;
    TShortString<55> Joint2;
    TShortString<55> Joint3;
    TShortString<55> Joint4;
    TShortString<55> Joint5;
    TShortString<10> JointHonor1;
    TShortString<10> JointHonor2;
    TShortString<10> JointHonor3;
    TShortString<10> JointHonor4;
    TShortString<10> JointHonor5;
    qint32 JointOwner = 0;
    bool JointPrint = false;
    bool JointPrint1 = false;
    bool JointPrint2 = false;
    bool JointPrint3 = false;
    bool JointPrint4 = false;
    bool JointPrint5 = false;
    qint32 PrintTarget = 0;
    qint32 Sender = 0;
    TShortString<100> Keyword1;
    TShortString<100> Keyword2;
    TShortString<100> Keyword3;
    TShortString<100> Keyword4;
    TShortString<100> Keyword5;
    TShortString<100> Keyword6;
    TShortString<100> Keyword7;
    TShortString<100> Keyword8;
    TShortString<10> SymbolMark;
    qint32 SymbolColor = 0; // 0xBBGGRR
    QDateTime AddDateTime;
    QDateTime UpdDateTime;
    qint32 CodeMain = 0;
    qint32 CodeSub = 0;
    qint32 CodeGenre = 0;
    std::optional<QStringList> Note;
    std::optional<QStringList> ExtLink;

    bool operator==(const TAddressData &) const = default;
};

// Drops the memo lists and resets every field to its cleared value.
void ClearAddressData(TAddressData &record);

// The symbol colour of a record nobody has given one: a light green, which
// the main list shows as the row's mark.
constexpr qint32 NewSymbolColor = 0x7FDF3F;

// A record as a new one starts before anything is typed: the addressee's own
// name printed, the new records' symbol colour, every other field empty.
[[nodiscard]] inline TAddressData NewAddressData()
{
    TAddressData record;
    record.JointPrint = true;
    record.SymbolColor = NewSymbolColor;
    return record;
}

// Reads the record with that RecNo from the open address table (primary
// order) into record. Text fields are trimmed and cut to the record's
// widths, the four telephone fields hyphenated first (by the hyphenation
// library when it is loaded, else only trimmed). When the table holds no
// such record, the error box "アドレス帳が読み出せませんでした  " is shown
// centred on owner, record keeps its content and the result is false.
[[nodiscard]] bool ReadAddressData(TTable &table, int recNo, TAddressData &record, QWidget *owner);
// The same read without any message: false when the table holds no record
// of that number. Leaves the primary order loaded as it is, so reading one
// record after another stays cheap.
[[nodiscard]] bool FindAddressData(TTable &table, int recNo, TAddressData &record);

// Sets every field of the table's record in edit or insert state from
// record, the reverse of ReadAddressData: texts as they stand (telephone
// numbers as given, so pass their digits), memos one line per item. The
// record number, the two date stamps and the three codes are the writer's
// own business and are left alone.
void WriteAddressData(TTable &table, const TAddressData &record);

// The fields, by their table names and in table order, whose values differ
// between record and base (the record number, the stamps and the codes are
// the writers' own and never named).
[[nodiscard]] QStringList ChangedAddressFields(const TAddressData &record, const TAddressData &base);

// WriteAddressData limited to the named fields: a writer that changes some
// fields of a record it read leaves every other stored byte as it was (text
// longer than the record's width, bytes that are not valid CP932, values
// another program wrote).
void WriteAddressData(TTable &table, const TAddressData &record, const QStringList &fields);

// A text field of the address record whose text cannot be stored.
struct TUnstorableField {
    QString FieldName;  // as in the table: "Adrs1"
    QString Caption;    // as the user knows it: "住所１"
    QString Characters; // the characters code page 932 lacks, each once
};

// The wide text a writer is about to store in a text field, asked for by the
// field's table name; std::nullopt when the writer stores what the record
// holds.
using TAddressTextOf = std::function<std::optional<QString>(QLatin1StringView fieldName)>;

// The save check of every writer of address records: walks the text fields
// in table order (the list WriteAddressData writes through) and returns the
// first whose text would not survive as CP932, where a character the code
// page lacks would be stored as "?". The text of a field is textOf's answer,
// else the record's own (its bytes decoded, so damaged bytes are named too;
// the memos as the record holds them). The names (NameKanji, Joint1 to
// Joint5) are stored in the "@" form, which holds any text, and are never
// named. Nothing is named when everything can be stored.
[[nodiscard]] std::optional<TUnstorableField> FindUnstorableField(const TAddressData &record,
                                                                  const TAddressTextOf &textOf = {});

// One column of the main address list.
enum class TColumnAlign { Left = 0, Center = 1, Right = 2 };

struct TAddressListColumn {
    int Index;
    QString Caption;
    TColumnAlign Align;
    int Width; // default width in pixels at 96 dpi
    bool Shown; // shown by default
    int PrintItem; // item number of the list printing
};

constexpr int AddressListColumnCount = 43;
// The catalogue of the address-list columns in index order. The keyword
// columns (27..34) show the user's keyword captions instead of these.
extern const std::array<TAddressListColumn, AddressListColumnCount> AddressListColumns;

// The marks a record's SymbolMark may hold, in the order they are offered.
extern const std::array<QString, 6> SymbolMarks;

// One searchable item of the word filter. InputKind: 0 text, 1 text with a
// history pick list, 2 choice, 3 year-month. MaxLength in bytes; for the name
// items ("名前", "連名n") in UTF-16 units of the "@" form; 0 = no edit limit.
struct TWordFilterItem {
    QString Caption;
    int InputKind;
    int MaxLength;
};
extern const std::array<TWordFilterItem, 32> WordFilterItems;

// One column of the directory search result, with the 0/1 code the directory
// search window reads for it.
struct TDirectoryResultItem {
    int Index;
    QString Caption;
    int Code;
};
extern const std::array<TDirectoryResultItem, 15> DirectoryResultItems;

// One item of the copy-item chooser; every item is chosen by default.
struct TCopyItem {
    int Index;
    QString Caption;
    bool Chosen;
};
extern const std::array<TCopyItem, 54> CopyItems;
