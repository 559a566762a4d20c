#pragma once

#include <QAction>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// A command of a window: a QAction with a wide caption and a "short|long"
// hint (toolTip = short part, statusTip = long part). Menus and tool buttons
// show it directly; other controls follow it through TTntControlActionLink.
class TTntAction : public QAction
{
    Q_OBJECT

public:
    explicit TTntAction(QObject *parent = nullptr);
    TTntAction(const QString &caption, QObject *parent);
    ~TTntAction() override;

    [[nodiscard]] QString Caption() const { return text(); }
    // Emits changed() once when the caption differs; nothing otherwise.
    void SetCaption(const QString &value);
    [[nodiscard]] QString Hint() const { return m_hint; }
    // Sets toolTip and statusTip together and emits changed() once, after both.
    void SetHint(const QString &value);

    // True while SetCaption / SetHint notify the action's clients.
    [[nodiscard]] bool SettingCaption() const { return m_settingCaption; }
    [[nodiscard]] bool SettingHint() const { return m_settingHint; }

private:
    QString m_hint;
    bool m_settingCaption = false;
    bool m_settingHint = false;
};

// The caption (hint) a client should take while the action is handing out a
// new one: the action's new wide caption (hint) during SetCaption (SetHint),
// defaultValue otherwise or for any other action.
[[nodiscard]] QString GetNewActionCaption(const QAction *action, const QString &defaultValue);
[[nodiscard]] QString GetNewActionHint(const QAction *action, const QString &defaultValue);

// Binds a control (button, edit, label, ...) to a TTntAction, the way a
// QToolButton's default action binds it, but for any widget and with the
// rules of a linked control:
// - when the link is made, the action's caption is copied unless the link is
//   limited to defaults (checkDefaults) and the control already has a text of
//   its own (neither empty nor its objectName); its hint unless limited to
//   defaults and the control already has a hint; enabled, visible and checked
//   likewise only while at their defaults (enabled, shown, unchecked);
// - later caption (hint) changes of the action reach the control only while
//   the control still shows the action's previous caption (hint), so a text
//   the program put on the control itself is kept;
// - enabled, visible, checkable and checked always follow the action;
// - clicking a linked button triggers the action.
// The link is a child of the control and goes with it; it removes itself when
// the action is destroyed.
class TTntControlActionLink : public QObject
{
    Q_OBJECT

public:
    TTntControlActionLink(QWidget *client, TTntAction *action, bool checkDefaults = false);
    ~TTntControlActionLink() override;

    // Links the control to the action (replacing an earlier link); a null
    // action removes the link. Returns the new link or null.
    static TTntControlActionLink *Link(QWidget *client, TTntAction *action, bool checkDefaults = false);
    // The link of a control, or null.
    [[nodiscard]] static TTntControlActionLink *Find(const QWidget *client);

    [[nodiscard]] QWidget *Client() const { return m_client; }
    [[nodiscard]] TTntAction *Action() const { return m_action; }

    // The control still shows the action's caption (hint).
    [[nodiscard]] bool IsCaptionLinked() const;
    [[nodiscard]] bool IsHintLinked() const;

    // Copies the action's state into the control; limited to the control's
    // default values with checkDefaults (rules above).
    void ActionChange(bool checkDefaults);

private:
    void actionChanged();
    void remember();

    QWidget *m_client;
    QPointer<TTntAction> m_action;
    // The action's state the control was last given, to tell which part of
    // the action changed and whether the control still shows it.
    QString m_caption;
    QString m_hint;
    bool m_enabled = true;
    bool m_visible = true;
    bool m_checked = false;
    bool m_checkable = false;
};
