#pragma once

#include "platform/Colors.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class TMemIniFile;

// The model of the list print: the 45 printable items, the chosen columns,
// the layout record with its settings keys, and the template files.

constexpr int ListPrintItemCount = 45;
constexpr int ListPrintMaxColumns = 100;
constexpr int ListPrintMaxTemplates = 10;
constexpr int ListPrintTemplateNameMax = 30;
constexpr int ListPrintTitleMaxBytes = 200; // Shift-JIS
constexpr int ListPrintMinFontSize = 7;
constexpr int ListPrintMaxFontSize = 30;

// One printable item: caption, default width (half-width characters) and
// default alignment (0 left, 1 centre, 2 right).
struct TListPrintItem {
    QString Caption;
    int Width = 0;
    int Align = 0;
};

// One chosen item, a column of the printed table.
struct TListPrintColumn {
    int ItemNo = 0;
    int ItemSize = 1;  // 1..999 half-width characters
    int ItemAlign = 0; // 0 left, 1 centre, 2 right
    friend bool operator==(const TListPrintColumn &, const TListPrintColumn &) = default;
};
using TListPrintColumns = std::vector<TListPrintColumn>;

// The 45 items; items 29 to 36 take the eight keyword names (index 1..8 of
// keywordNames; an empty name keeps the item's own caption).
[[nodiscard]] std::vector<TListPrintItem> MakeListPrintItems(const std::array<QString, 9> &keywordNames);
// The item of the given number with its default width and alignment.
[[nodiscard]] TListPrintColumn DefaultListPrintColumn(int itemNo);

// Reads the three comma-joined lists. nullopt when one is empty, the comma
// counts differ or reach 100, or a part is not a whole number. Entries with an
// item number outside 0..44, a width outside 1..999, an alignment outside 0..2
// or a repeated non-zero item are dropped, so a stored list can never name a
// column the painter cannot print.
[[nodiscard]] std::optional<TListPrintColumns> ParseListPrintColumns(const QString &itemNo, const QString &itemSize,
                                                                     const QString &itemAlign);
struct TListPrintColumnTexts {
    QString ItemNo;
    QString ItemSize;
    QString ItemAlign;
};
[[nodiscard]] TListPrintColumnTexts JoinListPrintColumns(const TListPrintColumns &columns);

// The layout record. Colours are 0x00BBGGRR.
struct TListPrintLayout {
    bool IgnoreTdfkn = false;
    QString Title;
    int TitlePosX = 1;
    bool ViewDate = true;
    QDate Date;
    int DatePosX = 2;
    int DatePosY = 0;
    bool ViewPage = true;
    int PageType = 0;
    int PagePosX = 1;
    int PagePosY = 1;
    QString FontName;
    int FontSize = 9;
    int FontStyle = 0; // 1 bold, 2 italic
    int FontCharset = 128;
    int iRowCount = 1;
    int OffsetX = 0; // 0.1 mm
    int OffsetY = 0; // 0.1 mm
    std::array<bool, 6> Lines{};
    std::array<int, 6> LineTypes{};
    int HorzInterval = 1;
    TColor HeaderColor = 0xFFFFFF;
    bool HeaderColorExists = false;
    std::vector<TColor> Colors; // at most 10
    int DataSelect = 0;         // 0 selected rows, 1 range, 2 all shown rows
    int Copies = 1;
};

// What the settings file holds for the list print.
struct TListPrintSettings {
    TListPrintLayout Layout;
    TListPrintColumns Columns;
    // Key ItemSizeFitted: the widths of Columns are the ones the window
    // fitted to the page (a built-in layout applied and not edited), none
    // typed by the user, so that they may follow the next page. nullopt: not
    // stored (a file of an earlier version); not written then either.
    std::optional<bool> ColumnsFitted;
    int BeginPos = 0;
    int EndPos = 0;
};

inline const QString ListPrintSection = QStringLiteral("LIST PRINT");
inline const QString ListPrintLayoutSection = QStringLiteral("LIST PRINT LAYOUT");
inline const QString ListPrintDefaultFont = QStringLiteral("ＭＳ ゴシック");

// Reads sections LIST PRINT LAYOUT and LIST PRINT; out-of-range values take
// their defaults. The date is today.
[[nodiscard]] TListPrintSettings LoadListPrintLayout(const TMemIniFile &ini);
// Writes the same keys back (the caller writes the file).
void SaveListPrintLayout(TMemIniFile &ini, const TListPrintSettings &settings);

// ---- Templates -------------------------------------------------------------

struct TListPrintTemplate {
    QString Name;
    TListPrintColumns Columns;
    friend bool operator==(const TListPrintTemplate &, const TListPrintTemplate &) = default;
};
using TListPrintTemplates = std::vector<TListPrintTemplate>;

// A template file larger than this is not a template file.
constexpr qint64 ListPrintTemplateFileMax = 256 * 1024;

enum class TTemplateRead : std::uint8_t {
    Missing,    // no file: no templates of its kind
    Read,       // read (possibly no valid section)
    Unreadable, // exists but is not a Shift-JIS INI text of sane size
};

// Templates of the file that changed since the program wrote them: the
// entries to name ("[name]" of a template read as it now stands, or the
// first line of one whose section line does not read) and the bytes read,
// for the copy kept before the file is written over.
struct TTemplateDamage {
    QStringList Entries;
    QByteArray Bytes;
};

// Appends the file's templates to target until it holds 10; sections with a
// missing key, mismatched lists or a part that is not a whole number are
// skipped. The file is only read. notWhole, when given, counts the sections
// not taken as the file holds them (skipped, beyond the limit, a column or a
// part of the name dropped, a template whose section line does not read):
// rewriting the file from target would lose them. damage, when given, names
// the templates whose lines fail their sum (see TemplateFileBytes): a
// template whose section still reads is taken as it now stands (a value the
// user may have typed) and named all the same.
[[nodiscard]] TTemplateRead ReadTemplateFile(const QString &fileName, TListPrintTemplates &target,
                                             int *notWhole = nullptr, TTemplateDamage *damage = nullptr);
// The same for the file's bytes: Unreadable when they are no Shift-JIS text.
[[nodiscard]] TTemplateRead ReadTemplateBytes(const QByteArray &bytes, TListPrintTemplates &target,
                                              int *notWhole = nullptr, QStringList *damaged = nullptr);
// The stored form of templates: Shift-JIS, one section per template with
// ItemNo, ItemSize and ItemAlign, then the comment "; sum=XXXXXXXX" (the
// CRC-32 of the section's lines, each without its line end and with one LF
// after it), an empty line after each, CR LF.
[[nodiscard]] QByteArray TemplateFileBytes(const TListPrintTemplates &templates);
// Replaces the file with the given templates (a safe replace: on failure the
// old file is kept and error says why).
[[nodiscard]] bool WriteTemplateFile(const QString &fileName, const TListPrintTemplates &templates,
                                     QString *error = nullptr);
// Saves the user's templates when another program may save them too: under
// the file's lock the file is read again and the templates changed from
// `base` (what the window read or last saved) to `mine` go into what it
// holds now (MergeEntryChanges, by name), so a template another program
// saved meanwhile stays; `saved` gets what the file then holds. A file that
// no longer reads as the program wrote it is dealt with as when it is read
// (kept aside, or a copy kept, and named); one that cannot be is never
// written over. False with the reason in *error, the file as it was.
[[nodiscard]] bool SaveTemplateChanges(const QString &fileName, const TListPrintTemplates &base,
                                       const TListPrintTemplates &mine, TListPrintTemplates &saved,
                                       QString *error = nullptr);


// The columns of the built-in "アドレス帳一覧のレイアウト": one column per
// shown column of the main list (definition indexes in shown order) that has
// a printable item, with the item's default width and alignment.
[[nodiscard]] TListPrintColumns ListLayoutColumns(const std::vector<int> &shownColumnDefIndexes);
