#pragma once

#include "dialogs/ItemDlgSub.h"

#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TFigureRect;
class TUpDown;

// "図形の設定": the kind of a figure item with the kind's own options, its
// outline (line type, width in pixels, colour) and its fill (one colour or
// a gradient with an angle), on a private copy drawn in the preview. The
// editor copies WorkItem back after OK, keeping the figure's place.
class TFigureSettingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TFigureSettingDialog(QWidget *Owner);
    ~TFigureSettingDialog() override;

    void SetItem(const TFigureRect &Item);
    [[nodiscard]] TFigureRect &WorkItem() { return *m_work; }

    TColorDialogRunner RunColorDialog;

protected:
    void showEvent(QShowEvent *Event) override;

private:
    void pnlPreviewPaint(QPainter &Canvas);
    void cbxFigureKindClick();
    void ckbLineClick(QCheckBox *Box);
    void cbxDiameterClick(QComboBox *List);
    void rbSectorDirClick(int Tag);
    void ckbFrameClick();
    void dgLineTypeClick();
    void bbtnFrameColorClick();
    void ckbBackClick();
    void rbColorKindClick();
    void bbtnColorDlgClick(int Tag);
    void Repaint();

    QTabWidget *pgcSetting = nullptr;
    QWidget *tbsFont = nullptr, *tbsFrame = nullptr;
    QComboBox *cbxFigureKind = nullptr;
    QWidget *pnlLine = nullptr, *pnlRoundRect = nullptr, *pnlSector = nullptr;
    std::array<QCheckBox *, 4> ckbDirection{}; // ckbHorizontal, ckbVertical, ckbDiagonal_L, ckbDiagonal_R
    QComboBox *cbxDiameterV = nullptr, *cbxDiameterH = nullptr;
    std::array<QRadioButton *, 4> rbSector{}; // rbBottomRight, rbBottomLeft, rbTopRight, rbTopLeft
    QCheckBox *ckbFrame = nullptr, *ckbBack = nullptr;
    QListWidget *dgLineType = nullptr;
    QLineEdit *edLineWidth = nullptr;
    TUpDown *udLineWidth = nullptr;
    TColorSwatch *pnlFrameColor = nullptr;
    QPushButton *bbtnFrameColor = nullptr;
    QLabel *lblItem7 = nullptr, *lblItem9 = nullptr, *lblItem10 = nullptr;
    QRadioButton *rbFilled = nullptr, *rbGradation = nullptr;
    TColorSwatch *pnlColor1 = nullptr, *pnlColor2 = nullptr;
    QPushButton *bbtnColorDlg1 = nullptr, *bbtnColorDlg2 = nullptr;
    QLabel *lblItem1 = nullptr, *lblItem2 = nullptr, *lblItem3 = nullptr;
    QLineEdit *edAngle = nullptr;
    TUpDown *udAngle = nullptr;
    TItemPreview *pnlPreview = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
    TNumberEditLink *m_widthLink = nullptr, *m_angleLink = nullptr;
    std::unique_ptr<TFigureRect> m_work;
    bool m_updating = false;
};
