#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QValidator>

#include <cstdint>

class QLineEdit;
class QWidget;

// What the limit of a TByteLimitValidator counts.
enum class TLimitUnit : std::uint8_t {
    Cp932Bytes, // a Shift-JIS field: bytes of the CP932 form
    Utf16Units, // a name kept in the "@" form: UTF-16 units, any character
};

// Limits the text of one line edit to the width of the field it is stored
// in: CP932 bytes, or UTF-16 units for the names kept in the "@" form. Input
// is cut only between whole characters (a surrogate pair is one): a typed
// character that does not fit is refused, a pasted text or an input-method
// commit that does not fit is cut after the last character that does, and a
// hint under the edit tells what was left out. Text set by the program is
// taken as it stands, even when longer than the limit (a stored value is
// shown whole); the user may shorten it but not make it grow. 0 means no
// limit.
//
// In a CP932 field a character the code page lacks (𠮷, emoji, many symbols)
// would be stored as "?": it is left out of what is typed, committed or
// pasted, the rest goes in, and the hint names what was left out. The
// writers check program text again before they store it.
//
// A one-line field never takes a line break or another control character:
// what is pasted, dropped or committed goes through OneLineText first (a
// typed key never inserts one). With a limit of 0 in UTF-16 units this is
// all the validator does (KeepOnOneLine).
//
// It remembers the last text it accepted to tell what the user inserted, and
// watches the edit it is parented to (or the edit part of that combo box) to
// tell the user's input from the program's, so each edit needs its own
// validator.
class TByteLimitValidator : public QValidator
{
    Q_OBJECT

public:
    explicit TByteLimitValidator(int maxBytes, QObject *parent = nullptr);

    // The limit, in the unit LimitUnit says.
    [[nodiscard]] int MaxBytes() const { return m_maxBytes; }
    void SetMaxBytes(int maxBytes);
    [[nodiscard]] TLimitUnit LimitUnit() const { return m_unit; }
    void SetLimitUnit(TLimitUnit unit);

    // Telephone, fax, mobile and postcode fields: full-width digits and
    // hyphens become half-width as they are entered, before the bytes are
    // counted.
    [[nodiscard]] bool HalfWidthNumbers() const { return m_halfWidthNumbers; }
    void SetHalfWidthNumbers(bool on);

    // Telephone, fax and mobile fields: only digits and hyphens go in; the
    // parentheses around an area code become hyphens (０１１（２３１）４１１１
    // -> 011-231-4111); anything else is left out and named in the hint.
    [[nodiscard]] bool PhoneNumber() const { return m_phoneNumber; }
    void SetPhoneNumber(bool on);

    // Readings kept in half-width katakana: hiragana and full-width katakana
    // (and the letters, digits and marks that have a half-width form) are
    // entered half-width, as the half-width katakana input mode would.
    [[nodiscard]] bool HalfWidthKana() const { return m_halfWidthKana; }
    void SetHalfWidthKana(bool on);

    // The text the edit holds now, taken as accepted: what the user inserts
    // next is told apart from it.
    void Follow(const QString &text) { m_lastAccepted = text; }

    // pos is the caret after the change: the inserted text ends there, so an
    // overflow is removed from just before it, a whole character at a time.
    State validate(QString &input, int &pos) const override;

private:
    [[nodiscard]] QLineEdit *WatchedEdit() const;
    [[nodiscard]] QWidget *HintAnchor() const;
    [[nodiscard]] qsizetype Measure(QStringView text) const;

    int m_maxBytes;
    TLimitUnit m_unit = TLimitUnit::Cp932Bytes;
    bool m_halfWidthNumbers = false;
    bool m_phoneNumber = false;
    bool m_halfWidthKana = false;
    mutable QString m_lastAccepted;
    // What the limit has left out of the keys typed since the hint came up
    // for this field: each refused key adds to it, so the hint names all the
    // user lost, not only the last key.
    mutable QString m_refusedRun;
};

// What a one-line field takes of text pasted, dropped or committed into it.
// A line break (CR LF, CR, LF, VT, FF, NEL, U+2028, U+2029) or a tab
// separates words, as in an address copied over two lines or a row copied
// from a spreadsheet: each run of them becomes one blank, and a run at
// either end of the text, which separates nothing, goes. Any other control
// character (C0, DEL, C1) shows nothing and no field keeps it: it is left
// out and added, once, to leftOut. Text without control characters comes
// back as it is.
[[nodiscard]] QString OneLineText(QStringView text, QStringList *leftOut = nullptr);

// Gives edit, when it has no validator yet, a TByteLimitValidator that only
// keeps what the user inserts on one line (no limit, no code page). An edit
// that has a validator keeps it.
void KeepOnOneLine(QLineEdit *edit);

// The characters of text that a CP932 field cannot hold (each would be
// stored as "?"), each once, in text order; empty when all can be stored.
// A lone surrogate is one entry of its own.
[[nodiscard]] QStringList UnstorableCharList(QStringView text);
// The same joined into one string.
[[nodiscard]] QString UnstorableChars(QStringView text);

// Number input as Japanese input methods often give it: the full-width digits
// and the hyphen look-alikes (－ ー ‐ − ―) become "0".."9" and "-"; every
// other character stays. The length in UTF-16 units does not change.
[[nodiscard]] QString HalfWidthNumberText(QStringView text);

// A telephone number as typed or pasted: half-width digits and hyphens, the
// parentheses around an area code turned into hyphens. Every other character
// is left out and added, once each, to leftOut. before is the character the
// text is inserted after (none at the start of the field).
[[nodiscard]] QString PhoneNumberText(QStringView text, QStringList *leftOut = nullptr, QChar before = QChar());

// Hiragana and full-width katakana (and whatever else has a half-width form:
// letters, digits, marks) in their half-width form; other characters stay.
// Every character of text must be one code page 932 holds.
[[nodiscard]] QString HalfWidthKanaText(QStringView text);

// The one wording of the refusal: "この文字は保存できません: " + characters,
// those that show nothing written as their code ("(U+00A0)"). The list form
// separates the characters with a blank.
[[nodiscard]] QString UnstorableCharsMessage(const QString &characters);
[[nodiscard]] QString UnstorableCharsMessage(const QStringList &characters);

// Tells the user, without a dialog, why input was refused or shortened: a
// balloon under widget holding message. It takes no focus, leaves after a
// few seconds or as soon as the focus leaves widget, and the next hint
// replaces it.
void ShowInputHint(QWidget *widget, const QString &message);
// ShowInputHint with UnstorableCharsMessage(characters).
void ShowInputRefusedHint(QWidget *widget, const QString &characters);
// The text of the hint balloon while it is shown, else empty.
[[nodiscard]] QString ShownInputRefusedHint();
// The balloon itself while it is shown (for a screenshot), else nullptr.
[[nodiscard]] QWidget *ShownInputHintWidget();
