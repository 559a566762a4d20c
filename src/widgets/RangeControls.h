#pragma once

#include <Qt>

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
