#pragma once

#include "widgets/Alignment.h"

#include <QLineEdit>

#include <cstdint>
#include <functional>

class QValidator;

// Edit for whole numbers: text alignment, an optional digits-only switch, and
// optionally a range it keeps its value in, as the numeric fields paired with
// up-down buttons do. With a range (after SetRange) it never complains:
// leaving it with an empty text, a non-number or a negative number puts the
// value in force back; any other number is clamped to the range; Page Up and
// Page Down step the value by 10, Up and Down by 1.
class TNumEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TNumEdit(QWidget *parent = nullptr);
    ~TNumEdit() override;

    [[nodiscard]] TAlignment GetAlignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);

    // Only the ASCII digits 0-9 can be typed or pasted; a paste holding
    // anything else is refused whole. Text set by the program is not checked.
    [[nodiscard]] bool GetNumOnly() const { return m_numOnly; }
    void SetNumOnly(bool value);

    // Range of the value; the current value is clamped into it. Min > Max is
    // taken as Max..Min.
    void SetRange(int Min, int Max);
    [[nodiscard]] bool HasRange() const { return m_hasRange; }
    [[nodiscard]] int GetMin() const { return m_min; }
    [[nodiscard]] int GetMax() const { return m_max; }

    // The value in force (the last one accepted), not the text being typed.
    [[nodiscard]] int GetPosition() const { return m_position; }
    // Clamped to the range; the text shows the value.
    void SetPosition(int value);

    // Takes the typed text as the value by the rules above (leaving the edit
    // does this); a dialog may call it before it reads the value.
    void ApplyText();

    // Fired when the value in force changes, by the user or the program.
    std::function<void(QObject *Sender)> OnPositionChange;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void StepBy(int delta);
    void MoveTo(qint64 value);
    [[nodiscard]] int Clamped(qint64 value) const;

    TAlignment m_alignment = TAlignment::taLeftJustify;
    bool m_numOnly = false;
    QValidator *m_digitsOnly = nullptr;
    bool m_hasRange = false;
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
};
