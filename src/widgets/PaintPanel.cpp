#include "widgets/PaintPanel.h"

#include "widgets/TntSystem.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <QtMath>

#include <algorithm>

namespace {

// Draws `width` rings of one-pixel lines just inside rect, the top and left
// lines in `top`, the bottom and right ones in `bottom`, and shrinks rect by
// the ring width on every side.
void Frame3D(QPainter &canvas, QRect &rect, const QColor &top, const QColor &bottom, int width)
{
    for (int i = 0; i < width; ++i) {
        if (rect.width() > 0 && rect.height() > 0) {
            canvas.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), top);
            canvas.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), top);
            canvas.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottom);
            canvas.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottom);
        }
        rect.adjust(1, 1, -1, -1);
    }
}

bool IsArrowKey(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

TPaintPanel::TPaintPanel(QWidget *parent)
    : QWidget(parent)
{
    // Keys reach the panel once it has the focus (a click, or the owner's setFocus).
    setFocusPolicy(Qt::ClickFocus);
}

TPaintPanel::~TPaintPanel() = default;

QImage &TPaintPanel::Image()
{
    if (!m_image)
        m_image.emplace();
    return *m_image;
}

void TPaintPanel::SetImage(const QImage *image)
{
    if (image)
        m_image = *image;
    else
        m_image.reset();
    ImageChanged();
}

void TPaintPanel::ImageChanged()
{
    if (m_autoSize && m_image && m_image->width() > 0 && m_image->height() > 0) {
        const int frame = FrameThickness();
        resize(m_image->width() + frame, m_image->height() + frame);
        updateGeometry();
    }
    update();
}

void TPaintPanel::SetCenter(bool center)
{
    if (m_center == center)
        return;
    m_center = center;
    update();
}

void TPaintPanel::SetColor(TColor color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void TPaintPanel::SetBevelOuter(TBevelCut bevel)
{
    if (m_bevelOuter == bevel)
        return;
    m_bevelOuter = bevel;
    FrameChanged();
}

void TPaintPanel::SetBevelInner(TBevelCut bevel)
{
    if (m_bevelInner == bevel)
        return;
    m_bevelInner = bevel;
    FrameChanged();
}

void TPaintPanel::SetBevelWidth(int width)
{
    width = std::max(width, 1);
    if (m_bevelWidth == width)
        return;
    m_bevelWidth = width;
    FrameChanged();
}

void TPaintPanel::SetBorderWidth(int width)
{
    width = std::max(width, 0);
    if (m_borderWidth == width)
        return;
    m_borderWidth = width;
    FrameChanged();
}

void TPaintPanel::SetCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    update();
}

void TPaintPanel::SetAlignment(Qt::Alignment alignment)
{
    alignment &= Qt::AlignHorizontal_Mask;
    if (m_alignment == alignment)
        return;
    m_alignment = alignment;
    update();
}

void TPaintPanel::SetAutoSize(bool autoSize)
{
    if (m_autoSize == autoSize)
        return;
    m_autoSize = autoSize;
    AdjustSize();
    updateGeometry();
}

void TPaintPanel::SetAlign(TAlign align)
{
    if (m_align == align)
        return;
    m_align = align;
    AdjustSize();
}

int TPaintPanel::FrameThickness() const
{
    int frame = 2 * m_borderWidth;
    if (m_bevelOuter != bvNone)
        frame += 2 * m_bevelWidth;
    if (m_bevelInner != bvNone)
        frame += 2 * m_bevelWidth;
    return frame;
}

bool TPaintPanel::CanAutoSize(int &NewWidth, int &NewHeight) const
{
    if (!m_image)
        return false;
    const int frame = FrameThickness();
    if (m_align == alNone || m_align == alLeft || m_align == alRight)
        NewWidth = m_image->width() + frame;
    if (m_align == alNone || m_align == alTop || m_align == alBottom)
        NewHeight = m_image->height() + frame;
    return true;
}

QRect TPaintPanel::InnerRect() const
{
    const int side = FrameThickness() / 2;
    return rect().adjusted(side, side, -side, -side);
}

QSize TPaintPanel::sizeHint() const
{
    int w = width();
    int h = height();
    if (m_autoSize && CanAutoSize(w, h))
        return {w, h};
    return QWidget::sizeHint();
}

void TPaintPanel::AdjustSize()
{
    if (!m_autoSize)
        return;
    int w = width();
    int h = height();
    if (CanAutoSize(w, h))
        resize(w, h);
}

void TPaintPanel::FrameChanged()
{
    AdjustSize();
    updateGeometry();
    update();
}

void TPaintPanel::Paint(QPainter &canvas)
{
    const QColor face = ColorToQColor(m_color);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    // Lowered: shadow on the top and left, light on the bottom and right.
    auto bevel = [&](TBevelCut cut, QRect &r) {
        if (cut == bvLowered)
            Frame3D(canvas, r, shadow, highlight, m_bevelWidth);
        else if (cut == bvRaised)
            Frame3D(canvas, r, highlight, shadow, m_bevelWidth);
    };

    QRect r = rect();
    canvas.fillRect(r, face);
    bevel(m_bevelOuter, r);
    Frame3D(canvas, r, face, face, m_borderWidth);
    bevel(m_bevelInner, r);

    if (m_image) {
        // Unscaled. With Center the source origin is (image - rectangle) / 2,
        // truncated toward zero: negative for an image smaller than the
        // rectangle, which puts the image in the middle.
        int sx = 0;
        int sy = 0;
        if (m_center) {
            sx = (m_image->width() - r.width()) / 2;
            sy = (m_image->height() - r.height()) / 2;
        }
        canvas.save();
        canvas.setClipRect(r, Qt::IntersectClip);
        canvas.drawImage(QPoint(r.left() - sx, r.top() - sy), *m_image);
        canvas.restore();
    }

    if (OnPaint) {
        canvas.save();
        OnPaint(this, canvas, r);
        canvas.restore();
    }

    if (!m_caption.isEmpty()) {
        canvas.save();
        canvas.setFont(font());
        canvas.setPen(palette().color(foregroundRole()));
        // One line the height of "W", centred vertically in the inner
        // rectangle; lines after a line break would lie below it, clipped.
        const int lineHeight = WideCanvasTextHeight(canvas, QStringLiteral("W"));
        QRect line = r;
        line.setTop((r.top() + r.bottom() + 1 - lineHeight) / 2);
        line.setHeight(lineHeight);
        QString text = m_caption;
        const auto lineEnd =
            std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
        text.truncate(lineEnd - text.cbegin());
        // Tabs stop every eight average characters. Qt expands them only in
        // left-aligned text, so the line is laid out from the left and then
        // moved as a whole.
        QTextOption option(Qt::AlignLeft | Qt::AlignTop);
        option.setWrapMode(QTextOption::NoWrap);
        option.setTabStopDistance(8.0 * QFontMetrics(font()).averageCharWidth());
        QTextLayout layout(text, font(), this);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine textLine = layout.createLine();
        layout.endLayout();
        if (textLine.isValid()) {
            const int textWidth = qCeil(textLine.naturalTextWidth());
            int x = line.left();
            if (m_alignment & Qt::AlignRight)
                x = line.left() + line.width() - textWidth;
            else if (m_alignment & Qt::AlignHCenter)
                x = line.left() + (line.width() - textWidth) / 2;
            canvas.setClipRect(line, Qt::IntersectClip);
            layout.draw(&canvas, QPointF(x, line.top()));
        }
        canvas.restore();
    }
}

void TPaintPanel::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    Paint(canvas);
}

bool TPaintPanel::event(QEvent *event)
{
    // Arrow keys belong to the panel while it has the focus: no shortcut of
    // the window may take them first.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        const auto extra = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (IsArrowKey(key->key()) && extra == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TPaintPanel::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    if (OnKeyDown)
        OnKeyDown(this, key, event->modifiers());
    // Arrows end here; other keys the handler left alone go on to the
    // window (Escape, Return of a dialog).
    if (key == 0 || IsArrowKey(event->key()))
        event->accept();
    else
        event->ignore();
}

void TPaintPanel::keyReleaseEvent(QKeyEvent *event)
{
    int key = event->key();
    if (OnKeyUp)
        OnKeyUp(this, key, event->modifiers());
    if (key == 0 || IsArrowKey(event->key()))
        event->accept();
    else
        event->ignore();
}

void TPaintPanel::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
    event->accept();
}

void TPaintPanel::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, event->modifiers(), p.x(), p.y());
    event->accept();
}

void TPaintPanel::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseUp)
        OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
    event->accept();
}

void TPaintPanel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (OnDblClick)
        OnDblClick(this);
    // The second press of the double click is a press like any other.
    mousePressEvent(event);
}
