#include "items/PathUtils.h"

#include "util/SubUnit.h"

#include <QPainter>

#include <cmath>
#include <numbers>

namespace {

constexpr double HalfPi = std::numbers::pi / 2;

int roundi(double v)
{
    return int(RoundHalfAway(v));
}

} // namespace

void TPath::Clear()
{
    m_points.clear();
    m_types.clear();
}

void TPath::AddMoveTo(QPoint P)
{
    m_points.append(P);
    m_types.append(MoveTo);
    m_current = P;
}

void TPath::AddLineTo(QPoint P)
{
    m_points.append(P);
    m_types.append(LineTo);
    m_current = P;
}

void TPath::AddBezierTo(QPoint P1, QPoint P2, QPoint P3)
{
    for (QPoint p : {P1, P2, P3}) {
        m_points.append(p);
        m_types.append(BezierTo);
    }
    m_current = P3;
}

void TPath::CloseFigure()
{
    if (!m_types.isEmpty())
        m_types.last() |= CloseFigureBit;
}

TPathPoint TPath::GetPoint(int Index) const
{
    if (Index < 0 || Index >= m_points.size())
        throw EPathError(QStringLiteral("TPath.GetPoint: Index is Out of Range"));
    const quint8 t = m_types.at(Index);
    TPathPoint p;
    p.X = m_points.at(Index).x();
    p.Y = m_points.at(Index).y();
    const quint8 kind = t & 6;
    p.Kind = kind == MoveTo ? 0 : kind == BezierTo ? 2 : 1;
    p.Closes = (t & CloseFigureBit) != 0;
    return p;
}

QPainterPath TPath::ToPainterPath() const
{
    QPainterPath path;
    for (int i = 0; i < m_points.size(); ++i) {
        const quint8 kind = m_types.at(i) & 6;
        if (kind == MoveTo) {
            path.moveTo(m_points.at(i));
        } else if (kind == BezierTo && i + 2 < m_points.size()) {
            path.cubicTo(m_points.at(i), m_points.at(i + 1), m_points.at(i + 2));
            i += 2;
        } else {
            path.lineTo(m_points.at(i));
        }
        if (m_types.at(i) & CloseFigureBit)
            path.closeSubpath();
    }
    return path;
}

void ArcSegment(TPath &Path, bool MoveFirst, double Sweep, double Start, double RY, double RX, double CY, double CX)
{
    if (Sweep == 0) {
        const QPoint p(roundi(CX + RX * std::cos(Start)), roundi(CY - RY * std::sin(Start)));
        if (MoveFirst)
            Path.AddMoveTo(p);
        Path.AddLineTo(p);
        return;
    }
    const double h = Sweep / 2, s = std::sin(h), c = std::cos(h);
    const double k = (1 - c) * (3 - c) / (3 * s);
    const double unit[4][2] = {{c, s}, {(4 - c) / 3, k}, {(4 - c) / 3, -k}, {c, -s}};
    const double phi = Start + h;
    QPoint p[4];
    for (int i = 0; i < 4; ++i) {
        const double u = unit[i][0], v = unit[i][1];
        // The small bias sends exact halves down, as the outlines always were.
        p[i] = QPoint(int(std::lround((u * std::cos(phi) + v * std::sin(phi)) * RX + CX - 0.0001)),
                      int(std::lround((-u * std::sin(phi) + v * std::cos(phi)) * RY + CY - 0.0001)));
    }
    if (MoveFirst)
        Path.AddMoveTo(p[0]);
    Path.AddBezierTo(p[1], p[2], p[3]);
}

void ArcPath(TPath &Path, QPoint &StartPoint, double Sweep, double Start, double RY, double RX, double CY, double CX)
{
    StartPoint = QPoint(roundi(CX + RX * std::cos(Start)), roundi(CY - RY * std::sin(Start)));
    bool first = true;
    while (Sweep > HalfPi + 1e-12) {
        ArcSegment(Path, first, HalfPi, Start, RY, RX, CY, CX);
        first = false;
        Start += HalfPi;
        Sweep -= HalfPi;
    }
    while (Sweep < -HalfPi - 1e-12) {
        ArcSegment(Path, first, -HalfPi, Start, RY, RX, CY, CX);
        first = false;
        Start -= HalfPi;
        Sweep += HalfPi;
    }
    ArcSegment(Path, first, Sweep, Start, RY, RX, CY, CX);
}

namespace {

struct TEllipse {
    double cx, cy, rx, ry;
};

TEllipse inscribed(int X1, int Y1, int X2, int Y2)
{
    return {(X1 + X2) / 2.0, (Y1 + Y2) / 2.0, std::max(0.0, (std::abs(X2 - X1) - 1) / 2.0),
            std::max(0.0, (std::abs(Y2 - Y1) - 1) / 2.0)};
}

} // namespace

void ArcByPoints(TPath &Path, int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4, QPoint &StartPoint)
{
    const TEllipse e = inscribed(X1, Y1, X2, Y2);
    const double start = std::atan2((e.cy - Y3) * e.rx, (X3 - e.cx) * e.ry);
    const double end = std::atan2((e.cy - Y4) * e.rx, (X4 - e.cx) * e.ry);
    double sweep = end - start;
    if (sweep < 0)
        sweep += 2 * std::numbers::pi;
    ArcPath(Path, StartPoint, sweep, start, e.ry, e.rx, e.cy, e.cx);
}

void SectorPath(TPath &Path, int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4)
{
    QPoint start;
    ArcByPoints(Path, X1, Y1, X2, Y2, X3, Y3, X4, Y4, start);
    Path.AddLineTo(QPoint(roundi((X1 + X2) / 2.0), roundi((Y1 + Y2) / 2.0)));
    Path.AddLineTo(start);
    Path.CloseFigure();
}

void RectanglePath(TPath &Path, int X1, int Y1, int X2, int Y2)
{
    const int l = std::min(X1, X2), r = std::max(X1, X2), t = std::min(Y1, Y2), b = std::max(Y1, Y2);
    Path.AddMoveTo({l, t});
    Path.AddLineTo({r - 1, t});
    Path.AddLineTo({r - 1, b - 1});
    Path.AddLineTo({l, b - 1});
    Path.CloseFigure();
}

void RoundRectPath(TPath &Path, int X1, int Y1, int X2, int Y2, int CornerWidth, int CornerHeight)
{
    const int l = std::min(X1, X2), r = std::max(X1, X2), t = std::min(Y1, Y2), b = std::max(Y1, Y2);
    const int cw = std::clamp(CornerWidth, 0, r - l), ch = std::clamp(CornerHeight, 0, b - t);
    const double rx = std::max(0.0, (cw - 1) / 2.0), ry = std::max(0.0, (ch - 1) / 2.0);
    // Corner ellipses in the corner boxes of cw x ch, anticlockwise from the top left.
    const double left = l + cw / 2.0, right = r - cw / 2.0, top = t + ch / 2.0, bottom = b - ch / 2.0;
    QPoint p;
    ArcPath(Path, p, HalfPi, HalfPi, ry, rx, top, left);
    ArcSegment(Path, false, HalfPi, std::numbers::pi, ry, rx, bottom, left);
    ArcSegment(Path, false, HalfPi, 3 * HalfPi, ry, rx, bottom, right);
    ArcSegment(Path, false, HalfPi, 0, ry, rx, top, right);
    Path.CloseFigure();
}

void EllipsePath(TPath &Path, int X1, int Y1, int X2, int Y2)
{
    const TEllipse e = inscribed(X1, Y1, X2, Y2);
    QPoint start;
    ArcPath(Path, start, 2 * std::numbers::pi, 0, e.ry, e.rx, e.cy, e.cx);
    Path.CloseFigure();
}

void StrokePolyline(QPainter &Canvas, const QList<QPointF> &Points, const QList<double> &Pattern, int Width,
                    QColor Color, bool FlatEnds)
{
    if (Points.size() < 2)
        return;
    Canvas.save();
    QPen pen(Color, std::max(1, Width), Qt::SolidLine, FlatEnds ? Qt::FlatCap : Qt::RoundCap, Qt::RoundJoin);
    Canvas.setPen(pen);
    Canvas.setBrush(Qt::NoBrush);
    if (Pattern.isEmpty()) {
        Canvas.drawPolyline(Points.constData(), int(Points.size()));
        Canvas.restore();
        return;
    }
    double sum = 0;
    for (double v : Pattern)
        sum += v;
    if (sum <= 0) {
        Canvas.restore();
        return;
    }
    const double unit = std::max(1, Width);
    int part = 0;
    double left = Pattern.at(0) * unit; // what remains of the current part
    QList<QPointF> dash;
    bool drawing = true;
    if (left > 0)
        dash.append(Points.first());
    for (int i = 1; i < Points.size(); ++i) {
        QPointF a = Points.at(i - 1);
        const QPointF b = Points.at(i);
        double segment = std::hypot(b.x() - a.x(), b.y() - a.y());
        while (segment > 0 && segment >= left) {
            const double f = left / segment;
            const QPointF cut = a + (b - a) * f;
            if (drawing) {
                dash.append(cut);
                if (dash.size() >= 2)
                    Canvas.drawPolyline(dash.constData(), int(dash.size()));
                dash.clear();
            } else {
                dash = {cut};
            }
            segment -= left;
            a = cut;
            part = (part + 1) % int(Pattern.size());
            drawing = part % 2 == 0;
            left = Pattern.at(part) * unit;
            if (left <= 0 && drawing)
                dash = {a};
        }
        left -= segment;
        if (drawing)
            dash.append(b);
    }
    if (drawing && dash.size() >= 2)
        Canvas.drawPolyline(dash.constData(), int(dash.size()));
    Canvas.restore();
}

void StrokePath(QPainter &Canvas, const TPath &Path, const QList<double> &Pattern, int Width, QColor Color,
                bool FlatEnds)
{
    QList<QPointF> figure;
    bool closes = false;
    auto flush = [&] {
        if (closes && !figure.isEmpty())
            figure.append(figure.first());
        StrokePolyline(Canvas, figure, Pattern, Width, Color, FlatEnds);
        figure.clear();
        closes = false;
    };
    for (int i = 0; i < Path.GetCount(); ++i) {
        const TPathPoint p = Path.GetPoint(i);
        if (p.Kind == 0)
            flush();
        figure.append(QPointF(p.X, p.Y));
        if (p.Closes)
            closes = true;
    }
    flush();
}
