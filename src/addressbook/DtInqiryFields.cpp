// The record form's fields: showing a record and reading it back, the
// private/company switch, joint names and print marks, pick lists, the Enter
// path, validation, the clipboard copy, external links and the symbol colour.
#include "addressbook/DtInqiry.h"

#include "addressbook/AddExtURL.h"
#include "addressbook/AdrsList.h"
#include "addressbook/ExtLinkKind.h"
#include "addressbook/InputList.h"
#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "core/HisInfo.h"
#include "platform/Colors.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "platform/TextLines.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/SubUnit.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/NMDEdit.h"
#include "widgets/PaintPanel.h"
#include "widgets/TntNMDEdit.h"
#include "widgets/TntStdCtrls.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

namespace {

constexpr int kMaxLinks = 10;

QByteArray ansi(const QString &text)
{
    return Cp932::encode(text.trimmed());
}

// A number as typed, full-width digits and hyphens taken as half-width.
QByteArray numberText(const QString &text)
{
    return Cp932::encode(HalfWidthNumberText(text.trimmed()));
}

QByteArray digits(const QString &text)
{
    return FilterNumberChars(numberText(text), nckDigits);
}

QString text(QByteArrayView bytes)
{
    return Cp932::decode(bytes);
}

// The postcode as shown: a hyphen after the third of 5 or 7 digits.
QString postcodeText(const QByteArray &pos)
{
    if (pos.size() == 7 || pos.size() == 5)
        return text(pos.left(3)) + QLatin1Char('-') + text(pos.mid(3));
    return text(pos);
}

QString pubDateText(const QByteArray &pubDate)
{
    const QByteArray d = FilterNumberChars(pubDate, nckDigits);
    if (d.size() < 6)
        return text(d);
    return QLatin1Char(' ') + text(d.left(4)) + QStringLiteral("年") + text(d.mid(4, 2)) + QStringLiteral("月");
}

// The stored text of a name field as the form writes it (EncodeNameField):
// a name too long for the "@" form in its field is written as plain
// Shift-JIS when it fits that way, so that it is never cut; else the "@"
// form, longer than the field, which NameTooLong refuses before anything is
// written.
QByteArray nameField(const QString &name, qsizetype width)
{
    return EncodeNameField(name.trimmed(), width);
}

constexpr qsizetype kNameWidth = 75;
constexpr qsizetype kJointWidth = 55;

// The note edit shows the stored memo exactly, each line break as one LF,
// and what it holds is stored exactly, each LF as CR LF: a break at the end
// of the note (an empty last line) is a line the user typed, both ways.
// The two routines below are inverses; a memo stored with LF or a lone CR
// reads as the same lines, so it counts as changed only when its lines do.
QString noteEditText(const std::optional<QStringList> &note)
{
    return note ? note->join(QLatin1Char('\n')) : QString();
}

std::optional<QStringList> noteLines(const QString &edited)
{
    if (edited.isEmpty())
        return std::nullopt;
    return SplitMemoLines(edited);
}

// The record as the change test compares it: numbers as digits, names
// decoded, memos as their text, and the fields the form does not edit
// cleared.
TAddressData comparable(const TAddressData &r)
{
    TAddressData c = r;
    c.RecNo = 0;
    c.Latitude = c.Longitude = 0;
    c.AddDateTime = c.UpdDateTime = QDateTime();
    c.CodeMain = c.CodeSub = c.CodeGenre = 0;
    c.Tel = FilterNumberChars(r.Tel.Bytes(), nckDigits);
    c.Fax = FilterNumberChars(r.Fax.Bytes(), nckDigits);
    c.Portable1 = FilterNumberChars(r.Portable1.Bytes(), nckDigits);
    c.Portable2 = FilterNumberChars(r.Portable2.Bytes(), nckDigits);
    c.Pos = FilterNumberChars(r.Pos.Bytes(), nckDigits);
    c.PubDate = FilterNumberChars(r.PubDate.Bytes(), nckDigits);
    c.NameKanji = nameField(DecodeUnicodeField(r.NameKanji.Bytes()), kNameWidth);
    c.Joint1 = nameField(DecodeUnicodeField(r.Joint1.Bytes()), kJointWidth);
    c.Joint2 = nameField(DecodeUnicodeField(r.Joint2.Bytes()), kJointWidth);
    c.Joint3 = nameField(DecodeUnicodeField(r.Joint3.Bytes()), kJointWidth);
    c.Joint4 = nameField(DecodeUnicodeField(r.Joint4.Bytes()), kJointWidth);
    c.Joint5 = nameField(DecodeUnicodeField(r.Joint5.Bytes()), kJointWidth);
    // Every line break of the note is the user's, its last one too.
    c.Note = noteLines(noteEditText(r.Note));
    if (c.ExtLink && c.ExtLink->isEmpty())
        c.ExtLink.reset();
    return c;
}

template <qsizetype W>
QString shown(const TShortString<W> &s)
{
    return text(s.Bytes());
}

void setComboText(QComboBox *combo, const QString &value)
{
    combo->setEditText(value);
    const int index = combo->findText(value.trimmed(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0 && !value.trimmed().isEmpty())
        combo->setCurrentIndex(index);
    combo->setEditText(value);
}

void setEditColor(QWidget *w, bool enabled)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::Base, ColorToQColor(enabled ? clWindow : clBtnFace));
    w->setPalette(palette);
}

} // namespace

// ---------------------------------------------------------------------------
// Combos

void TDataInquiry::FillGroupCombo()
{
    const bool filling = m_filling;
    m_filling = true;
    cbxGroup->clear();
    cbxGroup->addItem(QStringLiteral("指定しない"));
    for (int n = 1; n <= GroupCount; ++n)
        cbxGroup->addItem(QStringLiteral("%1： %2").arg(n, 2).arg(GroupNames[size_t(n)]));
    cbxGroup->setCurrentIndex(qBound(0, m_group, GroupCount));
    m_filling = filling;
}

void TDataInquiry::RefreshGroups()
{
    FillGroupCombo();
}

void TDataInquiry::FillSenderCombo()
{
    const bool filling = m_filling;
    m_filling = true;
    cbxSender->clear();
    cbxSender->addItem(QStringLiteral("標準"), 0);
    if (AddressList) {
        for (int i = 0; i < AddressList->GetSenderCount(); ++i)
            cbxSender->addItem(AddressList->GetSenderName(i), AddressList->GetSenderRecNo(i));
    }
    m_filling = filling;
}

void TDataInquiry::RefreshSenders()
{
    // The list is refilled under the pick: only a pick that matches the
    // saved state may carry the saved state along (a saved sender that is
    // gone shows as 標準 and is no change of the user's).
    const qint32 picked = m_sender;
    const bool pending = picked != SavedSender();
    FillSenderCombo();
    if (pending)
        SelectSender(picked);
    else
        SetShownSender(picked);
}

qint32 TDataInquiry::SavedSender() const
{
    if (m_shownRecord)
        return m_shownRecord->Sender;
    if (m_bookRecord)
        return m_bookRecord->Sender;
    return ReferenceRecord().Sender;
}

qint32 TDataInquiry::SelectSender(qint32 SenderRecNo)
{
    int found = 0;
    for (int i = 1; i < cbxSender->count() && SenderRecNo != 0; ++i) {
        if (cbxSender->itemData(i).toInt() == SenderRecNo) {
            found = i;
            break;
        }
    }
    const bool filling = m_filling;
    m_filling = true;
    cbxSender->setCurrentIndex(found);
    m_filling = filling;
    m_sender = found == 0 ? 0 : SenderRecNo;
    return m_sender;
}

void TDataInquiry::SetShownSender(qint32 SenderRecNo)
{
    SelectSender(SenderRecNo);
    if (m_bookRecord)
        m_bookRecord->Sender = m_sender;
    if (m_shownRecord)
        m_shownRecord->Sender = m_sender;
}

void TDataInquiry::FillPickList(QComboBox *Combo, THistoryData *History)
{
    const QString current = Combo->currentText();
    Combo->clear();
    if (History && History->IsLoaded()) {
        for (int i = 0; i < History->GetCount(); ++i)
            Combo->addItem(text(History->GetText(i)));
    }
    Combo->setCurrentIndex(-1);
    setComboText(Combo, current);
}

void TDataInquiry::FillPickLists(int Mask)
{
    if (!DMMurven19)
        return;
    if (Mask & 1)
        FillPickList(cbxDptmnt, DMMurven19->DptmntHistory());
    if (Mask & 2)
        FillPickList(cbxPost, DMMurven19->PostHistory());
    if (Mask & 4) {
        FillPickList(cbxHonor, DMMurven19->HonorHistory());
        for (TTntComboBox *combo : cbxJointHonor)
            FillPickList(combo, DMMurven19->HonorHistory());
    }
    for (int k = 0; k < 3; ++k) {
        if (Mask & (8 << k))
            FillPickList(cbxKeyword[size_t(k)], DMMurven19->KeywordHistory(k + 1));
    }
}

void TDataInquiry::OpenInputList(int Kind)
{
    int changed = 0;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        TInputList dialog(this);
        CenterFormOnOwner(&dialog, this);
        dialog.SetKind(Kind);
        QApplication::restoreOverrideCursor();
        if (dialog.exec() != QDialog::Accepted)
            return;
        changed = dialog.ChangedMask();
    }
    FillPickLists(changed);
}

void TDataInquiry::RefreshKeywordCaptions()
{
    for (int i = 0; i < 8; ++i)
        lblKeyword[size_t(i)]->setText(KeywordNames[size_t(i + 1)]);
    for (int k = 0; k < 3; ++k)
        bbtnKeyword[size_t(k)]->setToolTip(KeywordNames[size_t(k + 6)] + QStringLiteral("の編集"));
    // The input modes: 1 off (no IME), 5 full-width alphanumeric, 6
    // hiragana, 7 half-width katakana, 8 full-width katakana. Qt hands the
    // platform input method only hints; "off" asks for Latin input.
    for (int i = 0; i < 8; ++i) {
        QWidget *control = i < 5 ? static_cast<QWidget *>(edtKeyword[size_t(i)])
                                 : static_cast<QWidget *>(cbxKeyword[size_t(i - 5)]);
        const int mode = KeywordModes[size_t(i + 1)];
        control->setInputMethodHints(mode == 1 ? Qt::ImhPreferLatin : Qt::ImhNone);
        control->setProperty("imeMode", mode);
    }
}

void TDataInquiry::EditGroup()
{
    if (AddressList)
        AddressList->EditGroupNames(this);
    RefreshGroups();
    cbxGroup->setFocus();
}

// ---------------------------------------------------------------------------
// Private or company

void TDataInquiry::SetPrivCorp(bool Private, bool FocusName)
{
    sbtnPriv->setChecked(Private);
    sbtnCorp->setChecked(!Private);
    for (QWidget *w : std::as_const(m_corpControls)) {
        w->setEnabled(!Private);
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w))
            setEditColor(w, !Private);
    }
    chkIgnoreName->setVisible(!Private);
    if (FocusName && isVisible()) {
        if (Private)
            FocusAtEnd(nmedtNameKanji);
        else
            FocusAtEnd(nmedtCorpKanji);
    }
}

// ---------------------------------------------------------------------------
// Joint names and print marks

void TDataInquiry::JointNameChanged(int N)
{
    TTntNMDEdit *edit = nmedtJoint[size_t(N - 1)];
    TTntComboBox *honor = cbxJointHonor[size_t(N - 1)];
    const bool present = !edit->text().trimmed().isEmpty();
    const bool was = honor->isEnabled();
    honor->setEnabled(present);
    setEditColor(honor, present);
    // A joint name the user starts to type is to be printed, as the name
    // is; a record shown sets its print marks after its names.
    if (present && !was && !m_filling)
        sbtnJointPrint[size_t(N)]->setChecked(true);
    if (!present) {
        honor->setEditText(QString());
        if (m_jointOwner == N) {
            // The person becomes the owner (and is printed) before the
            // button of the owner that was may go up.
            m_jointOwner = 0;
            cbxJointOwner->setCurrentIndex(0);
            sbtnJointPrint[0]->setChecked(true);
        }
        sbtnJointPrint[size_t(N)]->setChecked(false);
    } else if (m_jointOwner == N) {
        for (int i = 0; i < cbxJointOwner->count(); ++i) {
            if (cbxJointOwner->itemData(i).toInt() == N)
                cbxJointOwner->setItemText(i, edit->text().trimmed());
        }
    }
    bool anyHonor = false;
    for (TTntComboBox *combo : cbxJointHonor)
        anyHonor = anyHonor || combo->isEnabled();
    bbtnJointHonor->setEnabled(anyHonor);
}

void TDataInquiry::JointNameLeft(int /*N*/)
{
    RebuildOwnerList();
}

void TDataInquiry::RebuildOwnerList()
{
    const bool filling = m_filling;
    m_filling = true;
    cbxJointOwner->clear();
    cbxJointOwner->addItem(QStringLiteral("本人"), 0);
    int selected = 0;
    for (int n = 1; n <= 5; ++n) {
        const QString name = nmedtJoint[size_t(n - 1)]->text().trimmed();
        if (name.isEmpty())
            continue;
        cbxJointOwner->addItem(name, n);
        if (n == m_jointOwner)
            selected = cbxJointOwner->count() - 1;
    }
    if (selected == 0)
        m_jointOwner = 0;
    cbxJointOwner->setCurrentIndex(selected);
    m_filling = filling;
}

void TDataInquiry::OwnerChosen(int Index)
{
    if (Index < 0)
        return;
    m_jointOwner = cbxJointOwner->itemData(Index).toInt();
    sbtnJointPrint[size_t(m_jointOwner)]->setChecked(true);
}

void TDataInquiry::PrintButtonToggled(int N, bool Down)
{
    QToolButton *button = sbtnJointPrint[size_t(N)];
    if (Down && N > 0 && !cbxJointHonor[size_t(N - 1)]->isEnabled()) {
        // No joint name n: the button springs back.
        const QSignalBlocker blocker(button);
        button->setChecked(false);
    } else if (!Down && N == m_jointOwner && !m_filling) {
        // The owner is always printed.
        const QSignalBlocker blocker(button);
        button->setChecked(true);
    }
    UpdatePrintGlyph(N);
}

void TDataInquiry::UpdatePrintGlyph(int N)
{
    QToolButton *button = sbtnJointPrint[size_t(N)];
    const bool down = button->isChecked();
    // The picture follows the state by itself (PrintToggleIcon).
    button->setProperty("glyph", down ? QStringLiteral("PRINTER") : QStringLiteral("NOPRINT"));
}

void TDataInquiry::PrintMarkClicked(int Which)
{
    // One group in which both may be up: pressing one releases the other.
    if (Which == 1 && sbtnPrintTarget->isChecked())
        sbtnPrintException->setChecked(false);
    if (Which == 2 && sbtnPrintException->isChecked())
        sbtnPrintTarget->setChecked(false);
}

void TDataInquiry::SetPrintMark(int Mark)
{
    sbtnPrintTarget->setChecked(Mark == 1);
    sbtnPrintException->setChecked(Mark == 2);
}

int TDataInquiry::PrintMark() const
{
    if (sbtnPrintTarget->isChecked())
        return 1;
    if (sbtnPrintException->isChecked())
        return 2;
    return 0;
}

// ---------------------------------------------------------------------------
// Showing, clearing and reading back

void TDataInquiry::ShowDate(QLineEdit *Edit, const QDateTime &When)
{
    Edit->setText(When.isValid() ? When.toString(QStringLiteral(" yyyy/MM/dd hh:mm:ss")) : QString());
}

void TDataInquiry::ClearInputs()
{
    CloseNamePopup();
    m_filling = true;
    pgcInquiry->setCurrentIndex(0);
    for (QLineEdit *edit : findChildren<QLineEdit *>()) {
        if (!qobject_cast<QComboBox *>(edit->parentWidget()))
            edit->clear();
    }
    for (QComboBox *combo : {static_cast<QComboBox *>(cbxDptmnt), static_cast<QComboBox *>(cbxPost),
                             static_cast<QComboBox *>(cbxHonor)})
        combo->setEditText(QString());
    for (TTntComboBox *combo : cbxJointHonor)
        combo->setEditText(QString());
    for (TTntComboBox *combo : cbxKeyword)
        combo->setEditText(QString());
    lblKajoCode->clear();
    mmoNote->clear();
    chkMainNumber->setChecked(false);
    chkIgnoreName->setChecked(false);
    m_latitude = m_longitude = 0;
    m_jointOwner = 0;
    cbxJointOwner->clear();
    cbxJointOwner->addItem(QStringLiteral("本人"), 0);
    cbxJointOwner->setCurrentIndex(0);
    for (int n = 1; n <= 5; ++n)
        JointNameChanged(n);
    for (int i = 0; i < 6; ++i)
        sbtnJointPrint[size_t(i)]->setChecked(i == 0);
    for (int i = 0; i < 6; ++i)
        UpdatePrintGlyph(i);
    SetPrintMark(0);
    cbxSender->setCurrentIndex(0);
    m_sender = 0;
    cbxGroup->setCurrentIndex(0);
    m_group = 0;
    cbxSymbolMark->setCurrentIndex(0);
    lvExtLink->clear();
    UpdateLinkButtons();
    SetSymbolColor(NewSymbolColor);
    m_filling = false;
}

void TDataInquiry::ShowAddressData(const TAddressData &Data)
{
    CloseNamePopup();
    m_filling = true;
    m_group = qBound(0, int(Data.Group), GroupCount);
    cbxGroup->setCurrentIndex(m_group);
    edtCustomCode->setText(shown(Data.CustomCode));
    edtTel->setText(shown(Data.Tel));
    chkMainNumber->setChecked(Data.TelDiv == 3);
    edtFax->setText(shown(Data.Fax));
    edtPortable1->setText(shown(Data.Portable1));
    edtPortable2->setText(shown(Data.Portable2));
    edtPubDate->setText(pubDateText(Data.PubDate.Bytes()));
    edtPos->setText(postcodeText(Data.Pos.Bytes()));
    edtTdfkn->setText(shown(Data.Tdfkn));
    edtAdrs1->setText(shown(Data.Adrs1));
    edtAdrs2->setText(shown(Data.Adrs2));
    edtAdrs3->setText(shown(Data.Adrs3));
    edtAdrsKana->setText(shown(Data.AdrsKana));
    edtJisCode->setText(shown(Data.JisCode));
    lblKajoCode->setText(shown(Data.KajoCode));
    m_latitude = Data.Latitude;
    m_longitude = Data.Longitude;
    SetPrivCorp(Data.PrivCorp, false);
    nmedtCorpKanji->setText(shown(Data.CorpKanji));
    edtCorpKana->setText(shown(Data.CorpKana));
    setComboText(cbxDptmnt, shown(Data.Dptmnt));
    setComboText(cbxPost, shown(Data.Post));
    nmedtNameKanji->setText(DecodeUnicodeField(Data.NameKanji.Bytes()));
    nmedtNameKana->setText(shown(Data.NameKana));
    setComboText(cbxHonor, shown(Data.Honor));
    chkIgnoreName->setChecked(Data.IgnoreName);
    edtURL->setText(shown(Data.URL));
    edtEMail1->setText(shown(Data.EMail1));
    edtEMail2->setText(shown(Data.EMail2));
    const std::array<QByteArray, 5> joints = {Data.Joint1.Bytes(), Data.Joint2.Bytes(), Data.Joint3.Bytes(),
                                              Data.Joint4.Bytes(), Data.Joint5.Bytes()};
    const std::array<QByteArray, 5> honors = {Data.JointHonor1.Bytes(), Data.JointHonor2.Bytes(),
                                              Data.JointHonor3.Bytes(), Data.JointHonor4.Bytes(),
                                              Data.JointHonor5.Bytes()};
    m_jointOwner = qBound(0, int(Data.JointOwner), 5);
    for (int n = 1; n <= 5; ++n) {
        nmedtJoint[size_t(n - 1)]->setText(DecodeUnicodeField(joints[size_t(n - 1)]));
        JointNameChanged(n);
        setComboText(cbxJointHonor[size_t(n - 1)], text(honors[size_t(n - 1)]));
    }
    RebuildOwnerList();
    const std::array<bool, 6> prints = {Data.JointPrint,  Data.JointPrint1, Data.JointPrint2,
                                        Data.JointPrint3, Data.JointPrint4, Data.JointPrint5};
    for (int i = 0; i < 6; ++i) {
        const QSignalBlocker blocker(sbtnJointPrint[size_t(i)]);
        sbtnJointPrint[size_t(i)]->setChecked(prints[size_t(i)]);
        UpdatePrintGlyph(i);
    }
    SetPrintMark(Data.PrintTarget);
    m_filling = false;
    SetShownSender(Data.Sender);
    m_filling = true;
    const std::array<QByteArray, 8> keywords = {Data.Keyword1.Bytes(), Data.Keyword2.Bytes(), Data.Keyword3.Bytes(),
                                                Data.Keyword4.Bytes(), Data.Keyword5.Bytes(), Data.Keyword6.Bytes(),
                                                Data.Keyword7.Bytes(), Data.Keyword8.Bytes()};
    for (int i = 0; i < 5; ++i)
        edtKeyword[size_t(i)]->setText(text(keywords[size_t(i)]));
    for (int k = 0; k < 3; ++k)
        setComboText(cbxKeyword[size_t(k)], text(keywords[size_t(k + 5)]));
    mmoNote->setPlainText(noteEditText(Data.Note));
    ShowExtLinks(Data.ExtLink);
    const int mark = int(std::find(SymbolMarks.begin(), SymbolMarks.end(), shown(Data.SymbolMark)) - SymbolMarks.begin());
    cbxSymbolMark->setCurrentIndex(mark < int(SymbolMarks.size()) ? mark + 1 : 0);
    SetSymbolColor(Data.SymbolColor);
    ShowDate(edtAddDateTime, Data.AddDateTime);
    ShowDate(edtUpdDateTime, Data.UpdDateTime);
    m_filling = false;
}

TAddressData TDataInquiry::GetFormData() const
{
    TAddressData r;
    if (m_bookRecord) {
        r.RecNo = m_bookRecord->RecNo;
        r.AddDateTime = m_bookRecord->AddDateTime;
        r.UpdDateTime = m_bookRecord->UpdDateTime;
        r.CodeMain = m_bookRecord->CodeMain;
        r.CodeSub = m_bookRecord->CodeSub;
        r.CodeGenre = m_bookRecord->CodeGenre;
    }
    r.Group = qMax(0, cbxGroup->currentIndex());
    r.CustomCode = ansi(edtCustomCode->text());
    r.Tel = digits(edtTel->text());
    r.TelDiv = chkMainNumber->isChecked() ? 3 : 0;
    r.Fax = digits(edtFax->text());
    r.PubDate = digits(edtPubDate->text());
    r.Portable1 = digits(edtPortable1->text());
    r.Portable2 = digits(edtPortable2->text());
    r.Pos = digits(edtPos->text());
    r.Tdfkn = ansi(edtTdfkn->text());
    r.Adrs1 = ansi(edtAdrs1->text());
    r.Adrs2 = ansi(edtAdrs2->text());
    r.Adrs3 = ansi(edtAdrs3->text());
    r.AdrsKana = ansi(edtAdrsKana->text());
    r.JisCode = ansi(edtJisCode->text());
    r.KajoCode = ansi(lblKajoCode->text());
    r.Latitude = m_latitude;
    r.Longitude = m_longitude;
    r.PrivCorp = sbtnPriv->isChecked();
    r.CorpKanji = ansi(nmedtCorpKanji->text());
    r.CorpKana = ansi(edtCorpKana->text());
    r.Dptmnt = ansi(cbxDptmnt->currentText());
    r.Post = ansi(cbxPost->currentText());
    r.NameKanji = nameField(nmedtNameKanji->text(), kNameWidth);
    r.NameKana = ansi(nmedtNameKana->text());
    r.Honor = ansi(cbxHonor->currentText());
    r.IgnoreName = chkIgnoreName->isChecked();
    r.URL = ansi(edtURL->text());
    r.EMail1 = ansi(edtEMail1->text());
    r.EMail2 = ansi(edtEMail2->text());
    r.Joint1 = nameField(nmedtJoint[0]->text(), kJointWidth);
    r.Joint2 = nameField(nmedtJoint[1]->text(), kJointWidth);
    r.Joint3 = nameField(nmedtJoint[2]->text(), kJointWidth);
    r.Joint4 = nameField(nmedtJoint[3]->text(), kJointWidth);
    r.Joint5 = nameField(nmedtJoint[4]->text(), kJointWidth);
    r.JointHonor1 = ansi(cbxJointHonor[0]->currentText());
    r.JointHonor2 = ansi(cbxJointHonor[1]->currentText());
    r.JointHonor3 = ansi(cbxJointHonor[2]->currentText());
    r.JointHonor4 = ansi(cbxJointHonor[3]->currentText());
    r.JointHonor5 = ansi(cbxJointHonor[4]->currentText());
    r.JointOwner = m_jointOwner;
    r.JointPrint = sbtnJointPrint[0]->isChecked();
    r.JointPrint1 = sbtnJointPrint[1]->isChecked();
    r.JointPrint2 = sbtnJointPrint[2]->isChecked();
    r.JointPrint3 = sbtnJointPrint[3]->isChecked();
    r.JointPrint4 = sbtnJointPrint[4]->isChecked();
    r.JointPrint5 = sbtnJointPrint[5]->isChecked();
    r.PrintTarget = PrintMark();
    r.Sender = m_sender;
    r.Keyword1 = ansi(edtKeyword[0]->text());
    r.Keyword2 = ansi(edtKeyword[1]->text());
    r.Keyword3 = ansi(edtKeyword[2]->text());
    r.Keyword4 = ansi(edtKeyword[3]->text());
    r.Keyword5 = ansi(edtKeyword[4]->text());
    r.Keyword6 = ansi(cbxKeyword[0]->currentText());
    r.Keyword7 = ansi(cbxKeyword[1]->currentText());
    r.Keyword8 = ansi(cbxKeyword[2]->currentText());
    r.Note = noteLines(mmoNote->toPlainText());
    const QStringList links = ExtLinks();
    if (!links.isEmpty())
        r.ExtLink = links;
    const int mark = cbxSymbolMark->currentIndex();
    r.SymbolMark = mark > 0 ? Cp932::encode(SymbolMarks[size_t(mark - 1)]) : QByteArray();
    r.SymbolColor = m_symbolColor;
    return r;
}

TAddressData TDataInquiry::ReferenceRecord() const
{
    if (m_bookRecord)
        return *m_bookRecord;
    if (m_searchRecord)
        return *m_searchRecord;
    TAddressData empty = NewAddressData();
    empty.PrivCorp = sbtnPriv->isChecked();
    return empty;
}

bool TDataInquiry::IsChanged() const
{
    if (m_bookRecord && m_shownRecord)
        return !ChangedFields().isEmpty();
    return !(comparable(GetFormData()) == comparable(ReferenceRecord())) || SnapshotCorpKanjiChanged();
}

bool TDataInquiry::ChangedBesidesNumber(const QByteArray &Digits) const
{
    const bool shown = m_bookRecord && m_shownRecord;
    const TAddressData reference = shown ? *m_shownRecord : ReferenceRecord();
    TAddressData form = GetFormData();
    // The number typed only to search it holds nothing to keep.
    const std::pair<TShortString<13> *, const TShortString<13> *> numbers[] = {
        {&form.Tel, &reference.Tel},
        {&form.Fax, &reference.Fax},
        {&form.Portable1, &reference.Portable1},
        {&form.Portable2, &reference.Portable2}};
    for (const auto &[mine, theirs] : numbers) {
        if (!Digits.isEmpty() && mine->Bytes() == Digits)
            *mine = *theirs;
    }
    if (!shown)
        return !(comparable(form) == comparable(reference)) || SnapshotCorpKanjiChanged();
    QStringList fields = ChangedAddressFields(form, reference);
    fields.removeAll(QStringLiteral("CorpKanji"));
    return !fields.isEmpty() || CorpKanjiChanged();
}

QStringList TDataInquiry::ChangedFields() const
{
    const bool shown = m_bookRecord && m_shownRecord;
    QStringList fields = ChangedAddressFields(GetFormData(), shown ? *m_shownRecord : TAddressData());
    // Read whole: a change past the record's 112 bytes is a change too.
    fields.removeAll(QStringLiteral("CorpKanji"));
    if (shown ? CorpKanjiChanged() : !nmedtCorpKanji->text().trimmed().isEmpty())
        fields << QStringLiteral("CorpKanji");
    return fields;
}

void TDataInquiry::TakeSnapshot()
{
    m_searchRecord = GetFormData();
    m_searchCorpKanji = nmedtCorpKanji->text();
}

bool TDataInquiry::SnapshotCorpKanjiChanged() const
{
    // The snapshot holds the record's 112 bytes of a name the edit may show
    // whole (a listing's expanded company type): an edit past them is a
    // change too.
    return !m_bookRecord && m_searchRecord && nmedtCorpKanji->text().trimmed() != m_searchCorpKanji.trimmed();
}

bool TDataInquiry::CorpKanjiChanged() const
{
    if (!(m_bookRecord && m_shownRecord))
        return true;
    return nmedtCorpKanji->text().trimmed() != m_shownCorpKanji.trimmed();
}

QString TDataInquiry::WholeStoredCorpKanji(const TAddressData &Data) const
{
    // Only a name that fills the record's width may have been cut.
    if (Data.CorpKanji.Length() < TShortString<112>::MaxBytes - 1)
        return QString();
    TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
    if (!table || !table->Active())
        return QString();
    try {
        table->SetIndexName(QString());
        if (!table->FindKey({QVariant(Data.RecNo)}))
            return QString();
        const QByteArray whole =
            TrimBlanks(QByteArrayView(table->FieldByName(QStringLiteral("CorpKanji")).AsBytes())).toByteArray();
        return whole.size() > Data.CorpKanji.Length() ? Cp932::decode(whole) : QString();
    } catch (const ETableError &) {
        return QString();
    }
}

bool TDataInquiry::NameTooLong()
{
    struct TName {
        TTntNMDEdit *Edit;
        qsizetype Width;
        QString Caption;
        int Units;
    };
    const QString joint = QStringLiteral("連名");
    const TName names[] = {{nmedtNameKanji, kNameWidth, QStringLiteral("名前"), 15},
                           {nmedtJoint[0], kJointWidth, joint + QStringLiteral("１"), 11},
                           {nmedtJoint[1], kJointWidth, joint + QStringLiteral("２"), 11},
                           {nmedtJoint[2], kJointWidth, joint + QStringLiteral("３"), 11},
                           {nmedtJoint[3], kJointWidth, joint + QStringLiteral("４"), 11},
                           {nmedtJoint[4], kJointWidth, joint + QStringLiteral("５"), 11}};
    for (const TName &name : names) {
        if (nameField(name.Edit->text(), name.Width).size() <= name.Width)
            continue;
        ShowMessageBoxAt(this,
                         QStringLiteral("「%1」が長すぎます  \r\n%2文字以内にしてください  ")
                             .arg(name.Caption)
                             .arg(name.Units),
                         ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        for (int page = 0; page < pgcInquiry->count(); ++page) {
            if (pgcInquiry->widget(page)->isAncestorOf(name.Edit))
                pgcInquiry->setCurrentIndex(page);
        }
        FocusAtEnd(name.Edit);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Validation

void TDataInquiry::ValidationFailed(const QString &Message, QWidget *Control, int Select)
{
    ShowMessageBoxAt(this, Message, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    pgcInquiry->setCurrentIndex(0);
    Control->setFocus();
    if (auto *edit = qobject_cast<QLineEdit *>(Control)) {
        if (Select == 1)
            edit->selectAll();
        else
            edit->setCursorPosition(int(edit->text().size()));
    }
}

bool TDataInquiry::CheckInputData(bool IsNew)
{
    const QString code = edtCustomCode->text().trimmed();
    if (!code.isEmpty()) {
        for (const QChar c : code) {
            const char16_t u = c.unicode();
            const bool allowed = u == u' ' || u == u'-' || u == u'/' || (u >= u'0' && u <= u'9') ||
                                 (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
            if (!allowed) {
                ValidationFailed(QStringLiteral("顧客コードは、以下の半角文字で入力してください  \r\n"
                                                "　　英数字  \r\n　　スペース  \r\n　　ハイフン（ - ）  \r\n"
                                                "　　スラッシュ（ / ）  "),
                                 edtCustomCode, 1);
                return false;
            }
        }
        const QByteArray bytes = Cp932::encode(code);
        const bool check = IsNew || !m_bookRecord || m_bookRecord->CustomCode.Bytes() != bytes;
        TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
        if (check && table && table->Active()) {
            bool used = false;
            try {
                table->SetIndexName(QStringLiteral("CustomCode"));
                used = table->FindKey({QVariant(bytes)});
                table->SetIndexName(QString());
            } catch (const ETableError &) {
                used = false;
            }
            if (used) {
                ValidationFailed(QStringLiteral("入力した顧客コードは既に使われています  \r\n"
                                                "別のコードに変更してください  "),
                                 edtCustomCode, 1);
                return false;
            }
        }
    }

    struct TNumberRule {
        TTntEdit *Edit;
        QString CharsMessage;
        QString Name;
        int Width;
    };
    auto width = [](const char *field) {
        for (const TFieldDef &def : AdrsFieldDefs) {
            if (def.Name == QLatin1String(field))
                return def.Size;
        }
        return 0;
    };
    const QString mobile = QStringLiteral("携帯番号は半角数字かハイフンのみが有効です  ");
    const TNumberRule numbers[] = {
        {edtTel, QStringLiteral("電話番号は半角数字かハイフンのみが有効です  "), QStringLiteral("電話番号"),
         width("Tel")},
        {edtFax, QStringLiteral("FAX番号は半角数字かハイフンのみが有効です  "), QStringLiteral("FAX番号"),
         width("Fax")},
        {edtPortable1, mobile, QStringLiteral("携帯番号１"), width("Portable1")},
        {edtPortable2, mobile, QStringLiteral("携帯番号２"), width("Portable2")},
    };
    for (const TNumberRule &rule : numbers) {
        const QByteArray trimmed = numberText(rule.Edit->text());
        if (FilterNumberChars(trimmed, nckDigits | nckHyphen) != trimmed) {
            ValidationFailed(rule.CharsMessage, rule.Edit, 1);
            return false;
        }
        // The stored field holds the digits only; more would be cut away.
        if (FilterNumberChars(trimmed, nckDigits).size() > rule.Width) {
            ValidationFailed(rule.Name + QStringLiteral("の桁数が多すぎます  \r\n") + QString::number(rule.Width) +
                                 QStringLiteral("桁以内で入力してください  "),
                             rule.Edit, 1);
            return false;
        }
    }

    const QByteArray pos = numberText(edtPos->text());
    if (!pos.isEmpty()) {
        if (FilterNumberChars(pos, nckDigits | nckHyphen) != pos) {
            ValidationFailed(QStringLiteral("正しい郵便番号を入力してください  "), edtPos, 0);
            return false;
        }
        const qsizetype count = FilterNumberChars(pos, nckDigits).size();
        if (count != 3 && count != 5 && count != 7) {
            ValidationFailed(QStringLiteral("正しい桁数の郵便番号を入力してください  "), edtPos, 0);
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Enter

void TDataInquiry::FocusAtEnd(QWidget *Control)
{
    Control->setFocus();
    if (auto *edit = qobject_cast<QLineEdit *>(Control))
        edit->setCursorPosition(int(edit->text().size()));
    else if (auto *combo = qobject_cast<QComboBox *>(Control); combo && combo->lineEdit())
        combo->lineEdit()->setCursorPosition(int(combo->lineEdit()->text().size()));
}

bool TDataInquiry::EnterPressed(QObject *Watched)
{
    QWidget *w = qobject_cast<QWidget *>(Watched);
    if (!w)
        return false;
    // A combo's edit part stands for its combo.
    if (auto *combo = qobject_cast<QComboBox *>(w->parentWidget()); combo && combo->lineEdit() == w)
        w = combo;
    if (qobject_cast<QPushButton *>(w) || qobject_cast<QToolButton *>(w))
        return false; // Enter presses a focused button
    if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo->view()->isVisible())
        return false;
    QWidget *saveButton = m_bookRecord ? static_cast<QWidget *>(btnUpdate) : static_cast<QWidget *>(btnAdd);
    QWidget *target = nullptr;
    bool atEnd = true;
    const bool privateKind = sbtnPriv->isChecked();
    if (w == cbxGroup)
        target = edtCustomCode;
    else if (w == edtTel)
        target = edtTdfkn->text().isEmpty() ? static_cast<QWidget *>(bbtnTelSch) : chkMainNumber;
    else if (w == edtPos)
        target = edtTdfkn->text().isEmpty() ? static_cast<QWidget *>(bbtnPosSch) : edtTdfkn;
    else if (w == edtJisCode)
        target = edtTdfkn;
    else if (w == edtAdrs1)
        target = edtAdrs2;
    else if (w == edtAdrsKana)
        target = privateKind ? static_cast<QWidget *>(nmedtNameKanji) : nmedtCorpKanji;
    else if (w == nmedtCorpKanji)
        target = edtCorpKana;
    else if (w == cbxDptmnt)
        target = cbxPost;
    else if (w == cbxPost)
        target = nmedtNameKanji;
    else if (w == cbxHonor)
        target = privateKind ? saveButton : chkIgnoreName;
    else if (w == chkIgnoreName)
        target = saveButton;
    else if (w == edtURL)
        target = edtEMail1;
    else if (w == edtEMail1)
        target = edtEMail2;
    else if (w == edtEMail2)
        target = nmedtJoint[0];
    else if (w == cbxJointHonor[4])
        target = cbxJointOwner;
    else if (w == cbxSender)
        target = saveButton;
    else if (w == cbxKeyword[0])
        target = cbxKeyword[1];
    else if (w == cbxKeyword[1])
        target = cbxKeyword[2];
    else if (w == cbxKeyword[2])
        target = mmoNote;
    else if (w == lvExtLink)
        target = cbxSymbolMark;
    else if (w == cbxSymbolMark)
        target = saveButton;
    else if (w == edtAddDateTime)
        target = edtUpdDateTime;
    if (target && !target->isEnabled())
        target = nullptr;
    if (!target) {
        focusNextChild();
        FocusAtEnd(QApplication::focusWidget() ? QApplication::focusWidget() : w);
        return true;
    }
    if (atEnd)
        FocusAtEnd(target);
    return true;
}

// ---------------------------------------------------------------------------
// Clipboard

QStringList TDataInquiry::CopyItemTexts() const
{
    auto t = [](QWidget *w) {
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            return edit->text().trimmed();
        if (auto *combo = qobject_cast<QComboBox *>(w))
            return combo->currentText().trimmed();
        return QString();
    };
    QStringList items;
    const int group = cbxGroup->currentIndex();
    items << (group > 0 ? GroupNames[size_t(group)] : QString());
    items << t(edtCustomCode) << t(edtTel) << (chkMainNumber->isChecked() ? QStringLiteral("代表") : QString());
    items << t(edtFax) << t(edtPubDate) << t(edtPortable1) << t(edtPortable2) << t(edtPos) << t(edtTdfkn)
          << t(edtAdrs1) << t(edtAdrs2) << t(edtAdrs3);
    items << t(edtTdfkn) + t(edtAdrs1) + t(edtAdrs2) + t(edtAdrs3);
    items << t(edtAdrsKana) << t(edtJisCode) << t(nmedtCorpKanji) << t(edtCorpKana) << t(cbxDptmnt) << t(cbxPost)
          << t(nmedtNameKanji) << t(nmedtNameKana) << t(cbxHonor) << t(edtURL) << t(edtEMail1) << t(edtEMail2);
    for (TTntNMDEdit *joint : nmedtJoint)
        items << t(joint);
    for (TTntComboBox *honor : cbxJointHonor)
        items << t(honor);
    items << cbxJointOwner->currentText();
    const int mark = PrintMark();
    items << (mark == 1 ? QStringLiteral("印刷対象") : mark == 2 ? QStringLiteral("印刷除外") : QStringLiteral("指定なし"));
    items << cbxSender->currentText();
    for (TTntEdit *keyword : edtKeyword)
        items << t(keyword);
    for (TTntComboBox *keyword : cbxKeyword)
        items << t(keyword);
    QString note = mmoNote->toPlainText();
    note.replace(QStringLiteral("\r\n"), QStringLiteral("\t"));
    note.replace(QLatin1Char('\n'), QLatin1Char('\t'));
    items << note;
    items << ExtLinks().join(QLatin1Char('\t'));
    items << (cbxSymbolMark->currentIndex() > 0 ? cbxSymbolMark->currentText() : QString());
    const QDateTime added = m_bookRecord ? m_bookRecord->AddDateTime : QDateTime();
    const QDateTime updated = m_bookRecord ? m_bookRecord->UpdDateTime : QDateTime();
    auto date = [](const QDateTime &d) { return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString(); };
    auto time = [](const QDateTime &d) { return d.isValid() ? d.toString(QStringLiteral("hh:mm:ss")) : QString(); };
    items << date(added) << time(added) << date(updated) << time(updated);
    return items;
}

QString TDataInquiry::CopyText() const
{
    const QStringList texts = CopyItemTexts();
    QString result;
    for (const TCopyItemEntry &item : m_copyItems) {
        if (item.Copy && item.Id >= 0 && item.Id < texts.size())
            result += texts[item.Id] + QLatin1Char(',');
    }
    result.chop(1);
    if (m_lastReturn)
        result += QStringLiteral("\r\n");
    return result;
}

void TDataInquiry::CopyToClipboard()
{
    QApplication::clipboard()->setText(CopyText());
}

void TDataInquiry::CopySetting()
{
    TCopyItemEntries items = m_copyItems;
    bool lastReturn = m_lastReturn;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        TCopyItemSet dialog(this);
        CenterFormOnOwner(&dialog, this);
        dialog.SetItems(items, lastReturn);
        QApplication::restoreOverrideCursor();
        if (dialog.exec() != QDialog::Accepted)
            return;
        dialog.GetItems(items, lastReturn);
    }
    SetCopyItems(items, lastReturn);
}

// ---------------------------------------------------------------------------
// External links

QStringList TDataInquiry::ExtLinks() const
{
    QStringList links;
    for (int i = 0; i < lvExtLink->topLevelItemCount(); ++i)
        links << lvExtLink->topLevelItem(i)->text(1);
    return links;
}

void TDataInquiry::ShowExtLinks(const std::optional<QStringList> &Links)
{
    lvExtLink->clear();
    if (Links) {
        for (const QString &link : *Links) {
            if (!link.trimmed().isEmpty())
                lvExtLink->addTopLevelItem(new QTreeWidgetItem({QString(), link}));
        }
    }
    RenumberLinks();
    UpdateLinkButtons();
}

void TDataInquiry::RenumberLinks()
{
    for (int i = 0; i < lvExtLink->topLevelItemCount(); ++i)
        lvExtLink->topLevelItem(i)->setText(0, QString::number(i + 1));
}

void TDataInquiry::UpdateLinkButtons()
{
    const int count = lvExtLink->topLevelItemCount();
    bbtnAddLink->setEnabled(count < kMaxLinks);
    bbtnDelLink->setEnabled(count > 0);
    bbtnOpenLink->setEnabled(count > 0);
}

bool TDataInquiry::AddExtLink(const QString &Link)
{
    const QString link = Link.trimmed();
    if (link.isEmpty() || lvExtLink->topLevelItemCount() >= kMaxLinks)
        return false;
    for (const QString &existing : ExtLinks()) {
        if (existing.compare(link, Qt::CaseInsensitive) == 0)
            return false;
    }
    // The links are stored as Shift-JIS text too: a path the code page
    // cannot spell would come back as a different file.
    if (const QString refused = UnstorableChars(link); !refused.isEmpty()) {
        ShowInputRefusedHint(lvExtLink, refused);
        return false;
    }
    auto *item = new QTreeWidgetItem({QString::number(lvExtLink->topLevelItemCount() + 1), link});
    lvExtLink->addTopLevelItem(item);
    lvExtLink->setCurrentItem(item);
    lvExtLink->setFocus();
    UpdateLinkButtons();
    return true;
}

void TDataInquiry::DeleteLink()
{
    QTreeWidgetItem *current = lvExtLink->currentItem();
    if (!current)
        return;
    const int index = lvExtLink->indexOfTopLevelItem(current);
    delete lvExtLink->takeTopLevelItem(index);
    RenumberLinks();
    const int count = lvExtLink->topLevelItemCount();
    if (count > 0)
        lvExtLink->setCurrentItem(lvExtLink->topLevelItem(qMin(index, count - 1)));
    UpdateLinkButtons();
}

void TDataInquiry::OpenLink()
{
    QTreeWidgetItem *current = lvExtLink->currentItem();
    if (!current)
        return;
    const QString link = current->text(1);
    const QUrl url = ExtLinkUrl(link);
    // The desktop runs programs, scripts and launchers it is handed: only web
    // pages and documents open without a word.
    if (ClassifyExtLink(url) == TExtLinkKind::Other
        && ShowMessageBoxAt(this,
                            QStringLiteral("このリンクはウェブページや文書ではなく、プログラムが実行される"
                                           "おそれがあります  \r\n") + link
                                + QStringLiteral("  \r\n\r\n開いてもよろしいですか？  "),
                            ProductCaption(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, mbpCenterOnOwner, 0, 0)
               != IDYES)
        return;
    QDesktopServices::openUrl(url);
}

namespace {

// Dialogs of this form open 15 pixels right of and below its top-left
// corner, inside the work area.
void placeDialog(QWidget *dialog, QWidget *form)
{
    const QRect area = form->screen() ? form->screen()->availableGeometry() : QRect();
    QPoint pos = form->frameGeometry().topLeft() + QPoint(15, 15);
    const QSize size = dialog->sizeHint();
    if (area.isValid()) {
        pos.setX(qBound(area.left(), pos.x(), qMax(area.left(), area.right() - size.width())));
        pos.setY(qBound(area.top(), pos.y(), qMax(area.top(), area.bottom() - size.height())));
    }
    dialog->move(pos);
}

} // namespace

void TDataInquiry::RegisterFile()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = DataPath;
    QFileDialog dialog(this, QString(), folder, QStringLiteral("すべてのファイル (*)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    placeDialog(&dialog, this);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    AddExtLink(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

void TDataInquiry::RegisterUrl()
{
    QString url;
    {
        TAddExtURL dialog(this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        url = dialog.URL();
    }
    if (!url.isEmpty())
        AddExtLink(url);
}

// ---------------------------------------------------------------------------
// Symbol colour

void TDataInquiry::SetSymbolColor(qint32 Color)
{
    m_symbolColor = Color;
    pnlSymbolColor->SetColor(Color);
}

void TDataInquiry::ChangeSymbolColor()
{
    const QString file = DataRoot + QStringLiteral("CstmClr.ini");
    TMemIniFile ini(file);
    const QString section = QStringLiteral("COMMON");
    for (int i = 0; i < 16; ++i) {
        const QString value = ini.ReadString(section, QString::number(i), QStringLiteral("000000"));
        QColorDialog::setCustomColor(i, ColorToQColor(HexToColor(value, clBlack)));
    }
    QColorDialog dialog(ColorToQColor(m_symbolColor), this);
    placeDialog(&dialog, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SetSymbolColor(QColorToColor(dialog.selectedColor()));
    for (int i = 0; i < 16; ++i)
        ini.WriteString(section, QString::number(i), ColorToHex(QColorToColor(QColorDialog::customColor(i))));
    ini.UpdateFileOrTellOnce(); // losing the custom colours loses no record data
}
