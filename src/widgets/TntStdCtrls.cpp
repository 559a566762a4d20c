#include "widgets/TntStdCtrls.h"

#include "platform/Cp932.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/TntControls.h"

#include <QAbstractItemView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QVariant>

#include <algorithm>
#include <chrono>

// ---------------------------------------------------------------------------
// TTntCustomEdit

TTntCustomEdit::TTntCustomEdit(QWidget *parent) : QLineEdit(parent)
{
    // Even without a limit the edit keeps what the user inserts on one line.
    SetLimit(0, true);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange)
            OnChange(this);
    });
}

TTntCustomEdit::~TTntCustomEdit() = default;

QString TTntCustomEdit::GetText() const
{
    return text();
}

void TTntCustomEdit::SetText(const QString &value)
{
    // Cut to the limit here, so the validator never sees program text it
    // would have to refuse; a number counts in its half-width form.
    const QString entered = m_halfWidthNumbers ? HalfWidthNumberText(value) : value;
    QString fitted = entered;
    if (m_byteLimit->MaxBytes() > 0) {
        if (m_byteLimit->LimitUnit() == TLimitUnit::Cp932Bytes) {
            fitted = Cp932::truncatedToBytes(entered, m_byteLimit->MaxBytes());
        } else if (fitted.size() > m_byteLimit->MaxBytes()) {
            fitted.truncate(m_byteLimit->MaxBytes());
            if (fitted.back().isHighSurrogate())
                fitted.chop(1);
        }
    }
    if (fitted == text())
        return;
    setText(fitted);
}

QString TTntCustomEdit::GetHint() const
{
    return GetWideHint(this);
}

void TTntCustomEdit::SetHint(const QString &value)
{
    SetWideHint(this, value);
}

void TTntCustomEdit::SetPasswordChar(QChar value)
{
    if (value == m_passwordChar)
        return;
    m_passwordChar = value;
    applyPasswordChar();
}

char TTntCustomEdit::AnsiPasswordChar() const
{
    const char16_t code = m_passwordChar.unicode();
    return code < 256 ? static_cast<char>(code) : '*';
}

void TTntCustomEdit::applyPasswordChar()
{
    // The echo character comes from the style; a rule of our own in the
    // widget's style sheet sets it without touching other rules there.
    QString sheet = styleSheet();
    if (!m_passwordRule.isEmpty())
        sheet.remove(m_passwordRule);
    if (m_passwordChar.isNull()) {
        m_passwordRule.clear();
        setStyleSheet(sheet);
        setEchoMode(QLineEdit::Normal);
        return;
    }
    m_passwordRule = QStringLiteral("\nQLineEdit { lineedit-password-character: %1; }")
                         .arg(static_cast<int>(m_passwordChar.unicode()));
    // QLineEdit reads the character from the style when the echo mode
    // changes, so pass through Normal; a widget not yet polished would still
    // answer with the previous sheet.
    setEchoMode(QLineEdit::Normal);
    setStyleSheet(sheet + m_passwordRule);
    ensurePolished();
    setEchoMode(QLineEdit::Password);
}

int TTntCustomEdit::GetSelStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void TTntCustomEdit::SetSelStart(int value)
{
    deselect();
    setCursorPosition(std::clamp(value, 0, static_cast<int>(text().size())));
}

int TTntCustomEdit::GetSelLength() const
{
    return hasSelectedText() ? selectionLength() : 0;
}

void TTntCustomEdit::SetSelLength(int value)
{
    const int length = static_cast<int>(text().size());
    const int start = GetSelStart();
    const int count = std::clamp(value, 0, length - start);
    if (count == 0) {
        SetSelStart(start);
        return;
    }
    setSelection(start, count);
}

QString TTntCustomEdit::GetSelText() const
{
    return selectedText();
}

void TTntCustomEdit::SetMaxLengthBytes(int bytes)
{
    SetLimit(bytes, false);
}

void TTntCustomEdit::SetMaxLengthUnits(int units)
{
    SetLimit(units, true);
}

void TTntCustomEdit::SetLimit(int limit, bool units)
{
    if (!m_byteLimit) {
        m_byteLimit = new TByteLimitValidator(0, this);
        m_byteLimit->SetLimitUnit(TLimitUnit::Utf16Units);
        setValidator(m_byteLimit);
    }
    const bool limited = limit > 0;
    // Without a limit nothing but the one line is checked: no code page, and
    // the number and kana forms only once the field has its limit.
    m_byteLimit->SetLimitUnit(units || !limited ? TLimitUnit::Utf16Units : TLimitUnit::Cp932Bytes);
    m_byteLimit->SetMaxBytes(limited ? limit : 0);
    m_byteLimit->SetHalfWidthNumbers(limited && m_halfWidthNumbers);
    m_byteLimit->SetPhoneNumber(limited && m_phoneNumber);
    m_byteLimit->SetHalfWidthKana(limited && m_halfWidthKana);
    // Start from the text the edit holds, so the first refused key is
    // recognised as one.
    m_byteLimit->Follow(text());
}

void TTntCustomEdit::SetPhoneNumber(bool on)
{
    m_phoneNumber = on;
    m_byteLimit->SetPhoneNumber(on && m_byteLimit->MaxBytes() > 0);
}

void TTntCustomEdit::SetHalfWidthKana(bool on)
{
    m_halfWidthKana = on;
    m_byteLimit->SetHalfWidthKana(on && m_byteLimit->MaxBytes() > 0);
}

int TTntCustomEdit::GetMaxLengthBytes() const
{
    return m_byteLimit->LimitUnit() == TLimitUnit::Cp932Bytes ? m_byteLimit->MaxBytes() : 0;
}

void TTntCustomEdit::CutToMaxLengthBytes()
{
    const int limit = GetMaxLengthBytes();
    if (limit > 0 && Cp932::byteLength(GetText()) > limit)
        SetText(Cp932::truncatedToBytes(GetText(), limit));
}

void TTntCustomEdit::SetHalfWidthNumbers(bool on)
{
    m_halfWidthNumbers = on;
    m_byteLimit->SetHalfWidthNumbers(on && m_byteLimit->MaxBytes() > 0);
    if (on && text() != HalfWidthNumberText(text()))
        setText(HalfWidthNumberText(text()));
}

// ---------------------------------------------------------------------------
// TTntEdit

TTntEdit::TTntEdit(QWidget *parent) : TTntCustomEdit(parent) {}

TTntEdit::~TTntEdit() = default;

// ---------------------------------------------------------------------------
// TTntMemo

TTntMemo::TTntMemo(QWidget *parent) : QPlainTextEdit(parent) {}

TTntMemo::~TTntMemo() = default;

bool TTntMemo::Refuses(const QString &text)
{
    const QString refused = UnstorableChars(text);
    if (refused.isEmpty())
        return false;
    ShowInputRefusedHint(this, refused);
    return true;
}

void TTntMemo::keyPressEvent(QKeyEvent *event)
{
    if (!isReadOnly() && Refuses(event->text())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

QString TTntMemo::Storable(const QString &text)
{
    const QStringList refused = UnstorableCharList(text);
    if (refused.isEmpty())
        return text;
    ShowInputHint(this, UnstorableCharsMessage(refused));
    QString kept;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        if (!refused.contains(text.mid(i, len)))
            kept += QStringView(text).sliced(i, len);
        i += len;
    }
    return kept;
}

void TTntMemo::inputMethodEvent(QInputMethodEvent *event)
{
    if (isReadOnly() || event->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    const QString kept = Storable(event->commitString());
    if (kept == event->commitString()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // The composition ends with what can be stored.
    QInputMethodEvent storable(event->preeditString(), event->attributes());
    storable.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&storable);
    event->accept();
}

void TTntMemo::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString kept = Storable(source->text());
    if (kept == source->text()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData storable;
    storable.setText(kept);
    QPlainTextEdit::insertFromMimeData(&storable);
}

// ---------------------------------------------------------------------------
// TTntComboBoxStrings

namespace {

const QString kInsertLineError = QStringLiteral("Unable to insert a line");
const QString kListIndexError = QStringLiteral("List index out of bounds (%1)");

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Changing the item list of a Qt combo can rewrite its edit text (a new
// current item, a removed one); the text of a drop-down is the user's and stays.
class KeepEditText
{
public:
    explicit KeepEditText(TTntCustomComboBox &comboBox)
        : m_comboBox(comboBox), m_text(comboBox.GetText())
    {
    }
    ~KeepEditText()
    {
        if (m_comboBox.isEditable() && m_comboBox.lineEdit()->text() != m_text) {
            QLineEdit *edit = m_comboBox.lineEdit();
            const QSignalBlocker block(edit);
            edit->setText(m_text);
        }
    }
    KeepEditText(const KeepEditText &) = delete;
    KeepEditText &operator=(const KeepEditText &) = delete;

private:
    TTntCustomComboBox &m_comboBox;
    QString m_text;
};

} // namespace

TTntComboBoxStrings::TTntComboBoxStrings(TTntCustomComboBox &comboBox) : m_comboBox(comboBox) {}

void TTntComboBoxStrings::CheckIndex(int index) const
{
    if (index < 0 || index >= GetCount())
        Error(kListIndexError, index);
}

QString TTntComboBoxStrings::Get(int index) const
{
    if (index < 0 || index >= GetCount())
        return {};
    return m_comboBox.itemText(index);
}

int TTntComboBoxStrings::GetCount() const
{
    return m_comboBox.count();
}

void *TTntComboBoxStrings::GetObject(int index) const
{
    CheckIndex(index);
    return m_comboBox.itemData(index).value<void *>();
}

void TTntComboBoxStrings::Put(int index, const QString &s)
{
    CheckIndex(index);
    const KeepEditText keep(m_comboBox);
    m_comboBox.setItemText(index, s);
}

void TTntComboBoxStrings::PutObject(int index, void *object)
{
    CheckIndex(index);
    m_comboBox.setItemData(index, QVariant::fromValue(object));
}

void TTntComboBoxStrings::Clear()
{
    const KeepEditText keep(m_comboBox);
    m_comboBox.clear();
}

void TTntComboBoxStrings::Delete(int index)
{
    CheckIndex(index);
    const KeepEditText keep(m_comboBox);
    m_comboBox.removeItem(index);
}

void TTntComboBoxStrings::Insert(int index, const QString &s)
{
    const int count = GetCount();
    if (index == -1)
        index = count;
    if (index < 0 || index > count)
        throw EOutOfResources(kInsertLineError);
    const int current = m_comboBox.currentIndex();
    const KeepEditText keep(m_comboBox);
    m_comboBox.insertItem(index, s);
    // A full combo (maxCount) drops the item without a word.
    if (GetCount() == count)
        throw EOutOfResources(kInsertLineError);
    // Qt chooses the first item put into an empty combo; adding items never
    // chooses one here.
    if (current == -1 && m_comboBox.currentIndex() != -1)
        m_comboBox.setCurrentIndex(-1);
}

int TTntComboBoxStrings::Add(const QString &s)
{
    const int index = GetCount();
    Insert(index, s);
    return index;
}

int TTntComboBoxStrings::IndexOf(const QString &s) const
{
    return m_comboBox.findText(s, Qt::MatchFixedString);
}

void TTntComboBoxStrings::SetUpdateState(bool updating)
{
    m_comboBox.setUpdatesEnabled(!updating);
}

// ---------------------------------------------------------------------------
// TTntCustomComboBox

TTntCustomComboBox::TTntCustomComboBox(QWidget *parent)
    : QComboBox(parent), m_items(std::make_unique<TTntComboBoxStrings>(*this)), m_clock(monotonicMs)
{
    setEditable(true);
    WatchEditPart();
    // With the list open the keys go to its view.
    view()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, &TTntCustomComboBox::UserSelected);
}

TTntCustomComboBox::~TTntCustomComboBox() = default;

void TTntCustomComboBox::WatchEditPart()
{
    QLineEdit *edit = lineEdit();
    if (!edit)
        return;
    // The item search below is the only completion.
    edit->setCompleter(nullptr);
    // A window may give the edit part a limit of its own; until then it
    // keeps what the user inserts on one line.
    KeepOnOneLine(edit);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (m_quiet == 0)
            Change();
    });
}

void TTntCustomComboBox::SetItems(const TTntStrings &value)
{
    m_items->Assign(value);
}

void TTntCustomComboBox::AddItem(const QString &Item, void *AObject)
{
    m_items->AddObject(Item, AObject);
}

QString TTntCustomComboBox::GetText() const
{
    return isEditable() ? lineEdit()->text() : currentText();
}

void TTntCustomComboBox::SetText(const QString &value)
{
    if (isEditable()) {
        if (lineEdit()->text() != value)
            SetEditTextQuietly(value);
        return;
    }
    int index = findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        index = m_items->IndexOf(value);
    if (index != currentIndex())
        setCurrentIndex(index);
}

QString TTntCustomComboBox::GetHint() const
{
    return GetWideHint(this);
}

void TTntCustomComboBox::SetHint(const QString &value)
{
    SetWideHint(this, value);
}

void TTntCustomComboBox::SetItemIndex(int value)
{
    if (value < -1 || value >= count())
        value = -1;
    if (value == currentIndex())
        return;
    ++m_quiet;
    setCurrentIndex(value);
    --m_quiet;
}

TComboBoxStyle TTntCustomComboBox::GetStyle() const
{
    return isEditable() ? TComboBoxStyle::csDropDown : TComboBoxStyle::csDropDownList;
}

void TTntCustomComboBox::SetStyle(TComboBoxStyle value)
{
    const bool editable = value == TComboBoxStyle::csDropDown;
    if (editable == isEditable())
        return;
    const QString text = GetText();
    const int index = currentIndex();
    ++m_quiet;
    setEditable(editable);
    if (currentIndex() != index)
        setCurrentIndex(index);
    --m_quiet;
    if (editable) {
        WatchEditPart();
        SetEditTextQuietly(text);
    }
}

void TTntCustomComboBox::SetAutoComplete(bool value)
{
    m_autoComplete = value;
    m_searchText.clear();
    m_searchStarted = false;
}

void TTntCustomComboBox::SetClock(TClock clock)
{
    m_clock = clock ? std::move(clock) : TClock(monotonicMs);
}

bool TTntCustomComboBox::SelectItem(const QString &Text, bool KeepTypedText, bool UniqueOnly)
{
    const int index = findText(Text, Qt::MatchStartsWith);
    if (index < 0)
        return false;
    if (UniqueOnly) {
        const QModelIndexList matches = model()->match(model()->index(0, modelColumn(), rootModelIndex()),
                                                       Qt::DisplayRole, Text, 2, Qt::MatchStartsWith);
        if (matches.size() > 1)
            return false;
    }

    const QString item = itemText(index);
    const bool changed = isEditable() ? item != GetText() : index != currentIndex();
    if (m_autoCloseUp && m_items->IndexOf(Text) >= 0 && view()->isVisible())
        hidePopup();

    ++m_quiet;
    setCurrentIndex(index);
    --m_quiet;
    if (view()->isVisible())
        view()->setCurrentIndex(model()->index(index, modelColumn(), rootModelIndex()));

    if (isEditable()) {
        const QString shown = KeepTypedText ? Text + item.mid(Text.size()) : item;
        SetEditTextQuietly(shown);
        const int typed = static_cast<int>(std::min(Text.size(), shown.size()));
        if (shown.size() > typed)
            lineEdit()->setSelection(typed, static_cast<int>(shown.size()) - typed);
        else
            lineEdit()->setCursorPosition(typed);
    }
    if (changed) {
        Click();
        Select();
    }
    return true;
}

void TTntCustomComboBox::DoEditCharMsg(QChar &Key)
{
    switch (Key.unicode()) {
    case 8: // Backspace edits as usual
    case 27: // Escape is left to the combo
        return;
    case 9:
        if (m_autoDropDown && view()->isVisible())
            hidePopup();
        return;
    default:
        break;
    }
    QLineEdit *edit = lineEdit();
    if (!edit)
        return;
    if (m_autoDropDown && !view()->isVisible()) {
        const QString text = edit->text();
        const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        const int length = edit->hasSelectedText() ? edit->selectionLength() : 0;
        showPopup();
        SetEditTextQuietly(text);
        edit->setSelection(start, length);
    }
    const QString text = edit->text();
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const int length = edit->hasSelectedText() ? edit->selectionLength() : 0;
    if (start + length != text.size())
        return;
    if (SelectItem(text.left(start) + Key, AutoCompleteKeepsTypedText(), AutoCompleteUniqueOnly())) {
        Key = QChar();
        // The user typed: the text changed even though the key went no further.
        if (edit->text() != text)
            Change();
    }
}

bool TTntCustomComboBox::SearchKey(QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Backspace:
        m_searchText.chop(1);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (m_autoDropDown && view()->isVisible())
            hidePopup();
        return false;
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    const QString typed = event->text();
    if (typed.isEmpty() || !typed.front().isPrint())
        return false;

    if (m_autoDropDown && !view()->isVisible())
        showPopup();
    const qint64 now = m_clock();
    if (!m_searchStarted || now - m_lastSearchKey >= SearchResetMs)
        m_searchText.clear();
    m_searchStarted = true;
    m_lastSearchKey = now;
    if (SelectItem(m_searchText + typed, true, false))
        m_searchText += typed;
    // Qt's own search would start over from this key: it never sees it.
    return true;
}

bool TTntCustomComboBox::EditKey(QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    QChar key;
    switch (event->key()) {
    case Qt::Key_Backspace:
        key = QChar(8);
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        key = QChar(9);
        break;
    case Qt::Key_Escape:
        key = QChar(27);
        break;
    default:
        if (event->text().size() == 1 && event->text().front().isPrint())
            key = event->text().front();
        break;
    }
    if (key.isNull())
        return false;
    DoEditCharMsg(key);
    return key.isNull();
}

void TTntCustomComboBox::keyPressEvent(QKeyEvent *event)
{
    if (m_autoComplete && (isEditable() ? EditKey(event) : SearchKey(event))) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool TTntCustomComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (m_autoComplete && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // Keys typed into the edit part, and keys to the open list.
        if (isEditable() && watched == lineEdit() && EditKey(key))
            return true;
        if (!isEditable() && watched == view() && SearchKey(key))
            return true;
    }
    return QComboBox::eventFilter(watched, event);
}

void TTntCustomComboBox::UserSelected(int index)
{
    if (index < 0)
        return;
    if (isEditable() && lineEdit()->text() != itemText(index))
        SetEditTextQuietly(itemText(index));
    Click();
    Select();
}

void TTntCustomComboBox::SetEditTextQuietly(const QString &value)
{
    if (!isEditable())
        return;
    ++m_quiet;
    lineEdit()->setText(value);
    --m_quiet;
}

void TTntCustomComboBox::Click()
{
    if (OnClick)
        OnClick(this);
}

void TTntCustomComboBox::Select()
{
    if (OnSelect)
        OnSelect(this);
}

void TTntCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------
// TTntComboBox

TTntComboBox::TTntComboBox(QWidget *parent) : TTntCustomComboBox(parent) {}

TTntComboBox::~TTntComboBox() = default;
