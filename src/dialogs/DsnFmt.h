#pragma once

#include "dialogs/PaperFmt.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QFrame;
class TPreviewPanel;

// The paper of a design (the message side): a postcard or a plain paper
// from Dsn.fmt, upright or turned, with its size and a scaled outline. The
// design editor calls SetChangeMode, ShowFormat, exec, then reads
// SelectedIndex and GetFormat.
class TNewDesignDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TNewDesignDialog(QWidget *owner);
    ~TNewDesignDialog() override;

    void SetChangeMode(bool on);
    void ShowFormat(int index);
    [[nodiscard]] int SelectedIndex() const { return m_selectedIndex; }
    [[nodiscard]] TDesignFormat GetFormat() const;
    [[nodiscard]] const TDesignCatalogue &Catalogue() const { return m_catalogue; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FillList();
    void cbxKindChange();
    void SelectFormat();
    void UpdatePreview();

    TDesignCatalogue m_catalogue;
    int m_selectedIndex = -1;
    bool m_updating = false;

    QComboBox *cbxKind = nullptr;
    QListWidget *lbFormat = nullptr;
    QRadioButton *rbVert = nullptr;
    QRadioButton *rbHorz = nullptr;
    QLabel *lblSize = nullptr;
    QFrame *pnlImage = nullptr;
    TPreviewPanel *pnlCard = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
