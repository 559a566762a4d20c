#pragma once

#include "addressbook/PrintEditors.h"
#include "editors/PrintEditor.h"

// The label and business-card editor, one window for both. After creation
// it edits labels whose items take the main list's current record;
// SetCardMode(true), called once right after creation, turns it into the
// business-card editor, whose items take the sender's record. The data
// side of each layout (the addressee records or the sender record) is
// chosen in the sheet dialog and kept in its file.
class TLabelForm : public TPrintEditor, public TPrintEditorNotice
{
    Q_OBJECT

public:
    explicit TLabelForm(QWidget *Owner, TEditorHost &Host);

    // The manual pages of the label editor and of the business-card editor.
    static constexpr int LabelHelpContext = 77;
    static constexpr int CardHelpContext = 85;

    // True: business-card mode (caption, hints, help topic, data side);
    // false does nothing.
    void SetCardMode(bool Card);
    [[nodiscard]] bool IsCardMode() const override { return m_cardMode; }
    [[nodiscard]] int HelpContext() const { return m_helpContext; }

    void NotifyCurrentRecordChanged() override;
    void NotifyRecordUpdated(const QList<qint32> &RecNos) override;
    void NotifyRecordDeleted(const QList<qint32> &RecNos) override;

private:
    bool m_cardMode = false;
    int m_helpContext = LabelHelpContext;
};
