#include "dialogs/PrtMenu.h"

#include "widgets/CheckedCaption.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TPrintMenuDialog::TPrintMenuDialog(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("PrintMenuDialog"));
    setWindowTitle(QStringLiteral("印刷　メニュー"));
    setProperty("HelpContext", 65);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *gbxMenu = new QGroupBox(this);
    gbxMenu->setObjectName(QStringLiteral("gbxMenu"));
    rbNew = new QRadioButton(QStringLiteral("新規に作成する"), gbxMenu);
    rbOpen = new QRadioButton(QStringLiteral("既存のファイルを開く"), gbxMenu);
    rbContinue = new QRadioButton(QStringLiteral("前回編集したファイルを開く"), gbxMenu);
    rbNew->setObjectName(QStringLiteral("rbNew"));
    rbOpen->setObjectName(QStringLiteral("rbOpen"));
    rbContinue->setObjectName(QStringLiteral("rbContinue"));
    auto *group = new QButtonGroup(this);
    auto *menu = new QVBoxLayout(gbxMenu);
    for (QRadioButton *r : {rbNew, rbOpen, rbContinue}) {
        group->addButton(r);
        menu->addWidget(r);
        connect(r, &QRadioButton::toggled, r, [r] { PaintCheckedCaption(r); });
    }
    ckbShowMenu = new QCheckBox(QStringLiteral("次回もこの画面を表示する"), this);
    ckbShowMenu->setObjectName(QStringLiteral("ckbShowMenu"));
    connect(ckbShowMenu, &QCheckBox::toggled, this, [this] { PaintCheckedCaption(ckbShowMenu); });
    ckbShowMenu->setChecked(true);
    auto *btnOK = new QPushButton(QStringLiteral("OK"), this);
    auto *btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // Return anywhere in the menu starts the choice shown.
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(gbxMenu);
    main->addWidget(ckbShowMenu);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);
    SetChoice(0);
}

void TPrintMenuDialog::SetDocKind(int Kind)
{
    static const char *const prefixes[] = {"宛名", "ラベル", "名刺", "文面"};
    static const char *const nouns[] = {"宛名面", "ラベル", "名刺", "文面"};
    if (Kind < 0 || Kind > 3)
        return;
    setWindowTitle(QString::fromUtf8(prefixes[Kind]) + windowTitle());
    rbNew->setText(QStringLiteral("新規に") + QString::fromUtf8(nouns[Kind]) + QStringLiteral("を作成する"));
}

void TPrintMenuDialog::SetChoice(int Choice)
{
    (Choice == 0 ? rbNew : Choice == 1 ? rbOpen : rbContinue)->setChecked(true);
    rbContinue->setEnabled(rbContinue->isChecked());
}

int TPrintMenuDialog::GetChoice() const
{
    return rbNew->isChecked() ? 0 : rbOpen->isChecked() ? 1 : 2;
}

bool TPrintMenuDialog::GetShowMenu() const
{
    return ckbShowMenu->isChecked();
}
