#pragma once

#include "dialogs/ItemDlgSub.h"
#include "items/DrawRect.h"

#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTabWidget;
class QToolButton;
class TIllustRect;

// "イラストの表示設定": how a picture item is shown: mirrored or turned,
// as it is, cut out by a mask shape (whose frame is dragged on the
// preview) or with one colour transparent, and its decorative frame and
// background. Works on WorkItem; the editor copies it back after OK,
// keeping the item's top-left corner (a quarter turn exchanges width and
// height).
class TIllustSettingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TIllustSettingDialog(QWidget *Owner);
    ~TIllustSettingDialog() override;

    void SetItem(const TIllustRect &Item);
    [[nodiscard]] TIllustRect &WorkItem() { return *m_work; }
    [[nodiscard]] int SelectedMask() const { return m_selectedMask; }
    void SelectMask(int Index);
    // The preview's offset of the picture's display rectangle.
    [[nodiscard]] QPoint PreviewOrigin() const { return m_origin; }

    TColorDialogRunner RunColorDialog;

protected:
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void BuildMaskThumbnails();
    void pbxPreviewPaint(QPainter &Canvas);
    void sbtnRatioClick(int Tag);
    void PlacePreview();
    void bbtnReverseClick();
    void bbtnRotateClick();
    void rbImageViewClick(int Tag);
    void pbxPreviewMouseDown(QMouseEvent *Event);
    void pbxPreviewMouseMove(QMouseEvent *Event);
    void pbxPreviewEndDrag();
    void ckbFrameClick();
    void ckbBackClick();
    void FrameViewClick();
    void FrameColorClick(int Tag);

    QTabWidget *pgcSetting = nullptr;
    QWidget *TabSheet1 = nullptr, *tbsMask = nullptr, *tbsFrameRect = nullptr;
    QScrollArea *sbxPreview = nullptr;
    TItemPreview *pbxPreview = nullptr;
    QScrollArea *sbxMask = nullptr;
    QList<QToolButton *> m_thumbnails;
    QLabel *lblItem1 = nullptr, *lblInfo = nullptr, *lblMaskInfo = nullptr;
    TColorSwatch *pnlTransparentColor = nullptr;
    QRadioButton *rbNone = nullptr, *rbMask = nullptr, *rbTransparent = nullptr;
    QCheckBox *ckbFrame = nullptr, *ckbBack = nullptr;
    QLabel *lblItem2 = nullptr, *lblItem3 = nullptr, *lblItem4 = nullptr, *lblItem5 = nullptr, *lblItem6 = nullptr;
    QComboBox *cbxLineCount = nullptr, *cbxCorner = nullptr, *cbxLineWidth = nullptr;
    TColorSwatch *pnlFrameColor = nullptr, *pnlBackColor = nullptr;
    QPushButton *bbtnFrameColor = nullptr, *bbtnBackColor = nullptr;
    // Three groups of "全体", "ｘ１", "ｘ２", one on each page, kept in step.
    std::array<std::array<QToolButton *, 3>, 3> m_ratio{};
    QRadioButton *rbHorz = nullptr, *rbVert = nullptr, *rbL90 = nullptr, *rbR90 = nullptr, *rb180 = nullptr;
    QPushButton *bbtnReverse = nullptr, *bbtnRotate = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
    std::unique_ptr<TIllustRect> m_work;
    int m_selectedMask = 0;
    int m_ratioTag = 0;
    QPoint m_origin;
    QPoint m_dragStart;
    THitZone m_dragZone;
    bool m_dragging = false;
    bool m_updating = false;
};
