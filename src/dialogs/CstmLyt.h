#pragma once

#include "dialogs/PaperFmt.h"

#include <QDialog>
#include <QImage>

class QComboBox;
class QFrame;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class TNewLayoutDialog;
class TPreviewPanel;
class TUpDown;

// Defines a postcard or envelope size of the user's own from a catalogue
// format: a name, a width and a height (50.0 to 594.0 mm). The frames of the
// base format follow the new size, the barcode frame keeping its own. The
// base's background picture is kept only while the size is the base's.
// Reads the catalogue through the paper dialog that opened it.
class TCustomLayoutFormatDialog : public QDialog
{
    Q_OBJECT

public:
    TCustomLayoutFormatDialog(TNewLayoutDialog *papers, QWidget *owner);
    ~TCustomLayoutFormatDialog() override;

    void SetBaseFormat(int index);
    void SetCustomFormat(const TCustomFormat &format);
    [[nodiscard]] TCustomFormat GetCustomFormat() const;

    [[nodiscard]] int BaseIndex() const { return m_baseIndex; }
    [[nodiscard]] const TLayoutFormat &WorkingFormat() const { return m_format; }
    [[nodiscard]] bool NoBarcode() const { return m_noBarcode; }
    [[nodiscard]] bool DrawsPicture() const;
    [[nodiscard]] TUpDown *UpDownWidth() const { return udPaperWidth; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] bool envelopePage() const;
    void SelectFormat();
    void ShowCurrentFormat();
    void FitFramesToPaper();
    void EditLeft(QLineEdit *edit, TUpDown *upDown);
    void UpdatePreview();
    void paintCard(QPainter &painter);
    void fillEnvelopeNames();

    TNewLayoutDialog *m_papers;
    int m_baseIndex = -1;
    TLayoutFormat m_base;
    TLayoutFormat m_format;
    bool m_noBarcode = false;
    bool m_updating = false;
    QImage m_picture;
    QByteArray m_pictureName;

    QLineEdit *edName = nullptr;
    QStackedWidget *pgcBase = nullptr;
    QListWidget *lbPostCard = nullptr;
    QRadioButton *rbPostCardV = nullptr, *rbPostCardH = nullptr;
    QComboBox *cbxEnvCategory = nullptr;
    QListWidget *lbEnvelope = nullptr;
    QRadioButton *rbEnvCardV = nullptr, *rbEnvCardH = nullptr, *rbEnvWordV = nullptr, *rbEnvWordH = nullptr;
    QLineEdit *edPaperWidth = nullptr, *edPaperHeight = nullptr;
    TUpDown *udPaperWidth = nullptr, *udPaperHeight = nullptr;
    QFrame *pnlPreview = nullptr;
    TPreviewPanel *pnlCard = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
};
