#include "editors/LayoutForm.h"

#include "editors/ItemCommands.h"
#include "editors/EditorTextCommands.h"

#include <QAction>
#include <QMenu>
#include <QSignalBlocker>

TLayoutForm::TLayoutForm(QWidget *Owner, TEditorHost &Host) : TPrintEditor(TLayoutKind::AddressSide, Host, Owner)
{
    setObjectName(QStringLiteral("LayoutForm"));
    setWindowTitle(QStringLiteral("宛名印刷"));
    setProperty("HelpContext", 70); // the manual page of the address-side editor
    new TItemCommands(*this, Host);
    new TTextCommands(*this);
    // Postcards addressed to the sender (reply cards): the addressee's
    // items take the sender's record; an envelope's sender side is the
    // same mode, chosen in its paper dialog.
    actSenderMode = new QAction(QStringLiteral("差出人宛てに印刷(&R)"), this);
    actSenderMode->setObjectName(QStringLiteral("actSenderMode"));
    actSenderMode->setCheckable(true);
    addAction(actSenderMode);
    if (auto *format = findChild<QMenu *>(QStringLiteral("mnuFormat"))) {
        format->addSeparator();
        format->addAction(actSenderMode);
    }
    connect(actSenderMode, &QAction::toggled, this, [this](bool On) {
        if (On != MergesSender())
            SetDataMode(On ? SenderDataMode : 0);
    });
    connect(this, &TPrintEditor::LayoutChanged, this, [this] {
        const QSignalBlocker quiet(actSenderMode);
        actSenderMode->setChecked(MergesSender());
    });
}

void TLayoutForm::SetDataMode(int Mode)
{
    SetMergesSender(Mode == SenderDataMode);
}

void TLayoutForm::NotifyCurrentRecordChanged()
{
    // A layout of fewer frames holds no addressee's data to follow.
    if (Document().FrameCount() >= 5 && !MergesSender())
        MergeCurrentRecord();
}

void TLayoutForm::NotifyRecordUpdated(const QList<qint32> &)
{
    NotifyCurrentRecordChanged();
}

void TLayoutForm::NotifyRecordDeleted(const QList<qint32> &)
{
    NotifyCurrentRecordChanged();
}
