#pragma once

#include "dialogs/ItemDlgSub.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TSenderRect;
struct TDataFormat;

// "差出人情報の表示設定": the sender a design's sender block previews, the
// font face, style and colour of all its lines, vertical or horizontal
// writing, and its decorative frame and background. Works on WorkItem,
// filled from the chosen sender record (ComposeSenderBlock); the editor
// copies it back after OK. A block whose title names no sender keeps the
// list without a choice and previews empty.
class TSenderSettingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TSenderSettingDialog(QWidget *Owner);
    ~TSenderSettingDialog() override;

    void SetItem(const TSenderRect &Item);
    // The editor's font-scale base: the paper's longer side in 0.1 mm.
    void SetFontScale(int LongSide);
    [[nodiscard]] TSenderRect &WorkItem() { return *m_work; }
    // The layout's data format; the editor copies its own in before showing
    // (null: the defaults).
    void SetDataFormat(const TDataFormat *Format);
    [[nodiscard]] const TDataFormat &DataFormat() const { return *m_dataFormat; }
    // Fills the block from the sender chosen in cbxSender (empty without one).
    void UpdatePreview();

    TColorDialogRunner RunColorDialog;

protected:
    void showEvent(QShowEvent *Event) override;

private:
    void FillFontList();
    void cbxSenderClick();
    void pnlPreviewPaint(QPainter &Canvas);
    void rbDirectionClick(int Tag);
    void lbFontsClick();
    void ckbStyleClick();
    void bbtnFontColorClick();
    void ckbFrameClick();
    void ckbBackClick();
    void FrameViewClick();
    void FrameColorClick(int Tag);
    void UpdateCharsetLabel();

    QComboBox *cbxSender = nullptr;
    QTabWidget *pgcSetting = nullptr;
    QWidget *tbsFont = nullptr, *tbsFrame = nullptr;
    QLabel *lblCharset = nullptr;
    QListWidget *lbFonts = nullptr;
    QCheckBox *ckbBold = nullptr, *ckbItalic = nullptr;
    TColorSwatch *pnlFontColor = nullptr;
    QPushButton *bbtnFontColor = nullptr;
    TItemPreview *pnlPreview = nullptr;
    QRadioButton *rbVertical = nullptr, *rbHorizontal = nullptr;
    QCheckBox *ckbFrame = nullptr, *ckbBack = nullptr;
    QComboBox *cbxLineCount = nullptr, *cbxCorner = nullptr, *cbxLineWidth = nullptr;
    TColorSwatch *pnlFrameColor = nullptr, *pnlBackColor = nullptr;
    QPushButton *bbtnFrameColor = nullptr, *bbtnBackColor = nullptr;
    QLabel *lblItem7 = nullptr, *lblItem8 = nullptr, *lblItem9 = nullptr, *lblItem10 = nullptr, *lblItem11 = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
    std::unique_ptr<TSenderRect> m_work;
    std::unique_ptr<TDataFormat> m_dataFormat;
    bool m_updating = false;
};
