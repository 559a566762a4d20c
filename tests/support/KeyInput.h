#pragma once

#include <QString>

class QWidget;

// Types text as a person with a Japanese input method does: one key press and
// release per character, the event carrying the character (a surrogate pair
// whole), which QTest's Latin-1 key clicks cannot express.
void TypeCharacters(QWidget *widget, const QString &text);

// Commits text the way an input method ends a composition.
void CommitThroughInputMethod(QWidget *widget, const QString &text);

// Puts text on the clipboard and pastes it into a line or plain-text edit.
void PasteText(QWidget *widget, const QString &text);

// Drops text onto the widget's middle, as text dragged from another program.
void DropText(QWidget *widget, const QString &text);
