#pragma once

#include <QString>
#include <QStringView>
#include <QValidator>

class QLineEdit;
class QWidget;

// Limits the text of one line edit to a number of CP932 bytes, the width of
// the Shift-JIS field the text is stored in. Input is cut only between whole
// characters: a typed character that does not fit is refused, a pasted text
// that does not fit is cut after the last character that does. Text set by
// the program is cut the same way. 0 bytes means no limit.
//
// A character the code page lacks (𠮷, emoji, many symbols) would be stored
// as "?": typed, entered through an input method or pasted, the whole input
// is refused and a hint under the edit names the characters. Text the program
// sets is taken as it stands; the writers check it again before they store.
//
// It remembers the last text it accepted to tell a refused key from a cut
// paste, and watches the edit it is parented to (or the edit part of that
// combo box) to tell the user's input from the program's, so each edit needs
// its own validator.
class TByteLimitValidator : public QValidator
{
    Q_OBJECT

public:
    explicit TByteLimitValidator(int maxBytes, QObject *parent = nullptr);

    [[nodiscard]] int MaxBytes() const { return m_maxBytes; }
    void SetMaxBytes(int maxBytes);

    // Telephone, fax, mobile and postcode fields: full-width digits and
    // hyphens become half-width as they are entered, before the bytes are
    // counted.
    [[nodiscard]] bool HalfWidthNumbers() const { return m_halfWidthNumbers; }
    void SetHalfWidthNumbers(bool on);

    // pos is the caret after the change: the inserted text ends there, so an
    // overflow is removed from just before it, a whole character at a time.
    State validate(QString &input, int &pos) const override;

private:
    [[nodiscard]] QLineEdit *WatchedEdit() const;

    int m_maxBytes;
    bool m_halfWidthNumbers = false;
    mutable QString m_lastAccepted;
};

// The characters of text that a CP932 field cannot hold (each would be
// stored as "?"), each once, in text order; empty when all can be stored.
[[nodiscard]] QString UnstorableChars(QStringView text);

// Number input as Japanese input methods often give it: the full-width digits
// and the hyphen look-alikes (－ ー ‐ − ―) become "0".."9" and "-"; every
// other character stays. The length in UTF-16 units does not change.
[[nodiscard]] QString HalfWidthNumberText(QStringView text);

// The one wording of the refusal: "この文字は保存できません: " + characters,
// those that show nothing written as their code ("(U+00A0)").
[[nodiscard]] QString UnstorableCharsMessage(const QString &characters);

// Tells the user, without a dialog, why input was refused: a balloon under
// widget holding UnstorableCharsMessage(characters) for a few seconds. It
// takes no focus, and the next refusal replaces it.
void ShowInputRefusedHint(QWidget *widget, const QString &characters);
// The text of the refusal balloon while it is shown, else empty.
[[nodiscard]] QString ShownInputRefusedHint();
