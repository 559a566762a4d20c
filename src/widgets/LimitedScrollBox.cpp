#include "widgets/LimitedScrollBox.h"

TLimitedScrollBox::TLimitedScrollBox(QWidget *parent)
    : QScrollArea(parent)
{
}

TLimitedScrollBox::~TLimitedScrollBox() = default;

bool TLimitedScrollBox::focusNextPrevChild(bool next)
{
    // QScrollArea would bring the newly focused child into view; moving the
    // focus is all that is wanted here.
    return QWidget::focusNextPrevChild(next);
}
