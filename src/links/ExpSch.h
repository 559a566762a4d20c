#pragma once

#include "links/ExpMain.h"

#include <QColor>
#include <QDialog>

#include <array>

class QButtonGroup;
class QDateEdit;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The Ekispert search conditions "探索条件": the seven conditions the route
// program searches with, and the ride date. OK stores them in the settings
// file ([EXPERT STATION SEARCH]) before the dialog closes.
class TExpertSearchCondition : public QDialog
{
    Q_OBJECT

public:
    explicit TExpertSearchCondition(QWidget *Owner = nullptr);

    void SetColors(const QColor &Highlight, const QColor &Normal);
    void SetCondition(const TExpertConditions &Condition);
    [[nodiscard]] const TExpertConditions &Condition() const { return m_condition; }

    void btnOKClick();

    // The groups in the order of the conditions, their buttons by value.
    std::array<QGroupBox *, ExpertConditionCount> gbConditions{};
    std::array<std::array<QRadioButton *, 3>, ExpertConditionCount> rbConditions{};
    QDateEdit *dtpRideDate = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void PaintGroup(int Condition);

    std::array<QButtonGroup *, ExpertConditionCount> m_groups{};
    TExpertConditions m_condition;
    QColor m_highlight;
    QColor m_normal;
};
