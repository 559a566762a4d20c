#pragma once

#include <QList>
#include <QtGlobal>

#include <functional>

class QWidget;

// The print editors as the main list knows them: windows it opens through
// PrintEditorOpener (set by the editors' library at start-up, so the list
// never includes an editor's header) and tells of record changes through
// this interface. An editor window derives from TPrintEditorNotice.
enum class TPrintEditorKind : quint8 { AddressSide = 1, Label = 2, Card = 3, Design = 4 };

class TPrintEditorNotice
{
public:
    virtual ~TPrintEditorNotice() = default;
    virtual void NotifyCurrentRecordChanged() = 0;
    // The record numbers are not inspected: the editor merges its current
    // record again, which is empty when that record went.
    virtual void NotifyRecordUpdated(const QList<qint32> &RecNos) = 0;
    virtual void NotifyRecordDeleted(const QList<qint32> &RecNos) = 0;
    // The label window in business-card mode.
    [[nodiscard]] virtual bool IsCardMode() const { return false; }
};

// Creates the editor window of that kind owned by Owner, not yet shown
// (the label window switched to card mode for TPrintEditorKind::Card).
// Empty: the print commands do nothing.
using TPrintEditorOpener = std::function<QWidget *(TPrintEditorKind Kind, QWidget *Owner)>;
extern TPrintEditorOpener PrintEditorOpener;
