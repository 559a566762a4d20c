// The record form's writes to Adrs.DB: append, update, delete, the record
// limit, the same-number question, the date stamps, the input histories and
// the batch change of the shown record.
#include "addressbook/DtInqiry.h"

#include "addressbook/AdrsList.h"
#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "core/HisInfo.h"
#include "directory/NmAdSch.h"
#include "platform/Cp932.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/WaitCursor.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/NMDEdit.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include <optional>

namespace {

void setInt(TTable &table, const char *field, qint32 value)
{
    table.FieldByName(QLatin1String(field)).SetAsInteger(value);
}

} // namespace

bool TDataInquiry::UnstorableTextRefused()
{
    // The controls are named after the fields they edit (edtAdrs1, cbxPost,
    // nmedtCorpKanji, mmoNote, lblKajoCode), so the field list finds them by
    // name.
    auto control = [this](QLatin1StringView field) -> QWidget * {
        for (const char *prefix : {"edt", "cbx", "nmedt", "mmo", "lv", "lbl"}) {
            if (auto *w = findChild<QWidget *>(QLatin1String(prefix) + field))
                return w;
        }
        return nullptr;
    };
    // Only what the user typed or pasted is checked: a field of a shown
    // record the user did not touch is not written, whatever bytes it holds.
    const bool shown = m_bookRecord && m_shownRecord;
    const QStringList changed = shown ? ChangedFields() : QStringList();
    const auto textOf = [&](QLatin1StringView field) -> std::optional<QString> {
        if (shown && !changed.contains(field))
            return QString();
        if (field == QLatin1StringView("Note"))
            return mmoNote->toPlainText();
        if (field == QLatin1StringView("ExtLink"))
            return ExtLinks().join(QLatin1Char('\n'));
        QWidget *w = control(field);
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            return edit->text();
        if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo->isEditable())
            return combo->currentText();
        if (auto *label = qobject_cast<QLabel *>(w))
            return label->text();
        return std::nullopt;
    };
    const std::optional<TUnstorableField> found = FindUnstorableField(GetFormData(), textOf);
    if (!found)
        return false;
    ShowMessageBoxAt(this,
                     QStringLiteral("「%1」に保存できない文字があります  \r\n%2  ")
                         .arg(found->Caption, UnstorableCharsMessage(found->Characters)),
                     ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    const QByteArray field = found->FieldName.toLatin1();
    if (QWidget *w = control(QLatin1StringView(field))) {
        for (int page = 0; page < pgcInquiry->count(); ++page) {
            if (pgcInquiry->widget(page)->isAncestorOf(w))
                pgcInquiry->setCurrentIndex(page);
        }
        w->setFocus();
    }
    return true;
}

bool TDataInquiry::SameNumberDeclined()
{
    TTable *table = DMMurven19->AdrsTable();
    struct TNumber {
        const char *Index;
        TTntEdit *Edit;
        QString Label;
    };
    const TNumber numbers[] = {{"Tel", edtTel, QStringLiteral("電話番号")},
                               {"Fax", edtFax, QStringLiteral("FAX番号")},
                               {"Portable1", edtPortable1, QStringLiteral("携帯番号１")},
                               {"Portable2", edtPortable2, QStringLiteral("携帯番号２")}};
    bool found = false;
    QString label;
    for (const TNumber &number : numbers) {
        const QByteArray digits =
            FilterNumberChars(Cp932::encode(HalfWidthNumberText(number.Edit->text().trimmed())), nckDigits);
        if (digits.isEmpty())
            continue;
        table->SetIndexName(QLatin1String(number.Index));
        found = table->FindKey({QVariant(digits)});
        if (found) {
            label = number.Label;
            break;
        }
    }
    table->SetIndexName(QString());
    if (!found)
        return false;
    return ShowMessageBoxAt(this,
                            QStringLiteral("既に同一の") + label + QStringLiteral("のデータが登録されています  ") +
                                QStringLiteral("\r\n") + QStringLiteral("登録しますか？  "),
                            ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0) != IDYES;
}

int TDataInquiry::SaveAddressData(bool IsUpdate, qint32 *NewRecNo)
{
    m_writeFailure.clear();
    TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
    if (!table || !table->Active()) {
        m_writeFailure = QStringLiteral("アドレス帳が開かれていません。");
        return 9;
    }
    // Checked before anything is written: the input stays for the user to mend.
    if (UnstorableTextRefused() || NameTooLong())
        return 1;
    auto refuseAtLimit = [this] {
        ShowMessageBoxAt(this, QStringLiteral("最大登録件数10万件に達しました  \r\nこれ以上登録できません  "),
                         ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        return 1;
    };
    // A new record is written as a run of one: its count and its write are
    // one step under the book's write lock.
    std::optional<TTableBatch> batch;
    try {
        if (IsUpdate) {
            table->SetIndexName(QString());
            if (!m_bookRecord || !table->FindKey({QVariant(m_bookRecord->RecNo)})) {
                ShowMessageBoxAt(this, QStringLiteral("変更データを参照できませんでした  "), ProductCaption(),
                                 MB_ICONERROR, mbpCenterOnOwner, 0, 0);
                return 1;
            }
        } else {
            // The limit counts the book's records, not the rows a filter shows.
            // Asked first as this window last saw the book, so that a full
            // book asks no same-number question; the count that holds is
            // taken below, with the book to this window alone.
            if (table->RecordCount() >= RecordLimit)
                return refuseAtLimit();
            if (AddressSameNum && SameNumberDeclined())
                return 1;
            // From here until the commit no other program appends: records
            // it added before count, and the new one cannot pass the limit.
            batch.emplace(*table);
            if (table->RecordCount() >= RecordLimit) {
                batch.reset();
                return refuseAtLimit();
            }
            batch->BeginRecord(TTableBatch::TRecordWrites::One);
        }

        TAddressData data = GetFormData();
        // An update writes only what the user changed, so every other stored
        // byte stays as it was read.
        const QStringList fields = ChangedFields();
        const QDateTime now = CurrentTimeStamp();
        if (IsUpdate)
            table->Edit();
        else
            table->Append();
        try {
            if (IsUpdate)
                WriteAddressData(*table, data, fields);
            else
                WriteAddressData(*table, data);
            // The record's copy holds 112 bytes of the 120 the column takes:
            // the company name is written whole from the form.
            if (!IsUpdate || fields.contains(QStringLiteral("CorpKanji"))) {
                const qsizetype column = 120;
                table->FieldByName(QStringLiteral("CorpKanji"))
                    .SetAsBytes(Cp932::truncated(Cp932::encode(nmedtCorpKanji->text().trimmed()), column));
            }
            if (!IsUpdate)
                table->FieldByName(QStringLiteral("AddDateTime")).SetAsDateTime(now);
            table->FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(now);
            setInt(*table, "CodeMain", m_bookRecord ? m_bookRecord->CodeMain : 0);
            setInt(*table, "CodeSub", m_bookRecord ? m_bookRecord->CodeSub : 0);
            setInt(*table, "CodeGenre", m_bookRecord ? m_bookRecord->CodeGenre : 0);
            table->Post();
            if (NewRecNo)
                *NewRecNo = table->FieldByName(QStringLiteral("RecNo")).AsInteger();
        } catch (const ETableError &error) {
            // Nothing was stored: the edit is dropped and the input stays.
            m_writeFailure = error.Message();
            if (table->State() != TTable::TState::dsBrowse)
                table->Cancel();
            return 9;
        }
        if (batch) {
            QString error;
            if (!batch->EndRecord(true) || !batch->Commit(&error)) {
                // Nothing of the run reached the file; the input stays.
                m_writeFailure = error.isEmpty() ? QStringLiteral("データを書き込めません") : error;
                batch.reset();
                return 9;
            }
            batch.reset();
        }
        try {
            table->FlushBuffers();
        } catch (const ETableError &) {
            // Each post is committed on its own; the flush only hurries the disk.
        }
        // The record is stored; a history that cannot be written only
        // costs its pick list.
        LearnHistories();
    } catch (const ETableError &error) {
        m_writeFailure = error.Message();
        if (table->State() != TTable::TState::dsBrowse)
            table->Cancel();
        return 9;
    }
    return 0;
}

void TDataInquiry::LearnHistories()
{
    if (!DMMurven19)
        return;
    struct TLearn {
        QComboBox *Combo;
        THistoryData *History;
        int Bit;
    };
    const TLearn learns[] = {
        {cbxDptmnt, DMMurven19->DptmntHistory(), 1},
        {cbxPost, DMMurven19->PostHistory(), 2},
        {cbxHonor, DMMurven19->HonorHistory(), 4},
        {cbxJointHonor[0], DMMurven19->HonorHistory(), 4},
        {cbxJointHonor[1], DMMurven19->HonorHistory(), 4},
        {cbxJointHonor[2], DMMurven19->HonorHistory(), 4},
        {cbxJointHonor[3], DMMurven19->HonorHistory(), 4},
        {cbxJointHonor[4], DMMurven19->HonorHistory(), 4},
        {cbxKeyword[0], DMMurven19->KeywordHistory(1), 8},
        {cbxKeyword[1], DMMurven19->KeywordHistory(2), 16},
        {cbxKeyword[2], DMMurven19->KeywordHistory(3), 32},
    };
    int changed = 0;
    for (const TLearn &learn : learns) {
        const QByteArray text = Cp932::encode(learn.Combo->currentText().trimmed());
        if (text.isEmpty() || !learn.History || !learn.History->IsLoaded())
            continue;
        try {
            if (PutHistoryFirst(*learn.History, text))
                changed |= learn.Bit;
        } catch (const Exception &) {
            // The history file keeps its old content; the record is saved.
        }
    }
    FillPickLists(changed);
}

void TDataInquiry::CloseSkippingConfirm()
{
    m_skipConfirm = true;
    close();
}

void TDataInquiry::ShowWriteFailed(const QString &What)
{
    ShowMessageBoxAt(this, What + QStringLiteral("\r\n\r\n") + m_writeFailure, ProductCaption(), MB_ICONERROR,
                     mbpCenterOnOwner, 0, 0);
}

void TDataInquiry::btnAddClick()
{
    TWaitCursor hourglass;
    if (!CheckInputData(true))
        return;
    qint32 newRecNo = 0;
    const int result = SaveAddressData(false, &newRecNo);
    if (result == 9) {
        ShowWriteFailed(QStringLiteral("add error"));
        return;
    }
    if (result != 0)
        return;
    int row = -1;
    if (AddressList) {
        AddressList->RefreshList(false, true, true);
        row = AddressList->IndexOfRecNo(newRecNo);
        AddressList->SelectRow(row, false, true);
    }
    if (!m_bookRecord && chkContinualAdd->isChecked()) {
        m_skipConfirm = true;
        bbtnNewClick();
        return;
    }
    if (m_bookRecord) {
        TAddressData data;
        if (AddressList && row >= 0 && AddressList->GetRecordAt(row, data)) {
            StartInquiry(data);
        } else {
            CloseSkippingConfirm();
        }
        return;
    }
    // A record taken from a directory hit stays on the hit, now counting as
    // unchanged, so that 次 goes on through the hits.
    if (m_navigationSource == 0 && NameAdrsSearchWindow && NameAdrsSearchWindow->InquiryIndex() >= 0) {
        TakeSnapshot();
        UpdateNavigation();
        return;
    }
    // A new record: with no directory hit to stay on, the form closes.
    CloseSkippingConfirm();
}

void TDataInquiry::btnUpdateClick()
{
    TWaitCursor hourglass;
    if (!m_bookRecord || !CheckInputData(false) || !IsChanged())
        return;
    const int result = SaveAddressData(true, nullptr);
    if (result == 9) {
        ShowWriteFailed(QStringLiteral("update error"));
        return;
    }
    if (result != 0)
        return;
    const qint32 recNo = m_bookRecord->RecNo;
    if (!AddressList) {
        CloseSkippingConfirm();
        return;
    }
    const int remembered = AddressList->InquiryRow();
    const int selected = AddressList->GetFirstSelected();
    AddressList->RefreshList(false, true, true);
    int row = AddressList->InquiryRow();
    TAddressData data;
    if (row == -1 && remembered == -1) {
        // The record was not among the rows before either (a filter hides
        // it): the form stays on it and the list keeps its selection.
        if (selected >= 0)
            AddressList->SelectRow(selected, false, true);
        AddressList->NotifyRecordsChanged({recNo});
        if (AddressList->ReadAddressData(recNo, data))
            StartInquiry(data);
        else
            CloseSkippingConfirm();
        return;
    }
    if (row == -1)
        row = qMin(remembered, AddressList->GetRowCount() - 1);
    AddressList->SelectRow(row, false, true);
    AddressList->NotifyRecordsChanged({recNo});
    if (row >= 0 && AddressList->GetRecordAt(row, data))
        StartInquiry(data);
    else
        CloseSkippingConfirm();
}

void TDataInquiry::btnDeleteClick()
{
    if (!m_bookRecord)
        return;
    if (ShowMessageBoxAt(this, QStringLiteral("このデータを削除します  \r\nよろしいですか？  "), ProductCaption(),
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner, 0, 0) != IDYES)
        return;
    TWaitCursor hourglass;
    const qint32 recNo = m_bookRecord->RecNo;
    TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
    bool failed = !table || !table->Active();
    m_writeFailure = failed ? QStringLiteral("アドレス帳が開かれていません。") : QString();
    if (!failed) {
        try {
            table->SetIndexName(QString());
            // A record removed meanwhile needs no delete: the list follows.
            if (table->FindKey({QVariant(recNo)})) {
                table->Edit();
                table->Delete();
                table->FlushBuffers();
            }
        } catch (const ETableError &error) {
            m_writeFailure = error.Message();
            if (table->State() != TTable::TState::dsBrowse)
                table->Cancel();
            failed = true;
        }
    }
    if (failed) {
        // The record stays; so do the form and its input.
        ShowWriteFailed(QStringLiteral("delete error"));
        return;
    }
    if (AddressList) {
        const int row = AddressList->InquiryRow();
        AddressList->RefreshList(false, true, true);
        AddressList->SelectRow(row, false, true);
        AddressList->NotifyRecordsDeleted({recNo});
    }
    CloseSkippingConfirm();
}

void TDataInquiry::ApplyBatchChange(const TAddressData &Data, const std::array<bool, 16> &Flags)
{
    TAddressData *book = m_bookRecord ? &*m_bookRecord : nullptr;
    m_filling = true;
    if (Flags[0]) {
        m_group = qBound(0, int(Data.Group), GroupCount);
        cbxGroup->setCurrentIndex(m_group);
        if (book)
            book->Group = Data.Group;
    }
    if (Flags[1]) {
        edtJisCode->setText(Cp932::decode(Data.JisCode.Bytes()));
        lblKajoCode->setText(Cp932::decode(Data.KajoCode.Bytes()));
        if (book) {
            book->JisCode = Data.JisCode;
            book->KajoCode = Data.KajoCode;
        }
    }
    if (Flags[2]) {
        SetPrivCorp(Data.PrivCorp, false);
        if (book)
            book->PrivCorp = Data.PrivCorp;
    }
    if (Flags[3]) {
        chkIgnoreName->setChecked(Data.IgnoreName);
        if (book)
            book->IgnoreName = Data.IgnoreName;
    }
    if (Flags[4]) {
        SetPrintMark(Data.PrintTarget);
        if (book)
            book->PrintTarget = Data.PrintTarget;
    }
    m_filling = false;
    if (Flags[5]) {
        if (book)
            book->Sender = Data.Sender;
        SetShownSender(Data.Sender);
    }
    m_filling = true;
    const std::array<const TShortString<100> *, 8> keywords = {&Data.Keyword1, &Data.Keyword2, &Data.Keyword3,
                                                               &Data.Keyword4, &Data.Keyword5, &Data.Keyword6,
                                                               &Data.Keyword7, &Data.Keyword8};
    std::array<TShortString<100> *, 8> bookKeywords{};
    if (book)
        bookKeywords = {&book->Keyword1, &book->Keyword2, &book->Keyword3, &book->Keyword4,
                        &book->Keyword5, &book->Keyword6, &book->Keyword7, &book->Keyword8};
    for (int i = 0; i < 8; ++i) {
        if (!Flags[size_t(6 + i)])
            continue;
        const QString value = Cp932::decode(keywords[size_t(i)]->Bytes());
        if (i < 5)
            edtKeyword[size_t(i)]->setText(value);
        else
            cbxKeyword[size_t(i - 5)]->setEditText(value);
        if (book)
            *bookKeywords[size_t(i)] = *keywords[size_t(i)];
    }
    if (Flags[14]) {
        const QString mark = Cp932::decode(Data.SymbolMark.Bytes());
        const int found = cbxSymbolMark->findText(mark);
        cbxSymbolMark->setCurrentIndex(mark.isEmpty() || found < 0 ? 0 : found);
        if (book)
            book->SymbolMark = Data.SymbolMark;
    }
    if (Flags[15]) {
        SetSymbolColor(Data.SymbolColor);
        if (book)
            book->SymbolColor = Data.SymbolColor;
    }
    ShowDate(edtUpdDateTime, Data.UpdDateTime);
    if (book)
        book->UpdDateTime = Data.UpdDateTime;
    m_filling = false;
    // The batch change stored what it set: those fields are not the user's
    // changes.
    if (book && m_shownRecord) {
        const TAddressData now = GetFormData();
        TAddressData &shown = *m_shownRecord;
        if (Flags[0])
            shown.Group = now.Group;
        if (Flags[1]) {
            shown.JisCode = now.JisCode;
            shown.KajoCode = now.KajoCode;
        }
        if (Flags[2])
            shown.PrivCorp = now.PrivCorp;
        if (Flags[3])
            shown.IgnoreName = now.IgnoreName;
        if (Flags[4])
            shown.PrintTarget = now.PrintTarget;
        if (Flags[5])
            shown.Sender = now.Sender;
        const std::array<TShortString<100> TAddressData::*, 8> keywordFields = {
            &TAddressData::Keyword1, &TAddressData::Keyword2, &TAddressData::Keyword3, &TAddressData::Keyword4,
            &TAddressData::Keyword5, &TAddressData::Keyword6, &TAddressData::Keyword7, &TAddressData::Keyword8};
        for (int i = 0; i < 8; ++i) {
            if (Flags[size_t(6 + i)])
                shown.*keywordFields[size_t(i)] = now.*keywordFields[size_t(i)];
        }
        if (Flags[14])
            shown.SymbolMark = now.SymbolMark;
        if (Flags[15])
            shown.SymbolColor = now.SymbolColor;
    }
}
