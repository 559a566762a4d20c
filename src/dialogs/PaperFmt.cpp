#include "dialogs/PaperFmt.h"

#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "util/SubUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

const char kLayoutSignature[] = "Murven Layout FormatFile";
const char kCustomSignature[] = "Murven Custom FormatFile";
const char kDesignSignature[] = "Murven Design FormatFile";
constexpr int kSignatureSize = 24;
constexpr int kLayoutHeader = 36;
constexpr int kCustomHeader = 40;
constexpr int kDesignHeader = 36;

// Little-endian access; every offset is checked by the caller against the
// record or file size before it is read.
std::int32_t readInt(QByteArrayView b, qsizetype at)
{
    const auto u = [&](qsizetype i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])); };
    return static_cast<std::int32_t>(u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24));
}

void putInt(QByteArray &b, qsizetype at, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

void appendInt(QByteArray &b, std::int32_t v)
{
    const qsizetype at = b.size();
    b.resize(at + 4);
    putInt(b, at, v);
}

bool readShort(QByteArrayView b, qsizetype at, int fieldSize, QByteArray &out)
{
    const int length = static_cast<unsigned char>(b[at]);
    if (length > fieldSize - 1)
        return false;
    out = QByteArray(b.data() + at + 1, length);
    return true;
}

void putShort(QByteArray &b, qsizetype at, int fieldSize, const QByteArray &text)
{
    const QByteArray cut = Cp932::truncated(text, fieldSize - 1);
    b[at] = static_cast<char>(cut.size());
    std::memcpy(b.data() + at + 1, cut.constData(), static_cast<size_t>(cut.size()));
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

QString damaged(const QString &what)
{
    return QStringLiteral("用紙情報ファイルが壊れています（%1）").arg(what);
}

QByteArray signature(const char *text)
{
    QByteArray out(text, kSignatureSize);
    for (char &c : out)
        c = static_cast<char>(c ^ 0xFF);
    return out;
}

bool checkSignature(QByteArrayView bytes, const char *text, QString *error)
{
    if (bytes.size() < kSignatureSize)
        return fail(error, QStringLiteral("用紙情報ファイルが短すぎます"));
    if (bytes.first(kSignatureSize) != signature(text))
        return fail(error, QStringLiteral("用紙情報ファイルではありません"));
    return true;
}

void putFrames(QByteArray &b, qsizetype at, const TFrameSet &set)
{
    putInt(b, at, set.Count);
    for (int i = 0; i < kMaxFrames; ++i) {
        const TFrameRect &r = set.Rects[static_cast<size_t>(i)];
        const qsizetype p = at + 4 + i * 16;
        putInt(b, p, r.Left);
        putInt(b, p + 4, r.Top);
        putInt(b, p + 8, r.Right);
        putInt(b, p + 12, r.Bottom);
    }
}

bool readFrames(QByteArrayView b, qsizetype at, TFrameSet &set)
{
    set.Count = readInt(b, at);
    if (set.Count < 0 || set.Count > kMaxFrames)
        return false;
    // The frames in use become the items' rectangles: they keep the items'
    // bounds. The unused ones are only carried back as they were.
    const auto inRange = [](std::int32_t v) { return v >= -MaxPaperPagePx && v <= MaxPaperPagePx; };
    for (int i = 0; i < kMaxFrames; ++i) {
        TFrameRect &r = set.Rects[static_cast<size_t>(i)];
        const qsizetype p = at + 4 + i * 16;
        r = {readInt(b, p), readInt(b, p + 4), readInt(b, p + 8), readInt(b, p + 12)};
        if (i < set.Count && !(inRange(r.Left) && inRange(r.Top) && inRange(r.Right) && inRange(r.Bottom) &&
                               r.Right >= r.Left && r.Bottom >= r.Top))
            return false;
    }
    return true;
}

bool readFile(const QString &path, QByteArray &bytes, QString *error)
{
    if (error)
        error->clear();
    RecoverSafeReplace(path);
    QFile file(path);
    if (!file.exists())
        return false;
    // The largest catalogue imaginable is a few hundred kilobytes.
    constexpr qint64 kLimit = 64 * 1024 * 1024;
    if (file.size() > kLimit)
        return fail(error, damaged(QStringLiteral("大きすぎます")));
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("用紙情報ファイルを読めません：%1").arg(file.errorString()));
    bytes = file.readAll();
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QString reason;
    if (!SafeReplaceFile(path, bytes, &reason))
        return fail(error, QStringLiteral("用紙情報ファイルを保存できません：%1").arg(reason));
    return true;
}

// Counts and offsets from a header are compared with the file's real size
// before anything is taken from it.
bool checkCount(std::int64_t count, std::int64_t available, int recordSize)
{
    return count >= 0 && count <= available / recordSize;
}

} // namespace

QString TLayoutFormat::CategoryText() const { return Cp932::decode(Category); }
QString TLayoutFormat::NameText() const { return Cp932::decode(Name); }
QString TLayoutFormat::BackgroundText() const { return Cp932::decode(Background); }
QString TDesignFormat::NameText() const { return Cp932::decode(Name); }

QString CustomCategory() { return QStringLiteral("カスタム"); }

namespace PaperFmt {

QByteArray shortString(const QString &text, int capacity)
{
    return Cp932::truncated(Cp932::encode(text), capacity);
}

QByteArray encode(const TLayoutFormat &f)
{
    QByteArray b(TLayoutFormat::Size, '\0');
    b[0] = static_cast<char>(f.Kind);
    putShort(b, 1, 21, f.Category);
    putShort(b, 22, 31, f.Name);
    putInt(b, 56, f.Direction);
    putInt(b, 60, f.Width);
    putInt(b, 64, f.Height);
    putShort(b, 68, 16, f.Background);
    putFrames(b, 84, f.Simple);
    putFrames(b, 296, f.Detail);
    std::memcpy(b.data() + 508, f.Reserved.data(), f.Reserved.size());
    putInt(b, 652, f.GridIndex);
    return b;
}

bool decode(QByteArrayView b, TLayoutFormat &f, QString *error)
{
    if (b.size() != TLayoutFormat::Size)
        return fail(error, damaged(QStringLiteral("用紙の長さ")));
    f.Kind = static_cast<std::uint8_t>(b[0]);
    if (f.Kind > 3)
        return fail(error, damaged(QStringLiteral("用紙の種類")));
    if (!readShort(b, 1, 21, f.Category) || !readShort(b, 22, 31, f.Name) || !readShort(b, 68, 16, f.Background))
        return fail(error, damaged(QStringLiteral("文字列の長さ")));
    f.Direction = readInt(b, 56);
    f.Width = readInt(b, 60);
    f.Height = readInt(b, 64);
    if (f.Direction < 0 || f.Direction > 2)
        return fail(error, damaged(QStringLiteral("用紙の方向")));
    if (f.Width <= 0 || f.Height <= 0 || f.Width > MaxPaperTenthMm || f.Height > MaxPaperTenthMm)
        return fail(error, damaged(QStringLiteral("用紙のサイズ")));
    if (!readFrames(b, 84, f.Simple) || !readFrames(b, 296, f.Detail))
        return fail(error, damaged(QStringLiteral("枠の数")));
    std::memcpy(f.Reserved.data(), b.data() + 508, f.Reserved.size());
    f.GridIndex = readInt(b, 652);
    return true;
}

QByteArray encode(const TLabelGrid &g)
{
    QByteArray b(TLabelGrid::Size, '\0');
    const std::int32_t v[8] = {g.SheetWidth, g.SheetHeight, g.Columns, g.Rows, g.LeftMargin, g.TopMargin, g.GapX, g.GapY};
    for (int i = 0; i < 8; ++i)
        putInt(b, i * 4, v[i]);
    return b;
}

TLabelGrid decodeGrid(QByteArrayView b)
{
    TLabelGrid g;
    if (b.size() < TLabelGrid::Size)
        return g;
    g.SheetWidth = readInt(b, 0);
    g.SheetHeight = readInt(b, 4);
    g.Columns = readInt(b, 8);
    g.Rows = readInt(b, 12);
    g.LeftMargin = readInt(b, 16);
    g.TopMargin = readInt(b, 20);
    g.GapX = readInt(b, 24);
    g.GapY = readInt(b, 28);
    return g;
}

bool validGrid(const TLabelGrid &g)
{
    const auto length = [](std::int32_t v) { return v >= 0 && v <= MaxPaperTenthMm; };
    const auto cells = [](std::int32_t v) { return v >= 0 && v <= MaxGridCells; };
    return length(g.SheetWidth) && length(g.SheetHeight) && cells(g.Columns) && cells(g.Rows) &&
           length(g.LeftMargin) && length(g.TopMargin) && length(g.GapX) && length(g.GapY);
}

QByteArray encode(const TCustomFormat &c)
{
    QByteArray b(TCustomFormat::Size, '\0');
    putInt(b, 0, c.Id);
    putInt(b, 4, c.BaseIndex);
    const QByteArray f = encode(c.Format);
    std::memcpy(b.data() + 8, f.constData(), TLayoutFormat::Size);
    b[664] = static_cast<char>(c.Landscape);
    return b;
}

bool decode(QByteArrayView b, TCustomFormat &c, QString *error)
{
    if (b.size() != TCustomFormat::Size)
        return fail(error, damaged(QStringLiteral("用紙の長さ")));
    c.Id = readInt(b, 0);
    c.BaseIndex = readInt(b, 4);
    if (c.Id < 1)
        return fail(error, damaged(QStringLiteral("用紙の番号")));
    if (!decode(b.sliced(8, TLayoutFormat::Size), c.Format, error))
        return false;
    c.Landscape = static_cast<std::uint8_t>(b[664]);
    if (c.Landscape > 1 || b[665] != 0 || b[666] != 0 || b[667] != 0)
        return fail(error, damaged(QStringLiteral("用紙の向き")));
    return true;
}

QByteArray encode(const TDesignFormat &d)
{
    QByteArray b(TDesignFormat::Size, '\0');
    b[0] = static_cast<char>(d.Kind);
    std::memcpy(b.data() + 1, d.Reserved1.data(), d.Reserved1.size());
    putShort(b, 32, 32, d.Name);
    putInt(b, 64, d.Landscape);
    putInt(b, 68, d.Width);
    putInt(b, 72, d.Height);
    std::memcpy(b.data() + 76, d.Reserved2.data(), d.Reserved2.size());
    return b;
}

bool decode(QByteArrayView b, TDesignFormat &d, QString *error)
{
    if (b.size() != TDesignFormat::Size)
        return fail(error, damaged(QStringLiteral("用紙の長さ")));
    d.Kind = static_cast<std::uint8_t>(b[0]);
    if (d.Kind > 1)
        return fail(error, damaged(QStringLiteral("用紙の種類")));
    std::memcpy(d.Reserved1.data(), b.data() + 1, d.Reserved1.size());
    if (!readShort(b, 32, 32, d.Name))
        return fail(error, damaged(QStringLiteral("文字列の長さ")));
    d.Landscape = readInt(b, 64);
    d.Width = readInt(b, 68);
    d.Height = readInt(b, 72);
    if (d.Width <= 0 || d.Height <= 0 || d.Width > MaxPaperTenthMm || d.Height > MaxPaperTenthMm)
        return fail(error, damaged(QStringLiteral("用紙のサイズ")));
    std::memcpy(d.Reserved2.data(), b.data() + 76, d.Reserved2.size());
    return true;
}

QPoint cellOrigin(const TLayoutFormat &f, const TLabelGrid &g, int column, int row)
{
    // In 64 bits and held to the int range: whatever grid a caller hands,
    // a far cell lies far away instead of wrapping onto the sheet.
    const std::int64_t pitchX = std::int64_t(f.Direction == 0 ? f.Width : f.Height) + g.GapX;
    const std::int64_t pitchY = std::int64_t(f.Direction == 0 ? f.Height : f.Width) + g.GapY;
    const auto held = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                         std::numeric_limits<int>::max()));
    };
    return {held(g.LeftMargin + column * pitchX), held(g.TopMargin + row * pitchY)};
}

QRect cellRect(const TLayoutFormat &f, const TLabelGrid &g, int column, int row)
{
    const QSize size = f.Direction == 0 ? QSize(f.Width, f.Height) : QSize(f.Height, f.Width);
    return {cellOrigin(f, g, column, row), size};
}

int tenthsToPixels(double tenths)
{
    return static_cast<int>(RoundHalfAway(static_cast<long double>(tenths) / 254.0L * 96.0L));
}

int barcodeAxisLength(const TLayoutFormat &f)
{
    return std::max(f.Width, f.Height);
}

} // namespace PaperFmt

// ---- Lyt.fmt ------------------------------------------------------------------

QByteArray TLayoutCatalogue::toBytes() const
{
    QByteArray b = signature(kLayoutSignature);
    appendInt(b, static_cast<std::int32_t>(Records.size()));
    appendInt(b, static_cast<std::int32_t>(kLayoutHeader + Records.size() * TLayoutFormat::Size));
    appendInt(b, static_cast<std::int32_t>(Grids.size()));
    for (const TLayoutFormat &f : Records)
        b.append(PaperFmt::encode(f));
    for (const TLabelGrid &g : Grids)
        b.append(PaperFmt::encode(g));
    return b;
}

bool TLayoutCatalogue::fromBytes(QByteArrayView b, QString *error)
{
    Records.clear();
    Grids.clear();
    if (!checkSignature(b, kLayoutSignature, error))
        return false;
    if (b.size() < kLayoutHeader)
        return fail(error, QStringLiteral("用紙情報ファイルが短すぎます"));
    const std::int64_t n = readInt(b, 24), offset = readInt(b, 28), g = readInt(b, 32);
    const std::int64_t body = b.size() - kLayoutHeader;
    if (!checkCount(n, body, TLayoutFormat::Size))
        return fail(error, damaged(QStringLiteral("用紙の数")));
    if (offset != kLayoutHeader + n * TLayoutFormat::Size)
        return fail(error, damaged(QStringLiteral("枠表の位置")));
    if (!checkCount(g, b.size() - offset, TLabelGrid::Size) || offset + g * TLabelGrid::Size != b.size())
        return fail(error, damaged(QStringLiteral("枠表の数")));
    QList<TLayoutFormat> records;
    records.reserve(static_cast<qsizetype>(n));
    for (std::int64_t i = 0; i < n; ++i) {
        TLayoutFormat f;
        if (!PaperFmt::decode(b.sliced(kLayoutHeader + i * TLayoutFormat::Size, TLayoutFormat::Size), f, error))
            return false;
        if (f.GridIndex > g)
            return fail(error, damaged(QStringLiteral("枠表の番号")));
        records.append(f);
    }
    QList<TLabelGrid> grids;
    for (std::int64_t k = 0; k < g; ++k) {
        grids.append(PaperFmt::decodeGrid(b.sliced(offset + k * TLabelGrid::Size, TLabelGrid::Size)));
        if (!PaperFmt::validGrid(grids.constLast()))
            return fail(error, damaged(QStringLiteral("枠表の値")));
    }
    Records = std::move(records);
    Grids = std::move(grids);
    return true;
}

bool TLayoutCatalogue::load(const QString &path, QString *error)
{
    *this = {};
    QByteArray bytes;
    return readFile(path, bytes, error) && fromBytes(bytes, error);
}

bool TLayoutCatalogue::save(const QString &path, QString *error) const
{
    return writeFile(path, toBytes(), error);
}

TLabelGrid TLayoutCatalogue::gridOf(const TLayoutFormat &f) const
{
    if (f.GridIndex > 0 && f.GridIndex <= Grids.size())
        return Grids.at(f.GridIndex - 1);
    return {};
}

// ---- CstmL.fmt ----------------------------------------------------------------

QByteArray TCustomFormats::toBytes() const
{
    QByteArray b = signature(kCustomSignature);
    appendInt(b, LastId);
    appendInt(b, static_cast<std::int32_t>(Records.size()));
    appendInt(b, static_cast<std::int32_t>(kCustomHeader + Records.size() * TCustomFormat::Size));
    appendInt(b, static_cast<std::int32_t>(Grids.size()));
    for (const TCustomFormat &c : Records)
        b.append(PaperFmt::encode(c));
    for (const TLabelGrid &g : Grids)
        b.append(PaperFmt::encode(g));
    return b;
}

bool TCustomFormats::fromBytes(QByteArrayView b, QString *error)
{
    Records.clear();
    Grids.clear();
    LastId = 0;
    if (!checkSignature(b, kCustomSignature, error))
        return false;
    if (b.size() < kCustomHeader)
        return fail(error, QStringLiteral("用紙情報ファイルが短すぎます"));
    const std::int64_t lastId = readInt(b, 24), n = readInt(b, 28), offset = readInt(b, 32), g = readInt(b, 36);
    if (lastId < 0)
        return fail(error, damaged(QStringLiteral("用紙の番号")));
    if (!checkCount(n, b.size() - kCustomHeader, TCustomFormat::Size))
        return fail(error, damaged(QStringLiteral("用紙の数")));
    if (offset != kCustomHeader + n * TCustomFormat::Size)
        return fail(error, damaged(QStringLiteral("枠表の位置")));
    if (!checkCount(g, b.size() - offset, TLabelGrid::Size) || offset + g * TLabelGrid::Size != b.size())
        return fail(error, damaged(QStringLiteral("枠表の数")));
    QList<TCustomFormat> records;
    for (std::int64_t i = 0; i < n; ++i) {
        TCustomFormat c;
        if (!PaperFmt::decode(b.sliced(kCustomHeader + i * TCustomFormat::Size, TCustomFormat::Size), c, error))
            return false;
        // A repeated id, or one above the last given, would let a new format
        // take an id a layout already refers to.
        if (c.Id > lastId)
            return fail(error, damaged(QStringLiteral("用紙の番号")));
        for (const TCustomFormat &other : records)
            if (other.Id == c.Id)
                return fail(error, damaged(QStringLiteral("用紙の番号")));
        if (c.Format.GridIndex > g)
            return fail(error, damaged(QStringLiteral("枠表の番号")));
        records.append(c);
    }
    QList<TLabelGrid> grids;
    for (std::int64_t k = 0; k < g; ++k) {
        grids.append(PaperFmt::decodeGrid(b.sliced(offset + k * TLabelGrid::Size, TLabelGrid::Size)));
        if (!PaperFmt::validGrid(grids.constLast()))
            return fail(error, damaged(QStringLiteral("枠表の値")));
    }
    LastId = static_cast<std::int32_t>(lastId);
    Records = std::move(records);
    Grids = std::move(grids);
    return true;
}

bool TCustomFormats::load(const QString &path, QString *error)
{
    *this = {};
    QByteArray bytes;
    return readFile(path, bytes, error) && fromBytes(bytes, error);
}

bool TCustomFormats::save(const QString &path, QString *error) const
{
    // Written even without formats: the file keeps the last id given, which
    // saved layouts may still name; a new format never takes it again.
    return writeFile(path, toBytes(), error);
}

std::int32_t TCustomFormats::add(TCustomFormat format, const TLabelGrid *grid)
{
    // Every id is given once: past the largest one nothing more is added.
    if (LastId < 0 || LastId == std::numeric_limits<std::int32_t>::max())
        return 0;
    LastId += 1;
    format.Id = LastId;
    if (grid) {
        Grids.append(*grid);
        format.Format.GridIndex = static_cast<std::int32_t>(Grids.size());
    }
    Records.append(format);
    return format.Id;
}

bool TCustomFormats::remove(std::int32_t id)
{
    const int at = indexOfId(id);
    if (at < 0)
        return false;
    const std::int32_t grid = Records.at(at).Format.GridIndex;
    Records.removeAt(at);
    // Postcards and envelopes carry no grid of this file (their grid index is 0).
    if (grid > 0 && grid <= Grids.size()) {
        Grids.removeAt(grid - 1);
        for (TCustomFormat &c : Records)
            if (c.Format.GridIndex >= grid)
                c.Format.GridIndex -= 1;
    }
    return true;
}

QHash<std::int32_t, std::int32_t> TCustomFormats::mergeChanges(const TCustomFormats &base, const TCustomFormats &mine)
{
    for (const TCustomFormat &c : base.Records)
        if (mine.indexOfId(c.Id) < 0)
            (void)remove(c.Id);
    QHash<std::int32_t, std::int32_t> ids;
    for (const TCustomFormat &c : mine.Records) {
        if (base.indexOfId(c.Id) >= 0)
            continue;
        TCustomFormat format = c;
        format.Format.GridIndex = 0;
        const TLabelGrid grid = mine.gridOf(c);
        if (const std::int32_t id = add(format, c.Format.GridIndex > 0 ? &grid : nullptr); id != 0)
            ids.insert(c.Id, id);
    }
    return ids;
}

int TCustomFormats::indexOfId(std::int32_t id) const
{
    for (int i = 0; i < Records.size(); ++i)
        if (Records.at(i).Id == id)
            return i;
    return -1;
}

bool TCustomFormats::isNameUsed(const QByteArray &name, TPaperKind kind) const
{
    for (const TCustomFormat &c : Records)
        if (c.Format.PaperKind() == kind && c.Format.Name == name)
            return true;
    return false;
}

TLabelGrid TCustomFormats::gridOf(const TCustomFormat &c) const
{
    if (c.Format.GridIndex > 0 && c.Format.GridIndex <= Grids.size())
        return Grids.at(c.Format.GridIndex - 1);
    return {};
}

// ---- Dsn.fmt ------------------------------------------------------------------

QByteArray TDesignCatalogue::toBytes() const
{
    QByteArray b = signature(kDesignSignature);
    appendInt(b, static_cast<std::int32_t>(Records.size()));
    appendInt(b, Free1);
    appendInt(b, Free2);
    for (const TDesignFormat &d : Records)
        b.append(PaperFmt::encode(d));
    return b;
}

bool TDesignCatalogue::fromBytes(QByteArrayView b, QString *error)
{
    Records.clear();
    if (!checkSignature(b, kDesignSignature, error))
        return false;
    if (b.size() < kDesignHeader)
        return fail(error, QStringLiteral("用紙情報ファイルが短すぎます"));
    const std::int64_t n = readInt(b, 24);
    if (!checkCount(n, b.size() - kDesignHeader, TDesignFormat::Size) || kDesignHeader + n * TDesignFormat::Size != b.size())
        return fail(error, damaged(QStringLiteral("用紙の数")));
    QList<TDesignFormat> records;
    for (std::int64_t i = 0; i < n; ++i) {
        TDesignFormat d;
        if (!PaperFmt::decode(b.sliced(kDesignHeader + i * TDesignFormat::Size, TDesignFormat::Size), d, error))
            return false;
        records.append(d);
    }
    Free1 = readInt(b, 28);
    Free2 = readInt(b, 32);
    Records = std::move(records);
    return true;
}

bool TDesignCatalogue::load(const QString &path, QString *error)
{
    *this = {};
    QByteArray bytes;
    return readFile(path, bytes, error) && fromBytes(bytes, error);
}

bool TDesignCatalogue::save(const QString &path, QString *error) const
{
    return writeFile(path, toBytes(), error);
}

// ---- Listing ------------------------------------------------------------------

QList<TListEntry> ListCategories(const QList<TLayoutFormat> &records, TPaperKind kind)
{
    QList<TListEntry> out;
    QByteArray last;
    bool any = false;
    for (int i = 0; i < records.size(); ++i) {
        const TLayoutFormat &f = records.at(i);
        if (f.PaperKind() != kind)
            continue;
        if (!any || f.Category != last) {
            out.append({f.CategoryText(), i});
            last = f.Category;
            any = true;
        }
    }
    return out;
}

QList<TListEntry> ListNames(const QList<TLayoutFormat> &records, int first)
{
    QList<TListEntry> out;
    if (first < 0 || first >= records.size())
        return out;
    const QByteArray category = records.at(first).Category;
    const std::uint8_t kind = records.at(first).Kind;
    QByteArray last;
    for (int i = first; i < records.size(); ++i) {
        const TLayoutFormat &f = records.at(i);
        if (f.Category != category || f.Kind != kind)
            break;
        if (out.isEmpty() || f.Name != last) {
            out.append({f.NameText(), i});
            last = f.Name;
        }
    }
    return out;
}

QString CatalogueFolder() { return AppPath + QStringLiteral("Common/"); }
QString BackgroundFolder() { return CatalogueFolder() + QStringLiteral("Format/"); }
QString LayoutCataloguePath() { return CatalogueFolder() + QStringLiteral("Lyt.fmt"); }
QString DesignCataloguePath() { return CatalogueFolder() + QStringLiteral("Dsn.fmt"); }
QString CustomFormatsPath() { return DataPath + QStringLiteral("CstmL.fmt"); }

// ---- The editors' reader ------------------------------------------------------

namespace {

// The file is named, and why it could not be taken when it is there.
QString catalogueMissing(const QString &path, const QString &reason)
{
    QString text = QStringLiteral("用紙情報ファイルが見つかりません  \r\n") + QDir::toNativeSeparators(path) +
                   QStringLiteral("  ");
    if (!reason.isEmpty())
        text += QStringLiteral("\r\n") + reason + QStringLiteral("  ");
    return text;
}

bool editorTakes(TPaperEditor editor, TPaperKind kind)
{
    switch (editor) {
    case TPaperEditor::AddressSide:
        return kind == TPaperKind::Postcard || kind == TPaperKind::Envelope;
    case TPaperEditor::Label:
        return kind == TPaperKind::Label;
    case TPaperEditor::Card:
        return kind == TPaperKind::Card;
    }
    return false;
}

} // namespace

bool ReadPaperFormat(int formatIndex, TPaperEditor editor, TLayoutFormat &format, TLabelGrid &grid, QString *error)
{
    if (error)
        error->clear();
    if (formatIndex >= 0) {
        TLayoutCatalogue catalogue;
        QString reason;
        if (!catalogue.load(LayoutCataloguePath(), &reason))
            return fail(error, catalogueMissing(LayoutCataloguePath(), reason));
        if (formatIndex >= catalogue.Records.size())
            return false;
        format = catalogue.Records.at(formatIndex);
        grid = catalogue.gridOf(format);
        return true;
    }
    TCustomFormats user;
    QString reason;
    if (!user.load(CustomFormatsPath(), &reason))
        return fail(error, reason.isEmpty() ? reason
                                            : QStringLiteral("用紙情報ファイルを読めません。  \r\n") +
                                                  QDir::toNativeSeparators(CustomFormatsPath()) +
                                                  QStringLiteral("  \r\n") + reason + QStringLiteral("  "));
    for (const TCustomFormat &c : user.Records) {
        if (c.Id != -static_cast<std::int64_t>(formatIndex) || !editorTakes(editor, c.Format.PaperKind()))
            continue;
        format = c.Format;
        grid = user.gridOf(c);
        return true;
    }
    return false;
}

bool ReadDesignFormat(int formatIndex, TDesignFormat &format, QString *error)
{
    if (error)
        error->clear();
    TDesignCatalogue catalogue;
    QString reason;
    if (!catalogue.load(DesignCataloguePath(), &reason))
        return fail(error, catalogueMissing(DesignCataloguePath(), reason));
    if (formatIndex < 0 || formatIndex >= catalogue.Records.size())
        return false;
    format = catalogue.Records.at(formatIndex);
    return true;
}
