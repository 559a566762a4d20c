#include "widgets/TntStdCtrls.h"

#include "platform/Cp932.h"
#include "widgets/ByteLimitValidator.h"

#include <algorithm>

namespace {

QString shortHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString longHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

} // namespace

// ---------------------------------------------------------------------------
// TTntCustomEdit

TTntCustomEdit::TTntCustomEdit(QWidget *parent) : QLineEdit(parent)
{
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
    // Cut to the byte limit here, so the validator never sees program text it
    // would have to refuse.
    const QString fitted = (m_byteLimit && m_byteLimit->MaxBytes() > 0)
                               ? Cp932::truncatedToBytes(value, m_byteLimit->MaxBytes())
                               : value;
    if (fitted == text())
        return;
    setText(fitted);
}

QString TTntCustomEdit::GetHint() const
{
    return m_hint;
}

void TTntCustomEdit::SetHint(const QString &value)
{
    m_hint = value;
    setToolTip(shortHint(value));
    setStatusTip(longHint(value));
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
    setStyleSheet(sheet + m_passwordRule);
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
    if (bytes <= 0) {
        if (m_byteLimit) {
            setValidator(nullptr);
            delete m_byteLimit;
            m_byteLimit = nullptr;
        }
        return;
    }
    if (!m_byteLimit) {
        m_byteLimit = new TByteLimitValidator(bytes, this);
        // Start from the text the edit holds, so the first refused key is
        // recognised as one.
        QString current = text();
        int pos = cursorPosition();
        (void)m_byteLimit->validate(current, pos);
        setValidator(m_byteLimit);
    } else {
        m_byteLimit->SetMaxBytes(bytes);
    }
}

int TTntCustomEdit::GetMaxLengthBytes() const
{
    return m_byteLimit ? m_byteLimit->MaxBytes() : 0;
}

// ---------------------------------------------------------------------------
// TTntEdit

TTntEdit::TTntEdit(QWidget *parent) : TTntCustomEdit(parent) {}

TTntEdit::~TTntEdit() = default;
