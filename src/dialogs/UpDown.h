#pragma once

#include <QWidget>

#include <functional>

class QToolButton;

// The arrows beside a value edit: holds a whole-number position kept inside
// its minimum and maximum (0.1 mm or a count) and tells its owner when the
// user clicked one of them. The edit beside it shows the position.
class TUpDown : public QWidget
{
public:
    explicit TUpDown(QWidget *parent = nullptr);

    [[nodiscard]] int Position() const { return m_position; }
    void SetPosition(int value); // clamped to the range
    [[nodiscard]] int Min() const { return m_min; }
    [[nodiscard]] int Max() const { return m_max; }
    void SetMin(int value);
    void SetMax(int value); // the position follows into the range

    // After a click has moved the position.
    std::function<void()> OnClick;

private:
    void step(int delta);

    int m_min = 0, m_max = 100, m_position = 0;
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
};
