#include "dialogs/UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TUpDown::TUpDown(QWidget *parent) : QWidget(parent)
{
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_up->setObjectName(QStringLiteral("up"));
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    m_down->setObjectName(QStringLiteral("down"));
    for (QToolButton *b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(16, 11);
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
}

void TUpDown::SetPosition(int value) { m_position = std::clamp(value, m_min, std::max(m_min, m_max)); }

void TUpDown::SetMin(int value)
{
    m_min = value;
    SetPosition(m_position);
}

void TUpDown::SetMax(int value)
{
    m_max = value;
    SetPosition(m_position);
}

void TUpDown::step(int delta)
{
    SetPosition(m_position + delta);
    if (OnClick)
        OnClick();
}
