#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <type_traits>

class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;

// What a name edit holds: the kana reading (its associate gets the kanji) or
// the kanji (its associate gets the reading).
enum class TInputKind : std::uint8_t { itKana, itKanji };

// Which part of a name the name dictionary should offer: the family name
// (nothing stands before the caret) or the given name.
enum class TNameDicKind : std::uint8_t { nkLineage, nkFirst };

// Asks the owner to show (Show true) or hide the name-dictionary candidates
// for the reading Value (CP932 half-width katakana, possibly ending in typed
// romaji letters).
using TConvertNeedEvent = std::function<void(QObject *Sender, TNameDicKind Kind, bool Show, const QByteArray &Value)>;
// A navigation key pressed while the input method composes; Key is the
// Windows virtual-key code (13 Enter, 33 Page Up, 34 Page Down, 37 to 40
// Left, Up, Right, Down) because the name-dictionary popup takes those.
// Setting Result swallows the key.
using TConvertKeyDownEvent = std::function<void(QObject *Sender, quint32 &Key, bool &Result)>;

// The reading as CP932 bytes in half-width katakana: hiragana and the voiced
// katakana ヴ go through fixed tables (が -> ｶﾞ), everything else through the
// half-width mapping, so full-width katakana, letters and digits end up
// half-width too. Characters without a half-width form (kanji, ゐ) stay
// double-byte.
[[nodiscard]] QByteArray ConvertReadingToHalfKana(const QString &Reading);

// What the romaji rule makes of a reading after a change.
enum class TRomajiStep : std::uint8_t {
    Settle,  // the reading is settled: look up candidates now
    Wait,    // typed letters still form no kana: do nothing
    Pending, // the reading just started to end in a letter: remember that
};

// The reading capture shared by the name edits: follows the input method's
// compositions on one line edit (the control itself, or a combo box's edit
// part), hands the settled reading to OnConvertNeed, passes navigation keys
// to OnConvertKeyDown while composing, and writes the reading of each
// committed composition into the associate. The control forwards its key,
// input-method and focus events here; the two events live on the control.
//
// A composition starts with the first input-method event carrying a preedit
// and ends with one whose preedit is empty (commit or cancel), or with a
// commit that already opens the next preedit. Its reading is the preedit as
// long as that is unconverted input (kana, letters, punctuation, no kanji,
// no highlighted clause); after conversion the last such preedit stays the
// reading.
class TReadingCapture
{
public:
    TReadingCapture(QWidget *Control, QLineEdit *EditPart, const TConvertNeedEvent &ConvertNeed,
                    const TConvertKeyDownEvent &ConvertKeyDown);
    TReadingCapture(const TReadingCapture &) = delete;
    TReadingCapture &operator=(const TReadingCapture &) = delete;

    TInputKind InputType = TInputKind::itKanji;
    // While set (a combo box opening its list) events are left alone.
    bool Suspended = false;

    [[nodiscard]] QLineEdit *Associate() const { return FAssociate.data(); }
    void SetAssociate(QLineEdit *Value) { FAssociate = Value; }

    // Event hooks. KeyPress returns true when the key was swallowed.
    [[nodiscard]] bool KeyPress(QKeyEvent &Event);
    // Around the base class's input-method handling: before it the edit still
    // holds the text without the commit, after it the preedit is in place.
    void BeforeInputMethod(const QInputMethodEvent &Event);
    void AfterInputMethod(const QInputMethodEvent &Event);
    void TextChanged();
    void Leave();
    void Destroying();

    // Kanji and Kana are CP932 text from the name dictionary.
    void InsertName(const QByteArray &Kanji, const QByteArray &Kana, bool NoSeparator);

    // The romaji rule on a converted reading (L its last byte, P and Q the
    // ones before): letters that may still grow into a kana wait; anything
    // else settles.
    [[nodiscard]] static TRomajiStep RomajiStep(QByteArrayView Reading, bool Pending);

    // The longest reading (in bytes) that is still looked up.
    static constexpr int MaxReadingBytes = 29;

private:
    void StartComposition();
    void ChangeComposition(const QString &Preedit, const QInputMethodEvent &Event);
    void EndComposition(const QString &Commit);
    void CancelComposition();
    void MirrorSpace();
    void Settle();
    void Settled();
    void FireConvertNeed(bool Show, const QByteArray &Value) const;
    [[nodiscard]] bool EmptyOrEntirelySelected() const;

    QWidget *FControl;
    QLineEdit *FEdit;
    const TConvertNeedEvent &FConvertNeed;
    const TConvertKeyDownEvent &FConvertKeyDown;
    QPointer<QLineEdit> FAssociate;

    TNameDicKind FKind = TNameDicKind::nkLineage;
    QString FWideReading; // last unconverted preedit of this composition
    QByteArray FReading;  // its converted form, as handed to OnConvertNeed
    bool FShow = false;
    bool FRomajiPending = false;
    bool FCompositionEnded = true;
};

// What every name edit adds to its Qt control: the capture engine, its
// events, and the forwarding of key, input-method and focus events to it.
// Base is the control (a line edit, or a combo box whose edit part is used).
template <class Base>
class TNameEditHost : public Base
{
public:
    explicit TNameEditHost(QWidget *parent)
        : Base(parent), FCapture(this, editPart(), OnConvertNeed, OnConvertKeyDown)
    {
    }
    ~TNameEditHost() override { FCapture.Destroying(); }

    [[nodiscard]] TInputKind InputType() const { return FCapture.InputType; }
    void SetInputType(TInputKind Value) { FCapture.InputType = Value; }
    // Cleared by itself when the associate is destroyed.
    [[nodiscard]] QLineEdit *Associate() const { return FCapture.Associate(); }
    void SetAssociate(QLineEdit *Value) { FCapture.SetAssociate(Value); }

    // Kanji and Kana are CP932 text from the name dictionary.
    void InsertName(const QByteArray &Kanji, const QByteArray &Kana, bool NoSeparator)
    {
        FCapture.InsertName(Kanji, Kana, NoSeparator);
    }

    TConvertNeedEvent OnConvertNeed;
    TConvertKeyDownEvent OnConvertKeyDown;

protected:
    // Ahead of the control, which would move the caret or, in a combo box,
    // step through its items on the arrow and page keys.
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!FCapture.KeyPress(*event))
            Base::keyPressEvent(event);
    }
    void inputMethodEvent(QInputMethodEvent *event) override
    {
        FCapture.BeforeInputMethod(*event);
        Base::inputMethodEvent(event);
        FCapture.AfterInputMethod(*event);
    }
    void focusOutEvent(QFocusEvent *event) override
    {
        FCapture.Leave();
        Base::focusOutEvent(event);
    }

    TReadingCapture FCapture;

private:
    QLineEdit *editPart()
    {
        if constexpr (std::is_base_of_v<QComboBox, Base>) {
            this->setEditable(true);
            return this->lineEdit();
        } else {
            return this;
        }
    }
};

// Line edit that captures the reading of names typed through the input method
// (the company name of the record form, the name field of the name-and-address
// search). XPSelStart and XPSelLength give the selection in bytes of the text's
// CP932 form, the positions fixed-width Shift-JIS fields count in. What the
// user inserts stays on one line (KeepOnOneLine) unless a validator set later
// takes that over.
class TNMDEdit : public TNameEditHost<QLineEdit>
{
    Q_OBJECT

public:
    explicit TNMDEdit(QWidget *parent = nullptr);

    [[nodiscard]] int XPSelStart() const;
    void SetXPSelStart(int Value);
    [[nodiscard]] int XPSelLength() const;
    void SetXPSelLength(int Value);
};

// Editable combo box whose edit part captures the reading like TNMDEdit (the
// name combo of the name-and-address search). Nothing is captured while its
// list drops down.
class TNMDComboBox : public TNameEditHost<QComboBox>
{
    Q_OBJECT

public:
    explicit TNMDComboBox(QWidget *parent = nullptr);

    // Byte positions in the CP932 form of the edit part's text.
    [[nodiscard]] int XPSelStart() const;
    void SetXPSelStart(int Value);
    [[nodiscard]] int XPSelLength() const;
    void SetXPSelLength(int Value);

    void showPopup() override;
};
