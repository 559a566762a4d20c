#pragma once

#include "addressbook/CopyItemSet.h"
#include "core/Inquiry.h"

#include <QDateTime>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TNMDEdit;
class TPaintPanel;
class TTntComboBox;
class TTntEdit;
class TTntNMDEdit;
class THistoryData;

// The clipboard list as stored in CopyItemIndex (ids) and CopyItemCopy
// (flags). A list that is not exactly a permutation of the 54 ids gives the
// default order with every item copied; flags other than 54 all set.
[[nodiscard]] TCopyItemEntries ParseCopyItems(const QString &IndexText, const QString &CopyText);

// The record form: the one non-modal window in which a single address record
// of the open book is viewed, typed in, checked, appended, updated, deleted
// and copied to the clipboard. It exists at most once (DataInquiry), frees
// itself when closed, and works on the shared Adrs.DB of the data module and
// on the rows of the main list window (AddressList), which it reloads and
// reselects after every write.
//
// Its state is the kind of record shown: none held = a new record; a
// snapshot held = a record taken from a search (compared against for the
// change test); a book record held = an existing record (変更 and 削除 act on
// its RecNo). Every change of record goes through ConfirmPendingEdit.
//
// The dictionary, directory, map, route and web buttons exist but stay
// disabled until their windows exist.
class TDataInquiry : public QWidget
{
    Q_OBJECT

public:
    explicit TDataInquiry(QWidget *Owner = nullptr);
    ~TDataInquiry() override;

    // ---- Entry points of other windows ----
    // A click on 新規登録 when the form is visible; else the form starts
    // fresh when it is shown.
    void StartNewRecord();
    // A record filled from a directory hit (register mode): taken as changed
    // unless [ADDRESS] OutOfTarget is on.
    // WholeCorpKanji, when given, is the company name shown whole (the
    // record's copy holds 112 of the column's 120 bytes).
    void StartRegister(const TAddressData &Filled, const QString &WholeCorpKanji = QString());
    // Shows an existing record of the open book.
    void StartInquiry(const TAddressData &AddressData);
    // Kind 0 telephone, 1 postcode, 2 address: looks Text up in the
    // dictionary search dialog and fills the form from the chosen address.
    void FillFromDictionary(int Kind, const QString &Text, bool ShowSaveTel);
    // 0 saved, 1 nothing to save (or discarded), 9 stay (cancelled, invalid,
    // or the save did not store the record).
    [[nodiscard]] int ConfirmPendingEdit(bool Closing, bool SelectAfterSave);
    void SetNavigationSource(int Source);
    [[nodiscard]] int NavigationSource() const { return m_navigationSource; }
    void SetInquiryMode(int Flag);
    [[nodiscard]] int InquiryMode() const { return m_inquiryMode; }
    void UpdateNavigation();
    void DisableNavigation();
    [[nodiscard]] qint32 GetCurrentRecNo() const;
    void SetSkipConfirm(bool Flag) { m_skipConfirm = Flag; }
    void RefreshGroups();
    void RefreshLinkHints();
    // Reloads the sender list; a sender picked and not yet saved stays
    // picked and still counts as a change.
    void RefreshSenders();
    // Shows SenderRecNo as the record's stored sender (the form's saved
    // state follows it): for a record shown or written elsewhere.
    void SetShownSender(qint32 SenderRecNo);
    void RefreshKeywordCaptions();
    // Flags: 0 group, 1 JIS and local code, 2 private/company, 3 ignore name,
    // 4 print mark, 5 sender, 6..13 keywords 1..8, 14 symbol mark, 15 colour.
    void ApplyBatchChange(const TAddressData &Data, const std::array<bool, 16> &Flags);

    // ---- Record, checks and saving ----
    void ShowAddressData(const TAddressData &Data);
    // The form read back as the record it would store (numbers as digits,
    // names in the "@" form, texts trimmed and cut to their fields).
    [[nodiscard]] TAddressData GetFormData() const;
    // Whether the user changed the record: an existing record is compared
    // with the form as it was when the record was shown, so a value the form
    // shows in its own way (blanks at the end, a group or mark it does not
    // list) counts as unchanged until the user edits it.
    [[nodiscard]] bool IsChanged() const;
    // Whether the form holds changes other than Digits typed into a
    // telephone field (the number searched with them).
    [[nodiscard]] bool ChangedBesidesNumber(const QByteArray &Digits) const;
    // The fields (table names) the user changed in the shown existing
    // record (for a new one, those not empty). Only these are written by 変更.
    [[nodiscard]] QStringList ChangedFields() const;
    [[nodiscard]] bool CheckInputData(bool IsNew);
    // 0 saved, 1 not saved (refused or declined), 9 failed (nothing stored).
    [[nodiscard]] int SaveAddressData(bool IsUpdate, qint32 *NewRecNo);
    void ClearInputs();

    // ---- Clipboard ----
    [[nodiscard]] QString CopyText() const;
    [[nodiscard]] const TCopyItemEntries &CopyItemList() const { return m_copyItems; }
    [[nodiscard]] bool LastReturn() const { return m_lastReturn; }
    void SetCopyItems(const TCopyItemEntries &Items, bool LastReturn);

    // ---- External links ----
    // Adds a file or URL; false when 10 links are held or it is already there.
    bool AddExtLink(const QString &Link);
    [[nodiscard]] QStringList ExtLinks() const;

    // ---- State tests read ----
    [[nodiscard]] bool HoldsBookRecord() const { return m_bookRecord.has_value(); }
    [[nodiscard]] bool HoldsSnapshot() const { return m_searchRecord.has_value(); }
    [[nodiscard]] int JointOwner() const { return m_jointOwner; }
    [[nodiscard]] qint32 Sender() const { return m_sender; }

    // The highest number of records a book may hold; tests lower it.
    static int RecordLimit;

protected:
    void showEvent(QShowEvent *Event) override;
    void closeEvent(QCloseEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;

private:
    // Construction (DtInqiry.cpp).
    void CreateControls();
    QWidget *CreateMainPage();
    QWidget *CreateSubPage();
    QWidget *CreateMemoPage();
    QWidget *CreateOtherPage();
    void ConnectControls();
    void ReadSettings();
    void WriteSettings() const;
    void WriteCopySettings() const;

    // Lifecycle and navigation (DtInqiry.cpp).
    void bbtnNewClick();
    void OpenNewRecordSearch();
    void MoveRecord(int Tag);
    void FormClose();
    void PageChanged(int Index);
    [[nodiscard]] bool WheelOverTabs(QWheelEvent *Event);
    void FocusGroupIfMain();

    // Maps, QR code, web search, browser and mail (DtInqiryLinks.cpp).
    void ConnectLinks();
    void bbtnMapClick();
    void bbtnQRMapClick();
    void bbtnRootClick();
    void bbtnWebSearchClick();
    void bbtnOpenURLClick();
    void bbtnEMailClick(int Tag);
    // Writes a position taken from a map into the shown book record at once.
    void StoreMapPosition(qint32 Latitude, qint32 Longitude);

    // Fields (DtInqiryFields.cpp).
    void FillGroupCombo();
    void FillSenderCombo();
    // Selects SenderRecNo in the sender list ("標準" when it is not listed);
    // returns the number now selected.
    qint32 SelectSender(qint32 SenderRecNo);
    // The sender of the record as it is stored (or as the form took it).
    [[nodiscard]] qint32 SavedSender() const;
    void FillPickList(QComboBox *Combo, THistoryData *History);
    void FillPickLists(int Mask);
    void SetPrivCorp(bool Private, bool FocusName);
    // The dictionary buttons and the name readings (DtInqiryDic.cpp).
    void ConnectDictionaries();
    // The name popup offers spellings for what is typed into the record
    // shown: it goes when the form shows or starts another.
    void CloseNamePopup();
    void DictionaryButtonClick(int Tag);
    // 市町村コード取得: the JIS and local codes of the address typed.
    void GetJisCodeClick();
    void JointNameChanged(int N);
    void JointNameLeft(int N);
    void RebuildOwnerList();
    void OwnerChosen(int Index);
    void PrintButtonToggled(int N, bool Down);
    void UpdatePrintGlyph(int N);
    void PrintMarkClicked(int Which);
    void SetPrintMark(int Mark);
    [[nodiscard]] int PrintMark() const;
    void ShowExtLinks(const std::optional<QStringList> &Links);
    void RenumberLinks();
    void UpdateLinkButtons();
    void DeleteLink();
    void OpenLink();
    void RegisterFile();
    void RegisterUrl();
    void ChangeSymbolColor();
    void SetSymbolColor(qint32 Color);
    void OpenInputList(int Kind);
    void EditGroup();
    void CopySetting();
    void CopyToClipboard();
    [[nodiscard]] QStringList CopyItemTexts() const;
    void ValidationFailed(const QString &Message, QWidget *Control, int Select);
    [[nodiscard]] bool EnterPressed(QObject *Watched);
    void FocusAtEnd(QWidget *Control);
    [[nodiscard]] TAddressData ReferenceRecord() const;
    // The company name as the table holds it when the record's copy was cut
    // to its width; empty when nothing was cut.
    [[nodiscard]] QString WholeStoredCorpKanji(const TAddressData &Data) const;
    [[nodiscard]] bool CorpKanjiChanged() const;
    // Keeps the form as filled from a directory hit or a dictionary result:
    // the change test's reference from then on.
    void TakeSnapshot();
    [[nodiscard]] bool SnapshotCorpKanjiChanged() const;
    // A name whose stored form does not fit its field is named and focused;
    // true when so.
    [[nodiscard]] bool NameTooLong();
    void ShowDate(QLineEdit *Edit, const QDateTime &When);

    // Saving (DtInqirySave.cpp).
    void btnAddClick();
    void btnUpdateClick();
    void btnDeleteClick();
    [[nodiscard]] bool SameNumberDeclined();
    // A text field holding characters that cannot be stored is named in a
    // message and focused; true when so (nothing may be written then).
    [[nodiscard]] bool UnstorableTextRefused();
    void LearnHistories();
    void CloseSkippingConfirm();
    // A write of the book that failed, told with its cause: What is the
    // failed command's own line ("add error"), the
    // reason the table layer gave follows (m_writeFailure).
    void ShowWriteFailed(const QString &What);

    // ---- Controls (named as the form's components) ----
    QTabWidget *pgcInquiry = nullptr;
    // main
    QComboBox *cbxGroup = nullptr;
    QToolButton *bbtnEditGroup = nullptr;
    TTntEdit *edtCustomCode = nullptr;
    TTntEdit *edtTel = nullptr;
    QCheckBox *chkMainNumber = nullptr;
    TTntEdit *edtFax = nullptr;
    TTntEdit *edtPortable1 = nullptr;
    TTntEdit *edtPortable2 = nullptr;
    TTntEdit *edtPubDate = nullptr;
    TTntEdit *edtPos = nullptr;
    TTntEdit *edtTdfkn = nullptr;
    TTntEdit *edtAdrs1 = nullptr;
    TTntEdit *edtAdrs2 = nullptr;
    TTntEdit *edtAdrs3 = nullptr;
    TTntEdit *edtAdrsKana = nullptr;
    TTntEdit *edtJisCode = nullptr;
    QLabel *lblKajoCode = nullptr;
    QToolButton *sbtnPriv = nullptr;
    QToolButton *sbtnCorp = nullptr;
    QButtonGroup *grpPrivCorp = nullptr;
    TNMDEdit *nmedtCorpKanji = nullptr;
    TTntEdit *edtCorpKana = nullptr;
    TTntComboBox *cbxDptmnt = nullptr;
    TTntComboBox *cbxPost = nullptr;
    QToolButton *bbtnDptmnt = nullptr;
    QToolButton *bbtnPost = nullptr;
    QList<QWidget *> m_corpControls; // enabled only for a company
    TTntNMDEdit *nmedtNameKanji = nullptr;
    TTntNMDEdit *nmedtNameKana = nullptr;
    TTntComboBox *cbxHonor = nullptr;
    QToolButton *bbtnHonor = nullptr;
    QCheckBox *chkIgnoreName = nullptr;
    QToolButton *bbtnTelSch = nullptr;
    QToolButton *bbtnPosSch = nullptr;
    QToolButton *bbtnAdrsSearch = nullptr;
    QToolButton *bbtnGetJisCode = nullptr;
    QToolButton *bbtnMap = nullptr;
    QToolButton *bbtnQRMap = nullptr;
    QToolButton *bbtnRoot = nullptr;
    QToolButton *bbtnWebSearch = nullptr;
    // sub
    TTntEdit *edtURL = nullptr;
    QToolButton *bbtnOpenURL = nullptr;
    TTntEdit *edtEMail1 = nullptr;
    TTntEdit *edtEMail2 = nullptr;
    QToolButton *bbtnEMail1 = nullptr;
    QToolButton *bbtnEMail2 = nullptr;
    std::array<TTntNMDEdit *, 5> nmedtJoint{};
    std::array<TTntComboBox *, 5> cbxJointHonor{};
    QToolButton *bbtnJointHonor = nullptr;
    TTntComboBox *cbxJointOwner = nullptr;
    std::array<QToolButton *, 6> sbtnJointPrint{}; // [0] 本, [1..5] joint names
    QComboBox *cbxSender = nullptr;
    QToolButton *sbtnPrintTarget = nullptr;
    QToolButton *sbtnPrintException = nullptr;
    // memo
    QPlainTextEdit *mmoNote = nullptr;
    std::array<QLabel *, 8> lblKeyword{};
    std::array<TTntEdit *, 5> edtKeyword{};
    std::array<TTntComboBox *, 3> cbxKeyword{}; // keywords 6..8
    std::array<QToolButton *, 3> bbtnKeyword{};
    // other
    TTntEdit *edtAddDateTime = nullptr;
    TTntEdit *edtUpdDateTime = nullptr;
    QTreeWidget *lvExtLink = nullptr;
    QPushButton *bbtnAddLink = nullptr;
    QPushButton *bbtnDelLink = nullptr;
    QPushButton *bbtnOpenLink = nullptr;
    QMenu *pmExtLink = nullptr;
    QComboBox *cbxSymbolMark = nullptr;
    TPaintPanel *pnlSymbolColor = nullptr;
    QPushButton *btnSymbolColor = nullptr;
    // bottom
    std::array<QToolButton *, 4> sbtnMove{}; // 先頭, 前, 次, 最後
    QLabel *lblPosition = nullptr;
    QLabel *lblCount = nullptr;
    QPushButton *bbtnNew = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnUpdate = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnClose = nullptr;
    QCheckBox *chkContinualAdd = nullptr;
    QPushButton *btnCopy = nullptr;
    QToolButton *bbtnCopySetting = nullptr;

    // ---- State ----
    int m_navigationSource = -1;
    int m_inquiryMode = -1;
    std::optional<TAddressData> m_searchRecord;
    QString m_searchCorpKanji; // the whole company name of the snapshot
    class TNameDicLink *m_nameDic = nullptr;
    std::optional<TAddressData> m_bookRecord;
    // The form read back right after the book record was shown: what the
    // user changed is what differs from it.
    std::optional<TAddressData> m_shownRecord;
    QString m_shownCorpKanji; // the whole company name shown
    int m_group = 0;
    int m_jointOwner = 0;
    qint32 m_sender = 0;
    bool m_skipConfirm = false;
    // Why the last write of the book failed (its result 9), in the table
    // layer's words: the file and the cause to mend.
    QString m_writeFailure;
    qint32 m_latitude = 0;
    qint32 m_longitude = 0;
    qint32 m_symbolColor = 0;
    TCopyItemEntries m_copyItems{};
    bool m_lastReturn = true;
    bool m_filling = false; // the program sets the controls
    bool m_closing = false;
};

// The record form while it exists, else nullptr.
extern TDataInquiry *DataInquiry;

// The record form, created when missing and restored when minimised; the
// caller starts a record in it and shows it.
[[nodiscard]] TDataInquiry *GetDataInquiry();

// Whether the main list is the list the record form shows a record of (the
// form exists, navigates the main list and is in inquiry mode): the list then
// takes its tint colour.
[[nodiscard]] bool DataInquiryTintsAddressList();
