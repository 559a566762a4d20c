#pragma once

#include "widgets/TntActnList.h"

#include <QKeyCombination>
#include <QKeySequence>
#include <QString>

class QAction;
class QWidget;

// Menu items and their texts.
//
// A menu item is the window's command itself: a TTntAction added to a QMenu
// or QMenuBar. QMenu shows the caption, underlines the "&" letter and writes
// the shortcut after it; hovering an item sends its statusTip (the long hint)
// to the application, which makes it the application's hint.
using TTntMenuItem = TTntAction;

// The caption without its hot-key marks: every "&" is removed, and a
// Japanese-style group "(&X)" (an opening parenthesis, "&", one character, a
// closing parenthesis) is removed whole, so "開く(&O)..." gives "開く...".
[[nodiscard]] QString WideStripHotkey(const QString &text);
// Two captions are the same when their stripped forms are equal; the menu
// items compare case-sensitively, everything else case-insensitively.
[[nodiscard]] bool WideSameCaption(const QString &a, const QString &b,
                                   Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive);

// Text of a shortcut: "Shift+", "Ctrl+" and "Alt+" (in that order) before the
// key's name ("Ctrl+I", "Shift+Ctrl+F5", "Del"); the keypad flag is not
// shown. No key (0, or modifiers only) gives an empty text. A sequence of
// several chords joins them with ", ".
[[nodiscard]] QString WideShortCutToText(QKeyCombination shortCut);
[[nodiscard]] QString WideShortCutToText(const QKeySequence &shortCut);

// What a menu shows for an item: the caption, then, for an item without a
// sub-menu that has a shortcut and is not a top-level item of a main menu
// (menu bar), a tab and the shortcut text.
[[nodiscard]] QString MenuItemNativeText(const QString &caption, const QKeySequence &shortCut, bool hasSubItems,
                                         bool topLevelOfMainMenu);
// The same for an action shown in container (a QMenu, or a QMenuBar whose
// items are top-level items of a main menu).
[[nodiscard]] QString MenuItemNativeText(const QAction *item, const QWidget *container);
