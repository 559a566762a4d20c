#include "links/ExpSch.h"

#include "links/RouteWindowsCommon.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct TConditionCaptions {
    QString Group;
    QStringList Choices;
};

const std::array<TConditionCaptions, ExpertConditionCount> &conditionCaptions()
{
    static const std::array<TConditionCaptions, ExpertConditionCount> captions = {{
        {QStringLiteral(" 特急始発駅： "), {QStringLiteral("なるべく利用"), QStringLiteral("普通に利用")}},
        {QStringLiteral(" 出発駅乗車： "), {QStringLiteral("待ち時間なし"), QStringLiteral("平均待ち時間")}},
        {QStringLiteral(" 乗り換え： "),
         {QStringLiteral("気にならない"), QStringLiteral("少し気になる"), QStringLiteral("大いに気になる")}},
        {QStringLiteral(" 駅間徒歩： "),
         {QStringLiteral("気にならない"), QStringLiteral("少し気になる"), QStringLiteral("利用しない")}},
        {QStringLiteral(" ＪＲ路線： "),
         {QStringLiteral("やや優先する"), QStringLiteral("普通に利用"), QStringLiteral("極力利用しない")}},
        {QStringLiteral(" 特急列車： "),
         {QStringLiteral("気軽に利用"), QStringLiteral("普通に利用"), QStringLiteral("極力利用しない")}},
        {QStringLiteral(" 空路： "),
         {QStringLiteral("気軽に利用"), QStringLiteral("普通に利用"), QStringLiteral("極力利用しない")}},
    }};
    return captions;
}

} // namespace

TExpertSearchCondition::TExpertSearchCondition(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("ExpertSearchCondition"));
    setWindowTitle(QStringLiteral("探索条件"));
    m_highlight = m_normal = palette().color(QPalette::WindowText);
    auto *grid = new QGridLayout;
    for (int i = 0; i < ExpertConditionCount; ++i) {
        const TConditionCaptions &captions = conditionCaptions()[size_t(i)];
        auto *box = new QGroupBox(captions.Group, this);
        box->setObjectName(QStringLiteral("gb") + ExpertConditionKeys[size_t(i)]);
        gbConditions[size_t(i)] = box;
        m_groups[size_t(i)] = new QButtonGroup(this);
        auto *row = new QHBoxLayout(box);
        for (int v = 0; v < captions.Choices.size(); ++v) {
            auto *button = new QRadioButton(captions.Choices[v], box);
            button->setObjectName(QStringLiteral("rb%1%2").arg(ExpertConditionKeys[size_t(i)]).arg(v));
            button->installEventFilter(this);
            m_groups[size_t(i)]->addButton(button, v);
            rbConditions[size_t(i)][size_t(v)] = button;
            row->addWidget(button);
        }
        row->addStretch();
        connect(m_groups[size_t(i)], &QButtonGroup::idToggled, this, [this, i](int, bool) { PaintGroup(i); });
        grid->addWidget(box, i, 0);
    }
    auto *dateBox = new QGroupBox(QStringLiteral(" 乗車日付： "), this);
    dtpRideDate = new QDateEdit(dateBox);
    dtpRideDate->setObjectName(QStringLiteral("dtpRideDate"));
    dtpRideDate->setCalendarPopup(true);
    dtpRideDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    dtpRideDate->installEventFilter(this);
    auto *dateRow = new QHBoxLayout(dateBox);
    dateRow->addWidget(dtpRideDate);
    dateRow->addStretch();
    grid->addWidget(dateBox, ExpertConditionCount, 0);

    QHBoxLayout *buttons = MakeOkCancelRow(this, btnOK, btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &TExpertSearchCondition::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    SetCondition({});
}

void TExpertSearchCondition::SetColors(const QColor &Highlight, const QColor &Normal)
{
    m_highlight = Highlight;
    m_normal = Normal;
    for (int i = 0; i < ExpertConditionCount; ++i)
        PaintGroup(i);
}

void TExpertSearchCondition::SetCondition(const TExpertConditions &Condition)
{
    m_condition = Condition;
    for (int i = 0; i < ExpertConditionCount; ++i) {
        const qint32 value = Condition.Values[size_t(i)];
        // Anything but a choice the group has is its first choice.
        const int choice = value >= 0 && value <= ExpertConditionMaximum[size_t(i)] ? value : 0;
        rbConditions[size_t(i)][size_t(choice)]->setChecked(true);
        PaintGroup(i);
    }
    const QString date = Condition.RideDate.trimmed();
    const QDate day = date.size() == 8 ? QDate::fromString(date, QStringLiteral("yyyyMMdd")) : QDate();
    dtpRideDate->setDate(day.isValid() ? day : CurrentTimeStamp().date());
}

void TExpertSearchCondition::PaintGroup(int Condition)
{
    for (QRadioButton *button : rbConditions[size_t(Condition)]) {
        if (!button)
            continue;
        QPalette p = button->palette();
        p.setColor(QPalette::WindowText, button->isChecked() ? m_highlight : m_normal);
        button->setPalette(p);
    }
}

void TExpertSearchCondition::btnOKClick()
{
    for (int i = 0; i < ExpertConditionCount; ++i)
        m_condition.Values[size_t(i)] = qMax(0, m_groups[size_t(i)]->checkedId());
    m_condition.RideDate = dtpRideDate->date().toString(QStringLiteral("yyyyMMdd"));
    TMemIniFile ini(SettingsFileName());
    WriteExpertSearchCondition(ini, m_condition);
    QString error;
    if (!ini.UpdateFile(&error))
        ShowMessageBoxAt(this, error, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    accept();
}

bool TExpertSearchCondition::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Watched == dtpRideDate) {
                btnOK->setFocus();
                return true;
            }
            for (int i = 0; i < ExpertConditionCount; ++i) {
                if (m_groups[size_t(i)]->buttons().contains(static_cast<QAbstractButton *>(Watched))) {
                    if (i + 1 < ExpertConditionCount)
                        m_groups[size_t(i + 1)]->checkedButton()->setFocus();
                    else
                        dtpRideDate->setFocus();
                    return true;
                }
            }
        }
    }
    return QDialog::eventFilter(Watched, Event);
}
