#include "directory/ChgDisc.h"

#include "util/MsgBoxPos.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

TChangeDisc::TChangeDisc(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("ChangeDisc"));
    setWindowTitle(ProductCaption());
    auto *root = new QVBoxLayout(this);
    lblMsg = new QLabel;
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    root->addWidget(lblMsg);
    auto *line = new QHBoxLayout;
    line->addWidget(new QLabel(QStringLiteral("DVDドライブ：")));
    cbxCD = new QComboBox;
    cbxCD->setObjectName(QStringLiteral("cbxCD"));
    cbxCD->setEditable(true);
    cbxCD->setMinimumWidth(260);
    line->addWidget(cbxCD, 1);
    auto *update = new QPushButton(QStringLiteral("更新"));
    update->setObjectName(QStringLiteral("bbtnUpdate"));
    line->addWidget(update);
    root->addLayout(line);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"));
    cancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    root->addLayout(buttons);
    connect(update, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(ok, &QPushButton::clicked, this, [this] {
        const QVariant data = cbxCD->currentData();
        m_drive = cbxCD->currentText() == cbxCD->itemText(cbxCD->currentIndex()) && data.isValid()
                      ? data.toString()
                      : cbxCD->currentText().trimmed();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    Refresh();
}

void TChangeDisc::SetMessage(const QString &Text)
{
    lblMsg->setText(Text);
}

void TChangeDisc::SetDrive(const QString &Drive)
{
    m_drive = Drive;
    Refresh();
}

void TChangeDisc::Refresh()
{
    cbxCD->clear();
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        const QString label = volume.name().trimmed();
        cbxCD->addItem(label.isEmpty() ? root : root + QStringLiteral(" [") + label + u']', root);
    }
    const int match = cbxCD->findData(QDir::cleanPath(m_drive));
    if (match >= 0)
        cbxCD->setCurrentIndex(match);
    else if (!m_drive.isEmpty())
        cbxCD->setEditText(m_drive);
    else if (cbxCD->count() > 0)
        cbxCD->setCurrentIndex(0);
}
