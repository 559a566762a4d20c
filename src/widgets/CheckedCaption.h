#pragma once

class QAbstractButton;

// The dialogs draw the caption of a chosen option (radio button, check box)
// blue and every other one in the application's colours. Call it whenever
// the button's checked state changes.
void PaintCheckedCaption(QAbstractButton *button);
