#pragma once

#include <QDialog>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TUpDown;
class TWordRect;

// The live preview of the text item settings dialog: the working item drawn
// at the zoom that fits it, centred; an item without frame and background
// gets a dotted grey outline so its box can be seen.
class TWordPreview : public QWidget
{
public:
    explicit TWordPreview(TWordRect &Item, QWidget *Parent);
    // The item's zoom and the offsets that centre it in the client area.
    void Fit();

protected:
    void paintEvent(QPaintEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;

private:
    TWordRect &m_item;
    QPoint m_offset;
};

// "文章の表示設定": the appearance of one free-text item (face, style, colour,
// size, width ratio, direction, alignment, line breaking and spacing, frame
// and background) on a private working copy, shown at once on a preview.
// The editor: SetItem, exec; on OK it copies WorkItem() back into its item.
// The page shown last is kept in the settings file (DESIGN, WordSet).
class TWordSettingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TWordSettingDialog(QWidget *Owner);
    ~TWordSettingDialog() override;

    // Copies Item into the working item, fits it into the preview and fills
    // every control from it.
    void SetItem(const TWordRect &Item);
    [[nodiscard]] const TWordRect &WorkItem() const { return *m_work; }

    // The colour dialog: takes the current colour and the sixteen custom
    // colours (which it may change); the chosen colour or nothing when
    // cancelled. Tests answer it.
    std::function<std::optional<QColor>(const QColor &, QList<QColor> &)> RunColorDialog;
    // The three colour buttons: 0 frame, 1 background, 2 font.
    void ChooseColor(int Which);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void showEvent(QShowEvent *Event) override;

private:
    void BuildFontPage();
    void BuildAlignPage();
    void BuildFramePage();
    void FaceChosen(int Row);
    void StyleChanged();
    void SizeChosen(int Index);
    void RatioEdited();
    void DirectionChanged(int Direction);
    void AlignmentChanged();
    void LineSpaceChanged();
    void FrameChanged();
    void BackChanged();
    void UpdateCharset();
    void PaintCaptions();
    void Changed();

    std::unique_ptr<TWordRect> m_work;
    bool m_loading = false;

    QTabWidget *pgcSetting = nullptr;
    QListWidget *lbFonts = nullptr;
    QLabel *lblCharset = nullptr;
    QCheckBox *ckbBold = nullptr;
    QCheckBox *ckbItalic = nullptr;
    QLabel *pnlFontColor = nullptr;
    QPushButton *bbtnFontColor = nullptr;
    QComboBox *cbxFSize = nullptr;
    QLineEdit *edVHRatio = nullptr;
    TUpDown *udVHRatio = nullptr;

    QRadioButton *rbRight = nullptr;
    QRadioButton *rbHorzCenter = nullptr;
    QRadioButton *rbLeft = nullptr;
    QRadioButton *rbTop = nullptr;
    QRadioButton *rbVertCenter = nullptr;
    QRadioButton *rbBottom = nullptr;
    QCheckBox *ckbWrap = nullptr;
    QCheckBox *ckbLineSpace = nullptr;
    QComboBox *cbxLineSpace = nullptr;

    QCheckBox *ckbFrame = nullptr;
    QComboBox *cbxLineCount = nullptr;
    QComboBox *cbxCorner = nullptr;
    QComboBox *cbxLineWidth = nullptr;
    QLabel *pnlFrameColor = nullptr;
    QPushButton *bbtnFrameColor = nullptr;
    QList<QWidget *> m_frameLabels;
    QCheckBox *ckbBack = nullptr;
    QLabel *pnlBackColor = nullptr;
    QPushButton *bbtnBackColor = nullptr;
    QLabel *lblBackColor = nullptr;

    QRadioButton *rbVertical = nullptr;
    QRadioButton *rbHorizontal = nullptr;
    TWordPreview *pnlPreview = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
