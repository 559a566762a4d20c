#include "widgets/ByteLimitValidator.h"

#include "platform/Cp932.h"
#include "widgets/NMDEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kHintMs = 4000;

// The length of the character starting at i: a surrogate pair is one
// character, a lone surrogate one of its own.
qsizetype charLength(QStringView text, qsizetype i)
{
    return (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
}

bool lacksCp932(QStringView one)
{
    // ASCII is always stored; a "?" is only a loss where it was not typed.
    // The look-alikes the encoder maps count as stored.
    return one.front().unicode() >= 0x80 && Cp932::encode(one) == "?";
}

// One entry per character (a surrogate pair is one), with repeats, of the
// characters code page 932 lacks.
QStringList unstorableList(QStringView text)
{
    QStringList found;
    // Most text converts whole; only text that does not is looked at
    // character by character.
    if (Cp932::canEncode(text))
        return found;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = charLength(text, i);
        const QStringView one = text.sliced(i, len);
        if (lacksCp932(one))
            found << one.toString();
        i += len;
    }
    return found;
}

void addOnce(QStringList &list, const QString &one)
{
    if (!list.contains(one))
        list << one;
}

// A character as the hint names it: one that shows nothing (a no-break
// space from a web page, a control character, a lone surrogate) by its code.
QString shownChar(const QString &one)
{
    const auto code = [](uint value) { return QStringLiteral("(U+%1)").arg(value, 4, 16, QLatin1Char('0')).toUpper(); };
    if (one.size() == 1 && one.front().isSurrogate())
        return code(one.front().unicode());
    const char32_t c = char32_t(one.toUcs4().value(0));
    if (QChar::isPrint(c) && !QChar::isSpace(c))
        return one;
    return code(uint(c));
}

QStringList shownList(const QStringList &characters)
{
    QStringList shown;
    for (const QString &one : characters)
        shown << shownChar(one);
    return shown;
}

QString shownChars(const QStringList &characters)
{
    return shownList(characters).join(QLatin1Char(' '));
}

bool isParenthesis(char16_t u)
{
    return u == u'(' || u == u')' || u == 0xFF08 || u == 0xFF09;
}

// The characters a one-line field takes as a break between words.
bool isLineBreak(char16_t u)
{
    return u == u'\n' || u == u'\r' || u == u'\t' || u == 0x0B || u == 0x0C || u == 0x85 || u == 0x2028
           || u == 0x2029;
}

bool isControl(char16_t u)
{
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
}

// The hint stands over the field below the one it speaks of, and a click
// there is meant for that field. Where the window system still hands the
// click to the hint (an X server does, its input transparency
// notwithstanding), the click goes on to what lies beneath it, the focus
// included, as if the hint were not there; the release and a double click
// follow the press to the same widget. The hint goes with the release: gone
// at the press, it would leave the window system's hold of the pressed
// button on a window no longer shown, and under X the next clicks got lost.
class THintLabel final : public QLabel
{
public:
    using QLabel::QLabel;

    // Between the press handed on and its release: the focus the press gave
    // must not send the hint away yet.
    [[nodiscard]] bool PassingClick() const { return m_target != nullptr; }

protected:
    void mousePressEvent(QMouseEvent *event) override { passOn(event); }
    void mouseReleaseEvent(QMouseEvent *event) override { passOn(event); }
    void mouseDoubleClickEvent(QMouseEvent *event) override { passOn(event); }
    void hideEvent(QHideEvent *event) override
    {
        m_target.clear();
        QLabel::hideEvent(event);
    }

private:
    void passOn(QMouseEvent *event)
    {
        const QPointF global = event->globalPosition();
        if (event->type() != QEvent::MouseButtonRelease || !m_target)
            m_target = widgetBeneath(global.toPoint());
        if (QWidget *target = m_target.data()) {
            if (event->type() == QEvent::MouseButtonPress)
                giveClickFocus(target, target->mapFromGlobal(global.toPoint()));
            QMouseEvent moved(event->type(), target->mapFromGlobal(global), global, event->button(),
                              event->buttons(), event->modifiers(), event->pointingDevice());
            QCoreApplication::sendEvent(target, &moved);
        }
        if (event->type() == QEvent::MouseButtonRelease && event->buttons() == Qt::NoButton)
            hide();
    }

    // The widget of the hint's own window under Global; beyond that window
    // whatever other window shows there.
    [[nodiscard]] QWidget *widgetBeneath(QPoint Global) const
    {
        if (QWidget *window = parentWidget()) {
            if (window->rect().contains(window->mapFromGlobal(Global))) {
                QWidget *child = window->childAt(window->mapFromGlobal(Global));
                return child ? child : window;
            }
        }
        QWidget *other = QApplication::widgetAt(Global);
        return other == this ? nullptr : other;
    }

    // As a click of the window system gives it: the nearest widget from the
    // one clicked up to its window that takes the focus by a click.
    static void giveClickFocus(QWidget *Clicked, QPoint At)
    {
        for (QWidget *w = Clicked; w; w = w->parentWidget()) {
            QWidget *taker = w;
            while (taker->focusProxy())
                taker = taker->focusProxy();
            const bool takesClick = (taker->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus;
            if (w->isEnabled() && w->rect().contains(At) && takesClick) {
                w->setFocus(Qt::MouseFocusReason);
                return;
            }
            if (w->isWindow())
                return;
            At += w->pos();
        }
    }

    QPointer<QWidget> m_target;
};

QPointer<QLabel> g_hint;
QPointer<QWidget> g_anchor;

} // namespace

QStringList UnstorableCharList(QStringView text)
{
    QStringList unique;
    for (const QString &one : unstorableList(text))
        addOnce(unique, one);
    return unique;
}

QString OneLineText(QStringView text, QStringList *leftOut)
{
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return isControl(c.unicode()); }))
        return text.toString();
    QString out;
    out.reserve(text.size());
    bool gap = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (isLineBreak(u)) {
            // Only between words: none in front of the first one.
            gap = !out.isEmpty();
            continue;
        }
        if (isControl(u)) {
            if (leftOut)
                addOnce(*leftOut, QString(c));
            continue;
        }
        if (gap)
            out += QLatin1Char(' ');
        gap = false;
        out += c;
    }
    return out;
}

void KeepOnOneLine(QLineEdit *edit)
{
    if (!edit || edit->validator())
        return;
    auto *oneLine = new TByteLimitValidator(0, edit);
    oneLine->SetLimitUnit(TLimitUnit::Utf16Units);
    oneLine->Follow(edit->text());
    edit->setValidator(oneLine);
}

QString UnstorableChars(QStringView text)
{
    return UnstorableCharList(text).join(QString());
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

QString PhoneNumberText(QStringView text, QStringList *leftOut, QChar before)
{
    const QString half = HalfWidthNumberText(text);
    QString out;
    QChar previous = before;
    for (qsizetype i = 0; i < half.size();) {
        const qsizetype len = charLength(half, i);
        const QChar c = half[i];
        if (len == 1 && ((c >= u'0' && c <= u'9') || c == u'-')) {
            out += c;
            previous = c;
        } else if (len == 1 && isParenthesis(c.unicode())) {
            // "(03)1234" and "03(1234)5678": the parentheses stand where the
            // hyphens of the area code go; none at the very start, none twice.
            if (!previous.isNull() && previous != u'-') {
                out += QLatin1Char('-');
                previous = QLatin1Char('-');
            }
        } else if (leftOut) {
            addOnce(*leftOut, half.mid(i, len));
        }
        i += len;
    }
    return out;
}

QString HalfWidthKanaText(QStringView text)
{
    return Cp932::decode(ConvertReadingToHalfKana(text.toString()));
}

QString UnstorableCharsMessage(const QString &characters)
{
    QStringList list;
    for (qsizetype i = 0; i < characters.size();) {
        const qsizetype len = charLength(characters, i);
        list << characters.mid(i, len);
        i += len;
    }
    return QStringLiteral("この文字は保存できません: ") + shownList(list).join(QString());
}

QString UnstorableCharsMessage(const QStringList &characters)
{
    return QStringLiteral("この文字は保存できません: ") + shownChars(characters);
}

void ShowInputHint(QWidget *widget, const QString &message)
{
    if (!widget)
        return;
    // A tooltip would vanish with the release of the refused key: the hint is
    // a tooltip-like window of its own, owned by the edit's window.
    QWidget *window = widget->window();
    if (g_hint && g_hint->parentWidget() != window)
        delete g_hint.data();
    if (!g_hint) {
        // It stands over the next field: a click there must reach that field
        // (and so send the hint away), never the hint.
        auto *label = new THintLabel(window, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                                 Qt::WindowTransparentForInput);
        label->setObjectName(QStringLiteral("InputRefusedHint"));
        label->setAttribute(Qt::WA_ShowWithoutActivating);
        label->setPalette(QToolTip::palette());
        label->setFont(QToolTip::font());
        label->setAutoFillBackground(true);
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setMargin(4);
        label->setTextFormat(Qt::PlainText);
        auto *timer = new QTimer(label);
        timer->setObjectName(QStringLiteral("HideTimer"));
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, label, &QWidget::hide);
        // The hint speaks of the field it stands under: it goes once the
        // user has gone on to another one.
        QObject::connect(qApp, &QApplication::focusChanged, label, [label](QWidget *, QWidget *now) {
            QWidget *anchor = g_anchor.data();
            if (!label->isVisible() || !anchor || label->PassingClick())
                return;
            if (now && (now == anchor || anchor->isAncestorOf(now)))
                return;
            label->hide();
        });
        g_hint = label;
    }
    g_anchor = widget;
    g_hint->setText(message);
    g_hint->adjustSize();
    g_hint->move(widget->mapToGlobal(QPoint(0, widget->height())));
    g_hint->show();
    g_hint->raise();
    g_hint->findChild<QTimer *>(QStringLiteral("HideTimer"))->start(kHintMs);
}

void ShowInputRefusedHint(QWidget *widget, const QString &characters)
{
    ShowInputHint(widget, UnstorableCharsMessage(characters));
}

QString ShownInputRefusedHint()
{
    return g_hint && g_hint->isVisible() ? g_hint->text() : QString();
}

QWidget *ShownInputHintWidget()
{
    return g_hint && g_hint->isVisible() ? g_hint.data() : nullptr;
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

void TByteLimitValidator::SetLimitUnit(TLimitUnit unit)
{
    if (unit == m_unit)
        return;
    m_unit = unit;
    emit changed();
}

void TByteLimitValidator::SetHalfWidthNumbers(bool on)
{
    if (on == m_halfWidthNumbers)
        return;
    m_halfWidthNumbers = on;
    emit changed();
}

void TByteLimitValidator::SetPhoneNumber(bool on)
{
    if (on == m_phoneNumber)
        return;
    m_phoneNumber = on;
    emit changed();
}

void TByteLimitValidator::SetHalfWidthKana(bool on)
{
    if (on == m_halfWidthKana)
        return;
    m_halfWidthKana = on;
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

QWidget *TByteLimitValidator::HintAnchor() const
{
    if (auto *combo = qobject_cast<QComboBox *>(parent()))
        return combo;
    return WatchedEdit();
}

qsizetype TByteLimitValidator::Measure(QStringView text) const
{
    return m_unit == TLimitUnit::Utf16Units ? text.size() : Cp932::byteLength(text);
}

QValidator::State TByteLimitValidator::validate(QString &input, int &pos) const
{
    // One character for one: the caret stays where it is.
    if (m_halfWidthNumbers)
        input = HalfWidthNumberText(input);

    // The edit counts as modified while the user's input is validated; the
    // program's setText resets it first. Program text is a stored value: it
    // is shown as it stands, whole.
    const QLineEdit *edit = WatchedEdit();
    if (edit && !edit->isModified()) {
        m_lastAccepted = input;
        return Acceptable;
    }

    // What the user inserted ends at the caret and starts where the input
    // stops matching the text held before.
    const QString last = m_lastAccepted;
    const qsizetype caret = std::clamp<qsizetype>(pos, 0, input.size());
    const QString tail = input.mid(caret);
    qsizetype most = std::min(caret, last.size());
    if (last.endsWith(tail))
        most = std::min(most, last.size() - tail.size());
    qsizetype keep = 0;
    while (keep < most && input[keep] == last[keep])
        ++keep;
    if (keep > 0 && keep < input.size() && input[keep].isLowSurrogate() && input[keep - 1].isHighSurrogate())
        --keep;
    const QString prefix = input.left(keep);
    QString inserted = input.mid(keep, caret - keep);

    // One line: breaks become a blank, other control characters stay out.
    QStringList unstorable;
    inserted = OneLineText(inserted, &unstorable);

    // What cannot be stored stays out; the rest goes in.
    if (m_unit == TLimitUnit::Cp932Bytes && !inserted.isEmpty()) {
        const QStringList lacking = UnstorableCharList(inserted);
        if (!lacking.isEmpty()) {
            QString kept;
            for (qsizetype i = 0; i < inserted.size();) {
                const qsizetype len = charLength(inserted, i);
                if (!lacking.contains(inserted.mid(i, len)))
                    kept += QStringView(inserted).sliced(i, len);
                i += len;
            }
            inserted = kept;
            for (const QString &one : lacking)
                addOnce(unstorable, one);
        }
    }
    QStringList notAllowed;
    if (m_phoneNumber)
        inserted = PhoneNumberText(inserted, &notAllowed, prefix.isEmpty() ? QChar() : prefix.back());
    if (m_halfWidthKana)
        inserted = HalfWidthKanaText(inserted);

    // The limit: a text already longer (a stored value, or a lowered limit)
    // may be edited as long as it does not grow; otherwise the insertion is
    // cut after its last whole character that fits.
    QString cut;
    QString result = prefix + inserted + tail;
    const qsizetype size = Measure(result);
    if (m_maxBytes > 0 && size > m_maxBytes && size > Measure(last)) {
        const qsizetype room = m_maxBytes - Measure(prefix) - Measure(tail);
        qsizetype fit = 0;
        qsizetype used = 0;
        while (room > 0 && fit < inserted.size()) {
            const qsizetype len = charLength(inserted, fit);
            const qsizetype width = Measure(QStringView(inserted).sliced(fit, len));
            if (used + width > room)
                break;
            used += width;
            fit += len;
        }
        cut = inserted.mid(fit);
        inserted.truncate(fit);
        result = prefix + inserted + tail;
    }
    // Keys refused one after another while the hint stands under this field
    // are named together.
    if (cut.isEmpty()) {
        m_refusedRun.clear();
    } else {
        const bool hintShown = g_hint && g_hint->isVisible() && g_anchor && g_anchor == HintAnchor();
        m_refusedRun = hintShown ? m_refusedRun + cut : cut;
        cut = m_refusedRun;
    }

    if (!unstorable.isEmpty() || !notAllowed.isEmpty() || !cut.isEmpty()) {
        QStringList lines;
        if (!unstorable.isEmpty())
            lines << UnstorableCharsMessage(unstorable);
        if (!notAllowed.isEmpty())
            lines << QStringLiteral("この欄には数字とハイフンだけが入ります: ") + shownChars(notAllowed);
        if (!cut.isEmpty()) {
            lines << (m_unit == TLimitUnit::Utf16Units
                          ? QStringLiteral("この欄には%1文字までしか入りません。入らなかった部分: %2")
                                .arg(m_maxBytes)
                                .arg(cut)
                          : QStringLiteral("この欄には半角%1文字（全角%2文字）までしか入りません。入らなかった部分: %3")
                                .arg(m_maxBytes)
                                .arg(m_maxBytes / 2)
                                .arg(cut));
        }
        ShowInputHint(HintAnchor(), lines.join(QLatin1Char('\n')));
    }
    // Nothing of the insertion went in (a character refused, or a pasted
    // line break alone): refuse the key or paste, so the edit keeps its text
    // and reports no change.
    if (result == last && input != last)
        return Invalid;

    input = result;
    pos = static_cast<int>(prefix.size() + inserted.size());
    m_lastAccepted = input;
    return Acceptable;
}
