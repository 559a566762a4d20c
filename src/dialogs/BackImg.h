#pragma once

#include "dialogs/ItemDlgSub.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class TBackImage;
class TFileDD;
class TUpDown;

// "背景の選択": the background of a design page (none, a picture fitted,
// centred or tiled and mirrored or turned, one colour, or a gradient) on a
// miniature of the paper. A picture comes from the file chooser or is
// dropped onto the miniature. Works on WorkItem, which the design editor
// copies back after OK. "画像を使用" without a picture ends as "なし".
class TBackImageDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TBackImageDialog(QWidget *Owner);
    ~TBackImageDialog() override;

    // Paper in 0.1 mm.
    void SetBackImage(const TBackImage &Background, qint32 PaperWidth, qint32 PaperHeight);
    [[nodiscard]] TBackImage &WorkItem() { return *m_work; }
    // Loads a picture file as if it had been chosen or dropped; false when
    // it cannot be read as a picture (the background stays).
    bool LoadPicture(const QString &FileName);

    TColorDialogRunner RunColorDialog;
    // The picture to take; empty when cancelled.
    std::function<QString()> ChooseImageFile;

    void done(int Result) override;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void pnlCardPaint(QPainter &Canvas);
    void BackImageTypeClick(int Tag);
    void ImageViewClick(int Tag);
    void ColorKindClick(int Tag);
    void bbtnReverseClick();
    void bbtnRotateClick();
    void bbtnColorDlgClick(int Tag);
    void Repaint();

    QWidget *pnlPreview = nullptr;
    TItemPreview *pnlCard = nullptr;
    QRadioButton *rbNone = nullptr, *rbImage = nullptr, *rbColor = nullptr;
    QStackedWidget *pgcBkType = nullptr;
    QWidget *tbsEmpty = nullptr, *tbsImage = nullptr, *tbsColor = nullptr;
    QPushButton *bbtnImage = nullptr;
    QTabWidget *pgcImage = nullptr;
    QRadioButton *rbStretch = nullptr, *rbCenter = nullptr, *rbTiled = nullptr;
    QRadioButton *rbVert = nullptr, *rbHorz = nullptr, *rbL90 = nullptr, *rbR90 = nullptr, *rb180 = nullptr;
    QPushButton *bbtnReverse = nullptr, *bbtnRotate = nullptr;
    QRadioButton *rbFilled = nullptr, *rbGradation = nullptr;
    TColorSwatch *pnlColor1 = nullptr, *pnlColor2 = nullptr;
    QPushButton *bbtnColorDlg1 = nullptr, *bbtnColorDlg2 = nullptr;
    QLabel *lblItem1 = nullptr, *lblItem2 = nullptr, *lblItem3 = nullptr;
    QLineEdit *edAngle = nullptr;
    TUpDown *udAngle = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
    TNumberEditLink *m_angleLink = nullptr;
    TFileDD *m_drop = nullptr;
    std::unique_ptr<TBackImage> m_work;
    bool m_angleEdited = false;
};
