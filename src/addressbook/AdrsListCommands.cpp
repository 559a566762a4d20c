// The commands of the main list window: delete, the filter and duplicate
// switches, the word search, the column, keyword and group dialogs.
#include "addressbook/AdrsList.h"

#include "addressbook/BatchChg.h"
#include "addressbook/DtInqiry.h"

#include "addressbook/AdrsListModel.h"
#include "addressbook/AdrsListView.h"
#include "addressbook/DupliSch.h"
#include "addressbook/HdrSel.h"
#include "addressbook/KeywdEdt.h"
#include "addressbook/WordSch.h"
#include "core/GrpEdt.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/RecordRun.h"
#include "widgets/TntActnList.h"

#include <QComboBox>

namespace {

constexpr int kCorpColumnId = 13;
constexpr int kNameColumnId = 17;

} // namespace

void TAddressList::actInquiryExecute()
{
    if (GetRowCount() == 0 || GetSelCount() == 0)
        return;
    // One record at a time: deselect from the last row up, sparing the focused one.
    QItemSelectionModel *selection = lvAddress->selectionModel();
    const int focused = GetFocusedIndex();
    for (int row = GetLastSelected(); row >= 0 && GetSelCount() > 1; --row) {
        if (row != focused && IsRowSelected(row))
            selection->select(m_model->index(row, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    const int row = GetFirstSelected();
    int pending = 1;
    if (DataInquiry) {
        if (row == InquiryRow() && DataInquiry->NavigationSource() == 1) {
            DataInquiry->raise();
            DataInquiry->activateWindow();
            return;
        }
        pending = DataInquiry->ConfirmPendingEdit(false, false);
        if (pending == 9)
            return;
    }
    TAddressData record;
    if (GetRecordAt(row, record)) {
        TWaitCursor hourglass;
        TDataInquiry *form = GetDataInquiry();
        form->SetNavigationSource(1);
        form->StartInquiry(record);
        ClearAddressData(record);
        form->show();
        form->raise();
        form->activateWindow();
    }
    if (pending == 0) {
        RefreshList(false, true, true);
        SelectRow(InquiryRow(), false, false);
    }
}

void TAddressList::actNumerSearchExecute()
{
    TWaitCursor hourglass;
    TDataInquiry *form = GetDataInquiry();
    form->StartNewRecord();
    form->show();
    form->raise();
    form->activateWindow();
}

void TAddressList::actBatchChangeExecute()
{
    if (GetSelCount() == 0)
        return;
    // The form would otherwise hold an edit of a record the change rewrites.
    if (DataInquiry && !DataInquiry->close())
        return;
    const int first = GetFirstSelected();
    TBatchChange dialog(this);
    CenterFormOnOwner(&dialog, this);
    if (dialog.exec() == QDialog::Accepted) {
        RefreshList(false, true, true);
        SelectRow(first, false, true);
        emit CurrentRecordChanged();
    }
    lvAddress->setFocus();
}

void TAddressList::actDeleteExecute()
{
    if (GetSelCount() < 1)
        return;
    if (ShowMessageBoxAt(this, QStringLiteral("選択したデータを削除します  \r\nよろしいですか？  "), ProductCaption(),
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner, 0, 0) != IDYES)
        return;
    TWaitCursor hourglass;
    const int first = GetFirstSelected();
    const int selected = GetSelCount();
    TTable *table = m_model->Table();
    QList<qint32> deleted;
    QList<int> deletedRows;
    // What the table refused (locked, read-only): kept, and named afterwards.
    QList<qint32> refused;
    QStringList refusedNames;
    QString reason;
    int vanished = 0;
    // The name of a record the table still holds (a refused record's writes
    // are undone before it is named).
    const auto nameOf = [this](qint32 recNo, int row) {
        try {
            if (!PositionOn(recNo))
                return QString();
        } catch (const ETableError &) {
            return QString();
        }
        const QString name = m_model->FormatCell(kNameColumnId, row);
        return name.isEmpty() ? m_model->FormatCell(kCorpColumnId, row) : name;
    };
    const auto refuse = [&](qint32 recNo, int row, const QString &why) {
        refused << recNo;
        refusedNames << nameOf(recNo, row);
        if (reason.isEmpty())
            reason = why;
    };
    const auto intervals = SelectedIntervals();
    if (table) {
        // One transaction for the whole run: a refused record costs only
        // itself, and a locked table is waited for once, not per record.
        TRecordRun run(this, *table, QStringLiteral("選択したデータを削除しています..."), selected);
        QString error;
        const bool begun = run.Begin(&error);
        bool stopped = !begun;
        for (const auto &interval : intervals) {
            for (int row = interval.first; row <= interval.second; ++row) {
                const qint32 recNo = m_model->RecNoAt(row);
                if (stopped) {
                    // Cancelled: the rest stays as the user asked. Not begun,
                    // or the run was lost: the rest is refused.
                    if (!run.Cancelled())
                        refuse(recNo, row, error);
                    continue;
                }
                QString why;
                bool gone = false;
                // One statement per record, which the engine undoes alone.
                const bool written = run.Record([&] {
                    try {
                        // A record removed meanwhile is skipped.
                        if (!PositionOn(recNo)) {
                            gone = true;
                            return false;
                        }
                        table->Delete();
                        return true;
                    } catch (const ETableError &failure) {
                        why = failure.Message();
                        return false;
                    }
                }, TTableBatch::TRecordWrites::One);
                if (written) {
                    deleted << recNo;
                    deletedRows << row;
                } else if (gone) {
                    ++vanished;
                } else {
                    refuse(recNo, row,
                           why.isEmpty() ? QStringLiteral("書き込みの全体が取り消されたため、削除できませんでした") : why);
                }
                stopped = !run.Next();
            }
        }
        if (begun && !run.Commit(&error)) {
            // Nothing of the run reached the file: every record stays.
            for (int i = 0; i < deleted.size(); ++i) {
                refused << deleted[i];
                refusedNames << nameOf(deleted[i], deletedRows[i]);
            }
            deleted.clear();
            deletedRows.clear();
            reason = error;
        }
    }
    const bool inquiryDeleted = deletedRows.contains(m_model->InquiryRow());
    if (inquiryDeleted) {
        m_model->SetInquiryRow(-1);
        // The form showed a record that is gone: it closes without asking.
        if (DataInquiry && DataInquiry->NavigationSource() == 1) {
            DataInquiry->SetSkipConfirm(true);
            DataInquiry->close();
        }
    }
    // The list shows what the table really holds.
    if (!deleted.isEmpty() || vanished > 0) {
        RefreshList(false, true, true);
        SelectRow(first, false, true);
    }
    if (!deleted.isEmpty())
        NotifyRecordsDeleted(deleted);
    if (refused.isEmpty())
        return;
    QString text = QStringLiteral("選択した%1件のうち、%2件のデータを削除しました  \r\n"
                                  "次の%3件のデータは削除できませんでした  \r\n%4  ")
                       .arg(selected)
                       .arg(deleted.size())
                       .arg(refused.size())
                       .arg(RecordListText(refused, refusedNames));
    if (vanished > 0)
        text += QStringLiteral("\r\n%1件のデータは既に削除されていました  ").arg(vanished);
    text += QStringLiteral("\r\n\r\n") + reason;
    ShowMessageBoxAt(this, text, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

// ---------------------------------------------------------------------------
// Filter and duplicate display

void TAddressList::SearchChanged()
{
    UpdateSortControls();
    RefreshList(false, true, false);
    SelectRow(m_model->InquiryRow(), false, true);
    emit CurrentRecordChanged();
    UpdateFilterPanel();
}

void TAddressList::actAdrsSearchExecute()
{
    TAddressSearch dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.SetCondition(m_model->Condition);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TNarrowDownCondition condition;
    dialog.GetCondition(condition);
    ApplyCondition(condition);
}

void TAddressList::ApplyCondition(const TNarrowDownCondition &Condition)
{
    m_model->Condition = Condition;
    actDisableSearch->setChecked(false);
    m_model->FilterDisabled = false;
    actDisableSearch->setEnabled(!Condition.IsEmpty());
    actCancelSearch->setEnabled(!Condition.IsEmpty());
    // The filter ends a duplicate display.
    m_model->DupItem1 = 0;
    m_model->DupItem2 = 0;
    SearchChanged();
}

void TAddressList::actDuplicateSearchExecute()
{
    TDuplicateSearch dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.SetItems(m_model->DupItem1, m_model->DupItem2);
    if (dialog.exec() != QDialog::Accepted)
        return;
    int item1 = 0;
    int item2 = 0;
    dialog.GetItems(item1, item2);
    ApplyDuplicateItems(item1, item2);
}

void TAddressList::ApplyDuplicateItems(int Item1, int Item2)
{
    if (Item1 < 0 || Item1 > 4)
        Item1 = 0;
    if (Item2 < 0 || Item2 > 4 || Item1 == 0)
        Item2 = 0;
    m_model->DupItem1 = Item1;
    m_model->DupItem2 = Item2;
    actDisableSearch->setChecked(false);
    m_model->FilterDisabled = false;
    // The duplicate display ends a filter.
    if (Item1 > 0 && !m_model->Condition.IsEmpty())
        m_model->Condition.Clear();
    // The switches stay usable while a filter remains in force, so ending
    // a duplicate display never leaves a filter that cannot be suspended.
    const bool anything = Item1 >= 1 || !m_model->Condition.IsEmpty();
    actDisableSearch->setEnabled(anything);
    actCancelSearch->setEnabled(anything);
    SearchChanged();
}

void TAddressList::actDisableSearchExecute()
{
    // The action has flipped its check state already.
    m_model->FilterDisabled = actDisableSearch->isChecked();
    SearchChanged();
}

void TAddressList::actCancelSearchExecute()
{
    const bool wasDisabled = actDisableSearch->isChecked();
    m_model->Condition.Clear();
    m_model->DupItem1 = 0;
    m_model->DupItem2 = 0;
    actDisableSearch->setEnabled(false);
    actCancelSearch->setEnabled(false);
    actDisableSearch->setChecked(false);
    m_model->FilterDisabled = false;
    if (wasDisabled) {
        // The list already shows every record of the group.
        UpdateSortControls();
        UpdateFilterPanel();
        return;
    }
    SearchChanged();
}

// ---------------------------------------------------------------------------
// Word search

void TAddressList::actWordSearchExecute()
{
    TWordSearch dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.SetWord(m_searchWord);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ApplySearchWord(dialog.GetWord());
}

void TAddressList::ApplySearchWord(const QString &Word)
{
    m_searchWord = Word;
    m_model->SearchWord = Word;
    actWordNext->setEnabled(!Word.isEmpty());
    lvAddress->viewport()->update();
    if (Word.isEmpty())
        return;
    m_searchPos = -1;
    if (FindNext() == TFindResult::NotFound)
        ShowMessageBoxAt(this, QStringLiteral("指定した文字列は見つかりませんでした  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
}

void TAddressList::actWordNextExecute()
{
    (void)FindNext();
}

bool TAddressList::FindWord()
{
    return FindNext() == TFindResult::Found;
}

TAddressList::TFindResult TAddressList::FindNext()
{
    const int rows = GetRowCount();
    if (rows == 0 || m_searchWord.isEmpty())
        return TFindResult::NotFound;
    int start = m_searchPos >= 0 ? m_searchPos : GetFocusedIndex();
    // Past the last row (the last hit was there) or no focused row: row 0.
    if (start < 0 || start >= rows)
        start = 0;
    TWaitCursor hourglass;
    int row = -1;
    switch (m_model->FindWord(m_searchWord, start, row)) {
    case TAddressListModel::TWordSearchResult::Found:
        SelectRow(row, true, true);
        m_searchPos = row + 1;
        return TFindResult::Found;
    case TAddressListModel::TWordSearchResult::ReadFailed:
        ShowMessageBoxAt(this, QStringLiteral("アドレス帳が読み出せませんでした  "), ProductCaption(), MB_ICONERROR,
                         mbpCenterOnOwner, 0, 0);
        return TFindResult::ReadFailed;
    case TAddressListModel::TWordSearchResult::NotFound:
        break;
    }
    return TFindResult::NotFound;
}

// ---------------------------------------------------------------------------
// Columns, keywords, groups, reload

void TAddressList::actViewColumnExecute()
{
    THeaderSelect dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.SetColumns(m_model->ColumnRecords());
    if (dialog.exec() == QDialog::Accepted) {
        TColumnRecords records = m_model->ColumnRecords();
        dialog.GetColumns(records);
        m_model->ColumnRecords() = records;
        const int first = GetFirstSelected();
        RefreshList(true, false, true);
        SelectRow(first, false, false);
    }
    lvAddress->setFocus();
}

void TAddressList::actInitColumnExecute()
{
    m_model->ResetShownColumnWidths();
    ApplyColumnWidths();
    lvAddress->viewport()->update();
}

void TAddressList::actKeywordEditExecute()
{
    TKeywordEdit dialog(this);
    CenterFormOnOwner(&dialog, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted && dialog.NamesChanged()) {
        FillSortCombo();
        const int first = GetFirstSelected();
        RefreshList(true, false, true);
        SelectRow(first, false, false);
    }
    if (accepted && (dialog.NamesChanged() || dialog.ModesChanged()) && DataInquiry)
        DataInquiry->RefreshKeywordCaptions();
    lvAddress->setFocus();
}

void TAddressList::actEditGroupExecute()
{
    const bool active = isActiveWindow();
    TGruopEdit dialog(this);
    if (active)
        CenterFormOnOwner(&dialog, this);
    if (dialog.exec() == QDialog::Accepted && dialog.Changed) {
        FillGroupCombo();
        const int first = GetFirstSelected();
        RefreshList(true, false, true);
        SelectRow(first, false, false);
        if (DataInquiry)
            DataInquiry->RefreshGroups();
    }
    if (active)
        lvAddress->setFocus();
}

void TAddressList::actReloadExecute()
{
    const int first = GetFirstSelected();
    RefreshList(false, true, true);
    SelectRow(first, false, false);
    lvAddress->setFocus();
}
