#pragma once

#include "items/DrawRect.h"
#include "items/MetafileEx.h"
#include "platform/Colors.h"

#include <QImage>
#include <QPainterPath>

#include <array>

// A line, rectangle, rounded rectangle, ellipse, quarter-ellipse sector or
// diamond in the item's box, with an outline of chosen width, colour and
// dash style and a fill of one colour or a two-colour gradient. Outline and
// single-colour fill are recorded once at the reference resolution; a
// gradient is an image drawn under them, clipped to the shape.
class TFigureRect : public TDrawRect
{
public:
    enum Kind : quint8 { Line = 0, Rectangle = 1, RoundRect = 2, Ellipse = 3, Sector = 4, Diamond = 5 };
    static constexpr std::array<double, 3> CornerFactors{0.2, 1.0 / 3.0, 0.5};

    TFigureRect() = default;

    TDrawRectKind GetKind() const override { return TDrawRectKind::Figure; }
    void Assign(const TDrawRect &Source) override;
    void SetZoom(double Value) override;
    void SetRect(const TPageRect &R) override;
    void SetDispRect(const TScreenRect &R) override;
    void Draw(QPainter &Canvas, int X, int Y) override;
    void Print(QPainter &Canvas, int X, int Y) override;
    void CalcPrintRect(TTenthMmPoint Offset, const TPrinterGeometry &Printer, bool NoPhysicalOffset) override;
    void Rebuild(bool Force) override;
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;
    void ReleasePrint();

    // The resolution of the recording: the printer's, 96 without one.
    void SetReferenceDpi(TDeviceDpi Dpi);

    quint8 GetFigureKind() const { return m_kind; }
    void SetFigureKind(quint8 Value);
    quint8 GetLineDirections() const { return m_lineDirections; }
    void SetLineDirections(quint8 Value);
    quint8 GetCornerRadius(int Index) const { return m_corner[size_t(Index & 1)]; }
    void SetCornerRadius(int Index, quint8 Code);
    quint8 GetSectorDirection() const { return m_sectorDirection; }
    void SetSectorDirection(quint8 Value);
    bool HasFrame() const { return m_frame; }
    void SetFrame(bool Value);
    bool HasBack() const { return m_back; }
    void SetBack(bool Value);
    bool HasGradation() const { return m_gradation; }
    void SetGradation(bool Value);
    quint8 GetLineStyle() const { return m_lineStyle; }
    void SetLineStyle(quint8 Value);
    qint32 GetLineWidth() const { return m_lineWidth; }
    void SetLineWidth(qint32 Value);
    TColor GetFrameColor() const { return m_frameColor; }
    void SetFrameColor(TColor Value);
    TColor GetColor1() const { return m_color1; }
    void SetColor1(TColor Value);
    TColor GetColor2() const { return m_color2; }
    void SetColor2(TColor Value);
    qint32 GetGradientAngle() const { return m_gradientAngle; }
    void SetGradientAngle(qint32 Value);

    bool IsContentValid() const { return m_contentValid; }
    bool IsGradientValid() const { return m_gradientValid; }
    bool IsRegionValid() const { return m_regionValid; }
    const TMetafileEx &GetMetafile() const { return m_metafile; }
    const QImage &DisplayGradient() const { return m_gradient; }
    const QImage &PrintGradient() const { return m_printGradient; }
    // The shape that clips a gradient, empty for lines and rectangles.
    const QPainterPath &DisplayRegion() const { return m_region; }

    // The dash pattern of a line style in pen widths; empty for solid.
    static QList<qreal> DashPattern(quint8 Style);
    // The outline of a shape in the box (0, 0, W, H) (lines: the box).
    QPainterPath ShapePath(double Left, double Top, double W, double H) const;

private:
    void buildContent();
    bool gradientFill() const { return m_back && m_gradation; }
    void fillChanged(bool Gradient, bool Region);

    TMetafileEx m_metafile;
    bool m_contentValid = false;
    bool m_gradientValid = false;
    bool m_regionValid = false;
    QPainterPath m_region;
    QImage m_gradient;
    bool m_back = false;
    bool m_gradation = false;
    bool m_frame = true;
    qint32 m_lineWidth = 5;
    qint32 m_gradientAngle = 0;
    TColor m_frameColor = 0;
    TColor m_color2 = 0;
    TColor m_color1 = 0;
    quint8 m_kind = Line;
    quint8 m_lineDirections = 1;
    quint8 m_lineStyle = 0;
    std::array<quint8, 4> m_corner{};
    QImage m_printGradient;
    QPainterPath m_printRegion;
    quint8 m_sectorDirection = 0;
    TDeviceDpi m_dpi{96, 96};
};
