#pragma once

#include "dialogs/PaperFmt.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class TCustomLabelDialog;
class TPreviewPanel;

// The sheet of a label or business-card layout: the catalogue sheets of
// Lyt.fmt by category and name with their orientation variants, and the
// user's own sheets of CstmL.fmt under "カスタム", which are registered
// through the custom sheet dialog and deleted here. Shows the sheet scaled
// with its cells and the frames of the first cell, and warns when the
// customer barcode cannot be printed.
//
// The label/card editor: SetLabelKind, SetChangeMode, ShowFormat,
// SetDataSide, exec; after OK it reads SelectedIndex, WorkingFormat,
// WorkingGrid, NoBarcode, BarcodeSize, IsHorizontalFormat and GetDataSide.
// The user's sheets are saved when the dialog closes, whatever the answer.
class TNewLabelDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TNewLabelDialog(QWidget *owner);
    ~TNewLabelDialog() override;

    void SetLabelKind(int kind); // 2 label, 3 business card
    void SetChangeMode(bool on);
    void ShowFormat(int index);
    void SetDataSide(int side); // 0 addressee, 1 sender
    [[nodiscard]] int GetDataSide() const;
    [[nodiscard]] bool IsHorizontalFormat() const;

    [[nodiscard]] int SelectedIndex() const { return m_selectedIndex; }
    [[nodiscard]] const TLayoutFormat &WorkingFormat() const { return m_format; }
    [[nodiscard]] const TLabelGrid &WorkingGrid() const { return m_grid; }
    [[nodiscard]] bool NoBarcode() const { return m_noBarcode; }
    [[nodiscard]] int BarcodeSize() const { return m_barcodeSize; }

    // For the custom sheet dialog.
    [[nodiscard]] int GetFormatCount() const { return static_cast<int>(m_catalogue.Records.size()); }
    [[nodiscard]] TLayoutFormat GetFormat(int i) const;
    [[nodiscard]] TLabelGrid GetGrid(int i) const; // 0-based
    [[nodiscard]] const TLayoutCatalogue &Catalogue() const { return m_catalogue; }
    [[nodiscard]] const TCustomFormats &UserFormats() const { return m_user; }
    [[nodiscard]] bool IsCustomNameUsed(const QByteArray &name, TPaperKind kind) const;

    // How the custom sheet dialog is run once set up (exec by default);
    // tests answer it through its controls.
    std::function<int(TCustomLabelDialog &)> ExecCustomSheet;

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] bool cardPage() const { return m_kind == TPaperKind::Card; }
    QComboBox *category() const;
    QListWidget *list() const;
    void FillCategories(QComboBox *combo, TPaperKind kind);
    void FillList(QListWidget *list, QComboBox *combo, TPaperKind kind);
    void categoryClick();
    void SelectFormat();
    void CheckRadiosFor(int direction, bool userFormat);
    void BarcodeCheck(bool userFormat);
    void UpdatePreview();
    void paintCard(QPainter &painter);
    void addClick();
    void deleteClick();
    void appendCustomCategory(QComboBox *combo);
    void selectCategoryFor(const TLayoutFormat &f, bool userFormat);
    void selectListEntry(const QVariant &value);
    [[nodiscard]] int firstRecordOfPage() const;

    TLayoutCatalogue m_catalogue;
    TCustomFormats m_user;
    // The user's formats as the dialog read them: the save puts only what
    // the dialog added or removed into the file.
    TCustomFormats m_userBase;
    // The user's sheets are read by SetLabelKind; until then nothing is written back.
    bool m_saveAllowed = false;
    int m_firstLabel = -1, m_firstCard = -1;
    bool m_hasCustomLabels = false, m_hasCustomCards = false;
    TPaperKind m_kind = TPaperKind::Label;
    int m_selectedIndex = 0;
    int m_formatInUse = 0;
    TLayoutFormat m_format;
    TLabelGrid m_grid;
    bool m_noBarcode = false;
    int m_barcodeSize = 0;
    bool m_updating = false;

    QStackedWidget *pgcSheets = nullptr;
    QComboBox *cbxLblCategory = nullptr;
    QListWidget *lbLabel = nullptr;
    QRadioButton *rbLblV = nullptr, *rbLblH = nullptr, *rbLblAdrs = nullptr, *rbLblSender = nullptr;
    QPushButton *bbtnLblAdd = nullptr, *bbtnLblDelete = nullptr;
    QComboBox *cbxCrdCategory = nullptr;
    QListWidget *lbCard = nullptr;
    QRadioButton *rbCrdV = nullptr, *rbCrdH = nullptr, *rbCrdWordV = nullptr, *rbCrdWordH = nullptr;
    QRadioButton *rbCrdAdrs = nullptr, *rbCrdSender = nullptr;
    QPushButton *bbtnCrdAdd = nullptr, *bbtnCrdDelete = nullptr;
    QFrame *pnlImage = nullptr;
    TPreviewPanel *pnlCard = nullptr;
    QLabel *pnlNoBarcode = nullptr;
    QLabel *lblSheetSize = nullptr, *lblLabelSize = nullptr, *lblCount = nullptr, *lblNum = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
};
