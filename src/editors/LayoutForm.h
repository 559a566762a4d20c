#pragma once

#include "addressbook/PrintEditors.h"
#include "editors/PrintEditor.h"

// The address-side layout editor: postcards and envelopes. Its items take
// the main list's current record, or in the sender-data mode (mode 2) the
// sender's record; the main list's notices merge the current record again
// only for a layout of five or more frames outside that mode.
class TLayoutForm : public TPrintEditor, public TPrintEditorNotice
{
    Q_OBJECT

public:
    explicit TLayoutForm(QWidget *Owner, TEditorHost &Host);

    // 0 the addressee's data, 2 the sender's data.
    static constexpr int SenderDataMode = 2;
    [[nodiscard]] int DataMode() const { return MergesSender() ? SenderDataMode : 0; }
    void SetDataMode(int Mode);

    void NotifyCurrentRecordChanged() override;
    void NotifyRecordUpdated(const QList<qint32> &RecNos) override;
    void NotifyRecordDeleted(const QList<qint32> &RecNos) override;

    // The sender mode on the menu 書式, checked while it is on.
    QAction *actSenderMode = nullptr;
};
