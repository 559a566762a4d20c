#pragma once

#include <QObject>

class QEvent;

// Keeps every one-line edit of the program on one line, the plain QLineEdit
// of a dialog and Qt's own dialogs included: an edit that has no validator of
// its own gets KeepOnOneLine before it is first shown, and again before the
// user can reach it (focus, keys, input method, drag and drop, context menu,
// the middle button's paste) should a window have taken its validator away.
// The program's own edits (TTntEdit, the name edits, the combo boxes' edit
// parts, every edit with a TByteLimitValidator) do so by themselves.
//
// Installed once on the application at start (InstallOneLineEdits).
class TOneLineEdits : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Installs one TOneLineEdits on the application; calling it again does
// nothing.
void InstallOneLineEdits();
