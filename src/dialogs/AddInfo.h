#pragma once

#include "dialogs/LayoutKind.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// "追加情報の設定": what the four additional-information lines of a label or
// card print (a field of the record, named by its id, or free text, id 0)
// and whether and at which size the customer barcode is printed. Postcards
// and envelopes show only the barcode part ("バーコードの設定").
class TAdditionInfoDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int LineCount = 4;

    explicit TAdditionInfoDialog(QWidget *Owner);

    void SetLayoutKind(TLayoutKind Kind);
    // 1 addressee, 2 sender: the fields the lines can choose from.
    void SetDataSource(int Source);

    [[nodiscard]] bool GetAdditionChecked(int Line) const;
    void SetAdditionChecked(int Line, bool Checked);
    // The chosen field's id; 0 for free text or another line number.
    [[nodiscard]] int GetAdditionItem(int Line) const;
    void SetAdditionItem(int Line, int Id);
    // The free text, trimmed; empty when a field is chosen.
    [[nodiscard]] QString GetAdditionText(int Line) const;
    void SetAdditionText(int Line, const QString &Text);

    [[nodiscard]] bool GetBarcode() const;
    void SetBarcode(bool On);
    // Size index 0..3 = 8, 9, 10, 11 point.
    [[nodiscard]] int GetBarSize() const;
    void SetBarSize(int Index);
    // The paper cannot carry a barcode.
    void DisableBarcode(bool Disable);
    void SetMaxBarSize(int Index);

private:
    [[nodiscard]] int ChosenId(int Line) const;
    void BarcodeChanged();

    QGroupBox *gbxAddition = nullptr;
    std::array<QCheckBox *, LineCount> ckbAddition{};
    std::array<QComboBox *, LineCount> cbxAddition{};
    QCheckBox *ckbBarcode = nullptr;
    QGroupBox *gbxBarcode = nullptr;
    QLabel *lblBarSize = nullptr;
    QComboBox *cbxBarSize = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
    TLayoutKind m_kind = TLayoutKind::lkLabel;
    int m_maxBarSize = 3;
};
