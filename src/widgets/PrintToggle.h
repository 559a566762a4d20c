#pragma once

#include <QIcon>

class QToolButton;

// The picture of a print toggle (a name, a joint name, a contact line):
// a printer while the toggle is down (the item prints), the same printer
// crossed out in red while it is up (the item does not print). Drawn here,
// so the state reads at a glance on every style and platform theme, where a
// plain checkable button may look the same up and down.
//
// The icon holds both pictures as its On and Off states, so a checkable
// button shows the one for its state by itself.
[[nodiscard]] QIcon PrintToggleIcon();

// Makes Button a print toggle: checkable, the picture beside its caption
// ("本", "1").
void MakePrintToggle(QToolButton *Button);
