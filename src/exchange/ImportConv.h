#pragma once

#include "exchange/ImportFields.h"
#include "platform/Exception.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

#include <array>
#include <optional>

class TTable;
struct TAddressData;

// The conversion of one imported line's 61 field texts (CP932 bytes, not
// trimmed) into an address record: a new record in add mode, the changed
// fields of a stored record in update mode. Pure rules over values; the
// dictionary and the table are reached through the small interfaces below,
// so every rule can be tried alone.

// A value the conversion cannot read (a latitude such as "35.6895"): the run
// rejects the line and nothing of it is written.
MURVEN_DECLARE_EXCEPTION(EImportValueError, Exception);

// What the address completion learns about an address text.
struct TImportFoundAddress {
    QByteArray Postcode; // as the dictionary writes it ("123-4567")
    QByteArray CityCode;
    QByteArray TownCode;
    qint32 Latitude = 0;
    qint32 Longitude = 0;
};

// The free-text address search the completion asks; std::nullopt when the
// address is not found or the dictionary failed (the values then stay).
class TImportAddressLookup
{
public:
    virtual ~TImportAddressLookup() = default;
    [[nodiscard]] virtual std::optional<TImportFoundAddress> Find(const QByteArray &AddressText) = 0;
};

// The options of the import window that the add conversion reads.
struct TImportOptions {
    bool NotAutoSupplement = false; // no address completion
    bool SetCorp = false;           // a company name makes a company
    int SetCorpType = 0;            // 0 every such line, 1 only lines without a name
    bool PriorityClass = true;      // a given 個人会社区分 wins over SetCorp
};

struct TImportContext {
    TImportOptions Options;
    // Entry 0 "指定なし", entries 1..10 the book's group names.
    QStringList GroupNames;
    // The main list's senders in list order: title, Sender.DB record number.
    QList<QPair<QString, qint32>> Senders;
    // The time of the conversion (stamps, the renumbering date).
    QDateTime Now;
    // The completion of add mode; nullptr: none.
    TImportAddressLookup *Lookup = nullptr;
};

// Add mode: fills Record (cleared first) from Values. Raises
// EImportValueError for a coordinate that is not a whole number.
void ConvertImportValuesToRecord(const TImportValues &Values, const TImportContext &Context,
                                 TAddressData &Record);

// Update mode: Table is in edit state on the matched record; only the
// Assigned rows take part and a field is written only when its new value
// differs from the stored one (compared as the column will keep it). True
// when anything was written; then UpdDateTime is stamped. Raises
// EImportValueError (the caller cancels the edit).
[[nodiscard]] bool ApplyImportValuesToTable(const TImportValues &Values, const TImportAssigned &Assigned,
                                            const TImportContext &Context, TTable &Table);

// ---- The rules, each usable alone ----

// The ASCII digits of a telephone number, full-width digits taken as their
// ASCII twins (a number typed in full width is kept, not emptied).
[[nodiscard]] QByteArray PhoneDigits(const QByteArray &Text);
// Old ten-digit mobile and pager numbers and seven-digit Osaka numbers in
// their current form (030xxxxxxx -> 0903xxxxxxx, 06xxxxxxx -> 066xxxxxxx).
[[nodiscard]] QByteArray RenumberOldPhoneNumber(const QByteArray &In);
// 0720xxxxxxx became 0728xxxxxxx on 2000-01-01.
[[nodiscard]] QByteArray RenumberArea0720(const QByteArray &In, const QDate &Today);
// Digits, renumbered, at most 13 bytes.
[[nodiscard]] QByteArray ConvertPhone(const QByteArray &Text, const QDate &Today);

// The width cut of the address fields: at most Width bytes; when the last
// byte kept would be the lead byte of a double-byte character, Width - 1
// bytes and a blank, and that character begins the rest.
struct TWidthCut {
    QByteArray Head;
    QByteArray Rest;
};
[[nodiscard]] TWidthCut CutAtWidth(const QByteArray &Text, int Width);

// The three address rows spread over the prefecture and the three address
// fields (32, 100 and 116 bytes), what does not fit carried to the next.
// Run10..Run12 say which rows are assigned (all in add mode). A field whose
// row is not assigned keeps its stored text (Stored2, Stored3): what the
// field before it carries over goes in front of that text instead of
// replacing it.
struct TAddressSplit {
    QByteArray Tdfkn, Adrs1, Adrs2, Adrs3;
    bool Has1 = false, Has2 = false, Has3 = false; // which fields the split set
};
[[nodiscard]] TAddressSplit SplitAddress(const QByteArray &Row10, const QByteArray &Row11,
                                         const QByteArray &Row12, bool Run10 = true, bool Run11 = true,
                                         bool Run12 = true, const QByteArray &Stored2 = {},
                                         const QByteArray &Stored3 = {});

// Latitude or longitude in thousandths of an arc-second; 0 for an empty or
// over-long text or a value past 32 bits; raises EImportValueError for a
// short text that is not a whole number.
[[nodiscard]] qint32 ConvertCoordinate(const QByteArray &Text);
// The group a value of the group column names (0 no group, 1..10 a group
// of Groups, whose entry 0 is "指定なし"), -1 when no group has that name.
[[nodiscard]] int ImportGroupIndex(const QByteArray &Value, const QStringList &Groups);
// Memo lines: each tab ends a line, and MemoTab (ExportItems.h) stands for a
// tab inside a line; none for blanks alone, nothing trimmed otherwise (a
// leading tab is an empty first line).
[[nodiscard]] QStringList ConvertMemo(const QByteArray &Text);
// 0xBBGGRR from hexadecimal text; 7FDF3F when it is not such a number.
[[nodiscard]] qint32 ConvertSymbolColor(const QByteArray &Text);
// Date (yyyymmdd...) and time (hhnnss...) digits as a stamp; invalid when
// they do not make one. A time of fewer than 6 digits counts as midnight.
[[nodiscard]] QDateTime ComposeDateTime(const QByteArray &DateDigits, const QByteArray &TimeDigits);

// Fills what the address lacks: the postcode unless it has 7 digits, the
// city and town codes unless the city code has 5 digits, both coordinates
// when either is 0. No search when nothing is missing or the text is empty.
struct TAddressCompletion {
    QByteArray Postcode, JisCode, KajoCode;
    qint32 Latitude = 0, Longitude = 0;
};
void CompleteAddress(TImportAddressLookup &Lookup, const QByteArray &AddressText, TAddressCompletion &Values);

// The completion over the program's free-text address dictionary
// (TContinualAdrsSearch); its failures are absorbed.
class TContinualAdrsSearch;
class TDicImportAddressLookup : public TImportAddressLookup
{
public:
    explicit TDicImportAddressLookup(TContinualAdrsSearch &Search) : m_search(Search) {}
    [[nodiscard]] std::optional<TImportFoundAddress> Find(const QByteArray &AddressText) override;

private:
    TContinualAdrsSearch &m_search;
};
