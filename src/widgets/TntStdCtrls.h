#pragma once

#include "widgets/TntClasses.h"

#include <QComboBox>
#include <QLineEdit>
#include <QString>

#include <functional>

class QKeyEvent;
class TByteLimitValidator;

// Single-line edit with wide text, hint, password character and selection.
// The QString is the truth; the ANSI (CP932) forms are derived from it. The
// name edits derive from it and hook the key and focus events QLineEdit
// offers; everything here keeps QLineEdit's own signals intact.
class TTntCustomEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TTntCustomEdit(QWidget *parent = nullptr);
    ~TTntCustomEdit() override;

    // Text. Setting the text it already holds does nothing (no OnChange).
    [[nodiscard]] QString GetText() const;
    void SetText(const QString &value);

    // Hint in "short|long" form: the short part is the tooltip, the long part
    // the status tip; without "|" both are the whole hint.
    [[nodiscard]] QString GetHint() const;
    void SetHint(const QString &value);

    // Password character: 0 echoes normally; any other character is shown in
    // place of every typed character. AnsiPasswordChar is its single-byte
    // form: the character itself below 256, else '*'.
    [[nodiscard]] QChar GetPasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(QChar value);
    [[nodiscard]] char AnsiPasswordChar() const;

    // Selection in UTF-16 units. Without a selection SelStart is the caret
    // position and SelLength 0. SetSelStart moves the caret and drops the
    // selection; SetSelLength keeps the start and selects forward. Both clamp
    // to the text.
    [[nodiscard]] virtual int GetSelStart() const;
    virtual void SetSelStart(int value);
    [[nodiscard]] virtual int GetSelLength() const;
    virtual void SetSelLength(int value);
    [[nodiscard]] virtual QString GetSelText() const;

    // Input limit in characters (QLineEdit's maxLength).
    [[nodiscard]] int GetMaxLength() const { return maxLength(); }
    void SetMaxLength(int value) { setMaxLength(value); }
    // Input limit in CP932 bytes for fields stored as fixed-width Shift-JIS;
    // never splits a double-byte character. 0 removes the limit.
    void SetMaxLengthBytes(int bytes);
    [[nodiscard]] int GetMaxLengthBytes() const;

    // Fired after every change of the text (typed or set), with this edit.
    std::function<void(QObject *Sender)> OnChange;

private:
    void applyPasswordChar();

    QChar m_passwordChar;
    QString m_passwordRule; // our part of the style sheet
    QString m_hint;
    TByteLimitValidator *m_byteLimit = nullptr;
};

// The edit the windows place (search words, condition fields); base of the
// name edits.
class TTntEdit : public TTntCustomEdit
{
    Q_OBJECT

public:
    explicit TTntEdit(QWidget *parent = nullptr);
    ~TTntEdit() override;
};
