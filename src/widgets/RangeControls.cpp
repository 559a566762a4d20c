#include "widgets/RangeControls.h"

#include "util/SubUnit.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

QToolButton *MakeRangeUpDown(QWidget *parent, const char *name, Qt::ArrowType arrow)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setFixedSize(ScaleForDpi(16, true), ScaleForDpi(11, true));
    return button;
}

QLineEdit *MakeRangeEdit(QWidget *parent, const char *name, QObject *filter, bool digitsHint)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(6);
    edit->setAlignment(Qt::AlignRight);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    if (digitsHint)
        edit->setInputMethodHints(Qt::ImhDigitsOnly);
    edit->setFixedWidth(ScaleForDpi(64, true));
    edit->installEventFilter(filter);
    return edit;
}

QVBoxLayout *MakeUpDownColumn(QToolButton *up, QToolButton *down)
{
    auto *column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(up);
    column->addWidget(down);
    return column;
}
