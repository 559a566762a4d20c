#pragma once

#include "links/MapPrograms.h"
#include "widgets/RangeControls.h"
#include "widgets/RecordRun.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class TTable;

// The mark export: the records of the chosen rows that carry a map position
// become marks (name, latitude, longitude) in a map program's mark file. The
// records a mark file holds belong to the map program and are made through
// its own library, reached here only through TMarkWriter; where no map
// program is installed the writer says so and nothing is written.

// One mark: the name as the map program takes it (Shift-JIS) and the
// position in thousandths of an arc-second (Tokyo datum), as stored.
struct TMarkEntry {
    QByteArray Name;
    qint32 Latitude = 0;
    qint32 Longitude = 0;
    // The name had a character Shift-JIS lacks: Name holds "?" for it.
    bool LossyName = false;
    bool operator==(const TMarkEntry &) const = default;
};

// The marks of Records in their order: only records still in Table whose
// latitude and longitude are both above 0. A private record is named by its
// decoded name, a company by its company name as stored; neither trimmed.
// Next is called after each record; false stops the walk (*Stopped set).
[[nodiscard]] QList<TMarkEntry> CollectMarkRows(TTable &Table, const TRunRecords &Records,
                                                const std::function<bool()> &Next = {}, bool *Stopped = nullptr);

// The map program's side of a mark file.
class TMarkWriter
{
public:
    virtual ~TMarkWriter() = default;
    // False, with the reason for the user, when marks cannot be written at
    // all (the map program is missing).
    [[nodiscard]] virtual bool Available(QString *Reason) const = 0;
    // The bytes of one mark as the mark file holds them; nullopt when the
    // map program refuses the mark (its position lies off its map).
    [[nodiscard]] virtual std::optional<QByteArray> MarkRecord(const TMarkEntry &Mark) = 0;
    // Whether Bytes, a file's present content, is a mark file of the map
    // program that marks may be appended to.
    [[nodiscard]] virtual bool IsMarkFile(const QByteArray &Bytes) const
    {
        Q_UNUSED(Bytes);
        return true;
    }
};

// The writer of this system: no map program is installed.
[[nodiscard]] std::unique_ptr<TMarkWriter> CreateMarkWriter();

// AtlasMate's mark record: 16-bit 1, 16-bit 0, the 12-byte mesh of the
// position (16-bit word, two bytes, two 32-bit words, little-endian), then
// the name in Shift-JIS, zero-terminated and zero-padded to 516 bytes (a
// longer name is cut to 515). A mark file is these records one after another.
inline constexpr int AtlasMarkRecordSize = 532;
inline constexpr int AtlasMarkNameSize = 516;
[[nodiscard]] QByteArray AtlasMarkRecord(const TAtlasMesh &Mesh, const QByteArray &Name);
struct TAtlasMark {
    TAtlasMesh Mesh;
    QByteArray Name;
    bool operator==(const TAtlasMark &) const = default;
};
// The marks of a mark file; nullopt when it is not whole records.
[[nodiscard]] std::optional<QList<TAtlasMark>> ReadAtlasMarkFile(const QByteArray &Bytes);

// AtlasMate's writer: MeshOf is the map program's conversion of a position
// to its mesh (nullopt: not on its map).
class TAtlasMarkWriter : public TMarkWriter
{
public:
    using TMeshOf = std::function<std::optional<TAtlasMesh>(qint32 Latitude, qint32 Longitude)>;
    explicit TAtlasMarkWriter(TMeshOf MeshOf) : m_meshOf(std::move(MeshOf)) {}
    [[nodiscard]] bool Available(QString *) const override { return true; }
    [[nodiscard]] std::optional<QByteArray> MarkRecord(const TMarkEntry &Mark) override;
    [[nodiscard]] bool IsMarkFile(const QByteArray &Bytes) const override;

private:
    TMeshOf m_meshOf;
};

// The messages of a run.
[[nodiscard]] QString MarkNothingMessage(int DataSelect);
[[nodiscard]] QString MarkQuestion(int Count);
// LossyNames: marks written whose name went out with "?" in it; Refused:
// marks the map program did not take (none written: the file is unchanged).
[[nodiscard]] QString MarkDoneMessage(int OutputCount, int Written, int LossyNames = 0, int Refused = 0);

struct TMarkRunResult {
    int Written = 0;
    int LossyNames = 0; // marks written with "?" in their name
    int Refused = 0;    // marks the map program did not take
    QString Failure; // nothing was written; the file is as it was
};

// Writes Marks into File: with Overwrite the file holds only the new marks,
// else they follow its old bytes (refused when those are no mark file). The file is put in place through a safe
// replace, so a failed write leaves the old file whole and is reported.
// Refused marks are skipped; when none is taken the file is not touched.
// Progress is called after each mark.
[[nodiscard]] TMarkRunResult WriteMarks(TMarkWriter &Writer, const QString &File, bool Overwrite,
                                        const QList<TMarkEntry> &Marks, const std::function<void()> &Progress = {});

// The window "マークファイルの出力": the user chooses the rows of the main
// list (selected rows, a numbered range or every shown row) and the mark
// file; the records with a position are written as marks.
//
// Non-modal and single: ShowMarkExport creates it once (a top-level window
// owned by the main list) and MarkExport points to it until it closes and
// frees itself. The main list calls UpdateDataRange after every rebuild of
// its rows. A run takes the records of the chosen rows before it starts and
// reads them in one transaction with progress; a successful run closes the
// window, a cancelled or empty one leaves it open.
class TMarkExport : public QWidget
{
    Q_OBJECT

public:
    explicit TMarkExport(QWidget *Owner = nullptr);
    ~TMarkExport() override;

    Q_INVOKABLE void UpdateDataRange();
    // 出力
    void btnExportClick();

    [[nodiscard]] int OutputCount() const { return m_outputCount; }
    [[nodiscard]] int DataSelect() const { return m_dataSelect; }
    [[nodiscard]] int BeginPos() const { return m_range.BeginPos(); }
    [[nodiscard]] int EndPos() const { return m_range.EndPos(); }
    [[nodiscard]] QString File() const { return m_file; }

    // The save-file dialog: given the start path, gives the chosen name
    // (empty: cancelled) and the 1-based filter entry. Tests set it.
    static std::function<QString(const QString &StartPath, int &FilterIndex)> SaveDialogOverride;
    // The map program's writer; empty: CreateMarkWriter. Tests set it.
    static std::function<std::unique_ptr<TMarkWriter>()> WriterOverride;

    QRadioButton *rbList = nullptr;
    QRadioButton *rbRange = nullptr;
    QRadioButton *rbAll = nullptr;
    QLineEdit *edtRangeBegin = nullptr;
    QLineEdit *edtRangeEnd = nullptr;
    QLabel *lblDataCount = nullptr;
    QPushButton *btnExport = nullptr;
    QPushButton *btnClose = nullptr;
    QProgressBar *pgbarExport = nullptr;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void CreateControls();
    void LoadWindowPosition();
    void SaveWindowPosition() const;
    void LoadMarkSettings();
    void SaveMarkSettings();
    void DataSelectClick(int Tag);
    void CalcOutputCount();
    // 0 overwrite (or a new file), 1 append, 9 cancelled.
    [[nodiscard]] int ChooseMarkFile();
    [[nodiscard]] QString AskSaveName(const QString &Path, int &FilterIndex);
    [[nodiscard]] std::unique_ptr<TMarkWriter> MakeWriter() const;
    int Inform(const QString &Text, unsigned Flags);

    QString m_file;
    int m_outputCount = 0;
    TRowRange m_range;
    int m_dataSelect = -1;
};

// The mark export window while it exists, else nullptr.
extern TMarkExport *MarkExport;

// The mark export command of the main list: creates the window once (Owner:
// the main list) and shows it, or brings it back to the normal state.
TMarkExport *ShowMarkExport(QWidget *Owner);
// Lets the main list's mark export command open the window.
void RegisterMarkExport();
