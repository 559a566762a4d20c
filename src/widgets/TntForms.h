#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QEvent;
class QWidget;

// The program's application object beside QApplication: the wide title of the
// program and the wide hint of whatever the mouse points at.
//
// Title: the title of the main window, which is the first plain top-level
// window (a QMainWindow or parentless QWidget; not a dialog, splash or popup)
// shown while this object exists. A title set before that window is shown
// waits and is given to the window when it is shown; from then on setting the
// title sets the window's title, and reading it reads the window's title.
//
// Hint: the long part of the hint of the control under the mouse (its own
// hint or its nearest parent's), and of a menu item the mouse rests on. Every
// change calls OnHint; the main window shows Hint() in its first status panel.
//
// Typed characters need nothing here: Qt delivers them as UTF-16.
class TTntApplication : public QObject
{
    Q_OBJECT

public:
    ~TTntApplication() override;

    [[nodiscard]] QString Title() const;
    void SetTitle(const QString &value);
    [[nodiscard]] QString Hint() const { return m_hint; }
    // Calls OnHint when the hint changes.
    void SetHint(const QString &value);

    // The window the title belongs to, null before one is shown.
    [[nodiscard]] QWidget *MainWindow() const { return m_mainWindow; }

    std::function<void()> OnHint;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TTntApplication();
    friend TTntApplication *TntApplication();

    void windowShown(QWidget *window);

    QString m_hint;
    QString m_title;
    bool m_titleWaiting = false;
    QPointer<QWidget> m_mainWindow;
};

// The one application object, created on first use (after QApplication) and
// destroyed with QApplication.
TTntApplication *TntApplication();
