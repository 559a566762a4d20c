#pragma once

#include "platform/Exception.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>

#include <optional>

class QPainter;
class TItemReader;
class TItemWriter;

// A picture file that could not be read.
MURVEN_DECLARE_EXCEPTION(EImageFileError, Exception);

// The picture routines of the printable items: picture files with their
// resolution, mirroring and quarter turns, background placement and
// gradients. Every routine returns a new image and leaves its source alone.

// 1 for ".BMP", 2 for ".JPG" or ".JPEG" (any case), -1 otherwise.
[[nodiscard]] int GetImageFileType(const QString &FileName);

// A loaded picture. A JPEG keeps the bytes it was read from, so it is saved
// again exactly as it came.
struct TLoadedImage {
    QImage Image;
    QByteArray JpegBytes;
    int Dpi = 72;
    bool isJpeg() const { return !JpegBytes.isEmpty(); }
};

// The largest picture file taken (bytes) and the largest picture side
// (pixels): a damaged header never makes the program allocate without bound.
inline constexpr qint64 MaxImageFileBytes = 256LL * 1024 * 1024;
inline constexpr int MaxImageSide = 30000;

// The resolution a picture file states: a BMP's horizontal pixels per metre
// (only with the 40-byte info header), a JPEG's APP0 density when its unit
// is dots per inch or per centimetre; 72 otherwise and for 0.
[[nodiscard]] int ImageFileDpi(const QByteArray &Bytes);
// Nothing for another extension, other leading bytes or an empty picture.
// Raises EImageFileError when the file cannot be read or decoded.
[[nodiscard]] std::optional<TLoadedImage> LoadImageFile(const QString &FileName);
// The same from bytes already read, the type given as GetImageFileType does.
[[nodiscard]] std::optional<TLoadedImage> LoadImageBytes(const QByteArray &Bytes, int Type);

// A picture embedded in an item file after its extension: a JPEG keeps its
// bytes and its stored mirror and turn codes (as read, unchecked); a BMP
// states its own length. Image is already decoded, in RGB888.
struct TStoredPicture {
    QImage Image;
    QByteArray Jpeg;
    quint8 FlipH = 0, FlipV = 0, Turn = 3;
};
// Raises EItemFormatError "画像が読み込めませんでした  " when the bytes are not a picture.
[[nodiscard]] TStoredPicture ReadStoredPicture(TItemReader &Stream, bool Jpeg);
// Writes the extension (empty for a missing picture, so a reader never looks
// for bytes that are not there) and the picture as ReadStoredPicture reads it.
void WriteStoredPicture(TItemWriter &Stream, const QString &Extension, const QImage &Picture, const QByteArray &JpegBytes,
                        quint8 FlipH, quint8 FlipV, quint8 Turn);

// Horizontal: left to right mirror; otherwise top to bottom.
[[nodiscard]] QImage MirrorBitmap(const QImage &Image, bool Horizontal);
// Code 0 a quarter turn anticlockwise, 1 clockwise, 2 a half turn; 3 (no
// turn) and other codes give a null image.
[[nodiscard]] QImage RotateBitmap(const QImage &Image, int Code);

// The picture at its own size (Dpi, at Scale) centred on a canvas of Dest's size.
void DrawPictureCentred(QPainter &Canvas, const QImage &Source, int Dpi, QSize Dest, double Scale);
// Tiles covering Dest; FromBottomRight anchors the pattern at the lower right.
void TilePicture(QPainter &Canvas, const QImage &Source, int Dpi, QSize Dest, bool FromBottomRight, double Scale);
// A linear two-colour gradient over the whole image; Angle in degrees,
// Color1 on the top row at 0, in the left column at 90.
void GradientFill(QImage &Image, int Angle, QColor Color1, QColor Color2);

// ---- Resampling --------------------------------------------------------------

enum class TStretchMode : quint8 { Bilinear = 0, Bicubic = 1, AreaAverage = 2 };

// Writes the part SrcPart of Source resampled to Width x Height into Dest at
// DestPos (Dest becomes a 24-bit image of SrcPart's size when it is null).
// False, and nothing done, when SrcPart or DestPos lie outside. AreaAverage
// applies only when shrinking in both directions, bicubic otherwise.
[[nodiscard]] bool StretchBitmap(const QImage &Source, QImage &Dest, int Width, int Height, const QRect &SrcPart,
                                 QPoint DestPos, TStretchMode Mode);
// The whole resampled picture.
[[nodiscard]] QImage StretchBitmapAll(const QImage &Source, int Width, int Height, TStretchMode Mode);

// ---- Masked and transparent pictures ----------------------------------------------

// The picture stretched to Dest's size where the mask (stretched into
// MaskRect of an area of Dest's size) is black, transparent elsewhere:
// drawn over any canvas, the masked part leaves it untouched. This replaces
// the printers' raster-operation blits by one pre-composed ARGB image.
[[nodiscard]] QImage ComposeMasked(const QImage &Picture, const QImage &Mask, const QRect &MaskRect, QSize Dest);
// The picture stretched to Dest's size, its pixels of the transparent colour
// (RGB, compared before stretching) left transparent.
[[nodiscard]] QImage ComposeTransparent(const QImage &Picture, QRgb TransparentColor, QSize Dest);
// The runs of black pixels (index 0 of a 1-bit mask, or dark pixels of any
// other image) as a region, row by row.
[[nodiscard]] QRegion RegionFromBitmap(const QImage &Mask);
