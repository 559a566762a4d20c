#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class TTable;

// The 63 items a text export can write, identified by their index 0..62 in
// catalogue order (the order is part of the stored layouts). Each item has a
// caption, shown in the export window and written in the header line, and a
// rule that turns the stored fields of the current address record into the
// exported text. The captions are the import's header names, so an exported
// file with its header line is assigned automatically by the import.
constexpr int ExportItemCount = 63;

// Items whose index the writer and the window name.
enum TExportItem : int {
    eiRecNo = 0, eiGroup = 1, eiTel = 3, eiTelDiv = 4, eiFax = 5, eiPubDate = 6, eiPortable1 = 7,
    eiPortable2 = 8, eiPos = 9, eiName = 21, eiHonor = 23, eiJoint1 = 28, eiJointOwner = 38, eiSender = 46,
    eiKeyword1 = 47, eiKeyword8 = 54, eiNote = 55, eiExtLink = 56, eiSymbolColor = 58, eiUpdTime = 62,
};

// A memo (備考, 外部リンク) in a line of the file: its lines joined by TAB,
// and a TAB inside one of its lines written as this control character (VT),
// which no typed text holds, so the import gives back the TAB, not a line
// break. The import reads a TAB at the end as ending the line before it (as
// files of other programs write every line followed by one), so a memo
// whose last line is empty (a note typed with a break at its end) or that
// holds nothing but blanks gets one more TAB: it comes back as it was.
constexpr char MemoTab = '\x0B';

// The hyphenation switches of the export window: a number is hyphenated only
// when the master switch and its own switch are both on.
struct TExportFormat {
    bool EditHyphen = true;
    bool EditTel = true;
    bool EditFax = true;
    bool EditPos = true;
    bool EditPortable1 = true;
    bool EditPortable2 = true;
};

// What the rules read besides the record.
struct TExportContext {
    TExportFormat Format;
    // Entry 0 "指定なし", entries 1..10 the book's group names.
    QStringList GroupNames;
    // The main list's senders: title, Sender.DB record number.
    QList<QPair<QString, qint32>> Senders;
};

// The captions in index order, the keyword items (47..54) carrying the
// user's keyword names as they are now.
[[nodiscard]] QStringList ExportItemCatalogue();

// The header text the export writes for each item (code page 932, blanks
// removed), Captions being the catalogue's captions in index order: the
// names by which the import finds each column again. A keyword caption that
// could not name its column alone (kept from an older settings file: empty
// once its blanks are gone, holding a line break, the text of another item,
// of another keyword's fixed name "キーワード１" ..., or of a keyword before
// it) is written as its keyword's fixed name, which no other column carries.
[[nodiscard]] QList<QByteArray> ExportHeaderNames(const QStringList &Captions);
// The fixed name of keyword Keyword (1..8): "キーワード" and the full-width
// digit.
[[nodiscard]] QString KeywordFixedName(int Keyword);

// The address-table fields the rule of Item reads (for the table's walk).
[[nodiscard]] QStringList ExportItemFields(int Item);

// The export text of Item for the record at which Table stands; empty text
// for an index outside 0..62.
[[nodiscard]] QString FormatExportValue(int Item, TTable &Table, const TExportContext &Context);

class TField;

// FormatExportValue for many records of one table: the fields of the items
// are looked up once, so a run pays only for reading them.
class TExportItemReader
{
public:
    explicit TExportItemReader(TTable &Table);
    [[nodiscard]] QString Value(int Item, const TExportContext &Context) const;
    // The same text in code page 932, appended to Out (a character the code
    // page lacks becomes "?"). Text fields are copied as stored, but for the
    // bytes that would end the record's line (BlankLineEnds).
    void AppendBytes(int Item, const TExportContext &Context, QByteArray &Out) const;
    // Call when the table moved to another record: a stamp read for one
    // item serves the next item of the same field (reading one costs a
    // look at the system's time zone).
    void BeginRecord() const { m_stampField = nullptr; }
    // How many names so far held a character the code page lacks: the
    // file cannot carry them back.
    [[nodiscard]] int LossyNames() const { return m_lossyNames; }

private:
    void AppendItemBytes(int Item, const TExportContext &Context, QByteArray &Out) const;
    void AppendName(const QString &Name, QByteArray &Out) const;

    mutable const TField *m_stampField = nullptr;
    mutable int m_lossyNames = 0;
    mutable QDateTime m_stamp;
    TField *m_fields[ExportItemCount];
    TField *m_joints[6]; // NameKanji, Joint1 .. Joint5
};

// The bytes of Out from From on that would end a record's line where the
// import reads the file back replaced: CR and LF (the import ends a line at
// either, inside double quotes too), Ctrl-Z (it ends the text) and NUL (the
// line is not read). Each run of them becomes one blank, as a line break
// pasted into a one-line edit becomes one; a memo's TAB and VT stay as they
// are.
void BlankLineEnds(QByteArray &Out, qsizetype From);

// Leading and trailing bytes up to the blank (control characters and
// U+0020) removed; a trail byte of a double-byte character is never one.
[[nodiscard]] QByteArray TrimExportBytes(QByteArrayView Bytes);
