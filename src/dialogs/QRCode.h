#pragma once

#include "dialogs/ItemDlgSub.h"
#include "dialogs/SenderData.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSpinBox;
class QStackedWidget;
class TNameDicLink;
class TQRCodeRect;
class TTntNMDEdit;

// "QRコードの設定": what a QR code item carries (text, a phone-book entry or
// a prepared mail, the latter two for docomo or SoftBank), its module size
// and colour, with a preview. SetQRCode copies the item in; "更新" and OK
// apply the controls to the preview item, which the editor copies back
// after OK. Emptied telephone and mail fields clear the item's values, so
// nothing the user removed is still encoded.
class TQRCodeSettingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TQRCodeSettingDialog(QWidget *Owner);
    ~TQRCodeSettingDialog() override;

    void SetQRCode(const TQRCodeRect &Item);
    [[nodiscard]] const TQRCodeRect &PreviewItem() const { return *m_item; }
    // Applies the controls to the preview item ("更新").
    void btnRefreshClick();
    // Fills the phone-book page from the sender chosen in cbxSender.
    void btnSenderClick();

    TColorDialogRunner RunColorDialog;

protected:
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void FillControls();
    // Names the characters of the content Shift-JIS lacks, which the code
    // cannot carry; true when there were any (nothing is applied then).
    [[nodiscard]] bool TellUnencodable();
    void rbKindClick();
    void rbCarrierClick();
    void bbtnAddHeaderClick(const QString &Header);
    void bbtnColorClick();
    void UpdatePreviewSize();

    QRadioButton *rbText = nullptr, *rbAddress = nullptr, *rbMail = nullptr;
    QRadioButton *rbDocomo = nullptr, *rbSoftBank = nullptr;
    QLabel *lblInfo = nullptr;
    QStackedWidget *pgcKind = nullptr;
    QWidget *tbsText = nullptr, *tbsAddress = nullptr, *tbsMail = nullptr;
    QPlainTextEdit *memText = nullptr;
    QPushButton *bbtnTelHeader = nullptr, *bbtnURLHeader = nullptr;
    TTntNMDEdit *edName = nullptr;
    QLineEdit *edKana = nullptr, *edTel1 = nullptr, *edTel2 = nullptr, *edMail1 = nullptr, *edMail2 = nullptr;
    QLineEdit *edMemo = nullptr, *edMailTo = nullptr, *edSubject = nullptr, *edBody = nullptr;
    QComboBox *cbxSender = nullptr;
    QPushButton *btnSender = nullptr;
    TColorSwatch *pnlColor = nullptr;
    QPushButton *bbtnColor = nullptr;
    QSpinBox *udSize = nullptr;
    QScrollArea *sbxPreview = nullptr;
    TItemPreview *pbxPreview = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr, *btnRefresh = nullptr;
    TNameDicLink *m_nameDic = nullptr;
    std::unique_ptr<TQRCodeRect> m_item;
    QList<TSenderData> m_senders;
};
