#include "widgets/TntNMDEdit.h"

TTntNMDEdit::TTntNMDEdit(QWidget *parent) : TNameEditHost<TTntEdit>(parent) {}

TTntEdit *TTntNMDEdit::Associate() const
{
    return qobject_cast<TTntEdit *>(FCapture.Associate());
}
