#pragma once

#include "widgets/NMDEdit.h"
#include "widgets/TntStdCtrls.h"

// Wide-text name edit: captures the reading of names typed through the input
// method like TNMDEdit, on a TTntEdit whose positions count UTF-16 units (the
// name, reading and joint-name fields of the record and sender forms, the
// names of the QR-code and user-information dialogs). Its associate is a
// TTntEdit too.
class TTntNMDEdit : public TTntEdit
{
    Q_OBJECT

public:
    explicit TTntNMDEdit(QWidget *parent = nullptr);
    ~TTntNMDEdit() override;

    [[nodiscard]] TInputKind InputType() const { return FCapture.InputType; }
    void SetInputType(TInputKind Value) { FCapture.InputType = Value; }
    // Cleared by itself when the associate is destroyed.
    [[nodiscard]] TTntEdit *Associate() const;
    void SetAssociate(TTntEdit *Value) { FCapture.SetAssociate(Value); }

    // Kanji and Kana are CP932 text from the name dictionary.
    void InsertName(const QByteArray &Kanji, const QByteArray &Kana, bool NoSeparator);

    TConvertNeedEvent OnConvertNeed;
    TConvertKeyDownEvent OnConvertKeyDown;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    TReadingCapture FCapture;
};
