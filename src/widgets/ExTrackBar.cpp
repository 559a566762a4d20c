#include "widgets/ExTrackBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

TExTrackBar::TExTrackBar(QWidget *parent)
    : TExTrackBar(Qt::Horizontal, parent)
{
}

TExTrackBar::TExTrackBar(Qt::Orientation orientation, QWidget *parent)
    : QSlider(orientation, parent)
{
}

TExTrackBar::~TExTrackBar() = default;

QRect TExTrackBar::ThumbRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void TExTrackBar::Changed()
{
    if (OnChanged)
        OnChanged(this);
}

QAbstractSlider::SliderAction TExTrackBar::KeyAction(int key) const
{
    // Keys along the bar's axis keep their direction; the keys across it
    // follow "down is right" (the default) or "down is left".
    const bool vertical = orientation() == Qt::Vertical;
    const bool swapUpDown = m_downIsLeft && !vertical;
    const bool swapLeftRight = m_downIsLeft && vertical;
    switch (key) {
    case Qt::Key_Left: return swapLeftRight ? SliderSingleStepAdd : SliderSingleStepSub;
    case Qt::Key_Right: return swapLeftRight ? SliderSingleStepSub : SliderSingleStepAdd;
    case Qt::Key_Up: return swapUpDown ? SliderSingleStepAdd : SliderSingleStepSub;
    case Qt::Key_Down: return swapUpDown ? SliderSingleStepSub : SliderSingleStepAdd;
    case Qt::Key_PageUp: return swapUpDown ? SliderPageStepAdd : SliderPageStepSub;
    case Qt::Key_PageDown: return swapUpDown ? SliderPageStepSub : SliderPageStepAdd;
    case Qt::Key_Home: return SliderToMinimum;
    case Qt::Key_End: return SliderToMaximum;
    default: return SliderNoAction;
    }
}

void TExTrackBar::keyPressEvent(QKeyEvent *event)
{
    const SliderAction action = KeyAction(event->key());
    if (action == SliderNoAction) {
        QSlider::keyPressEvent(event);
        return;
    }
    triggerAction(action);
    event->accept();
}

void TExTrackBar::keyReleaseEvent(QKeyEvent *event)
{
    if (KeyAction(event->key()) == SliderNoAction) {
        QSlider::keyReleaseEvent(event);
        return;
    }
    event->accept();
    // A held key repeats its step; the change ends when the key goes up.
    if (!event->isAutoRepeat())
        Changed();
}

void TExTrackBar::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && ThumbRect().contains(p)) {
        QSlider::mousePressEvent(event);
        return;
    }
    // Beside the thumb (or another button): no paging and no jump; the owner decides.
    event->accept();
    if (event->button() == Qt::LeftButton)
        setFocus(Qt::MouseFocusReason);
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TExTrackBar::mouseReleaseEvent(QMouseEvent *event)
{
    const bool dragging = isSliderDown();
    QSlider::mouseReleaseEvent(event);
    if (dragging && !isSliderDown())
        Changed();
}

#if QT_CONFIG(wheelevent)
void TExTrackBar::wheelEvent(QWheelEvent *event)
{
    const int before = value();
    QSlider::wheelEvent(event);
    if (value() != before)
        Changed();
}
#endif

void TExTrackBar::initStyleOption(QStyleOptionSlider *option) const
{
    QSlider::initStyleOption(option);
    if (orientation() == Qt::Vertical)
        option->upsideDown = !option->upsideDown;
}
