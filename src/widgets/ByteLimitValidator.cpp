#include "widgets/ByteLimitValidator.h"

#include "platform/Cp932.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kHintMs = 4000;

// One entry per character (a surrogate pair is one), with repeats, of the
// characters code page 932 lacks.
QStringList unstorableList(QStringView text)
{
    // Most text converts whole; only text that does not is looked at
    // character by character (the look-alikes the encoder maps count as
    // stored).
    QStringList found;
    if (Cp932::canEncode(text))
        return found;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        const QStringView one = text.sliced(i, len);
        // ASCII is always stored; a "?" is only a loss where it was not typed.
        if (one.front().unicode() >= 0x80 && Cp932::encode(one) == "?")
            found << one.toString();
        i += len;
    }
    return found;
}

// The characters of input that the code page lacks beyond those the text
// already held.
QString newlyUnstorable(QStringView input, QStringView before)
{
    QStringList held = unstorableList(before);
    QString added;
    for (const QString &one : unstorableList(input)) {
        if (held.removeOne(one))
            continue;
        if (!added.contains(one))
            added += one;
    }
    return added;
}

QPointer<QLabel> g_hint;

} // namespace

QString UnstorableChars(QStringView text)
{
    QString unique;
    for (const QString &one : unstorableList(text))
        if (!unique.contains(one))
            unique += one;
    return unique;
}

QString HalfWidthNumberText(QStringView text)
{
    QString out = text.toString();
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            c = QChar(char16_t(u'0' + (u - 0xFF10)));
        else if (u == 0xFF0D || u == 0x30FC || u == 0x2010 || u == 0x2212 || u == 0x2015)
            c = QLatin1Char('-');
    }
    return out;
}

QString UnstorableCharsMessage(const QString &characters)
{
    // A character that shows nothing (a no-break space from a web page, a
    // control character) is spelled out by its code.
    QString shown;
    for (const char32_t c : characters.toUcs4()) {
        if (QChar::isPrint(c) && !QChar::isSpace(c))
            shown += QString::fromUcs4(&c, 1);
        else
            shown += QStringLiteral("(U+%1)").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    }
    return QStringLiteral("この文字は保存できません: ") + shown;
}

void ShowInputRefusedHint(QWidget *widget, const QString &characters)
{
    if (!widget)
        return;
    // A tooltip would vanish with the release of the refused key: the hint is
    // a tooltip-like window of its own, owned by the edit's window.
    QWidget *window = widget->window();
    if (g_hint && g_hint->parentWidget() != window)
        delete g_hint.data();
    if (!g_hint) {
        auto *label = new QLabel(window, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        label->setObjectName(QStringLiteral("InputRefusedHint"));
        label->setAttribute(Qt::WA_ShowWithoutActivating);
        label->setPalette(QToolTip::palette());
        label->setFont(QToolTip::font());
        label->setAutoFillBackground(true);
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setMargin(4);
        auto *timer = new QTimer(label);
        timer->setObjectName(QStringLiteral("HideTimer"));
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, label, &QWidget::hide);
        g_hint = label;
    }
    g_hint->setText(UnstorableCharsMessage(characters));
    g_hint->adjustSize();
    g_hint->move(widget->mapToGlobal(QPoint(0, widget->height())));
    g_hint->show();
    g_hint->raise();
    g_hint->findChild<QTimer *>(QStringLiteral("HideTimer"))->start(kHintMs);
}

QString ShownInputRefusedHint()
{
    return g_hint && g_hint->isVisible() ? g_hint->text() : QString();
}

TByteLimitValidator::TByteLimitValidator(int maxBytes, QObject *parent)
    : QValidator(parent), m_maxBytes(std::max(0, maxBytes))
{
}

void TByteLimitValidator::SetMaxBytes(int maxBytes)
{
    maxBytes = std::max(0, maxBytes);
    if (maxBytes == m_maxBytes)
        return;
    m_maxBytes = maxBytes;
    emit changed();
}

void TByteLimitValidator::SetHalfWidthNumbers(bool on)
{
    if (on == m_halfWidthNumbers)
        return;
    m_halfWidthNumbers = on;
    emit changed();
}

QLineEdit *TByteLimitValidator::WatchedEdit() const
{
    if (auto *edit = qobject_cast<QLineEdit *>(parent()))
        return edit;
    if (auto *combo = qobject_cast<QComboBox *>(parent()))
        return combo->lineEdit();
    return nullptr;
}

QValidator::State TByteLimitValidator::validate(QString &input, int &pos) const
{
    // One character for one: the caret stays where it is.
    if (m_halfWidthNumbers)
        input = HalfWidthNumberText(input);

    // The edit counts as modified while the user's input is validated; the
    // program's setText resets it first.
    const QLineEdit *edit = WatchedEdit();
    if (!edit || edit->isModified()) {
        const QString refused = newlyUnstorable(input, m_lastAccepted);
        if (!refused.isEmpty()) {
            QWidget *anchor = qobject_cast<QComboBox *>(parent()) ? static_cast<QWidget *>(parent())
                                                                   : const_cast<QLineEdit *>(edit);
            ShowInputRefusedHint(anchor, refused);
            return Invalid;
        }
    }

    if (m_maxBytes == 0 || Cp932::byteLength(input) <= m_maxBytes) {
        m_lastAccepted = input;
        return Acceptable;
    }
    // A text that was already too long (the limit was lowered under it) may
    // still be shortened or edited without growing.
    if (Cp932::byteLength(input) <= Cp932::byteLength(m_lastAccepted)) {
        m_lastAccepted = input;
        return Acceptable;
    }
    // ... but not grow.
    if (Cp932::byteLength(m_lastAccepted) > m_maxBytes)
        return Invalid;

    // What the user inserted ends at the caret: keep the text after it whole
    // and cut the part before it back to the room that is left.
    const qsizetype caret = std::clamp<qsizetype>(pos, 0, input.size());
    const QStringView head = QStringView(input).left(caret);
    const QStringView tail = QStringView(input).mid(caret);
    const qsizetype room = m_maxBytes - Cp932::byteLength(tail);
    QString cut;
    qsizetype newPos = 0;
    if (room >= 0) {
        const QString keptHead = Cp932::truncatedToBytes(head, room);
        newPos = keptHead.size();
        cut = keptHead;
        cut.append(tail);
    } else {
        cut = Cp932::truncatedToBytes(input, m_maxBytes);
        newPos = cut.size();
    }

    // Nothing of the insertion fits: refuse the key or paste, so the edit
    // keeps its text and reports no change.
    if (cut == m_lastAccepted)
        return Invalid;

    input = cut;
    pos = static_cast<int>(newPos);
    m_lastAccepted = input;
    return Acceptable;
}
