#include "widgets/TntActnList.h"

#include "widgets/TntControls.h"

#include <QAbstractButton>
#include <QSignalBlocker>
#include <QWidget>

namespace {

// Hidden on purpose (hide() or setVisible(false)), as opposed to not shown yet.
bool explicitlyHidden(const QWidget *widget)
{
    return widget->testAttribute(Qt::WA_WState_Hidden) && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

} // namespace

// ---- TTntAction ---------------------------------------------------------------

TTntAction::TTntAction(QObject *parent) : QAction(parent) {}

TTntAction::TTntAction(const QString &caption, QObject *parent) : QAction(caption, parent) {}

TTntAction::~TTntAction() = default;

void TTntAction::SetCaption(const QString &value)
{
    if (value == text())
        return;
    m_settingCaption = true;
    setText(value);
    m_settingCaption = false;
}

void TTntAction::SetHint(const QString &value)
{
    if (value == m_hint)
        return;
    m_hint = value;
    m_settingHint = true;
    {
        // One notification for the whole hint, so that clients never see a
        // short part that does not belong to the long part.
        const QSignalBlocker blocker(this);
        setToolTip(WideGetShortHint(value));
        setStatusTip(WideGetLongHint(value));
    }
    Q_EMIT changed();
    m_settingHint = false;
}

QString GetNewActionCaption(const QAction *action, const QString &defaultValue)
{
    auto *wide = qobject_cast<const TTntAction *>(action);
    return wide && wide->SettingCaption() ? wide->Caption() : defaultValue;
}

QString GetNewActionHint(const QAction *action, const QString &defaultValue)
{
    auto *wide = qobject_cast<const TTntAction *>(action);
    return wide && wide->SettingHint() ? wide->Hint() : defaultValue;
}

// ---- TTntControlActionLink ----------------------------------------------------

TTntControlActionLink::TTntControlActionLink(QWidget *client, TTntAction *action, bool checkDefaults)
    : QObject(client), m_client(client), m_action(action)
{
    Q_ASSERT(client && action);
    connect(action, &QAction::changed, this, &TTntControlActionLink::actionChanged);
    // A dead link is no link: Find skips it until it is deleted.
    connect(action, &QObject::destroyed, this, &QObject::deleteLater);
    if (auto *button = qobject_cast<QAbstractButton *>(client))
        connect(button, &QAbstractButton::clicked, this, [this] {
            if (m_action)
                m_action->trigger();
        });
    ActionChange(checkDefaults);
}

TTntControlActionLink::~TTntControlActionLink() = default;

TTntControlActionLink *TTntControlActionLink::Link(QWidget *client, TTntAction *action, bool checkDefaults)
{
    if (!client)
        return nullptr;
    const auto links = client->findChildren<TTntControlActionLink *>(Qt::FindDirectChildrenOnly);
    for (TTntControlActionLink *link : links)
        delete link;
    return action ? new TTntControlActionLink(client, action, checkDefaults) : nullptr;
}

TTntControlActionLink *TTntControlActionLink::Find(const QWidget *client)
{
    if (!client)
        return nullptr;
    const auto links = client->findChildren<TTntControlActionLink *>(Qt::FindDirectChildrenOnly);
    for (TTntControlActionLink *link : links)
        if (link->m_action)
            return link;
    return nullptr;
}

bool TTntControlActionLink::IsCaptionLinked() const
{
    return m_action && GetWideText(m_client) == m_caption;
}

bool TTntControlActionLink::IsHintLinked() const
{
    return m_action && GetWideHint(m_client) == m_hint;
}

void TTntControlActionLink::ActionChange(bool checkDefaults)
{
    if (!m_action)
        return;
    const QString text = GetWideText(m_client);
    // A control still showing its own name has not been given a caption yet.
    if (!checkDefaults || text.isEmpty() || text == m_client->objectName())
        SetWideText(m_client, m_action->Caption());
    if (!checkDefaults || GetWideHint(m_client).isEmpty())
        SetWideHint(m_client, m_action->Hint());
    if (!checkDefaults || !m_client->testAttribute(Qt::WA_ForceDisabled))
        m_client->setEnabled(m_action->isEnabled());
    if (!checkDefaults || !explicitlyHidden(m_client)) {
        if (m_action->isVisible() == explicitlyHidden(m_client))
            m_client->setVisible(m_action->isVisible());
    }
    if (auto *button = qobject_cast<QAbstractButton *>(m_client)) {
        if (m_action->isCheckable())
            button->setCheckable(true);
        if (button->isCheckable() && (!checkDefaults || !button->isChecked()))
            button->setChecked(m_action->isChecked());
    }
    remember();
}

void TTntControlActionLink::actionChanged()
{
    if (!m_action)
        return;
    const QString caption = m_action->Caption();
    if (caption != m_caption && IsCaptionLinked())
        SetWideText(m_client, GetNewActionCaption(m_action, caption));
    const QString hint = m_action->Hint();
    if (hint != m_hint && IsHintLinked())
        SetWideHint(m_client, GetNewActionHint(m_action, hint));
    if (m_action->isEnabled() != m_enabled)
        m_client->setEnabled(m_action->isEnabled());
    if (m_action->isVisible() != m_visible && m_action->isVisible() == explicitlyHidden(m_client))
        m_client->setVisible(m_action->isVisible());
    if (auto *button = qobject_cast<QAbstractButton *>(m_client)) {
        if (m_action->isCheckable() != m_checkable)
            button->setCheckable(m_action->isCheckable());
        if (m_action->isChecked() != m_checked && button->isCheckable())
            button->setChecked(m_action->isChecked());
    }
    remember();
}

void TTntControlActionLink::remember()
{
    m_caption = m_action->Caption();
    m_hint = m_action->Hint();
    m_enabled = m_action->isEnabled();
    m_visible = m_action->isVisible();
    m_checked = m_action->isChecked();
    m_checkable = m_action->isCheckable();
}
