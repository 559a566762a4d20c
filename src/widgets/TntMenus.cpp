#include "widgets/TntMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>

QString WideStripHotkey(const QString &text)
{
    // The program always runs as a Japanese (Far-East) program, where captions
    // carry their hot key as a trailing "(&X)" group.
    QString result;
    result.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != QLatin1Char('&')) {
            result.append(text[i]);
            continue;
        }
        if (i > 0 && text[i - 1] == QLatin1Char('(') && i + 2 < n && text[i + 2] == QLatin1Char(')')) {
            result.chop(1); // the "(" already copied
            i += 2;         // the letter and ")"
        }
    }
    return result;
}

bool WideSameCaption(const QString &a, const QString &b, Qt::CaseSensitivity sensitivity)
{
    return QString::compare(WideStripHotkey(a), WideStripHotkey(b), sensitivity) == 0;
}

QString WideShortCutToText(QKeyCombination shortCut)
{
    const Qt::Key key = shortCut.key();
    if (key == Qt::Key_unknown || key == 0 || key == Qt::Key_Shift || key == Qt::Key_Control
        || key == Qt::Key_Alt || key == Qt::Key_Meta)
        return {};
    const QString keyText = QKeySequence(QKeyCombination(key)).toString(QKeySequence::NativeText);
    if (keyText.isEmpty())
        return {};
    const Qt::KeyboardModifiers modifiers = shortCut.keyboardModifiers();
    QString text;
    if (modifiers & Qt::ShiftModifier)
        text += QStringLiteral("Shift+");
    if (modifiers & Qt::ControlModifier)
        text += QStringLiteral("Ctrl+");
    if (modifiers & Qt::AltModifier)
        text += QStringLiteral("Alt+");
    return text + keyText;
}

QString WideShortCutToText(const QKeySequence &shortCut)
{
    QStringList chords;
    for (int i = 0; i < shortCut.count(); ++i) {
        const QString chord = WideShortCutToText(shortCut[i]);
        if (chord.isEmpty())
            return {};
        chords.append(chord);
    }
    return chords.join(QStringLiteral(", "));
}

QString MenuItemNativeText(const QString &caption, const QKeySequence &shortCut, bool hasSubItems,
                           bool topLevelOfMainMenu)
{
    if (hasSubItems || topLevelOfMainMenu)
        return caption;
    const QString shortCutText = WideShortCutToText(shortCut);
    return shortCutText.isEmpty() ? caption : caption + QLatin1Char('\t') + shortCutText;
}

QString MenuItemNativeText(const QAction *item, const QWidget *container)
{
    if (!item)
        return {};
    return MenuItemNativeText(item->text(), item->shortcut(), item->menu() != nullptr,
                              qobject_cast<const QMenuBar *>(container) != nullptr);
}
