#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// The duplicate display's item choice of the main list window: item 1
// (1 電話番号, 2 住所, 3 会社名, 4 名前; 0 = display off) and item 2 (0 none,
// else as item 1). The window passes its items with SetItems, runs the
// dialog and, on Accepted, reads the new ones with GetItems; both are 0
// after "重複データ表示の解除". Pressing "表示" without changing the
// remembered choice counts as cancel.
class TDuplicateSearch : public QDialog
{
    Q_OBJECT

public:
    explicit TDuplicateSearch(QWidget *parent = nullptr);
    ~TDuplicateSearch() override;

    void SetItems(int Item1, int Item2);
    void GetItems(int &Item1, int &Item2) const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btnViewClick();
    void btnClearClick();

    QLabel *lblItem1 = nullptr;
    QLabel *lblItem2 = nullptr;
    QLabel *lblNote = nullptr;
    QComboBox *cbxItem1 = nullptr;
    QComboBox *cbxItem2 = nullptr;
    QPushButton *btnView = nullptr;
    QPushButton *btnClear = nullptr;
    QPushButton *btnCancel = nullptr;
    int m_item1 = 0; // the items SetItems was given
    int m_item2 = 0;
    bool m_cleared = false;
};
