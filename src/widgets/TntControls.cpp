#include "widgets/TntControls.h"

#include "platform/Cp932.h"
#include "widgets/TntActnList.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>
#include <QWidget>

namespace {

// Dynamic properties that carry the wide values a widget has no Qt property for.
constexpr const char *kWideTextProperty = "tntWideText";
constexpr const char *kWideHintProperty = "tntWideHint";

// The QString "text" property of a widget kind the table does not name.
QMetaProperty textProperty(const QWidget *control)
{
    const QMetaObject *meta = control->metaObject();
    const int index = meta->indexOfProperty("text");
    if (index < 0)
        return {};
    QMetaProperty property = meta->property(index);
    if (property.metaType().id() != QMetaType::QString || !property.isReadable() || !property.isWritable())
        return {};
    return property;
}

// True for the widgets whose text is a Qt property (the kinds of the table).
bool hasOwnText(const QWidget *control)
{
    return qobject_cast<const QLineEdit *>(control) || qobject_cast<const QComboBox *>(control)
           || qobject_cast<const QAbstractButton *>(control) || qobject_cast<const QLabel *>(control)
           || qobject_cast<const QGroupBox *>(control) || qobject_cast<const QTextEdit *>(control)
           || qobject_cast<const QPlainTextEdit *>(control) || control->isWindow()
           || textProperty(control).isValid();
}

QString composedHint(const QString &toolTip, const QString &statusTip)
{
    return toolTip == statusTip ? toolTip : toolTip + QLatin1Char('|') + statusTip;
}

} // namespace

// ---- Synced strings ---------------------------------------------------------

QString GetSyncedWideString(QString &wideValue, const QByteArray &ansiValue)
{
    if (Cp932::encode(wideValue) != ansiValue)
        wideValue = Cp932::decode(ansiValue);
    return wideValue;
}

void SetSyncedWideString(const QString &value, QString &wideValue, QByteArray ansiValue,
                         const std::function<void(const QByteArray &)> &setAnsi)
{
    if (value == GetSyncedWideString(wideValue, ansiValue))
        return;
    const QByteArray ansi = Cp932::encode(value);
    // A lossy value whose byte form the byte side already holds would not look
    // like a change there: step through the empty text first.
    if (Cp932::decode(ansi) != value && ansiValue == ansi)
        setAnsi(QByteArray());
    wideValue = value;
    setAnsi(ansi);
}

// ---- Text -------------------------------------------------------------------

QString GetWideText(const QWidget *control)
{
    if (!control)
        return {};
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    if (auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->isEditable() && combo->lineEdit() ? combo->lineEdit()->text() : combo->currentText();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    if (auto *text = qobject_cast<const QTextEdit *>(control))
        return text->toPlainText();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(control))
        return plain->toPlainText();
    if (control->isWindow())
        return control->windowTitle();
    if (const QMetaProperty property = textProperty(control); property.isValid())
        return property.read(control).toString();
    return control->property(kWideTextProperty).toString();
}

void SetWideText(QWidget *control, const QString &value)
{
    if (!control || GetWideText(control) == value)
        return;
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setText(value);
    else if (auto *combo = qobject_cast<QComboBox *>(control))
        // Editable: the edit text; a drop-down list selects the item with that
        // text (and stays as it is when there is none).
        combo->setCurrentText(value);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(value);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(value);
    else if (auto *group = qobject_cast<QGroupBox *>(control))
        group->setTitle(value);
    else if (auto *text = qobject_cast<QTextEdit *>(control))
        text->setPlainText(value);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->setPlainText(value);
    else if (control->isWindow())
        control->setWindowTitle(value);
    else if (const QMetaProperty property = textProperty(control); property.isValid())
        property.write(control, value);
    else
        control->setProperty(kWideTextProperty, value);
}

QString GetStoredWideText(const QWidget *control, const QString &defaultValue)
{
    if (!control)
        return defaultValue;
    if (hasOwnText(control))
        return GetWideText(control);
    const QVariant stored = control->property(kWideTextProperty);
    return stored.isValid() ? stored.toString() : defaultValue;
}

void SetStoredWideText(QWidget *control, const QString &value)
{
    if (control && !hasOwnText(control))
        control->setProperty(kWideTextProperty, value);
    else
        SetWideText(control, value);
}

// ---- Hints ------------------------------------------------------------------

QString GetWideHint(const QWidget *control)
{
    if (!control)
        return {};
    const QString toolTip = control->toolTip();
    const QString statusTip = control->statusTip();
    const QVariant stored = control->property(kWideHintProperty);
    if (stored.isValid()) {
        const QString hint = stored.toString();
        if (WideGetShortHint(hint) == toolTip && WideGetLongHint(hint) == statusTip)
            return hint;
    }
    return composedHint(toolTip, statusTip);
}

void SetWideHint(QWidget *control, const QString &value)
{
    if (!control || GetWideHint(control) == value)
        return;
    control->setProperty(kWideHintProperty, value);
    control->setToolTip(WideGetShortHint(value));
    control->setStatusTip(WideGetLongHint(value));
}

bool IsWideHintStored(const QWidget *control)
{
    const TTntControlActionLink *link = TTntControlActionLink::Find(control);
    return !link || !link->IsHintLinked();
}

QString WideGetHint(const QWidget *control)
{
    for (const QWidget *widget = control; widget; widget = widget->parentWidget()) {
        const QString hint = GetWideHint(widget);
        if (!hint.isEmpty())
            return hint;
    }
    return {};
}

QString WideGetShortHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString WideGetLongHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}
