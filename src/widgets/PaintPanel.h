#pragma once

#include "platform/Colors.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QPainter;

// A panel that shows a bitmap: the preview areas of the windows. It paints a
// panel face (colour, outer bevel, border, inner bevel), then its own image
// unscaled in the inner rectangle (top-left part, or the middle with
// Center), then lets the owner draw over it through OnPaint, then the
// caption. With AutoSize it takes the size of the image plus the frame. It
// wants the arrow keys, so an owner can move things in the preview with them.
class TPaintPanel : public QWidget
{
    Q_OBJECT

public:
    enum TBevelCut { bvNone, bvLowered, bvRaised };
    // Which edge of its parent the panel fills; decides which of its sides
    // AutoSize may change (a panel filling the top keeps its width).
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

    using TPaintEvent = std::function<void(QObject *Sender, QPainter &Canvas, const QRect &Rect)>;
    using TNotifyEvent = std::function<void(QObject *Sender)>;
    // Key is a Qt::Key code; a handler that sets it to 0 consumes the key.
    using TKeyEvent = std::function<void(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift)>;
    using TMouseEvent =
        std::function<void(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;
    using TMouseMoveEvent = std::function<void(QObject *Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

    explicit TPaintPanel(QWidget *parent = nullptr);
    ~TPaintPanel() override;

    // The panel's own bitmap, created empty (null) on first read. After
    // drawing into it in place, call ImageChanged().
    QImage &Image();
    // Copies the image into the panel's bitmap; nullptr frees the bitmap.
    void SetImage(const QImage *image);
    // Size to the image (AutoSize) and repaint.
    void ImageChanged();

    [[nodiscard]] bool Center() const { return m_center; }
    void SetCenter(bool center);
    [[nodiscard]] TColor Color() const { return m_color; }
    void SetColor(TColor color);
    [[nodiscard]] TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut bevel);
    [[nodiscard]] TBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TBevelCut bevel);
    // Pixels per bevel line, at least 1.
    [[nodiscard]] int BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int width);
    // Pixels of panel colour between the bevels, at least 0.
    [[nodiscard]] int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int width);
    [[nodiscard]] QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    // Horizontal placement of the caption: Qt::AlignLeft, AlignRight or AlignHCenter.
    [[nodiscard]] Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);
    [[nodiscard]] bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool autoSize);
    [[nodiscard]] TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);

    // The size the panel takes with AutoSize. NewWidth and NewHeight come in
    // as the current size; false (and both untouched) without an image.
    [[nodiscard]] virtual bool CanAutoSize(int &NewWidth, int &NewHeight) const;

    // The client rectangle less the bevels and the border: where the image,
    // OnPaint and the caption go.
    [[nodiscard]] QRect InnerRect() const;

    [[nodiscard]] QSize sizeHint() const override;

    TPaintEvent OnPaint;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnDblClick;

protected:
    virtual void Paint(QPainter &canvas);

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    [[nodiscard]] int FrameThickness() const;
    void AdjustSize();
    void FrameChanged();

    std::optional<QImage> m_image;
    bool m_center = false;
    TColor m_color = clBtnFace;
    TBevelCut m_bevelOuter = bvRaised;
    TBevelCut m_bevelInner = bvNone;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    bool m_autoSize = false;
    TAlign m_align = alNone;
};
