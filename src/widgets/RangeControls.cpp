#include "widgets/RangeControls.h"

#include "util/SubUnit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

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

namespace {

bool isDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

void TRowRange::Create(QWidget *Parent, QObject *Filter, bool DigitsHint)
{
    BeginEdit = MakeRangeEdit(Parent, "edtRangeBegin", Filter, DigitsHint);
    EndEdit = MakeRangeEdit(Parent, "edtRangeEnd", Filter, DigitsHint);
    BeginUp = MakeRangeUpDown(Parent, "udRangeBeginUp", Qt::UpArrow);
    BeginDown = MakeRangeUpDown(Parent, "udRangeBeginDown", Qt::DownArrow);
    EndUp = MakeRangeUpDown(Parent, "udRangeEndUp", Qt::UpArrow);
    EndDown = MakeRangeUpDown(Parent, "udRangeEndDown", Qt::DownArrow);
    FromLabel = new QLabel(QStringLiteral("件目 ～"), Parent);
    FromLabel->setObjectName(QStringLiteral("lblRangeFrom"));
    ToLabel = new QLabel(QStringLiteral("件目"), Parent);
    ToLabel->setObjectName(QStringLiteral("lblRangeTo"));
    QObject::connect(BeginUp, &QToolButton::clicked, Parent, [this] { Step(true, 1); });
    QObject::connect(BeginDown, &QToolButton::clicked, Parent, [this] { Step(true, -1); });
    QObject::connect(EndUp, &QToolButton::clicked, Parent, [this] { Step(false, 1); });
    QObject::connect(EndDown, &QToolButton::clicked, Parent, [this] { Step(false, -1); });
}

QHBoxLayout *TRowRange::MakeRow() const
{
    auto *row = new QHBoxLayout;
    row->addSpacing(ScaleForDpi(20, true));
    row->addWidget(BeginEdit);
    row->addLayout(MakeUpDownColumn(BeginUp, BeginDown));
    row->addWidget(FromLabel);
    row->addWidget(EndEdit);
    row->addLayout(MakeUpDownColumn(EndUp, EndDown));
    row->addWidget(ToLabel);
    row->addStretch();
    return row;
}

void TRowRange::Init(int Rows, int BeginPos, int EndPos)
{
    const int min = Rows > 0 ? 1 : 0;
    m_begin = {min, Rows, BeginPos < 1 || BeginPos > Rows ? min : BeginPos};
    m_end = {min, Rows, EndPos < 1 || EndPos > Rows ? Rows : EndPos};
    if (m_begin.Position > m_end.Position)
        m_begin.Position = min;
    Show();
}

bool TRowRange::Reset(int Rows)
{
    if (Rows == m_end.Max)
        return false;
    const int min = Rows > 0 ? 1 : 0;
    m_begin = {min, Rows, min};
    m_end = {min, Rows, Rows};
    Show();
    return true;
}

void TRowRange::SetEnabled(bool Range)
{
    for (QWidget *w : std::initializer_list<QWidget *>{BeginEdit, EndEdit, BeginUp, BeginDown, EndUp, EndDown,
                                                        FromLabel, ToLabel})
        w->setEnabled(Range);
    for (QLineEdit *edit : {BeginEdit, EndEdit}) {
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, QApplication::palette().color(Range ? QPalette::Base : QPalette::Button));
        edit->setPalette(palette);
    }
}

void TRowRange::Show()
{
    BeginEdit->setText(QString::number(m_begin.Position));
    EndEdit->setText(QString::number(m_end.Position));
}

void TRowRange::SetValue(bool Begin, int Value)
{
    if (Begin) {
        m_begin.Position = Value;
        if (m_end.Position < m_begin.Position)
            m_end.Position = m_begin.Position;
    } else {
        m_end.Position = Value;
        if (m_begin.Position > m_end.Position)
            m_begin.Position = m_end.Position;
    }
    Show();
    if (Changed)
        Changed();
}

bool TRowRange::ApplyText(bool Begin)
{
    QLineEdit *edit = Begin ? BeginEdit : EndEdit;
    const TRangeEnd &range = Begin ? m_begin : m_end;
    const QString text = edit->text().trimmed();
    bool ok = isDigits(text);
    const int value = ok ? text.toInt(&ok) : 0;
    if (!ok || value < range.Min || value > range.Max) {
        // The rows may have changed since the edit took the focus.
        SetValue(Begin, qBound(range.Min, Begin ? m_beginAtEntry : m_endAtEntry, range.Max));
        return false;
    }
    if (value == range.Position) {
        Show();
        return false;
    }
    SetValue(Begin, value);
    edit->selectAll();
    return true;
}

void TRowRange::Step(bool Begin, int Step)
{
    const TRangeEnd &range = Begin ? m_begin : m_end;
    SetValue(Begin, qBound(range.Min, range.Position + Step, range.Max));
}

bool TRowRange::FilterEvent(QObject *Watched, QEvent *Event)
{
    if (Watched != BeginEdit && Watched != EndEdit)
        return false;
    const bool begin = Watched == BeginEdit;
    switch (Event->type()) {
    case QEvent::FocusIn:
        (begin ? m_beginAtEntry : m_endAtEntry) = (begin ? m_begin : m_end).Position;
        return false;
    case QEvent::FocusOut:
        (void)ApplyText(begin);
        return false;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        const int step = key == Qt::Key_Up ? 1 : key == Qt::Key_Down ? -1 : key == Qt::Key_PageUp ? 10
                         : key == Qt::Key_PageDown                     ? -10
                                                                       : 0;
        if (step != 0) {
            Step(begin, step);
            return true;
        }
        return (key == Qt::Key_Return || key == Qt::Key_Enter) && ApplyText(begin);
    }
    default: return false;
    }
}

int TRowRange::Count() const
{
    return m_begin.Position == 0 ? 0 : m_end.Position - m_begin.Position + 1;
}
