#pragma once

#include "addressbook/AdrsSch.h"
#include "addressbook/ListColumns.h"
#include "platform/IniFile.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class TTable;
class TField;
class TWordBytes;

// The rows of the main list window: the record numbers that one walk of
// the address table on the chosen sort index keeps (group test and filter,
// or the duplicate display instead), in display order, with the texts of
// each row's shown cells formatted the first time the view asks for them
// and cached until the next reload or cache drop; only the rows used last
// keep their texts, so scrolling through a large book costs no more memory
// than a few screens of rows. The columns are the 43
// column records in the user's order, of which the shown ones are the
// model's columns. The model never holds a selection: the view's selection
// model is the one record of what is selected.
class TAddressListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Data roles beyond Qt's: the row's RecNo (qint32), the symbol colour
    // of column 36 as a QColor (invalid when the cell has no mark). The
    // symbol column also gives that colour as its ForegroundRole brush.
    enum TRole { RecNoRole = Qt::UserRole + 1, SymbolColorRole };

    explicit TAddressListModel(QObject *Parent = nullptr);
    ~TAddressListModel() override;

    // The open book's address table (the data module's); nullptr = none.
    void SetTable(TTable *Table);
    [[nodiscard]] TTable *Table() const { return m_table; }

    // View state. Changing it does not reload; the window calls ReloadRows.
    int ViewGroup = 0;    // 0 all, 1 without group, 2..11 group 1..10
    int SortType = 0;     // 0..14, SortTypes
    bool SortDir = true;  // ascending
    TNarrowDownCondition Condition;
    int DupItem1 = 0;     // 0 off, 1 電話番号, 2 住所, 3 会社名, 4 名前
    int DupItem2 = 0;     // 0 none
    bool FilterDisabled = false; // actDisableSearch checked

    // The screen's logical dpi the column widths are scaled with (the
    // primary screen's at construction).
    void SetScreenDpi(int Dpi) { m_dpi = Dpi; }
    [[nodiscard]] int ScreenDpi() const { return m_dpi; }

    // AdrsList.ini (one per data folder): KEYWORD (read only, into
    // KeywordNames/KeywordModes), HEADER, GROUP, SORT.
    void LoadListSettings(const QString &IniPath);
    // Writes the settings this list changed since it read or last saved
    // them (another program's changes to the others stay). False when the
    // file could not be written (Error: the reason).
    [[nodiscard]] bool SaveListSettings(const QString &IniPath, QString *Error = nullptr);

    // Columns.
    [[nodiscard]] TColumnRecords &ColumnRecords() { return m_columns; }
    [[nodiscard]] const TColumnRecords &ColumnRecords() const { return m_columns; }
    // Positions in ColumnRecords of the shown columns, in display order.
    [[nodiscard]] const QList<int> &ShownColumns() const { return m_shown; }
    [[nodiscard]] const QList<int> &MinWidths() const { return m_minWidths; }
    // Rebuilds the shown columns from the records (model reset of columns)
    // and measures their captions with Metrics: caption width + 2 × margin.
    void BuildColumns(const QFontMetrics &Metrics);
    // Only the minimum widths again.
    void MeasureColumns(const QFontMetrics &Metrics);
    // Width of shown column Column changed by the user (record follows).
    void SetShownColumnWidth(int Column, int Width);
    // Every shown column back to its catalogue width (scaled to the screen).
    void ResetShownColumnWidths();

    // Rows. ReloadRows walks the table once (BuildRowList, or the duplicate
    // display when DupItem1 > 0 and the filter is not disabled) and makes
    // the row of KeepRecNo the inquiry row (-1 when it is not shown).
    void ReloadRows(qint32 KeepRecNo);
    // Drops every cached text (the rows, and so the view's selection, stay):
    // every cell reports a change and is formatted again when next asked.
    void DropCache();
    // No rows, no cache (the data folder changes).
    void ClearRows();
    [[nodiscard]] int RowCount() const { return static_cast<int>(m_rows.size()); }
    // -1 outside the rows.
    [[nodiscard]] qint32 RecNoAt(int Row) const;
    // The first row showing RecNo; -1 for a negative RecNo, no rows or none.
    [[nodiscard]] int IndexOfRecNo(qint32 RecNo) const;
    [[nodiscard]] const std::vector<qint32> &Rows() const { return m_rows; }
    [[nodiscard]] int InquiryRow() const { return m_inquiryRow; }
    void SetInquiryRow(int Row) { m_inquiryRow = Row; }

    // The record test of a walk on the table's current record: the view
    // group, then the filter unless disabled or empty.
    [[nodiscard]] bool MatchesConditions() const;

    // The text of column id ColumnId for the table's current record shown
    // at Row (the "No." column is Row + 1); the word search uses it too.
    [[nodiscard]] QString FormatCell(int ColumnId, int Row) const;

    // The word the view marks in blue/yellow (empty: none).
    QString SearchWord;

    // The word search: the first row, from Start on and round through row
    // 0 once, one of whose shown cells (the symbol column aside) contains
    // Word as FormatCell shows it (a plain case-sensitive substring). One
    // walk of the table in record order reads only the fields the shown
    // columns need. ReadFailed: the record of a row before any hit is gone
    // or the table cannot be read; Row is the hit or that row.
    enum class TWordSearchResult { Found, NotFound, ReadFailed };
    [[nodiscard]] TWordSearchResult FindWord(const QString &Word, int Start, int &Row) const;

    // At most this many rows keep their formatted texts (several screens):
    // the least recently shown row makes room for the next one.
    static constexpr int CachedRowLimit = 512;
    [[nodiscard]] int CachedRowCount() const { return m_cache.cachedRows(); }

    // QAbstractTableModel: DisplayRole gives the cached text (formatting the
    // row on first demand; a record that cannot be positioned leaves the
    // row blank), TextAlignmentRole the catalogue alignment, headers the
    // captions.
    int rowCount(const QModelIndex &Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;

private:
    struct TRecordFields;

    // HEADER, GROUP and SORT as this list has them.
    void writeListSettings(TMemIniFile &Ini) const;
    // Those settings as read or last saved: a save writes only the ones that
    // differ.
    TMemIniFile m_savedSettings{QString()};

    // The formatted texts of the rows used last, at most CachedRowLimit of
    // them, each found from its row in constant time.
    class TRowTexts
    {
    public:
        void clear();            // no rows
        void resize(size_t Rows); // Rows rows, none formatted
        void shrink_to_fit();
        void dropTexts();        // every row unformatted; the rows stay
        // The row's texts, marked as used last; nullptr when not formatted.
        [[nodiscard]] const QStringList *find(int Row);
        // The row was formatted since the texts were last dropped, and may
        // have made room for others since.
        [[nodiscard]] bool formattedBefore(int Row) const;
        // Keeps the row's texts, in the place of the least recently used
        // row when the cache is full.
        const QStringList &insert(int Row, QStringList Texts);
        [[nodiscard]] int cachedRows() const { return int(m_rowOfSlot.size()); }

    private:
        std::vector<qint32> m_slotOfRow; // per row; -1: not formatted, -2: made room
        std::vector<qint32> m_rowOfSlot;
        std::vector<quint64> m_used;     // per slot: when last found or kept
        std::vector<QStringList> m_texts; // per slot
        quint64 m_clock = 0;
    };

    void buildRowList(TTable &table, qint32 keepRecNo);
    void buildDuplicateList(TTable &table, qint32 keepRecNo);
    [[nodiscard]] bool positionOnRow(TTable &table, int row) const;
    [[nodiscard]] const QStringList &formatRow(int row) const;
    [[nodiscard]] QString formatCell(const TRecordFields &fields, int columnId, int row) const;
    // False for a column whose texts are few and fixed, or made of digits,
    // when none of them can hold Word, whatever the record.
    [[nodiscard]] static bool columnMayHold(int columnId, const QString &Word, const TWordBytes &word);
    [[nodiscard]] int margin() const;
    void measureCaptions();
    void growMinWidth(int column, const QString &text) const;
    [[nodiscard]] bool filterActive() const;

    TTable *m_table = nullptr;
    int m_dpi = 96;
    std::optional<QFontMetrics> m_metrics; // of the view's font, for MinWidths
    TColumnRecords m_columns;
    QList<int> m_shown;
    mutable QList<int> m_minWidths;
    std::vector<qint32> m_rows;
    mutable TRowTexts m_cache;
    int m_inquiryRow = -1;
};
