// The record form's dictionary part: the telephone, postcode and address
// buttons open the dictionary search dialog and the chosen address fills the
// form; the name edits offer the kanji of the reading being typed.

#include "addressbook/AdrsList.h"
#include "addressbook/DtInqiry.h"

#include "core/AppSub.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/Env.h"
#include "directory/DicSch.h"
#include "directory/TntNMDic.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/NMDEdit.h"
#include "widgets/TntNMDEdit.h"
#include "widgets/TntStdCtrls.h"

#include <QCheckBox>
#include <QLabel>
#include <QToolButton>

void TDataInquiry::ConnectDictionaries()
{
    connect(bbtnTelSch, &QToolButton::clicked, this, [this] { DictionaryButtonClick(0); });
    connect(bbtnPosSch, &QToolButton::clicked, this, [this] { DictionaryButtonClick(1); });
    connect(bbtnAdrsSearch, &QToolButton::clicked, this, [this] { DictionaryButtonClick(2); });
    connect(bbtnGetJisCode, &QToolButton::clicked, this, [this] { GetJisCodeClick(); });

    m_nameDic = new TNameDicLink(this);
    m_nameDic->Attach(nmedtNameKanji, 0, false);
    m_nameDic->Attach(nmedtNameKana, 1, false);
    m_nameDic->SetReadingEdit(nmedtNameKanji, nmedtNameKana);
    for (int i = 0; i < 5; ++i)
        m_nameDic->Attach(nmedtJoint[static_cast<std::size_t>(i)], i + 2, true);
}

void TDataInquiry::CloseNamePopup()
{
    if (m_nameDic)
        m_nameDic->ClosePopup();
}

void TDataInquiry::DictionaryButtonClick(int Tag)
{
    TTntEdit *source = edtTel;
    QString text;
    if (Tag == 0) {
        for (TTntEdit *edit : {edtTel, edtFax, edtPortable1, edtPortable2}) {
            if (!edit->text().trimmed().isEmpty()) {
                source = edit;
                break;
            }
        }
        text = source->text();
    } else if (Tag == 1) {
        source = edtPos;
        text = edtPos->text();
    } else {
        source = edtTdfkn;
        text = edtTdfkn->text() + edtAdrs1->text() + edtAdrs2->text() + edtAdrs3->text();
    }
    FillFromDictionary(Tag, text, false);
    source->setCursorPosition(static_cast<int>(source->text().size()));
    source->setFocus();
}

void TDataInquiry::GetJisCodeClick()
{
    const QString text = edtTdfkn->text().trimmed() + edtAdrs1->text().trimmed() + edtAdrs2->text().trimmed()
                         + edtAdrs3->text().trimmed();
    if (text.isEmpty()) {
        edtJisCode->clear();
        lblKajoCode->clear();
        return;
    }
    try {
        const TWaitCursor wait;
        TContinualAdrsSearch search(AppPath, AppPath + QStringLiteral("Dic/"));
        // Only one address answers: a city alone, or an address the
        // dictionary cannot place, leaves the codes as they are.
        if (search.Search(text) != DicOk)
            return;
        const TDicAdrsShortResult *found = search.GetAddress(false);
        // The fields hold the JIS code without its check digit and the
        // six-character local code, as the dictionary dialog fills them.
        const auto code = [](const QByteArray &field, int bytes) {
            return QString::fromLatin1(Cp932::truncated(TrimBlanks(field).toByteArray(), bytes));
        };
        edtJisCode->setText(code(DicFieldText(found->CityCode), TDicSearchResult::CityCodeBytes));
        lblKajoCode->setText(code(DicFieldText(found->TownCode), TDicSearchResult::TownCodeBytes));
    } catch (const Exception &e) {
        ShowMessageBoxAt(this, e.Message(), ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    }
}

void TDataInquiry::FillFromDictionary(int Kind, const QString &Text, bool ShowSaveTel)
{
    TDicSearch dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.SetOwnerHandle(this);
    dialog.ListHelpContext = 24;
    dialog.SetSearchOptions(15, true, ShowSaveTel);
    const int started = dialog.StartSearch(Kind, Text);
    if (started == 9 || (started == 0 && dialog.ShowModal() != 1))
        return;

    if (dialog.ResultKind == drkBookRecord) {
        // The number belongs to a record of the book: that record is shown
        // instead of filling the form. Read from its row when the list shows
        // it, so the list marks it and the navigation counts from it.
        const qint32 recNo = dialog.GetFoundRecNo();
        if (!AddressList || recNo < 0)
            return;
        // Showing that record is a change of record like any other: what
        // was typed into the form is saved, dropped or kept as the user says
        // (the number typed to search it alone is that record's own).
        const QByteArray searched = FilterNumberChars(Cp932::encode(HalfWidthNumberText(Text)), nckDigits);
        if (ChangedBesidesNumber(searched) && ConfirmPendingEdit(false, true) == 9)
            return;
        TAddressData data;
        const int row = AddressList->IndexOfRecNo(recNo);
        const bool read = row >= 0 ? AddressList->GetRecordAt(row, data) : AddressList->ReadAddressData(recNo, data);
        // A record the list does not show has no place in it to count from.
        if (read && row < 0)
            AddressList->SetInquiryIndex(-1);
        if (read) {
            SetNavigationSource(1);
            StartInquiry(data);
        }
        return;
    }

    TDicSearchResult r;
    dialog.GetResult(r);
    const auto text = [](const QByteArray &bytes) { return Cp932::decode(bytes); };
    if (dialog.ResultKind != drkPostcode && dialog.ResultKind != drkAddress) {
        if (r.PhoneKind != 1)
            edtTel->setText(text(r.Phone));
        if (r.PhoneKind == 1 || r.PhoneKind == 2)
            edtFax->setText(text(r.Phone));
    }
    chkMainNumber->setChecked(r.PhoneKind == 3);
    edtPubDate->setText(r.PublishMonth.isEmpty()
                            ? QString()
                            : QStringLiteral(" %1年%2月").arg(text(r.PublishMonth.left(4)), text(r.PublishMonth.mid(4, 2))));
    edtPos->setText(text(r.Postcode));

    // An address already typed that goes on from the found one is kept.
    const QString typed = (edtTdfkn->text() + edtAdrs1->text() + edtAdrs2->text() + edtAdrs3->text()).trimmed();
    const QString found = text(r.Prefecture + r.City + r.Town + r.Address3);
    const bool addressReplaced = typed.isEmpty() || !typed.startsWith(found);
    if (addressReplaced) {
        edtTdfkn->setText(text(r.Prefecture));
        edtAdrs1->setText(text(r.City));
        edtAdrs2->setText(text(r.Town));
        edtAdrs3->setText(text(r.Address3));
    }
    const QString typedKana = edtAdrsKana->text().trimmed();
    if (typedKana.isEmpty() || !typedKana.startsWith(text(r.AddressKana)))
        edtAdrsKana->setText(text(r.AddressKana));
    edtJisCode->setText(text(r.CityCode));
    lblKajoCode->setText(text(r.TownCode));
    // The dictionaries know no positions (they answer 0): the position
    // the record has for the address it keeps (picked on a map) stays, and
    // that of an address the result replaced goes with it.
    if (r.Latitude != 0 || r.Longitude != 0 || addressReplaced) {
        m_latitude = r.Latitude;
        m_longitude = r.Longitude;
    }
    // A result without a reading (the large offices have none) leaves the
    // reading typed for the same name; for another name it would be stale.
    const auto takeName = [&](QLineEdit *NameEdit, QLineEdit *KanaEdit) {
        const QString name = DecodeUnicodeField(r.Name);
        const QString kana = text(r.NameKana);
        const bool keepKana = kana.isEmpty() && NameEdit->text().trimmed() == name.trimmed();
        NameEdit->setText(name);
        if (!keepKana)
            KanaEdit->setText(kana);
    };
    if (!r.Private) {
        if (!sbtnCorp->isChecked())
            SetPrivCorp(false, false);
        takeName(nmedtCorpKanji, edtCorpKana);
    } else if (dialog.ResultKind == drkDirectory) {
        if (!sbtnPriv->isChecked())
            SetPrivCorp(true, false);
        takeName(nmedtNameKanji, nmedtNameKana);
    }
    if (AddressOutOfTarget) {
        if (!m_bookRecord)
            TakeSnapshot();
    } else {
        m_searchRecord.reset();
    }
}
