#include "editors/LayoutForm.h"

#include "editors/ItemCommands.h"
#include "editors/EditorTextCommands.h"

TLayoutForm::TLayoutForm(QWidget *Owner, TEditorHost &Host) : TPrintEditor(TLayoutKind::AddressSide, Host, Owner)
{
    setObjectName(QStringLiteral("LayoutForm"));
    setWindowTitle(QStringLiteral("宛名印刷"));
    new TItemCommands(*this, Host);
    new TTextCommands(*this);
}

void TLayoutForm::SetDataMode(int Mode)
{
    m_dataMode = Mode;
    Document().SenderAsAddressee = Mode == SenderDataMode;
    MergeCurrentRecord();
}

void TLayoutForm::NotifyCurrentRecordChanged()
{
    // A layout of fewer frames holds no addressee's data to follow.
    if (Document().FrameCount() >= 5 && m_dataMode != SenderDataMode)
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
