#pragma once

#include "platform/Exception.h"

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPoint>

class QPainter;

MURVEN_DECLARE_EXCEPTION(EPathError, Exception);

// One point of a path: where it lies, how it is reached (0 move, 1 line,
// 2 Bézier) and whether it closes its figure.
struct TPathPoint {
    qint32 X = 0;
    qint32 Y = 0;
    quint8 Kind = 0;
    bool Closes = false;
};

// An outline made only of straight lines and cubic Bézier pieces, kept as
// points with their types (1 close figure, 2 line, 4 Bézier, 6 move), so
// that one outline can be filled, stroked, clipped to or walked point by
// point on screen and printer alike. The builders below add to it.
class TPath
{
public:
    static constexpr quint8 CloseFigureBit = 1;
    static constexpr quint8 LineTo = 2;
    static constexpr quint8 BezierTo = 4;
    static constexpr quint8 MoveTo = 6;

    void Clear();
    void AddMoveTo(QPoint P);
    void AddLineTo(QPoint P);
    void AddBezierTo(QPoint P1, QPoint P2, QPoint P3);
    // Marks the last point as closing its figure.
    void CloseFigure();
    void Assign(const TPath &Source) { *this = Source; }

    int GetCount() const { return int(m_points.size()); }
    // Raises EPathError outside 0 .. count - 1.
    [[nodiscard]] TPathPoint GetPoint(int Index) const;
    const QList<QPoint> &Points() const { return m_points; }
    const QList<quint8> &Types() const { return m_types; }
    // The same outline for QPainter: filling, clipping, drawing.
    [[nodiscard]] QPainterPath ToPainterPath() const;

    bool operator==(const TPath &) const = default;

private:
    QList<QPoint> m_points;
    QList<quint8> m_types;
    QPoint m_current;
};

// One arc piece of at most a quarter turn; angles in radians, anticlockwise
// with the y axis up.
void ArcSegment(TPath &Path, bool MoveFirst, double Sweep, double Start, double RY, double RX, double CY, double CX);
// The whole arc in quarter pieces; only the first moves to its start.
void ArcPath(TPath &Path, QPoint &StartPoint, double Sweep, double Start, double RY, double RX, double CY, double CX);
// The arc of the ellipse inscribed in (X1, Y1, X2, Y2) from the ray towards
// (X3, Y3) anticlockwise to the ray towards (X4, Y4).
void ArcByPoints(TPath &Path, int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4, QPoint &StartPoint);
void SectorPath(TPath &Path, int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
void RectanglePath(TPath &Path, int X1, int Y1, int X2, int Y2);
void RoundRectPath(TPath &Path, int X1, int Y1, int X2, int Y2, int CornerWidth, int CornerHeight);
void EllipsePath(TPath &Path, int X1, int Y1, int X2, int Y2);

// Draws every figure of Path as a polyline (a closed figure back to its first
// point) with a pen of Width and Color. Pattern: drawn and skipped lengths in
// pen widths, repeated along each figure; empty means a solid line, a sum
// that is not positive draws nothing.
void StrokePath(QPainter &Canvas, const TPath &Path, const QList<double> &Pattern, int Width, QColor Color,
                bool FlatEnds);
void StrokePolyline(QPainter &Canvas, const QList<QPointF> &Points, const QList<double> &Pattern, int Width,
                    QColor Color, bool FlatEnds);
