#include "editors/LabelForm.h"

#include "editors/ItemCommands.h"
#include "editors/EditorTextCommands.h"

#include <QAction>

TLabelForm::TLabelForm(QWidget *Owner, TEditorHost &Host) : TPrintEditor(TLayoutKind::Label, Host, Owner)
{
    setObjectName(QStringLiteral("LabelForm"));
    setWindowTitle(QStringLiteral("ラベル印刷"));
    setProperty("HelpContext", m_helpContext);
    new TItemCommands(*this, Host);
    new TTextCommands(*this);
}

void TLabelForm::SetCardMode(bool Card)
{
    if (!Card || m_cardMode)
        return;
    m_cardMode = true;
    m_helpContext = CardHelpContext;
    setProperty("HelpContext", CardHelpContext);
    ChangeKind(TLayoutKind::Card);
    // A card is the sender's own until its sheet dialog says otherwise.
    Document().SenderAsAddressee = true;
    setWindowTitle(QStringLiteral("名刺印刷"));
    // The commands that speak of labels speak of cards.
    const std::pair<QAction *, const char *> hints[] = {
        {actNew, "新しい名刺を作成します"},          {actPrint, "名刺を印刷します"},
        {actPreview, "印刷される名刺を確認します"},  {actClose, "名刺印刷を終了します"},
        {actUndo, "名刺の直前の操作を元に戻します"}, {actRedo, "名刺の元に戻した操作をやり直します"},
        {actZoomIn, "名刺を拡大して表示します"},
    };
    for (const auto &[action, hint] : hints)
        action->setStatusTip(QString::fromUtf8(hint));
    MergeCurrentRecord();
}

void TLabelForm::NotifyCurrentRecordChanged()
{
    // The sender's data, which the list's rows never change.
    if (!MergesSender())
        MergeCurrentRecord();
}

void TLabelForm::NotifyRecordUpdated(const QList<qint32> &)
{
    NotifyCurrentRecordChanged();
}

void TLabelForm::NotifyRecordDeleted(const QList<qint32> &)
{
    NotifyCurrentRecordChanged();
}
