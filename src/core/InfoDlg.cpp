#include "core/InfoDlg.h"

#include "core/Env.h"
#include "core/UpdateDlg.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WriteFailure.h"
#include "widgets/CheckedCaption.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <initializer_list>

TInfoDialog::TInfoDialog(QWidget *Owner)
    : QDialog(Owner)
{
    setObjectName(QStringLiteral("InfoDialog"));
    setWindowTitle(ProductCaption());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *layout = new QVBoxLayout(this);
    auto label = [this, layout](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        layout->addWidget(l);
        return l;
    };
    label("lblInfo1", ProductCaption() + QStringLiteral(" をお買い上げいただきましてありがとうございます。"));
    label("lblInfo2", QStringLiteral("本製品は通常、検索にDVD-ROMを使用しますので挿入したままお使いください。"));
    layout->addSpacing(8);
    label("lblInfo3", QStringLiteral("詳しい使い方は、画面上部のメニューから"));
    label("lblInfo4", QStringLiteral("［ヘルプ］－［ピルカノス2014 操作ガイド］"));
    label("lblInfo5", QStringLiteral("をクリックするか、キーボードの ［Ｆ１］キーを押してください。"));
    layout->addSpacing(8);
    QLabel *update1 =
        label("lblUpdate1", QStringLiteral("起動した時にインターネットに接続して、最新のアップデートが公開されているかを"));
    QLabel *update2 = label("lblUpdate2", QStringLiteral("確認することができます。"));

    ckbUpdate = new QCheckBox(QStringLiteral("起動時に最新アップデートの確認をする"), this);
    ckbUpdate->setObjectName(QStringLiteral("ckbUpdate"));
    ckbUpdate->setChecked(UpdateCheck);
    layout->addWidget(ckbUpdate);
    // Without an update server there is no check to offer.
    if (!UpdateConfigured()) {
        for (QWidget *w : std::initializer_list<QWidget *>{update1, update2, ckbUpdate})
            w->hide();
        ckbUpdate->setChecked(false);
    } else {
        layout->addSpacing(8);
    }
    ckbInfo = new QCheckBox(QStringLiteral("次回もこのメッセージを表示する"), this);
    ckbInfo->setObjectName(QStringLiteral("ckbInfo"));
    ckbInfo->setChecked(true);
    layout->addWidget(ckbInfo);
    for (QCheckBox *box : {ckbInfo, ckbUpdate}) {
        PaintCheckedCaption(box);
        connect(box, &QCheckBox::toggled, this, [box] { PaintCheckedCaption(box); });
    }

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    layout->addLayout(buttons);
    adjustSize();
}

bool TInfoDialog::GetShowInfo() const
{
    return ckbInfo->isChecked();
}

bool TInfoDialog::GetUpdateCheck() const
{
    return ckbUpdate->isChecked();
}

void ShowInfoDialog(QWidget *Owner)
{
    TInfoDialog dialog(Owner);
    CenterFormOnOwner(&dialog, Owner);
    dialog.exec();
    // The choice is the user's only where it was offered.
    if (UpdateConfigured())
        UpdateCheck = dialog.GetUpdateCheck();
    TMemIniFile ini(SettingsFileName());
    ini.WriteBool(QStringLiteral("BASE"), QStringLiteral("Info"), dialog.GetShowInfo());
    ini.WriteBool(QStringLiteral("UPDATE"), QStringLiteral("UpdateCheck"), UpdateCheck);
    QString error;
    if (!ini.UpdateFile(&error))
        ShowWriteFailure(Owner, QStringLiteral("起動時の設定"), SettingsFileName(), error);
}
