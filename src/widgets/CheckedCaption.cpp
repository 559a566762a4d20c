#include "widgets/CheckedCaption.h"

#include "platform/Colors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPalette>

void PaintCheckedCaption(QAbstractButton *button)
{
    // Starting from the application palette for this kind of button drops
    // the blue again when the option is cleared.
    QPalette palette = QApplication::palette(button);
    if (button->isChecked()) {
        palette.setColor(QPalette::WindowText, ColorToQColor(clBlue));
        palette.setColor(QPalette::ButtonText, ColorToQColor(clBlue));
    }
    button->setPalette(palette);
}
