#pragma once

#include <Qt>

#include <functional>

class QEvent;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QObject;
class QToolButton;
class QVBoxLayout;
class QWidget;

// The controls of a numbered row range ("n 件目 ～ m 件目") that the windows
// working on list rows share: the row-number edits and their small up/down
// buttons, built alike so every range looks and steps the same.

// A small auto-repeating arrow button that never takes the focus.
QToolButton *MakeRangeUpDown(QWidget *parent, const char *name, Qt::ArrowType arrow);

// A six-digit right-aligned row-number edit without input method; keys pass
// through filter. digitsHint asks on-screen keyboards for digits only.
QLineEdit *MakeRangeEdit(QWidget *parent, const char *name, QObject *filter, bool digitsHint);

// The up button over the down button, without spacing between them.
QVBoxLayout *MakeUpDownColumn(QToolButton *up, QToolButton *down);

// {Min, Max, Position} of one end of a row range; all 0 while the list has
// no rows.
struct TRangeEnd {
    int Min = 0;
    int Max = 0;
    int Position = 0;
};

// The row range of a window that works on "一覧で選択したデータ" (0), a
// numbered range (1) or every shown row (2): its controls, its two ends and
// how they are typed and stepped. The begin never passes the end; a typed
// number outside the rows or not a number gives back the value the edit had
// when it took the focus. Changed is called after every change of an end.
class TRowRange
{
public:
    // Builds the controls on Parent (edtRangeBegin, edtRangeEnd, their
    // up/down buttons, lblRangeFrom, lblRangeTo); the edits' events go to
    // Filter, which hands them to FilterEvent.
    void Create(QWidget *Parent, QObject *Filter, bool DigitsHint);
    // The indented row of the controls.
    [[nodiscard]] QHBoxLayout *MakeRow() const;

    // Takes Rows list rows with the stored positions; a position outside
    // them falls back to the whole list.
    void Init(int Rows, int BeginPos, int EndPos);
    // A changed row count resets both ends to the whole list; true then.
    bool Reset(int Rows);
    // The controls are usable only while the range is the choice.
    void SetEnabled(bool Range);

    void SetValue(bool Begin, int Value);
    // The typed number of an edit; true when it moved the end.
    [[nodiscard]] bool ApplyText(bool Begin);
    void Step(bool Begin, int Step);
    // The range edits' focus and keys (arrows and page keys step, Enter
    // takes the number); true when the event is used up.
    [[nodiscard]] bool FilterEvent(QObject *Watched, QEvent *Event);

    // The rows the range holds.
    [[nodiscard]] int Count() const;

    [[nodiscard]] const TRangeEnd &BeginEnd() const { return m_begin; }
    [[nodiscard]] const TRangeEnd &EndEnd() const { return m_end; }
    [[nodiscard]] int BeginPos() const { return m_begin.Position; }
    [[nodiscard]] int EndPos() const { return m_end.Position; }

    std::function<void()> Changed;

    QLineEdit *BeginEdit = nullptr;
    QLineEdit *EndEdit = nullptr;
    QToolButton *BeginUp = nullptr;
    QToolButton *BeginDown = nullptr;
    QToolButton *EndUp = nullptr;
    QToolButton *EndDown = nullptr;
    QLabel *FromLabel = nullptr;
    QLabel *ToLabel = nullptr;

private:
    void Show();

    TRangeEnd m_begin;
    TRangeEnd m_end;
    int m_beginAtEntry = 0;
    int m_endAtEntry = 0;
};
