#include "widgets/TntNMDEdit.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

TTntNMDEdit::TTntNMDEdit(QWidget *parent)
    : TTntEdit(parent), FCapture(this, this, OnConvertNeed, OnConvertKeyDown)
{
}

TTntNMDEdit::~TTntNMDEdit()
{
    FCapture.Destroying();
}

TTntEdit *TTntNMDEdit::Associate() const
{
    return qobject_cast<TTntEdit *>(FCapture.Associate());
}

void TTntNMDEdit::InsertName(const QByteArray &Kanji, const QByteArray &Kana, bool NoSeparator)
{
    FCapture.InsertName(Kanji, Kana, NoSeparator);
}

void TTntNMDEdit::keyPressEvent(QKeyEvent *event)
{
    if (FCapture.KeyPress(*event))
        return;
    TTntEdit::keyPressEvent(event);
}

void TTntNMDEdit::inputMethodEvent(QInputMethodEvent *event)
{
    FCapture.BeforeInputMethod(*event);
    TTntEdit::inputMethodEvent(event);
    FCapture.AfterInputMethod(*event);
}

void TTntNMDEdit::focusOutEvent(QFocusEvent *event)
{
    FCapture.Leave();
    TTntEdit::focusOutEvent(event);
}
