#include "widgets/NumEdit.h"

#include "widgets/ByteLimitValidator.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QValidator>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

bool isAsciiDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Refuses any text with a character other than 0-9; QLineEdit then undoes
// the key or the paste that brought it in.
class TDigitsValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        return isAsciiDigits(input) ? Acceptable : Invalid;
    }
};

// The number a text stands for, when the rules let it count: an optional "-"
// and ASCII digits, surrounding blanks ignored. Negative numbers do not
// count; digits beyond the integer range count as the largest number.
std::optional<qint64> acceptedNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    const bool negative = trimmed.startsWith(u'-');
    const QStringView digits = QStringView(trimmed).mid(negative ? 1 : 0);
    if (digits.isEmpty() || !isAsciiDigits(digits))
        return std::nullopt;
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (negative)
        return (ok && value == 0) ? std::optional<qint64>(0) : std::nullopt;
    return ok ? value : std::numeric_limits<qint64>::max();
}

} // namespace

TNumEdit::TNumEdit(QWidget *parent) : QLineEdit(parent)
{
    SetAlignment(m_alignment);
    // Without the digits-only switch a paste still stays on one line.
    KeepOnOneLine(this);
}

TNumEdit::~TNumEdit() = default;

void TNumEdit::SetAlignment(TAlignment value)
{
    m_alignment = value;
    setAlignment(ToQtAlignment(value));
}

void TNumEdit::SetNumOnly(bool value)
{
    if (value == m_numOnly)
        return;
    m_numOnly = value;
    if (value) {
        m_digitsOnly = new TDigitsValidator(this);
        setValidator(m_digitsOnly);
    } else {
        setValidator(nullptr);
        delete m_digitsOnly;
        m_digitsOnly = nullptr;
        KeepOnOneLine(this);
    }
}

void TNumEdit::SetRange(int Min, int Max)
{
    m_hasRange = true;
    m_min = std::min(Min, Max);
    m_max = std::max(Min, Max);
    MoveTo(m_position);
}

void TNumEdit::SetPosition(int value)
{
    MoveTo(value);
}

int TNumEdit::Clamped(qint64 value) const
{
    if (!m_hasRange)
        return static_cast<int>(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                                    std::numeric_limits<int>::max()));
    return static_cast<int>(std::clamp<qint64>(value, m_min, m_max));
}

void TNumEdit::MoveTo(qint64 value)
{
    const int position = Clamped(value);
    const QString shown = QString::number(position);
    if (text() != shown)
        setText(shown);
    if (position == m_position)
        return;
    m_position = position;
    if (OnPositionChange)
        OnPositionChange(this);
}

void TNumEdit::ApplyText()
{
    const std::optional<qint64> number = acceptedNumber(text());
    MoveTo(number ? *number : m_position);
}

void TNumEdit::StepBy(int delta)
{
    ApplyText();
    MoveTo(static_cast<qint64>(m_position) + delta);
}

void TNumEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_hasRange && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))) {
        int delta = 0;
        switch (event->key()) {
        case Qt::Key_Up: delta = 1; break;
        case Qt::Key_Down: delta = -1; break;
        case Qt::Key_PageUp: delta = 10; break;
        case Qt::Key_PageDown: delta = -10; break;
        default: break;
        }
        if (delta != 0) {
            StepBy(delta);
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TNumEdit::focusOutEvent(QFocusEvent *event)
{
    if (m_hasRange)
        ApplyText();
    QLineEdit::focusOutEvent(event);
}
