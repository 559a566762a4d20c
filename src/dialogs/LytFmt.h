#pragma once

#include "dialogs/PaperFmt.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class TCustomLayoutFormatDialog;
class TPreviewPanel;

// The paper of an address-side layout: a postcard or an envelope from the
// catalogue (Lyt.fmt) by category and name with its writing and paper
// direction, or one of the user's own sizes (CstmL.fmt, under "カスタム"),
// made through the custom paper dialog and deleted here. Shows the paper
// with its background picture and the frames of the fixed items, on an
// envelope those of the addressee or of the sender side.
//
// The address-side editor: SetChangeMode, ShowFormat, SetEnvelopeSide,
// exec; after OK it reads SelectedIndex, WorkingFormat, WorkingGrid,
// NoBarcode, BarcodeSize and GetEnvelopeSide. The user's formats are saved
// when the dialog closes, whatever the answer.
class TNewLayoutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TNewLayoutDialog(QWidget *owner);
    ~TNewLayoutDialog() override;

    void SetChangeMode(bool on);
    void ShowFormat(int index);
    void SetEnvelopeSide(int side); // 0 addressee, 1 sender
    [[nodiscard]] int GetEnvelopeSide() const;

    [[nodiscard]] int SelectedIndex() const { return m_selectedIndex; }
    [[nodiscard]] const TLayoutFormat &WorkingFormat() const { return m_format; }
    [[nodiscard]] const TLabelGrid &WorkingGrid() const { return m_grid; }
    [[nodiscard]] bool NoBarcode() const { return m_noBarcode; }
    [[nodiscard]] int BarcodeSize() const { return m_barcodeSize; }
    [[nodiscard]] bool HasPicture() const { return !m_picture.isNull(); }

    // For the custom paper dialog.
    [[nodiscard]] int GetFormatCount() const { return static_cast<int>(m_catalogue.Records.size()); }
    [[nodiscard]] TLayoutFormat GetFormat(int i) const;
    [[nodiscard]] const TLayoutCatalogue &Catalogue() const { return m_catalogue; }
    [[nodiscard]] const TCustomFormats &UserFormats() const { return m_user; }
    [[nodiscard]] bool IsCustomNameUsed(const QByteArray &name, TPaperKind kind) const;

    // How the custom paper dialog is run once set up (exec by default).
    std::function<int(TCustomLayoutFormatDialog &)> ExecCustomFormat;

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] bool envelopePage() const;
    QComboBox *category() const;
    QListWidget *list() const;
    void FillList(QListWidget *target, QComboBox *combo, TPaperKind kind);
    void categoryClick();
    void SelectFormat();
    void CheckRadiosFor(int direction, bool userFormat);
    void BarcodeCheck();
    void UpdatePreview();
    void paintCard(QPainter &painter);
    void addClick();
    void deleteClick();
    void appendCustomCategory(QComboBox *combo);

    TLayoutCatalogue m_catalogue;
    TCustomFormats m_user;
    // The user's formats as the dialog read them: the save puts only what
    // the dialog added or removed into the file.
    TCustomFormats m_userBase;
    bool m_saveAllowed = true;
    bool m_hasCustomPostcards = false, m_hasCustomEnvelopes = false;
    int m_selectedIndex = 0;
    int m_formatInUse = 0;
    TLayoutFormat m_format;
    TLabelGrid m_grid;
    bool m_noBarcode = false;
    int m_barcodeSize = 0;
    bool m_updating = false;
    QByteArray m_pictureName;
    QImage m_picture;

    QComboBox *cbxPaperKind = nullptr;
    QStackedWidget *pgcPapers = nullptr;
    QComboBox *cbxPstCategory = nullptr, *cbxEnvCategory = nullptr;
    QListWidget *lbPostcard = nullptr, *lbEnvelope = nullptr;
    QRadioButton *rbPostCardV = nullptr, *rbPostCardH = nullptr;
    QRadioButton *rbEnvCardV = nullptr, *rbEnvCardH = nullptr, *rbEnvWordV = nullptr, *rbEnvWordH = nullptr;
    QRadioButton *rbEnvAdrs = nullptr, *rbEnvSender = nullptr;
    QPushButton *bbtnPstAdd = nullptr, *bbtnPstDelete = nullptr, *bbtnEnvAdd = nullptr, *bbtnEnvDelete = nullptr;
    QLabel *lblPostCardSheetSize = nullptr, *lblPostCardSize = nullptr, *lblPostCardNum = nullptr;
    QLabel *lblEnvlopeSize = nullptr;
    QFrame *pnlPreview = nullptr;
    TPreviewPanel *pnlCard = nullptr;
    QLabel *pnlNoBarcode = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
};
