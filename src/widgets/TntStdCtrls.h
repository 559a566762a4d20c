#pragma once

#include "platform/Exception.h"
#include "widgets/TntClasses.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QInputMethodEvent;
class QKeyEvent;
class QMimeData;
class TByteLimitValidator;
class TTntCustomComboBox;

// The control refused an item (a combo box at its maximum item count).
MURVEN_DECLARE_EXCEPTION(EOutOfResources, Exception);

// Single-line edit with wide text, hint, password character and selection.
// The QString is the truth; the ANSI (CP932) forms are derived from it. What
// the user pastes, drops or commits stays on one line, with or without a
// limit (OneLineText: a line break becomes a blank). The
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

    // Hint in "short|long" form (GetWideHint/SetWideHint): the short part is
    // the tooltip, the long part the status tip; without "|" both are the
    // whole hint.
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
    // Cuts text longer than the byte limit (held from before the limit was
    // set or lowered) after whole characters: byte 12 of a 12-byte limit
    // being a lead byte leaves 11. Without a limit it does nothing.
    void CutToMaxLengthBytes();
    // Telephone, fax, mobile and postcode edits: full-width digits and
    // hyphens become half-width as they are set and, once the edit has its
    // byte limit, as they are typed or pasted (the limit counts the
    // half-width form).
    void SetHalfWidthNumbers(bool on);
    [[nodiscard]] bool GetHalfWidthNumbers() const { return m_halfWidthNumbers; }
    // Input limit in UTF-16 units, for the names kept in the "@" form (any
    // character, a surrogate pair taken or refused whole). Replaces a byte
    // limit; 0 removes the limit.
    void SetMaxLengthUnits(int units);
    // Telephone, fax and mobile edits: only digits and hyphens are typed or
    // pasted, parentheses becoming hyphens (TByteLimitValidator::PhoneNumber).
    void SetPhoneNumber(bool on);
    // Readings kept in half-width katakana: typed or pasted kana are entered
    // half-width (TByteLimitValidator::HalfWidthKana).
    void SetHalfWidthKana(bool on);

    // Fired after every change of the text (typed or set), with this edit.
    std::function<void(QObject *Sender)> OnChange;

private:
    void applyPasswordChar();
    // The one validator of the edit: with limit 0 it only keeps the text on
    // one line.
    void SetLimit(int limit, bool units);

    QChar m_passwordChar;
    QString m_passwordRule; // our part of the style sheet
    TByteLimitValidator *m_byteLimit = nullptr;
    bool m_halfWidthNumbers = false;
    bool m_phoneNumber = false;
    bool m_halfWidthKana = false;
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

// Multi-line edit of a memo field stored as CP932 text: a character the code
// page lacks is refused where it is typed, and left out of what an input
// method commits or what is pasted or dropped (the rest goes in); a hint
// under the memo names it, as the byte-limited edits do. Text set by the
// program is taken as it stands.
class TTntMemo : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TTntMemo(QWidget *parent = nullptr);
    ~TTntMemo() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    // True (and the hint shown) when text holds a character the memo refuses.
    bool Refuses(const QString &text);
    // text without the characters the memo refuses (the hint names them).
    QString Storable(const QString &text);
};

// Styles of the combo box: an edit with a drop-down list, or a drop-down list
// only (the text is always one of the items).
enum class TComboBoxStyle : std::uint8_t {
    csDropDown = 0,
    csDropDownList = 1,
};

// The item list of one combo box as a TTntStrings: texts and objects live in
// the combo's items (the object as the item's data); the list owns nothing.
// Get with an index out of range yields ""; the other operations raise
// EStringListError for it. IndexOf ignores case, as the list's exact search
// does. Clear keeps the combo's text.
class TTntComboBoxStrings : public TTntStrings
{
public:
    explicit TTntComboBoxStrings(TTntCustomComboBox &comboBox);

    [[nodiscard]] QString Get(int index) const override;
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] void *GetObject(int index) const override;
    void Put(int index, const QString &s) override;
    void PutObject(int index, void *object) override;
    void Clear() override;
    void Delete(int index) override;
    // Index -1 appends. An index beyond the end, or an item the combo refuses,
    // raises EOutOfResources.
    void Insert(int index, const QString &s) override;
    int Add(const QString &s) override;
    [[nodiscard]] int IndexOf(const QString &s) const override;

protected:
    void SetUpdateState(bool updating) override;

private:
    void CheckIndex(int index) const;

    TTntCustomComboBox &m_comboBox;
};

// Combo box with wide items and text, a hint, and the item search of the
// program's combos: with AutoComplete on, a drop-down list searches the items
// incrementally as the user types (a pause of 1250 ms starts a new search),
// and a drop-down completes the typed text from the first matching item.
// AutoComplete is off by default; Qt's own completer is never used.
//
// Events: OnChange when the user edits the text; OnClick then OnSelect when
// the user chooses an item (the text has become that item by then).
class TTntCustomComboBox : public QComboBox
{
    Q_OBJECT

public:
    // Milliseconds of a monotonic clock; tests put a fixed clock here.
    using TClock = std::function<qint64()>;

    // Pause after which the incremental search starts again, in ms.
    static constexpr qint64 SearchResetMs = 1250;

    explicit TTntCustomComboBox(QWidget *parent = nullptr);
    ~TTntCustomComboBox() override;

    [[nodiscard]] TTntComboBoxStrings &Items() { return *m_items; }
    [[nodiscard]] const TTntComboBoxStrings &Items() const { return *m_items; }
    virtual void SetItems(const TTntStrings &value);
    virtual void AddItem(const QString &Item, void *AObject);

    // The edit text of a drop-down, the chosen item's text of a drop-down
    // list. Setting a drop-down list's text chooses the item with that text
    // (none when there is no such item). Setting the text it already has does
    // nothing.
    [[nodiscard]] QString GetText() const;
    void SetText(const QString &value);

    // Hint in "short|long" form (tooltip | status tip).
    [[nodiscard]] QString GetHint() const;
    void SetHint(const QString &value);

    // -1 when no item is chosen. Setting it fires no event.
    [[nodiscard]] int GetItemIndex() const { return currentIndex(); }
    void SetItemIndex(int value);

    // Changing the style keeps the items, the chosen item and the text.
    [[nodiscard]] TComboBoxStyle GetStyle() const;
    void SetStyle(TComboBoxStyle value);

    [[nodiscard]] bool GetAutoComplete() const { return m_autoComplete; }
    void SetAutoComplete(bool value);
    // With AutoComplete: a typed character opens the closed list, Tab closes it.
    [[nodiscard]] bool GetAutoDropDown() const { return m_autoDropDown; }
    void SetAutoDropDown(bool value) { m_autoDropDown = value; }
    // SelectItem closes the open list when an item equals the searched text.
    [[nodiscard]] bool GetAutoCloseUp() const { return m_autoCloseUp; }
    void SetAutoCloseUp(bool value) { m_autoCloseUp = value; }

    void SetClock(TClock clock);

    // Chooses the first item that starts with Text (ignoring case); with
    // UniqueOnly only when no other item does. A drop-down then shows Text
    // followed by the rest of the item (KeepTypedText) or the item itself,
    // with the completed part selected. Fires OnClick and OnSelect when the
    // choice changed. False when nothing matched.
    bool SelectItem(const QString &Text, bool KeepTypedText, bool UniqueOnly);

    std::function<void(QObject *Sender)> OnChange;
    std::function<void(QObject *Sender)> OnClick;
    std::function<void(QObject *Sender)> OnSelect;

protected:
    // Auto-complete of a character typed into the edit part of a drop-down.
    // Setting Key to a null QChar consumes the character.
    virtual void DoEditCharMsg(QChar &Key);
    // What the edit part passes to SelectItem: keep the letters as typed,
    // and whether only a unique match completes.
    [[nodiscard]] virtual bool AutoCompleteKeepsTypedText() const { return true; }
    [[nodiscard]] virtual bool AutoCompleteUniqueOnly() const { return false; }

    virtual void Click();
    virtual void Select();
    virtual void Change();

    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TTntComboBoxStrings;

    // The incremental search of a drop-down list; true when the key was used.
    bool SearchKey(QKeyEvent *event);
    // The edit part's auto-complete; true when the key was used.
    bool EditKey(QKeyEvent *event);
    void UserSelected(int index);
    void WatchEditPart();
    void SetEditTextQuietly(const QString &value);

    std::unique_ptr<TTntComboBoxStrings> m_items;
    bool m_autoComplete = false;
    bool m_autoDropDown = false;
    bool m_autoCloseUp = false;
    QString m_searchText;
    qint64 m_lastSearchKey = 0;
    bool m_searchStarted = false;
    TClock m_clock;
    int m_quiet = 0; // > 0 while the program changes the text
};

// The combo box the windows place (the joint-owner choice of the record form
// is a drop-down list with AutoComplete off).
class TTntComboBox : public TTntCustomComboBox
{
    Q_OBJECT

public:
    explicit TTntComboBox(QWidget *parent = nullptr);
    ~TTntComboBox() override;
};
