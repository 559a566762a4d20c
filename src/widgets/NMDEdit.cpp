#include "widgets/NMDEdit.h"

#include "platform/Cp932.h"
#include "util/StrFunc.h"
#include "widgets/ByteLimitValidator.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStringView>
#include <QTextCharFormat>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// Hiragana (and the marks ー、。) that have a single half-width katakana
// counterpart, position by position.
constexpr char16_t kSingleFrom[] = u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをんぁぃぅぇぉっゃゅょー、。";
constexpr char16_t kSingleTo[] = u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝｧｨｩｪｫｯｬｭｮｰ､｡";
// Voiced and semi-voiced kana, each becoming a half-width pair (the first
// entry is the katakana ヴ, which the width mapping alone would not split).
constexpr char16_t kVoicedFrom[] = u"ヴがぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽ";
constexpr char16_t kVoicedTo[] = u"ｳﾞｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ";

constexpr qsizetype kSingleCount = std::size(kSingleFrom) - 1;
constexpr qsizetype kVoicedCount = std::size(kVoicedFrom) - 1;
static_assert(kSingleCount == 58 && std::size(kSingleTo) - 1 == kSingleCount);
static_assert(kVoicedCount == 26 && std::size(kVoicedTo) - 1 == 2 * kVoicedCount);

// Windows virtual-key codes of the keys the name-dictionary popup steers with.
constexpr quint32 VK_RETURN = 13;
constexpr quint32 VK_PRIOR = 33;
constexpr quint32 VK_NEXT = 34;
constexpr quint32 VK_LEFT = 37;
constexpr quint32 VK_UP = 38;
constexpr quint32 VK_RIGHT = 39;
constexpr quint32 VK_DOWN = 40;

quint32 navigationKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    default:
        return 0;
    }
}

bool isKana(char16_t c)
{
    return (c >= 0x3041 && c <= 0x309F)    // hiragana with the voicing marks
           || (c >= 0x30A0 && c <= 0x30FF) // katakana with ー and ・
           || (c >= 0xFF65 && c <= 0xFF9F); // half-width katakana
}

// What an input method shows before conversion: kana, typed letters and
// digits, blanks and punctuation in either width. Kanji or any other
// character means the preedit holds converted text.
bool isInputChar(char16_t c)
{
    return (c >= 0x20 && c <= 0x7E) || (c >= 0x3000 && c <= 0x303F) || isKana(c) || (c >= 0xFF01 && c <= 0xFF5E)
           || (c >= 0xFF61 && c <= 0xFF64);
}

bool allOf(const QString &text, bool (*test)(char16_t))
{
    return std::all_of(text.cbegin(), text.cend(), [test](QChar c) { return test(c.unicode()); });
}

// A converted clause is drawn highlighted (background or text colour set);
// input not yet converted is only underlined.
bool hasHighlightedClause(const QList<QInputMethodEvent::Attribute> &attributes)
{
    for (const QInputMethodEvent::Attribute &attribute : attributes) {
        if (attribute.type != QInputMethodEvent::TextFormat || attribute.length <= 0)
            continue;
        const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
        if (format.hasProperty(QTextFormat::BackgroundBrush) || format.hasProperty(QTextFormat::ForegroundBrush))
            return true;
    }
    return false;
}

bool isUnconvertedInput(const QString &preedit, const QList<QInputMethodEvent::Attribute> &attributes)
{
    return allOf(preedit, isInputChar) && !hasHighlightedClause(attributes);
}

bool isBlank(const QString &text)
{
    return text == QLatin1String(" ") || text == QStringView(u"\u3000");
}

// The single-byte characters of a CP932 text, double-byte ones dropped.
QByteArray singleBytesOnly(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Cp932::isLeadByte(static_cast<unsigned char>(text[i])))
            ++i; // skip the trail byte too
        else
            out.append(text[i]);
    }
    return out;
}

int selStartOf(const QLineEdit &edit)
{
    return edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
}

int selLengthOf(const QLineEdit &edit)
{
    return edit.hasSelectedText() ? edit.selectionLength() : 0;
}

// Sets a text cut to the edit's maximum length in characters and, when it
// limits its input in CP932 bytes, to that many bytes; never splits a
// character. Setting the text the edit already holds changes nothing.
void setTextWithinLimits(QLineEdit &edit, const QString &text)
{
    QString fitted = text;
    if (fitted.size() > edit.maxLength()) {
        fitted.truncate(edit.maxLength());
        if (!fitted.isEmpty() && fitted.back().isHighSurrogate())
            fitted.chop(1);
    }
    if (const auto *limit = qobject_cast<const TByteLimitValidator *>(edit.validator()); limit && limit->MaxBytes() > 0)
        fitted = Cp932::truncatedToBytes(fitted, limit->MaxBytes());
    if (fitted != edit.text())
        edit.setText(fitted);
}

// Characters (UTF-16 units) from `from` that the first `bytes` bytes of the
// CP932 form cover; a character whose first byte lies inside counts whole.
int charsInBytes(const QString &text, int from, int bytes)
{
    qsizetype i = std::clamp<qsizetype>(from, 0, text.size());
    const qsizetype start = i;
    qsizetype used = 0;
    while (i < text.size() && used < bytes) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        used += Cp932::byteLength(QStringView(text).mid(i, units));
        i += units;
    }
    return static_cast<int>(i - start);
}

// Selection of a line edit in bytes of its CP932 text. QLineEdit counts
// UTF-16 units; fixed-width Shift-JIS fields count bytes, two for each
// double-byte character.
int byteSelStart(const QLineEdit &edit)
{
    const QString text = edit.text();
    return static_cast<int>(Cp932::byteLength(QStringView(text).left(selStartOf(edit))));
}

void setByteSelStart(QLineEdit &edit, int value)
{
    edit.deselect();
    edit.setCursorPosition(charsInBytes(edit.text(), 0, value));
}

int byteSelLength(const QLineEdit &edit)
{
    const QString text = edit.text();
    return static_cast<int>(Cp932::byteLength(QStringView(text).mid(selStartOf(edit), selLengthOf(edit))));
}

void setByteSelLength(QLineEdit &edit, int value)
{
    const int start = selStartOf(edit);
    const int count = charsInBytes(edit.text(), start, value);
    if (count > 0) {
        edit.setSelection(start, count);
        return;
    }
    edit.deselect();
    edit.setCursorPosition(start);
}

} // namespace

QByteArray ConvertReadingToHalfKana(const QString &Reading)
{
    const QStringView single(kSingleFrom, kSingleCount);
    const QStringView voiced(kVoicedFrom, kVoicedCount);
    QString mapped;
    mapped.reserve(Reading.size() * 2);
    for (QChar c : Reading) {
        if (const qsizetype at = single.indexOf(c); at >= 0)
            mapped.append(QChar(kSingleTo[at]));
        else if (const qsizetype pair = voiced.indexOf(c); pair >= 0)
            mapped.append(QStringView(kVoicedTo + 2 * pair, 2));
        else
            mapped.append(c);
    }
    return ToHalfWidth(Cp932::encode(mapped));
}

// ---------------------------------------------------------------------------
// TReadingCapture

TReadingCapture::TReadingCapture(QWidget *Control, QLineEdit *EditPart, const TConvertNeedEvent &ConvertNeed,
                                 const TConvertKeyDownEvent &ConvertKeyDown)
    : FControl(Control), FEdit(EditPart), FConvertNeed(ConvertNeed), FConvertKeyDown(ConvertKeyDown)
{
    QObject::connect(FEdit, &QLineEdit::textChanged, FControl, [this] { TextChanged(); });
}

TRomajiStep TReadingCapture::RomajiStep(QByteArrayView Reading, bool Pending)
{
    const qsizetype n = Reading.size();
    if (n == 0)
        return TRomajiStep::Settle;
    const auto byteAt = [&](qsizetype fromEnd) { return static_cast<unsigned char>(Reading[n - 1 - fromEnd]); };
    const unsigned char L = byteAt(0);
    const bool letter = (L >= 'A' && L <= 'Z') || (L >= 'a' && L <= 'z');
    if (!Pending || n < 2)
        return letter ? TRomajiStep::Pending : TRomajiStep::Settle;

    const unsigned char P = byteAt(1);
    // Q is asked for only where three equal letters settle (hhh, ttt, yyy,
    // kkk); without it the letters may still grow.
    const auto settleWhenQIs = [&](unsigned char c) {
        return (n > 2 && byteAt(2) == c) ? TRomajiStep::Settle : TRomajiStep::Wait;
    };
    const auto pIsOneOf = [P](const char *set) { return P != 0 && std::strchr(set, P) != nullptr; };
    switch (L) {
    case 'h': // ch, sh, th, wh
        if (pIsOneOf("cstw"))
            return TRomajiStep::Wait;
        return P == 'h' ? settleWhenQIs('h') : TRomajiStep::Settle;
    case 't': // lt (small tsu)
        if (P == 'l')
            return TRomajiStep::Wait;
        return P == 't' ? settleWhenQIs('t') : TRomajiStep::Settle;
    case 'y': // ky, sy, ... wait; after a vowel it starts a new syllable
        if (pIsOneOf("aeiouvw"))
            return TRomajiStep::Settle;
        return P == 'y' ? settleWhenQIs('y') : TRomajiStep::Wait;
    default:
        break;
    }
    if (L >= 0xAC && L <= 0xDF) // half-width katakana from ｬ on: a kana was made
        return TRomajiStep::Settle;
    if (L != P)
        return TRomajiStep::Settle;
    return settleWhenQIs(L); // a doubled consonant becomes っ with the next letter
}

bool TReadingCapture::KeyPress(QKeyEvent &Event)
{
    if (Suspended || FCompositionEnded)
        return false;
    quint32 key = navigationKeyOf(Event.key());
    if (key == 0)
        return false;
    bool result = false;
    if (FConvertKeyDown)
        FConvertKeyDown(FControl, key, result);
    if (!result)
        return false;
    Event.accept();
    return true;
}

void TReadingCapture::BeforeInputMethod(const QInputMethodEvent &Event)
{
    if (Suspended)
        return;
    const QString commit = Event.commitString();
    if (!FCompositionEnded) {
        // A commit that brings a new preedit along ends this composition
        // too; the next one starts after the base class has inserted it.
        if (Event.preeditString().isEmpty() || !commit.isEmpty())
            EndComposition(commit);
    } else if (Event.preeditString().isEmpty() && isBlank(commit)) {
        MirrorSpace();
    }
}

void TReadingCapture::AfterInputMethod(const QInputMethodEvent &Event)
{
    if (Suspended)
        return;
    const QString preedit = Event.preeditString();
    if (preedit.isEmpty())
        return;
    if (FCompositionEnded)
        StartComposition();
    ChangeComposition(preedit, Event);
}

void TReadingCapture::StartComposition()
{
    // The base class has already removed a selection the preedit replaces,
    // so the caret is where the composition goes.
    const QString text = FEdit->text();
    FKind = text.left(selStartOf(*FEdit)).trimmed().isEmpty() ? TNameDicKind::nkLineage : TNameDicKind::nkFirst;
    FRomajiPending = false;
    FCompositionEnded = false;
    FWideReading.clear();
    FReading.clear();
    FShow = false;
}

void TReadingCapture::ChangeComposition(const QString &Preedit, const QInputMethodEvent &Event)
{
    const bool unconverted = isUnconvertedInput(Preedit, Event.attributes());
    if (unconverted)
        FWideReading = Preedit;
    const QByteArray reading = ConvertReadingToHalfKana(FWideReading);
    if (reading.isEmpty() || reading.size() > MaxReadingBytes)
        return;
    FShow = unconverted;
    FReading = reading;
    switch (RomajiStep(FReading, FRomajiPending)) {
    case TRomajiStep::Settle:
        Settle();
        break;
    case TRomajiStep::Pending:
        FRomajiPending = true;
        break;
    case TRomajiStep::Wait:
        break;
    }
}

void TReadingCapture::EndComposition(const QString &Commit)
{
    FireConvertNeed(false, {});
    // A cancelled composition (nothing committed) leaves both edits alone.
    if (InputType == TInputKind::itKanji && FAssociate && !Commit.isEmpty()) {
        // The commit is its own reading when it is kana; after a conversion
        // the last unconverted preedit is. The associate takes half-width
        // characters only.
        const QString source = allOf(Commit, isKana) ? Commit : FWideReading;
        const QByteArray reading = singleBytesOnly(ConvertReadingToHalfKana(source));
        const QString kept = EmptyOrEntirelySelected() ? QString() : FAssociate->text();
        setTextWithinLimits(*FAssociate, kept + Cp932::decode(reading));
    }
    FCompositionEnded = true;
}

void TReadingCapture::CancelComposition()
{
    QGuiApplication::inputMethod()->reset();
    if (FCompositionEnded)
        return;
    // The input method did not end the composition itself: drop the preedit
    // from the edit the way a cancelling input method does.
    QInputMethodEvent cancel;
    QCoreApplication::sendEvent(FControl, &cancel);
    FCompositionEnded = true;
}

void TReadingCapture::MirrorSpace()
{
    // A blank typed through the input method separates family and given
    // name in the kanji; the reading gets a half-width one.
    if (InputType == TInputKind::itKanji && FAssociate)
        setTextWithinLimits(*FAssociate, FAssociate->text() + QLatin1Char(' '));
}

void TReadingCapture::Settle()
{
    FRomajiPending = false;
    // Queued, so the owner looks the reading up after the edit has drawn the
    // preedit; it reads the state current at that time.
    QMetaObject::invokeMethod(FControl, [this] { Settled(); }, Qt::QueuedConnection);
}

void TReadingCapture::Settled()
{
    // Only the edit that has the focus steers the candidates, and only for
    // a composition still running: once it ended they stay hidden.
    if (Suspended || FCompositionEnded || !(FControl->hasFocus() || FEdit->hasFocus()))
        return;
    FireConvertNeed(FShow, FReading);
}

void TReadingCapture::TextChanged()
{
    if (Suspended)
        return;
    if (InputType == TInputKind::itKanji && FAssociate && FEdit->text().isEmpty())
        setTextWithinLimits(*FAssociate, QString());
}

void TReadingCapture::Leave()
{
    if (Suspended)
        return;
    FireConvertNeed(false, {});
    // Qt has the input method commit an open composition when the focus
    // moves, so the user's text stays; the input method starts afresh.
    QGuiApplication::inputMethod()->reset();
    FCompositionEnded = true;
    FRomajiPending = false;
}

void TReadingCapture::Destroying()
{
    FireConvertNeed(false, {});
}

void TReadingCapture::InsertName(const QByteArray &Kanji, const QByteArray &Kana, bool NoSeparator)
{
    CancelComposition();
    QString kanji = Cp932::decode(Kanji);
    QString kana = Cp932::decode(Kana);
    // A family name put at the start is followed by the separator blank.
    if (!NoSeparator && selStartOf(*FEdit) == 0) {
        kanji.append(QChar(0x3000));
        kana.append(QLatin1Char(' '));
    }
    const bool replaceAssociate = EmptyOrEntirelySelected();
    const bool kanjiHere = InputType == TInputKind::itKanji;

    const QString text = FEdit->text();
    const int start = selStartOf(*FEdit);
    const int length = selLengthOf(*FEdit);
    setTextWithinLimits(*FEdit, text.left(start) + (kanjiHere ? kanji : kana) + text.mid(start + length));
    if (FAssociate) {
        const QString kept = replaceAssociate ? QString() : FAssociate->text();
        setTextWithinLimits(*FAssociate, kept + (kanjiHere ? kana : kanji));
    }
    FEdit->setCursorPosition(static_cast<int>(FEdit->text().size()));
}

void TReadingCapture::FireConvertNeed(bool Show, const QByteArray &Value) const
{
    if (FConvertNeed)
        FConvertNeed(FControl, FKind, Show, Value);
}

bool TReadingCapture::EmptyOrEntirelySelected() const
{
    const QString text = FEdit->text();
    return text.isEmpty() || (selStartOf(*FEdit) == 0 && selLengthOf(*FEdit) == text.size());
}

// ---------------------------------------------------------------------------
// TNMDEdit

TNMDEdit::TNMDEdit(QWidget *parent) : TNameEditHost<QLineEdit>(parent)
{
    KeepOnOneLine(this);
}

int TNMDEdit::XPSelStart() const
{
    return byteSelStart(*this);
}

void TNMDEdit::SetXPSelStart(int Value)
{
    setByteSelStart(*this, Value);
}

int TNMDEdit::XPSelLength() const
{
    return byteSelLength(*this);
}

void TNMDEdit::SetXPSelLength(int Value)
{
    setByteSelLength(*this, Value);
}

// ---------------------------------------------------------------------------
// TNMDComboBox

TNMDComboBox::TNMDComboBox(QWidget *parent) : TNameEditHost<QComboBox>(parent)
{
    KeepOnOneLine(lineEdit());
}

int TNMDComboBox::XPSelStart() const
{
    return byteSelStart(*lineEdit());
}

void TNMDComboBox::SetXPSelStart(int Value)
{
    setByteSelStart(*lineEdit(), Value);
}

int TNMDComboBox::XPSelLength() const
{
    return byteSelLength(*lineEdit());
}

void TNMDComboBox::SetXPSelLength(int Value)
{
    setByteSelLength(*lineEdit(), Value);
}

void TNMDComboBox::showPopup()
{
    // Opening the list takes the focus for a moment; that is no leaving.
    FCapture.Suspended = true;
    QComboBox::showPopup();
    FCapture.Suspended = false;
}
