#include "dialogs/PaperCatalogue.h"

#include "platform/Cp932.h"
#include "util/SubUnit.h"

#include <QHash>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBoxWidth = 5.7;
constexpr double kBoxHeight = 8.0;
constexpr double kBoxTop = 12.0;
constexpr double kBoxRightMargin = 8.0;
constexpr double kPitches[6] = {7.0, 7.0, 7.6, 6.8, 6.8, 6.8};
constexpr int kPostcardWidth = 1000;
constexpr int kPostcardHeight = 1480;
constexpr int kMinFramePixels = 10;

struct TMmRect {
    QString Role;
    int Left = 0, Top = 0, Right = 0, Bottom = 0; // 0.1 mm
    // The piece the lengths are written for: the block's own, or for a row
    // taken over from a base block, the base's.
    int PieceWidth = 0, PieceHeight = 0;
};

struct TFrameBlock {
    int Width = 0, Height = 0;
    QList<TMmRect> Simple, Detail;
    // Rows given in a block based on another replace the base's row of
    // their role; each may be given once.
    bool Derived = false;
    QStringList Replaced;
};

// "12.3" -> 123 tenths; more than one decimal or anything else is refused.
bool tenths(const QString &text, int &out)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,4})(?:\\.(\\d))?$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return false;
    out = m.captured(1).toInt() * 10 + (m.captured(2).isEmpty() ? 0 : m.captured(2).toInt());
    return true;
}

bool sizePair(const QString &text, QChar sep, int &a, int &b)
{
    const QStringList parts = text.split(sep);
    return parts.size() == 2 && tenths(parts.at(0), a) && tenths(parts.at(1), b);
}

bool countPair(const QString &text, int &a, int &b)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    bool ok1 = false, ok2 = false;
    if (parts.size() != 2)
        return false;
    a = parts.at(0).toInt(&ok1);
    b = parts.at(1).toInt(&ok2);
    return ok1 && ok2 && a > 0 && b > 0;
}

// A frame rectangle authored for its piece size, fitted to the paper: the
// room inside the text items' margins scaled, at least 10 pixels each way;
// the barcode keeps its own size (its bars do not stretch) and is only moved
// to stay on the piece.
TFrameRect fitRect(const TMmRect &r, int width, int height, bool barcode)
{
    const double fx = static_cast<double>(width) / r.PieceWidth;
    const double fy = static_cast<double>(height) / r.PieceHeight;
    const int pieceW = PaperFmt::tenthsToPixels(width);
    const int pieceH = PaperFmt::tenthsToPixels(height);
    TFrameRect out;
    if (barcode) {
        const int w = std::min(PaperFmt::tenthsToPixels(r.Right - r.Left), pieceW);
        const int h = std::min(PaperFmt::tenthsToPixels(r.Bottom - r.Top), pieceH);
        out.Left = std::clamp(PaperFmt::tenthsToPixels(r.Left * fx), 0, pieceW - w);
        out.Top = std::clamp(PaperFmt::tenthsToPixels(r.Top * fy), 0, pieceH - h);
        out.Right = out.Left + w;
        out.Bottom = out.Top + h;
        return out;
    }
    // The fonts scale with the paper but the margins do not: scaling the
    // frame's edges would leave a smaller paper's text less room than its
    // size needs, and the more so the smaller the frame.
    const double m = TextItemMargin.value * 254.0 / 96.0;
    out.Left = std::max(PaperFmt::tenthsToPixels((r.Left + m) * fx - m), 0);
    out.Top = std::max(PaperFmt::tenthsToPixels((r.Top + m) * fy - m), 0);
    out.Right = std::max(std::min(PaperFmt::tenthsToPixels((r.Right - m) * fx + m), pieceW), out.Left + kMinFramePixels);
    out.Bottom =
        std::max(std::min(PaperFmt::tenthsToPixels((r.Bottom - m) * fy + m), pieceH), out.Top + kMinFramePixels);
    return out;
}

TFrameSet fitSet(const QList<TMmRect> &rects, int width, int height)
{
    TFrameSet set;
    set.Count = static_cast<std::int32_t>(rects.size());
    for (int i = 0; i < rects.size(); ++i)
        set.Rects[static_cast<size_t>(i)] =
            fitRect(rects.at(i), width, height, rects.at(i).Role == QLatin1String("barcode"));
    return set;
}

bool rolesMatch(const QList<TMmRect> &rects, const QStringList &roles, bool senderOptional)
{
    QStringList got;
    for (const TMmRect &r : rects)
        got.append(r.Role);
    if (got == roles)
        return true;
    if (!senderOptional)
        return false;
    QStringList without = roles;
    while (!without.isEmpty() && without.last().startsWith(QLatin1String("sender-")))
        without.removeLast();
    return got == without;
}

std::optional<TPaperKind> kindOf(const QString &name)
{
    if (name == QLatin1String("postcard"))
        return TPaperKind::Postcard;
    if (name == QLatin1String("envelope"))
        return TPaperKind::Envelope;
    if (name == QLatin1String("label"))
        return TPaperKind::Label;
    if (name == QLatin1String("card"))
        return TPaperKind::Card;
    return std::nullopt;
}

bool fits(const QString &text, int capacity)
{
    return Cp932::canEncode(text) && Cp932::byteLength(text) <= capacity;
}

} // namespace

namespace PaperCatalogue {

QStringList simpleRoles(TPaperKind kind)
{
    if (kind == TPaperKind::Postcard || kind == TPaperKind::Envelope)
        return {QStringLiteral("postcode"),        QStringLiteral("address"),        QStringLiteral("name"),
                QStringLiteral("barcode"),         QStringLiteral("sender-postcode"), QStringLiteral("sender-address"),
                QStringLiteral("sender-name")};
    return {QStringLiteral("postcode"), QStringLiteral("address"), QStringLiteral("name"), QStringLiteral("barcode")};
}

QStringList detailRoles(TPaperKind kind)
{
    QStringList roles = {QStringLiteral("postcode"), QStringLiteral("address1"),   QStringLiteral("address2"),
                         QStringLiteral("company"),  QStringLiteral("department"), QStringLiteral("post"),
                         QStringLiteral("name")};
    if (kind == TPaperKind::Postcard || kind == TPaperKind::Envelope)
        roles << QStringLiteral("joint") << QStringLiteral("barcode") << QStringLiteral("sender-postcode")
              << QStringLiteral("sender-address") << QStringLiteral("sender-name");
    else
        roles << QStringLiteral("barcode");
    return roles;
}

int variantCount(TPaperKind kind)
{
    return (kind == TPaperKind::Envelope || kind == TPaperKind::Card) ? 3 : 2;
}

bool parse(const QString &text, TPaperSource &out, QString *error)
{
    out = {};
    QHash<QString, TFrameBlock> blocks;
    QHash<QString, int> gridIndex;
    QHash<QString, int> pictures;
    QString openBlock;
    int lineNo = 0;
    auto failAt = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
        out = {};
        return false;
    };

    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        ++lineNo;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList tok = line.split(QRegularExpression(QStringLiteral("[ \\t]+")));
        const QString &word = tok.first();
        QHash<QString, QString> kv;
        for (int i = 2; i < tok.size(); ++i) {
            const qsizetype eq = tok.at(i).indexOf(QLatin1Char('='));
            if (eq > 0)
                kv.insert(tok.at(i).left(eq), tok.at(i).mid(eq + 1));
        }

        if (!openBlock.isEmpty()) {
            TFrameBlock &block = blocks[openBlock];
            if (word == QLatin1String("end")) {
                openBlock.clear();
                continue;
            }
            if ((word != QLatin1String("simple") && word != QLatin1String("detail")) || tok.size() != 6)
                return failAt(QStringLiteral("expected: simple|detail ROLE LEFT TOP RIGHT BOTTOM"));
            TMmRect r;
            r.Role = tok.at(1);
            if (!tenths(tok.at(2), r.Left) || !tenths(tok.at(3), r.Top) || !tenths(tok.at(4), r.Right) ||
                !tenths(tok.at(5), r.Bottom))
                return failAt(QStringLiteral("a length is not millimetres with one decimal"));
            if (r.Right <= r.Left || r.Bottom <= r.Top || r.Right > block.Width || r.Bottom > block.Height)
                return failAt(QStringLiteral("frame %1 is empty or leaves the piece").arg(r.Role));
            r.PieceWidth = block.Width;
            r.PieceHeight = block.Height;
            QList<TMmRect> &rows = word == QLatin1String("simple") ? block.Simple : block.Detail;
            if (block.Derived) {
                const QString key = word + QLatin1Char(' ') + r.Role;
                const auto base = std::find_if(rows.begin(), rows.end(),
                                               [&r](const TMmRect &b) { return b.Role == r.Role; });
                if (base == rows.end() || block.Replaced.contains(key))
                    return failAt(QStringLiteral("%1 is not a frame of the base block to replace").arg(key));
                block.Replaced.append(key);
                *base = r;
                continue;
            }
            rows.append(r);
            if (block.Simple.size() > kMaxFrames || block.Detail.size() > kMaxFrames)
                return failAt(QStringLiteral("more than 13 frames"));
            continue;
        }

        if (word == QLatin1String("frames")) {
            TFrameBlock block;
            if ((tok.size() != 3 && tok.size() != 4) ||
                !sizePair(tok.at(2), QLatin1Char('x'), block.Width, block.Height) || block.Width <= 0 ||
                block.Height <= 0 || blocks.contains(tok.at(1)))
                return failAt(QStringLiteral("expected: frames NEW-NAME WIDTHxHEIGHT [from=BLOCK]"));
            if (tok.size() == 4) {
                const QString base = kv.value(QStringLiteral("from"));
                if (!blocks.contains(base) || !tok.at(3).startsWith(QLatin1String("from=")))
                    return failAt(QStringLiteral("from= names no frames block before this one"));
                // The base's rows keep the piece they were written for, so
                // they are scaled to each paper as the base's are.
                block.Simple = blocks.value(base).Simple;
                block.Detail = blocks.value(base).Detail;
                block.Derived = true;
            }
            openBlock = tok.at(1);
            blocks.insert(openBlock, block);
        } else if (word == QLatin1String("grid")) {
            TLabelGrid g;
            if (tok.size() != 6 || gridIndex.contains(tok.at(1)) ||
                !sizePair(kv.value(QStringLiteral("sheet")), QLatin1Char('x'), g.SheetWidth, g.SheetHeight) ||
                !countPair(kv.value(QStringLiteral("cells")), g.Columns, g.Rows) ||
                !sizePair(kv.value(QStringLiteral("margins")), QLatin1Char(','), g.LeftMargin, g.TopMargin) ||
                !sizePair(kv.value(QStringLiteral("gaps")), QLatin1Char(','), g.GapX, g.GapY))
                return failAt(QStringLiteral("expected: grid NEW-NAME sheet=WxH cells=CxR margins=L,T gaps=X,Y"));
            out.Layouts.Grids.append(g);
            out.GridNames.append(tok.at(1));
            gridIndex.insert(tok.at(1), static_cast<int>(out.Layouts.Grids.size()));
        } else if (word == QLatin1String("background")) {
            TPaperPicture p;
            p.File = tok.value(1);
            if (tok.size() != 3 || !fits(p.File, TLayoutFormat::BackgroundCapacity) || pictures.contains(p.File) ||
                !sizePair(kv.value(QStringLiteral("size")), QLatin1Char('x'), p.Width, p.Height))
                return failAt(QStringLiteral("expected: background FILE size=WxH (file name of at most 15 bytes)"));
            pictures.insert(p.File, static_cast<int>(out.Pictures.size()));
            out.Pictures.append(p);
        } else if (word == QLatin1String("paper")) {
            bool ok = false;
            const int index = tok.value(1).toInt(&ok);
            if (!ok || index != out.Layouts.Records.size())
                return failAt(QStringLiteral("paper index must be %1 (positions are stored in layouts)")
                                  .arg(out.Layouts.Records.size()));
            const auto kind = kindOf(kv.value(QStringLiteral("kind")));
            if (!kind)
                return failAt(QStringLiteral("kind must be postcard, envelope, label or card"));
            TLayoutFormat f;
            f.Kind = static_cast<std::uint8_t>(*kind);
            const QString category = kv.value(QStringLiteral("category"));
            const QString name = kv.value(QStringLiteral("name"));
            if (category.isEmpty() || !fits(category, TLayoutFormat::CategoryCapacity))
                return failAt(QStringLiteral("category missing or longer than 20 Shift-JIS bytes"));
            if (name.isEmpty() || !fits(name, TLayoutFormat::NameCapacity))
                return failAt(QStringLiteral("name missing or longer than 30 Shift-JIS bytes"));
            if (category == CustomCategory())
                return failAt(QStringLiteral("the category of user formats cannot be used"));
            f.Category = Cp932::encode(category);
            f.Name = Cp932::encode(name);
            f.Direction = kv.value(QStringLiteral("dir")).toInt(&ok);
            if (!ok || f.Direction < 0 || f.Direction >= variantCount(*kind))
                return failAt(QStringLiteral("dir out of range for this kind"));
            if (!sizePair(kv.value(QStringLiteral("size")), QLatin1Char('x'), f.Width, f.Height) || f.Width <= 0 ||
                f.Height <= 0)
                return failAt(QStringLiteral("size=WxH missing"));
            const QString frameName = kv.value(QStringLiteral("frames"));
            if (!blocks.contains(frameName) || frameName == openBlock)
                return failAt(QStringLiteral("unknown frames %1").arg(frameName));
            const TFrameBlock &block = blocks[frameName];
            const bool hasSender = *kind == TPaperKind::Postcard || *kind == TPaperKind::Envelope;
            if (!rolesMatch(block.Simple, simpleRoles(*kind), hasSender) ||
                !rolesMatch(block.Detail, detailRoles(*kind), hasSender))
                return failAt(QStringLiteral("frames %1 do not follow the roles of this kind (README.md)").arg(frameName));
            f.Simple = fitSet(block.Simple, f.Width, f.Height);
            f.Detail = fitSet(block.Detail, f.Width, f.Height);
            if (kv.contains(QStringLiteral("background"))) {
                const QString file = kv.value(QStringLiteral("background"));
                if (!pictures.contains(file))
                    return failAt(QStringLiteral("unknown background %1").arg(file));
                const TPaperPicture &p = out.Pictures.at(pictures.value(file));
                if (p.Width != f.Width || p.Height != f.Height)
                    return failAt(QStringLiteral("background %1 has another size").arg(file));
                f.Background = Cp932::encode(file);
            }
            if (kv.contains(QStringLiteral("grid"))) {
                const int g = gridIndex.value(kv.value(QStringLiteral("grid")), 0);
                if (g == 0)
                    return failAt(QStringLiteral("unknown grid"));
                f.GridIndex = g;
                const TLabelGrid &grid = out.Layouts.Grids.at(g - 1);
                const QRect last = PaperFmt::cellRect(f, grid, grid.Columns - 1, grid.Rows - 1);
                if (last.x() + last.width() > grid.SheetWidth || last.y() + last.height() > grid.SheetHeight)
                    return failAt(QStringLiteral("the cells run off the sheet"));
            } else if (*kind == TPaperKind::Label || *kind == TPaperKind::Card) {
                return failAt(QStringLiteral("a label or card sheet needs a grid"));
            }

            // Position rules the dialogs rely on.
            const QList<TLayoutFormat> &r = out.Layouts.Records;
            if (*kind == TPaperKind::Postcard && !r.isEmpty() && r.last().PaperKind() != TPaperKind::Postcard)
                return failAt(QStringLiteral("postcards come first, from record 0"));
            if (index == 0 && *kind != TPaperKind::Postcard)
                return failAt(QStringLiteral("record 0 must be a postcard"));
            const bool sameName = !r.isEmpty() && r.last().Kind == f.Kind && r.last().Category == f.Category &&
                                  r.last().Name == f.Name;
            if (sameName ? f.Direction != r.last().Direction + 1 : f.Direction != 0)
                return failAt(QStringLiteral("variants of a name run dir=0, 1 ... in order"));
            if (!sameName && !r.isEmpty() && r.last().Direction != variantCount(r.last().PaperKind()) - 1)
                return failAt(QStringLiteral("the previous name lacks variants"));
            for (int i = 0; i < r.size() && !sameName; ++i) {
                if (r.at(i).Kind == f.Kind && r.at(i).Category == f.Category && r.at(i).Name == f.Name)
                    return failAt(QStringLiteral("name repeated away from its group"));
            }
            if (!r.isEmpty() && (r.last().Category != f.Category || r.last().Kind != f.Kind)) {
                for (const TLayoutFormat &earlier : r)
                    if (earlier.Kind == f.Kind && earlier.Category == f.Category)
                        return failAt(QStringLiteral("category repeated away from its group"));
            }
            if (sameName && (*kind == TPaperKind::Label || *kind == TPaperKind::Card)) {
                const TLayoutFormat &upright = r.at(index - f.Direction);
                if (f.Width != upright.Height || f.Height != upright.Width || f.GridIndex != upright.GridIndex)
                    return failAt(QStringLiteral("a turned sheet is the upright piece turned, on the same grid"));
            }
            out.Layouts.Records.append(f);
        } else if (word == QLatin1String("design")) {
            bool ok = false;
            const int index = tok.value(1).toInt(&ok);
            if (!ok || index != out.Designs.Records.size())
                return failAt(QStringLiteral("design index must be %1").arg(out.Designs.Records.size()));
            TDesignFormat d;
            const QString kind = kv.value(QStringLiteral("kind"));
            if (kind != QLatin1String("postcard") && kind != QLatin1String("plain"))
                return failAt(QStringLiteral("design kind must be postcard or plain"));
            d.Kind = kind == QLatin1String("plain") ? 1 : 0;
            const QString name = kv.value(QStringLiteral("name"));
            if (name.isEmpty() || !fits(name, TDesignFormat::NameCapacity))
                return failAt(QStringLiteral("name missing or longer than 31 Shift-JIS bytes"));
            d.Name = Cp932::encode(name);
            d.Landscape = kv.value(QStringLiteral("landscape")).toInt(&ok);
            if (!ok || d.Landscape < 0 || d.Landscape > 1 ||
                !sizePair(kv.value(QStringLiteral("size")), QLatin1Char('x'), d.Width, d.Height) || d.Width <= 0 ||
                d.Height <= 0)
                return failAt(QStringLiteral("expected landscape=0|1 size=WxH"));
            const QList<TDesignFormat> &r = out.Designs.Records;
            if (d.Landscape == 1) {
                if (r.isEmpty() || r.last().Landscape != 0 || r.last().Name != d.Name || r.last().Kind != d.Kind ||
                    r.last().Width != d.Height || r.last().Height != d.Width)
                    return failAt(QStringLiteral("a landscape design follows its upright twin, turned"));
            } else if (!r.isEmpty() && r.last().Landscape != 1) {
                return failAt(QStringLiteral("the previous design lacks its landscape twin"));
            }
            out.Designs.Records.append(d);
        } else {
            return failAt(QStringLiteral("unknown line"));
        }
    }
    if (!openBlock.isEmpty())
        return failAt(QStringLiteral("frames %1 lacks its end").arg(openBlock));
    if (out.Layouts.Records.isEmpty() || out.Designs.Records.isEmpty())
        return failAt(QStringLiteral("no paper or no design"));
    const TLayoutFormat &last = out.Layouts.Records.last();
    if (last.Direction != variantCount(last.PaperKind()) - 1 || out.Designs.Records.last().Landscape != 1)
        return failAt(QStringLiteral("the last name lacks variants"));
    return true;
}

QList<double> postcodeBoxLefts()
{
    QList<double> lefts;
    double x = kPostcardWidth / 10.0 - kBoxRightMargin - kBoxWidth;
    lefts.prepend(x);
    for (int i = 5; i >= 0; --i) {
        x -= kPitches[i];
        lefts.prepend(x);
    }
    return lefts;
}

void paintPicture(QPainter &painter, const TPaperPicture &picture, double pixelsPerMm)
{
    if (picture.Width != kPostcardWidth || picture.Height != kPostcardHeight)
        return;
    painter.save();
    const QColor red(0xE6, 0x00, 0x12);
    const QList<double> lefts = postcodeBoxLefts();
    for (int i = 0; i < lefts.size(); ++i) {
        // The three office digits are drawn heavier than the four town digits.
        QPen pen(red, (i < 3 ? 0.4 : 0.3) * pixelsPerMm);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(lefts.at(i) * pixelsPerMm, kBoxTop * pixelsPerMm, kBoxWidth * pixelsPerMm,
                                kBoxHeight * pixelsPerMm));
    }
    const double dashY = (kBoxTop + kBoxHeight / 2) * pixelsPerMm;
    const double dashFrom = lefts.at(2) + kBoxWidth + 0.4, dashTo = lefts.at(3) - 0.4;
    painter.setPen(QPen(red, 0.3 * pixelsPerMm));
    painter.drawLine(QPointF(dashFrom * pixelsPerMm, dashY), QPointF(dashTo * pixelsPerMm, dashY));
    painter.restore();
}

QImage renderPicture(const TPaperPicture &picture, int dotsPerInch)
{
    const double perMm = dotsPerInch / 25.4;
    QImage image(static_cast<int>(RoundHalfAway(picture.Width / 10.0 * perMm)),
                 static_cast<int>(RoundHalfAway(picture.Height / 10.0 * perMm)), QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(static_cast<int>(RoundHalfAway(perMm * 1000)));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPicture(painter, picture, perMm);
    painter.end();
    return image;
}

} // namespace PaperCatalogue
