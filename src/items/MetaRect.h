#pragma once

#include "items/DrawRect.h"
#include "items/MetaCanvas.h"
#include "items/MetafileEx.h"
#include "platform/Colors.h"
#include "util/Font.h"

#include <algorithm>
#include <array>
#include <functional>

class TTextShaper;

// The device a text item lays its content out for: the metrics and shaper
// that measure and draw its text, and the resolution of the recording (the
// printer's, or 96 dpi against the screen when no printer is installed).
struct TReferenceDevice {
    const TTextMetrics *Metrics = nullptr;
    const TTextShaper *Shaper = nullptr;
    TDeviceDpi Dpi{96, 96};
    bool HasPrinter = false;

    // The faces' design metrics and vertical shaping, at 96 dpi.
    static TReferenceDevice screen();
    // The same metrics and shaping at a printer's resolution.
    static TReferenceDevice printer(TDeviceDpi Dpi);
};

// Font sizes in points of the fixed-size setting; index 0 lets the text follow its box.
inline constexpr std::array<int, 28> FontSizeTable{0,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                                   20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 36, 48, 72};

// The longer side of a postcard in 0.1 mm: the paper the items' base heights are given for.
inline constexpr qint32 BasePaperLongSide = 1480;

// The least character height of the addressee's texts and the additional
// lines, 1.8 mm (5 points and a little): smaller kanji and digits no longer
// read. In page pixels (96 dpi), rounded up.
inline constexpr qint32 LeastTextPixels = 7;
inline constexpr double LeastTextMm = 1.8;

// The narrowest a line's characters are set to stay readable, a share of
// their natural width: narrower, kanji close up into strokes. A line still
// too long at the least height is narrowed further only where no room is
// left, and the print run names it (TMetaRect::IsSqueezed).
inline constexpr double LeastWidthRatio = 2.0 / 3.0;

// The most rounds a text item's wrap-and-fit loop runs. Each round either
// draws, gives up, or joins two lines (or pieces) and starts again, so a
// sound layout ends within a handful of rounds; the limit keeps a layout
// whose measures disagree with each other from looping for ever (it then
// draws nothing).
inline constexpr int MaxFitRounds = 16;

// Narrows (or widens) the characters of the canvas font to Ratio of their
// natural width; 0 and 1 give the natural width. In vertical writing the
// upright characters are narrowed along the column.
void SetFontWidthRatio(TRecordingCanvas &Canvas, double Ratio);
// The canvas font in the vertical form of its face ("@", text running
// down), or in the horizontal form, at the same height.
void SetCanvasFontVertical(TCanvasFont &Font);
void SetCanvasFontHorizontal(TCanvasFont &Font);
// The turned-around font of Rotate180: escapement plus 1800 tenths of a
// degree, or minus 1800 from 1800 on, so turning twice restores it.
void RotateCanvasFont180(TCanvasFont &Font);

// The margins of the text items: 4 page pixels on each side, in dots of the
// recording.
QPoint TextItemMargins(const TRecordingCanvas &Canvas);

// The common base of the items whose content is text (postcode, address,
// name, company line, additional information, free text). It keeps the font
// and the writing direction, scales the font to the paper, and keeps the
// laid-out content as a display list recorded once at the reference device's
// resolution, then drawn onto the screen at any zoom and onto the printer at
// 1:1. A text item supplies BuildContent, which lays its text out on the
// recording canvas, and appends its own stream fields.
class TMetaRect : public TDrawRect
{
public:
    TMetaRect();

    void Assign(const TDrawRect &Source) override;
    void SetRect(const TPageRect &R) override;
    void SetDispRect(const TScreenRect &R) override;
    void SetClipSide(TClipSide Side) override;
    void SetClipPos(qint32 Pos) override;
    void Draw(QPainter &Canvas, int X, int Y) override;
    void Print(QPainter &Canvas, int X, int Y) override;
    void Rebuild(bool Force) override;
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

    // Lays the text out; Size is the content's width and height in dots.
    virtual void BuildContent(TRecordingCanvas &Canvas, QSize Size) = 0;
    virtual void SetFont(const TFont &Font);
    virtual void SetHorizontal(bool Value);
    // Height := BaseHeight x LongSide / 1480, truncated towards zero.
    virtual void ScaleFont(TTenthMm LongSide);
    virtual void ClearContent();
    // The items with size levels first take BaseHeight from their tables.
    virtual void RescaleFont(TTenthMm PaperLongSide);

    void SetFontSizeIndex(qint32 Value);
    void SetRotate180(bool Value);
    void SetReferenceDevice(const TReferenceDevice &Device);

    const TFont &GetFont() const { return m_font; }
    TColor GetFontColor() const { return m_fontColor; }
    void SetFontColor(TColor Color);
    bool IsHorizontal() const { return m_horizontal; }
    bool IsRotate180() const { return m_rotate180; }
    qint32 GetFontSizeIndex() const { return m_fontSizeIndex; }
    qint32 GetBaseHeight() const { return m_baseHeight; }
    void SetBaseHeight(qint32 Value) { m_baseHeight = Value; }
    qint32 GetHeight() const { return m_height; }
    bool IsValid() const { return m_valid; }
    const TMetafileEx &GetMetafile() const { return m_metafile; }
    const TReferenceDevice &GetReferenceDevice() const { return m_device; }

    // Shrinks (or with AllowGrow also grows) the canvas font by
    // Available / Needed. False when the font would vanish (its height
    // truncates to 0 or above); the font is then unchanged.
    static bool FitFont(TRecordingCanvas &Canvas, int Available, int Needed, bool AllowGrow = false);
    // Whether the last layout narrowed the characters of a line below
    // about two thirds of their width (LeastWidthRatio) to keep it at the
    // least height (LeastTextMm).
    bool IsSqueezed() const { return m_narrowest < LeastWidthRatio - 0.02; }
    // The narrowest share of their width the last layout set a line's
    // characters at to keep the least height (1: none narrowed).
    double Narrowest() const { return m_narrowest; }
    // Room around the frame (page pixels, holding it) the item may print in
    // for the record merged: blank frames of the piece next to it. The item
    // lays its text out in its frame and takes as little of the room as
    // keeps its text at the least height without narrowing it, or as
    // narrows it least. Empty: the frame alone. A room that does not hold
    // the frame is a place of its own: the text prints there, in all of it.
    // The frame itself, and so what the user moves and saves, stays as it
    // is.
    void SetRoom(const TPageRect &Room);
    const TPageRect &GetRoom() const { return m_room; }
    // Where the last layout printed: the frame, or the part of the room it
    // took.
    const TPageRect &GetLaidIn() const { return m_laidIn; }

protected:
    void BuildMetafile();
    // The canvas font for the content: a copy of Font at the item's height
    // on the reference device.
    TCanvasFont contentFont() const;
    // The canvas font of a TFont at the given pixel height.
    static TCanvasFont canvasFont(const TFont &Font, TColor Color, qint32 Height);
    // The canvas font height of a size in points on the recording's device.
    static qint32 pointsToHeight(int Points, const TRecordingCanvas &Canvas);
    // The least character height (LeastTextMm) in dots of the recording.
    static int leastHeight(const TRecordingCanvas &Canvas);
    // FitFont along a line that must stay readable: where Needed would take
    // the font below the least height, the font keeps that height (or its
    // own, when smaller) and its characters are narrowed to fit instead.
    // Measure gives the room needed at the canvas's font as it stands: the
    // narrowed advances round each character's width, so the line is
    // measured again and narrowed further until it fits.
    bool fitAlong(TRecordingCanvas &Canvas, int Available, const std::function<int()> &Measure);
    // Turns the font for Rotate180 while drawing one piece at the mirrored
    // point (Size - (X, Y)), then turns it back.
    void drawTurned(TRecordingCanvas &Canvas, QSize Size, int X, int Y, QStringView Text,
                    const QList<int> *Advances = nullptr) const;
    void invalidate() { m_valid = false; }
    // Records a line's characters narrowed to Ratio of their width.
    void noteNarrowed(double Ratio) { m_narrowest = std::min(m_narrowest, Ratio); }

    TMetafileEx m_metafile;
    TFont m_font;
    TColor m_fontColor = clBlack;
    qint32 m_baseHeight = 0;
    qint32 m_height = 0;
    qint32 m_fontSizeIndex = 0;
    bool m_valid = false;
    bool m_horizontal = false;
    bool m_rotate180 = false;
    double m_narrowest = 1.0;
    TReferenceDevice m_device;

private:
    // Lays the content out in Area (the frame, or a part of the room), its
    // points kept relative to the frame.
    void buildIn(const TPageRect &Area);
    // How near the last layout came to its text at the least height and
    // natural width: 1, or the share it fell short by.
    double fitShare() const;

    TPageRect m_room;
    TPageRect m_laidIn;
};
