#pragma once

#include <QSlider>

#include <functional>

// The track bar of the size sliders (layout-detail dialog). It behaves like
// the platform track bar: minimum at the left or top, the arrow, page, Home
// and End keys as that bar maps them (DownIsLeft swaps the meaning of the
// keys across the bar's axis). It reports the end of every user change once
// through OnChanged (thumb released, key released, wheel turned), never for a
// programmatic setValue. A left press beside the thumb does not page the thumb:
// it takes the focus and fires OnMouseDown, and the owner moves the thumb
// itself (the dialog jumps to the clicked value). A press on the thumb drags
// it as usual and fires no OnMouseDown.
class TExTrackBar : public QSlider
{
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(QObject *Sender)>;
    using TMouseEvent =
        std::function<void(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;

    explicit TExTrackBar(QWidget *parent = nullptr);
    explicit TExTrackBar(Qt::Orientation orientation, QWidget *parent = nullptr);
    ~TExTrackBar() override;

    // By default Down and PageDown on a horizontal bar (Right on a vertical
    // one) move toward the maximum, as if down were right; with DownIsLeft
    // they move toward the minimum, and Up, PageUp (Left) toward the maximum.
    [[nodiscard]] bool DownIsLeft() const { return m_downIsLeft; }
    void SetDownIsLeft(bool downIsLeft) { m_downIsLeft = downIsLeft; }

    // The thumb's rectangle in the bar's coordinates.
    [[nodiscard]] QRect ThumbRect() const;

    TNotifyEvent OnChanged;
    TMouseEvent OnMouseDown;

protected:
    // A change of the position by the user has ended; fires OnChanged.
    virtual void Changed();

    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent *event) override;
#endif
    // The platform bar has its minimum at the top; Qt's vertical slider at
    // the bottom. Painting and the mouse both take the direction from here.
    void initStyleOption(QStyleOptionSlider *option) const override;

private:
    [[nodiscard]] SliderAction KeyAction(int key) const;

    bool m_downIsLeft = false;
};
