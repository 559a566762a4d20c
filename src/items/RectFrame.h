#pragma once

#include "items/ItemStream.h"
#include "platform/Colors.h"

#include <QRect>

#include <array>
#include <functional>

class QBrush;
class QPainter;
class QPainterPath;
class QPen;
class TRecordingCanvas;

// The outline and background fill that the free-text, picture and
// sender-block items own: a single or double line with square or rounded
// corners, in one of three widths and a colour, optionally over a filled
// background. It tells its owner the rectangle left inside it for the
// content, and reports changes of the outline and of the background through
// two separate notifications, so the owner redraws only what changed.
class TRectFrame
{
public:
    // Line widths in pixels at scale 1, indexed by LineWidth.
    static constexpr std::array<int, 3> Widths{2, 6, 10};

    std::function<void(TRectFrame &)> OnChange;
    std::function<void(TRectFrame &)> OnBackChange;

    // Every field to 0; the notifications stay.
    void Clear();
    void Assign(const TRectFrame &Source);

    bool HasFrame() const { return m_frame; }
    void SetFrame(bool Value);
    quint8 GetLineCount() const { return m_lineCount; }
    // 0 single line, 1 double line.
    void SetLineCount(quint8 Value);
    quint8 GetCorner() const { return m_corner; }
    // 0 square corners, 1 rounded corners.
    void SetCorner(quint8 Value);
    quint8 GetLineWidth() const { return m_lineWidth; }
    // An index into Widths.
    void SetLineWidth(quint8 Value);
    TColor GetFrameColor() const { return m_frameColor; }
    void SetFrameColor(TColor Value);
    bool HasBack() const { return m_back; }
    void SetBack(bool Value);
    TColor GetBackColor() const { return m_backColor; }
    void SetBackColor(TColor Value);

    // Draws the frame around R at the given scale; Inner receives the
    // rectangle left for the content.
    void Draw(QPainter &Canvas, const QRect &R, QRect &Inner, double Scale) const;
    // The same into a text item's recording.
    void Draw(TRecordingCanvas &Canvas, const QRect &R, QRect &Inner, double Scale) const;
    // The content rectangle of a frame around R, without drawing.
    void InnerRect(const QRect &R, QRect &Inner, double Scale) const;
    // The rectangle a frame needs around the content rectangle R, at scale 1.
    void OuterRect(const QRect &R, QRect &Outer) const;

    // Frame, background, line count, corner, width (one byte each), then the
    // two colours. Loading fires no notification; a width index outside the
    // table is damage and is refused.
    void LoadFromStream(TItemReader &Stream);
    void SaveToStream(TItemWriter &Stream) const;

private:
    using TPathSink = std::function<void(const QPainterPath &, const QPen &, const QBrush &)>;
    void drawPaths(const TPathSink &Sink, const QRect &R, QRect &Inner, double Scale) const;
    int widthAt(double Scale) const;
    void changed();
    void backChanged();

    bool m_frame = false;
    quint8 m_lineCount = 0;
    quint8 m_corner = 0;
    quint8 m_lineWidth = 0;
    TColor m_frameColor = 0;
    bool m_back = false;
    TColor m_backColor = 0;
};
