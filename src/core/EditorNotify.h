#pragma once

#include <QByteArray>
#include <QList>

#include <memory>

// What the main list window needs of the layout, label and card editors,
// which live in a later layer: the shared buffer of copied items and the
// calls that make an open editor merge the current record again.

// The editors' shared buffer of copied layout items: made by an editor at its
// first copy, released by the main form at shutdown when it exists.
inline std::unique_ptr<QByteArray> ItemCopyStream;

// An editor window that shows the main list's current record. The main list
// calls these whenever the current row, the group, the sort order, the filter
// or the duplicate display changes, and after records were saved or deleted.
// The record numbers are passed on for completeness; an editor may merge the
// current record again without looking at them.
class TEditorNotify
{
public:
    virtual ~TEditorNotify() = default;
    virtual void NotifyCurrentRecordChanged() = 0;
    virtual void NotifyRecordUpdated(const QList<qint32> &recNos) = 0;
    virtual void NotifyRecordDeleted(const QList<qint32> &recNos) = 0;
};

// The label editor, which doubles as the business-card editor: the main list
// switches a newly made window to card mode once (SetCardMode(true); false
// changes nothing, label mode is the state after creation) and asks which
// mode an open window is in.
class TCardModeEditor
{
public:
    virtual ~TCardModeEditor() = default;
    virtual void SetCardMode(bool card) = 0;
    [[nodiscard]] virtual bool IsCardMode() const = 0;
};
