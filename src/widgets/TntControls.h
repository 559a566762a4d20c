#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

// Wide text and wide hint of any control of the windows.
//
// Qt widgets are Unicode throughout, so the wide value is always the widget's
// own text; these accessors only pick the right Qt property for each kind of
// widget, so that code above can treat every control alike:
//   QLineEdit                       text()
//   QComboBox                       the edit text when editable, else the current item's text
//   QAbstractButton, QLabel         text()
//   QGroupBox                       title()
//   QTextEdit, QPlainTextEdit       the plain text
//   any other top-level window      the window title
//   any other widget with a QString "text" property: that property
//   anything else                   a wide text kept on the widget itself
// A new kind of control either has a "text" property or is added to the
// dispatch in TntControls.cpp.
//
// Hints have the form "short|long": the short part becomes the widget's
// toolTip, the long part its statusTip (shown by the main window in its first
// status panel). A hint without "|" is both.

// Byte (CP932) copy kept beside a wide text: the byte side may be changed by
// code that only knows bytes; the wide side is the truth as long as its CP932
// form still equals the byte copy.
//
// Returns wideValue after taking over the decoded ansiValue when the CP932
// form of wideValue differs from it (someone changed the byte side).
QString GetSyncedWideString(QString &wideValue, const QByteArray &ansiValue);
// Stores value when it differs from GetSyncedWideString(wideValue, ansiValue):
// wideValue = value, then setAnsi(CP932 form of value). When value has
// characters outside CP932 and the byte side already holds its CP932 form
// (e.g. "?" for both "𠮷" and "é"), setAnsi("") runs first, so that whoever
// watches the byte side still sees a change.
void SetSyncedWideString(const QString &value, QString &wideValue, QByteArray ansiValue,
                         const std::function<void(const QByteArray &)> &setAnsi);

// The control's wide text (table above); empty for a null widget.
[[nodiscard]] QString GetWideText(const QWidget *control);
// Sets the control's wide text; nothing is changed and no change signal is
// emitted when the control already shows that text.
void SetWideText(QWidget *control, const QString &value);
// The wide text kept for the control: GetWideText for the kinds of the table,
// the stored wide text (or defaultValue when none was stored) for the others.
[[nodiscard]] QString GetStoredWideText(const QWidget *control, const QString &defaultValue);
void SetStoredWideText(QWidget *control, const QString &value);

// The control's whole hint ("short|long"). Kept on the widget; when its
// toolTip or statusTip was changed directly since, the hint is rebuilt from
// them ("tip" when both are equal, else "tip|status").
[[nodiscard]] QString GetWideHint(const QWidget *control);
// Sets the whole hint: toolTip = short part, statusTip = long part. Setting
// the hint the control already has changes nothing.
void SetWideHint(QWidget *control, const QString &value);
// True unless the control's hint is taken from an action it is linked to
// (TTntControlActionLink) and the link still carries the hint.
[[nodiscard]] bool IsWideHintStored(const QWidget *control);

// The first non-empty GetWideHint from the control up through its parents;
// empty when none has one.
[[nodiscard]] QString WideGetHint(const QWidget *control);
// The part before the first "|" (the whole hint when there is none).
[[nodiscard]] QString WideGetShortHint(const QString &hint);
// The part after the first "|" (the whole hint when there is none).
[[nodiscard]] QString WideGetLongHint(const QString &hint);
