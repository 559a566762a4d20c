#pragma once

#include "items/Units.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>

// The paper-format files: the read-only catalogues Lyt.fmt (postcards,
// envelopes, label and card sheets with their cell grids) and Dsn.fmt (design
// papers), and the user's own formats in CstmL.fmt. Saved layouts store a
// record position (0 or more: Lyt.fmt / Dsn.fmt) or minus a user format's id,
// so the byte layouts below never change.
//
// All integers little-endian; lengths in 0.1 mm (254 per inch) unless said
// otherwise. A short string is a length byte and that many Shift-JIS bytes in
// a fixed field (capacity = field size - 1); strings are kept here as those
// raw bytes so a record written back is the record that was read.
//
// The readers trust nothing in a file: a short, damaged or foreign file is
// refused whole with a Japanese reason, never read in part.

enum class TPaperKind : std::uint8_t { Postcard = 0, Envelope = 1, Label = 2, Card = 3 };

// One 96-dpi rectangle of a frame set (left, top, right, bottom).
struct TFrameRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TFrameRect &) const = default;
};

constexpr int kMaxFrames = 13;

struct TFrameSet {
    std::int32_t Count = 0; // 0 .. kMaxFrames
    std::array<TFrameRect, kMaxFrames> Rects{};
    bool operator==(const TFrameSet &) const = default;
};

// TLayoutFormat, 656 bytes:
//   0 kind (1) | 1 category (21) | 22 name (31) | 53 padding (3)
//   56 direction | 60 piece width | 64 piece height | 68 background (16)
//   84 count 1 | 88 frames 1 (13 x 16) | 296 count 2 | 300 frames 2 (13 x 16)
//   508 uninterpreted (144) | 652 grid index (1-based, <= 0 none)
struct TLayoutFormat {
    static constexpr int Size = 656;
    static constexpr int CategoryCapacity = 20;
    static constexpr int NameCapacity = 30;
    static constexpr int BackgroundCapacity = 15;

    std::uint8_t Kind = 0;
    QByteArray Category;   // Shift-JIS, at most 20 bytes
    QByteArray Name;       // Shift-JIS, at most 30 bytes
    std::int32_t Direction = 0;
    std::int32_t Width = 0;  // one piece, 0.1 mm
    std::int32_t Height = 0; // one piece, 0.1 mm
    QByteArray Background; // file name in Common/Format/, at most 15 bytes
    TFrameSet Simple;
    TFrameSet Detail;
    std::array<char, 144> Reserved{};
    std::int32_t GridIndex = 0;

    [[nodiscard]] TPaperKind PaperKind() const { return static_cast<TPaperKind>(Kind); }
    [[nodiscard]] QString CategoryText() const;
    [[nodiscard]] QString NameText() const;
    [[nodiscard]] QString BackgroundText() const;
    bool operator==(const TLayoutFormat &) const = default;
};

// TLabelGrid, 32 bytes: eight int32. A grid read from any file keeps the
// bounds of PaperFmt::validGrid.
struct TLabelGrid {
    static constexpr int Size = 32;
    std::int32_t SheetWidth = 0, SheetHeight = 0, Columns = 0, Rows = 0;
    std::int32_t LeftMargin = 0, TopMargin = 0, GapX = 0, GapY = 0;
    bool operator==(const TLabelGrid &) const = default;
};

// TCustomFormat, 668 bytes: id | base index | TLayoutFormat | landscape | 3 zero.
struct TCustomFormat {
    static constexpr int Size = 668;
    std::int32_t Id = 0;
    std::int32_t BaseIndex = 0;
    TLayoutFormat Format;
    std::uint8_t Landscape = 0;
    bool operator==(const TCustomFormat &) const = default;
};

// TDesignFormat, 92 bytes: kind | 31 free | name (32) | landscape | w | h | 16 free.
struct TDesignFormat {
    static constexpr int Size = 92;
    static constexpr int NameCapacity = 31;
    std::uint8_t Kind = 0; // 0 postcard, 1 plain paper
    std::array<char, 31> Reserved1{};
    QByteArray Name;
    std::int32_t Landscape = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::array<char, 16> Reserved2{};

    [[nodiscard]] QString NameText() const;
    bool operator==(const TDesignFormat &) const = default;
};

// The category every user format is listed under.
QString CustomCategory();

namespace PaperFmt {

// Record codecs. Decoding refuses a record whose own fields are out of
// range (frame counts, string lengths) with a reason.
[[nodiscard]] QByteArray encode(const TLayoutFormat &f);
[[nodiscard]] bool decode(QByteArrayView bytes, TLayoutFormat &f, QString *error);
[[nodiscard]] QByteArray encode(const TLabelGrid &g);
[[nodiscard]] TLabelGrid decodeGrid(QByteArrayView bytes);
// The most cells a grid has across or down: the largest sheet filled with
// the smallest label the custom dialog takes (5 mm).
inline constexpr std::int32_t MaxGridCells = MaxPaperTenthMm / 50;
// A grid every reader takes: the sheet, margins and gaps within the largest
// paper (0 .. 594 mm), at most MaxGridCells columns and rows. Printing and
// the cell positions rely on it.
[[nodiscard]] bool validGrid(const TLabelGrid &g);
[[nodiscard]] QByteArray encode(const TCustomFormat &c);
[[nodiscard]] bool decode(QByteArrayView bytes, TCustomFormat &c, QString *error);
[[nodiscard]] QByteArray encode(const TDesignFormat &d);
[[nodiscard]] bool decode(QByteArrayView bytes, TDesignFormat &d, QString *error);

// A short string for a field: the text cut at a character boundary to fit.
[[nodiscard]] QByteArray shortString(const QString &text, int capacity);

// Top-left corner (0.1 mm, on the upright sheet) of cell (column, row).
// Direction 0 steps by the piece's width and height; any other direction is a
// landscape layout on the upright sheet, stepping columns by the piece's
// height and rows by its width.
[[nodiscard]] QPoint cellOrigin(const TLayoutFormat &f, const TLabelGrid &g, int column, int row);
// The whole cell (0.1 mm, on the upright sheet).
[[nodiscard]] QRect cellRect(const TLayoutFormat &f, const TLabelGrid &g, int column, int row);

// 0.1 mm <-> 96-dpi pixels, rounded half away from zero.
[[nodiscard]] int tenthsToPixels(double tenths);

// Every paper dialog measures the barcode's room on the same axis: the
// piece's longer side, whatever its direction or origin.
[[nodiscard]] int barcodeAxisLength(const TLayoutFormat &f);

} // namespace PaperFmt

// Lyt.fmt: "Murven Layout FormatFile" XOR 0xFF | N | grid offset | G |
// N x 656 records | G x 32 grids.
struct TLayoutCatalogue {
    QList<TLayoutFormat> Records;
    QList<TLabelGrid> Grids;

    [[nodiscard]] QByteArray toBytes() const;
    [[nodiscard]] bool fromBytes(QByteArrayView bytes, QString *error);
    // Missing file: false with an empty error. Anything unreadable: false with a reason.
    [[nodiscard]] bool load(const QString &path, QString *error);
    [[nodiscard]] bool save(const QString &path, QString *error) const;
    // Grid of record i (all zero without one).
    [[nodiscard]] TLabelGrid gridOf(const TLayoutFormat &f) const;
};

// CstmL.fmt: "Murven Custom FormatFile" XOR 0xFF | last id | N | grid offset |
// G | N x 668 records | G x 32 grids. Ids only ever grow.
struct TCustomFormats {
    std::int32_t LastId = 0;
    QList<TCustomFormat> Records;
    QList<TLabelGrid> Grids;

    [[nodiscard]] QByteArray toBytes() const;
    [[nodiscard]] bool fromBytes(QByteArrayView bytes, QString *error);
    [[nodiscard]] bool load(const QString &path, QString *error);
    // Written even with no formats left, so that the last id given is kept.
    [[nodiscard]] bool save(const QString &path, QString *error) const;

    // Appends a format with the next id (and its grid, when given) and returns
    // the id; 0 and nothing added when the largest id has been given.
    std::int32_t add(TCustomFormat format, const TLabelGrid *grid = nullptr);
    // Removes the format with this id and the grid it owned; false when absent.
    bool remove(std::int32_t id);
    // Puts into this list (what the file holds now, another program's
    // formats among them) the formats `mine` added to or removed from `base`
    // (what its writer read). An added format takes this list's next id,
    // whatever the other program gave or deleted meanwhile, with its grid;
    // the result maps its id in `mine` to its id here (none when no id is
    // left to give).
    QHash<std::int32_t, std::int32_t> mergeChanges(const TCustomFormats &base, const TCustomFormats &mine);
    [[nodiscard]] int indexOfId(std::int32_t id) const;
    [[nodiscard]] bool isNameUsed(const QByteArray &name, TPaperKind kind) const;
    [[nodiscard]] TLabelGrid gridOf(const TCustomFormat &c) const;
};

// Dsn.fmt: "Murven Design FormatFile" XOR 0xFF | N | two free int32 | N x 92.
struct TDesignCatalogue {
    QList<TDesignFormat> Records;
    std::int32_t Free1 = 0, Free2 = 0;

    [[nodiscard]] QByteArray toBytes() const;
    [[nodiscard]] bool fromBytes(QByteArrayView bytes, QString *error);
    [[nodiscard]] bool load(const QString &path, QString *error);
    [[nodiscard]] bool save(const QString &path, QString *error) const;
};

// Listing by category and name: an entry for each change of category (or of
// name within a category), with the position of its first record.
struct TListEntry {
    QString Text;
    int First = 0;
};
QList<TListEntry> ListCategories(const QList<TLayoutFormat> &records, TPaperKind kind);
QList<TListEntry> ListNames(const QList<TLayoutFormat> &records, int firstOfCategory);

// Where the catalogues lie in the program folder.
QString CatalogueFolder();        // AppPath + "Common/"
QString BackgroundFolder();       // AppPath + "Common/Format/"
QString LayoutCataloguePath();    // Lyt.fmt
QString DesignCataloguePath();    // Dsn.fmt
QString CustomFormatsPath();      // DataPath + "CstmL.fmt"

// What a layout editor reads when it opens or creates a layout: the paper
// named by the layout's format index (0 or more: a record of Lyt.fmt; below
// 0: minus the id of a user format in CstmL.fmt of a kind the editor takes)
// and its cell grid (all zero for a single piece per sheet).
enum class TPaperEditor : std::uint8_t { AddressSide, Label, Card };

// False when nothing can be read: an unreadable or foreign catalogue
// (*error "用紙情報ファイルが見つかりません"), an index beyond the catalogue,
// or a user format that was deleted or is of another kind (*error empty).
[[nodiscard]] bool ReadPaperFormat(int formatIndex, TPaperEditor editor, TLayoutFormat &format, TLabelGrid &grid,
                                   QString *error);
// The design editor's paper: record formatIndex of Dsn.fmt.
[[nodiscard]] bool ReadDesignFormat(int formatIndex, TDesignFormat &format, QString *error);
