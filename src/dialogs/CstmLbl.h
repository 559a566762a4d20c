#pragma once

#include "dialogs/PaperFmt.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QPushButton;
class QStackedWidget;
class TNewLabelDialog;
class TPreviewPanel;
class TUpDown;

// Defines a label or business-card sheet of the user's own from a catalogue
// sheet: a name, the sheet size, the piece size, columns and rows, margins
// and gaps. A turned sheet (direction not 0) is shown turned and stored in
// the coordinates of the upright sheet. The frames of the base sheet follow
// the new piece size. Reads the catalogue through the sheet dialog that
// opened it.
class TCustomLabelDialog : public QDialog
{
    Q_OBJECT

public:
    // The ten value fields by tag.
    enum TField { fPaperWidth, fPaperHeight, fWidth, fHeight, fCol, fRow, fOffsetX, fOffsetY, fSpaceX, fSpaceY };

    TCustomLabelDialog(TNewLabelDialog *sheets, QWidget *owner);
    ~TCustomLabelDialog() override;

    void SetBaseSheet(int index);
    void SetCustomSheet(const TCustomFormat &format);
    void SetWorkingGrid(const TLabelGrid &grid) { m_grid = grid; }

    [[nodiscard]] TCustomFormat GetCustomSheet() const;
    [[nodiscard]] const TLabelGrid &WorkingGrid() const { return m_grid; }
    [[nodiscard]] const TLayoutFormat &WorkingFormat() const { return m_format; }
    [[nodiscard]] int BaseIndex() const { return m_baseIndex; }
    [[nodiscard]] bool NoBarcode() const { return m_noBarcode; }
    [[nodiscard]] TUpDown *UpDown(TField field) const { return m_upDowns[field]; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] bool turned() const { return m_format.Direction != 0; }
    [[nodiscard]] bool cardPage() const { return m_format.PaperKind() == TPaperKind::Card; }
    void SelectFormat(bool fromControl);
    void SetLimitsFromGrid();
    void EnableFields();
    void ShowCurrentSheet();
    void ApplyValues();
    void ScaleFrames();
    void EditLeft(int tag);
    void UpdatePreview();
    void paintCard(QPainter &painter);
    void fillCategory(QComboBox *combo, TPaperKind kind);
    void fillNames(QComboBox *combo, QListWidget *list);

    TNewLabelDialog *m_sheets;
    int m_baseIndex = -1;
    TLayoutFormat m_base;
    TLayoutFormat m_format;
    TLabelGrid m_grid;
    bool m_noBarcode = false;
    bool m_updating = false;

    QLineEdit *edName = nullptr;
    QStackedWidget *pgcBase = nullptr;
    QComboBox *cbxLblCategory = nullptr, *cbxCrdCategory = nullptr;
    QListWidget *lbLabel = nullptr, *lbCard = nullptr;
    QRadioButton *rbLblV = nullptr, *rbLblH = nullptr;
    QRadioButton *rbCrdV = nullptr, *rbCrdH = nullptr, *rbCrdWordV = nullptr, *rbCrdWordH = nullptr;
    std::array<QLineEdit *, 10> m_edits{};
    std::array<TUpDown *, 10> m_upDowns{};
    QFrame *pnlImage = nullptr;
    TPreviewPanel *pnlCard = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
};
