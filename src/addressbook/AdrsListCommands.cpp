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
#include "core/AdrsSel.h"
#include "core/BkupDat.h"
#include "core/ConvAdrsPos.h"
#include "core/ConvKykbn.h"
#include "core/DBInfo.h"
#include "core/GrpEdt.h"
#include "core/OptData.h"
#include "core/RepIndex.h"
#include "core/RestDat.h"
#include "core/VersionInfo.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/RecordRun.h"
#include "widgets/TntActnList.h"

#include <QComboBox>

void TAddressList::actInquiryExecute()
{
    if (GetRowCount() == 0) {
        // Nothing to show: the form opens on a new record (its 新規登録).
        if (m_adrsOpened)
            actNumerSearchExecute();
        return;
    }
    if (GetSelCount() == 0)
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

TFileImportOpener FileImportOpener;
TListPrintOpener ListPrintOpener;

void TAddressList::actListPrintExecute()
{
    if (ListPrintOpener && !TRecordRun::Running())
        ListPrintOpener(this);
}

TRowWindowOpener FileExportOpener;
TRowWindowOpener MarkExportOpener;

QList<QPointer<QWidget>> &RowWindows()
{
    static QList<QPointer<QWidget>> windows;
    windows.removeAll(QPointer<QWidget>());
    return windows;
}

void RegisterRowWindow(QWidget *Window)
{
    if (Window && !RowWindows().contains(Window))
        RowWindows() << Window;
}

void NotifyRowWindows(const char *Method)
{
    const QList<QPointer<QWidget>> windows = RowWindows();
    const QByteArray signature = QMetaObject::normalizedSignature(QByteArray(Method).append("()").constData());
    for (const QPointer<QWidget> &window : windows) {
        // A window takes only the notices it has a method for.
        if (window && window->metaObject()->indexOfMethod(signature.constData()) >= 0)
            QMetaObject::invokeMethod(window, Method);
    }
}

TPrintEditorOpener PrintEditorOpener;

void TAddressList::actImportFileExecute()
{
    if (!FileImportOpener || TRecordRun::Running())
        return;
    // The import writes the book alone: the non-modal windows close first.
    if (!CloseChildWindows())
        return;
    if (FileImportOpener(this)) {
        FillGroupCombo(); // the import may have added group names
        RefreshList(false, true, false);
        SelectRow(0, true, true);
        emit CurrentRecordChanged();
    }
    lvAddress->setFocus();
}

void TAddressList::actDeleteExecute()
{
    if (GetSelCount() < 1 || TRecordRun::Running())
        return;
    if (ShowMessageBoxAt(this, QStringLiteral("選択したデータを削除します  \r\nよろしいですか？  "), ProductCaption(),
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner, 0, 0) != IDYES)
        return;
    TWaitCursor hourglass;
    const int first = GetFirstSelected();
    // The records are taken now: nothing the run meets can move them.
    const TRunRecords records = SelectedRunRecords();
    const int selected = int(records.size());
    TTable *table = m_model->Table();
    TRunRecords deleted;
    // What the table refused (locked, read-only): kept, and named afterwards.
    TRunRecords refused;
    QString reason;
    int vanished = 0;
    int handled = 0;
    bool cancelled = false;
    if (table) {
        // One transaction for the whole run: a refused record costs only
        // itself, and a locked table is waited for once, not per record.
        TRecordRun run(this, *table, QStringLiteral("選択したデータを削除しています..."), selected);
        QString error;
        const bool begun = run.Begin(&error);
        if (!begun) {
            refused = records;
            reason = error;
        }
        for (int i = 0; begun && i < records.size(); ++i) {
            const TRunRecord &record = records[i];
            QString why;
            bool gone = false;
            // One statement per record, which the engine undoes alone.
            const bool written = run.Record([&] {
                try {
                    // A record removed meanwhile is skipped.
                    if (!FindRunRecord(*table, record.RecNo)) {
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
            ++handled;
            if (written) {
                deleted << record;
            } else if (gone) {
                ++vanished;
            } else {
                refused << record;
                if (reason.isEmpty())
                    reason = why.isEmpty() ? QStringLiteral("一連の削除が取り消されました") : why;
            }
            if (!run.Next()) {
                // Cancelled: the rest stays as the user asked. The run was
                // lost: the rest is refused.
                cancelled = run.Cancelled();
                if (!cancelled) {
                    refused << records.mid(i + 1);
                    handled = selected;
                }
                break;
            }
        }
        if (begun && !run.Commit(&error)) {
            // Nothing of the run reached the file: every record stays.
            refused << deleted;
            std::sort(refused.begin(), refused.end(),
                      [](const TRunRecord &a, const TRunRecord &b) { return a.Row < b.Row; });
            deleted.clear();
            reason = error;
        }
    }
    QList<qint32> deletedRecNos;
    bool inquiryDeleted = false;
    for (const TRunRecord &record : std::as_const(deleted)) {
        deletedRecNos << record.RecNo;
        inquiryDeleted = inquiryDeleted || record.Row == m_model->InquiryRow();
    }
    if (inquiryDeleted) {
        m_model->SetInquiryRow(-1);
        // The form showed a record that is gone: it closes without asking.
        if (DataInquiry && DataInquiry->NavigationSource() == 1) {
            DataInquiry->SetSkipConfirm(true);
            DataInquiry->close();
        }
    }
    // The refused are named from the rows they were seen in, before the
    // list is rebuilt without the deleted ones.
    const QString refusedText = RecordListText(refused);
    // The list shows what the table really holds.
    if (!deleted.isEmpty() || vanished > 0) {
        RefreshList(false, true, true);
        SelectRow(first, false, true);
    }
    if (!deleted.isEmpty())
        NotifyRecordsDeleted(deletedRecNos);
    if (refused.isEmpty() && !cancelled)
        return;
    QString text;
    if (cancelled)
        text = QStringLiteral("データの削除を中止しました  \r\n");
    text += QStringLiteral("選択した%1件のうち、%2件のデータを削除しました  ").arg(selected).arg(deleted.size());
    if (cancelled)
        text += QStringLiteral("\r\n残りの%1件のデータは削除していません  ").arg(selected - handled);
    if (!refused.isEmpty())
        text += QStringLiteral("\r\n次の%1件のデータは削除できませんでした  \r\n%2  ").arg(refused.size()).arg(refusedText);
    if (vanished > 0)
        text += QStringLiteral("\r\n%1件のデータは既に削除されていました  ").arg(vanished);
    if (!reason.isEmpty())
        text += QStringLiteral("\r\n\r\n") + reason;
    ShowMessageBoxAt(this, text, ProductCaption(), refused.isEmpty() ? MB_ICONINFORMATION : MB_ICONERROR,
                     mbpCenterOnOwner, 0, 0);
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
        NotifyRowWindows("UpdateListLayoutTemplate");
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
    if (accepted && dialog.NamesChanged())
        NotifyRowWindows("UpdateKeywordNames");
    lvAddress->setFocus();
}

void TAddressList::actEditGroupExecute()
{
    EditGroupNames(this);
}

void TAddressList::EditGroupNames(QWidget *Owner)
{
    // The dialog belongs to the window it was asked from: owned by the main
    // window, it would raise that over the record form, which then stays
    // behind it after the dialog closes.
    const bool active = isActiveWindow();
    TGruopEdit dialog(Owner);
    if (active || Owner != this)
        CenterFormOnOwner(&dialog, Owner);
    if (dialog.exec() == QDialog::Accepted && dialog.Changed) {
        FillGroupCombo();
        const int first = GetFirstSelected();
        RefreshList(true, false, true);
        SelectRow(first, false, false);
        if (DataInquiry)
            DataInquiry->RefreshGroups();
        NotifyRowWindows("RefreshOpenListPreview");
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

// ---------------------------------------------------------------------------
// Backup, restore and table maintenance

void TAddressList::actBackupExecute()
{
    TBackupData dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.exec();
    lvAddress->setFocus();
}

void TAddressList::ReleaseBook()
{
    m_model->SetTable(nullptr);
    m_model->ClearRows();
    if (m_adrsOpened) {
        DMMurven19->CloseAdrs();
        m_adrsOpened = false;
    }
}

void TAddressList::ReopenBook(bool NewDataFolder)
{
    TWaitCursor hourglass;
    ReleaseBook();
    CloseDataModuleTables();
    DMMurven19->FreeSenderTable();
    DMMurven19->FreeAdrsTable();
    // The histories come from the data folder the book lives in.
    if (NewDataFolder)
        DMMurven19->FreeDatabase();
    else
        DMMurven19->Disconnect();
    QString error;
    if (!ScanAddressBooks(false, &error))
        ShowMessageBoxAt(this, error, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    OpenAddressBook(false);
    if (!m_adrsOpened) {
        for (QAction *action : std::as_const(m_rowCommands))
            action->setEnabled(false);
        UpdateCountPanels();
    }
}

void TAddressList::actRestoreExecute()
{
    TRestoreData dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.CloseChildWindows = [this] { return CloseChildWindows(); };
    dialog.CloseTables = [this] {
        ReleaseBook();
        CloseDataModuleTables();
    };
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted || dialog.TablesClosed)
        ReopenBook(accepted && dialog.GetChangeDataPath());
    lvAddress->setFocus();
}

void TAddressList::actOptimizeExecute()
{
    TOptimizeData dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.CloseChildWindows = [this] { return CloseChildWindows(); };
    if (dialog.exec() == QDialog::Accepted)
        RefreshList(false, true, true);
    lvAddress->setFocus();
}

void TAddressList::actRepairIndexExecute()
{
    TRepairIndex dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.CloseChildWindows = [this] { return CloseChildWindows(); };
    if (dialog.exec() == QDialog::Accepted && dialog.Repaired)
        RefreshList(false, true, true);
    lvAddress->setFocus();
}

void TAddressList::actConvertKykbnExecute()
{
    TConvertKykbn dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.CloseChildWindows = [this] { return CloseChildWindows(); };
    if (dialog.exec() == QDialog::Accepted) {
        RefreshList(false, true, true);
        LoadSenderList();
    }
    lvAddress->setFocus();
}

void TAddressList::actConvertAdrsPosExecute()
{
    TConvertAdrsPos dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.CloseChildWindows = [this] { return CloseChildWindows(); };
    if (dialog.exec() == QDialog::Accepted)
        RefreshList(false, true, true);
    lvAddress->setFocus();
}

void TAddressList::actVersionExecute()
{
    TVersionInfo dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.exec();
}
