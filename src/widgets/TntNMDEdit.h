#pragma once

#include "widgets/NMDEdit.h"
#include "widgets/TntStdCtrls.h"

// Wide-text name edit: captures the reading of names typed through the input
// method like TNMDEdit, on a TTntEdit whose positions count UTF-16 units (the
// name, reading and joint-name fields of the record and sender forms, the
// names of the QR-code and user-information dialogs). Its associate is a
// TTntEdit too.
class TTntNMDEdit : public TNameEditHost<TTntEdit>
{
    Q_OBJECT

public:
    explicit TTntNMDEdit(QWidget *parent = nullptr);

    // Cleared by itself when the associate is destroyed.
    [[nodiscard]] TTntEdit *Associate() const;
    void SetAssociate(TTntEdit *Value) { FCapture.SetAssociate(Value); }
};
