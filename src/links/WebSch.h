#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

// The dialog "Web検索": searches the web for a name with one of five engines
// and hands the search URL to the desktop's browser. The engine last used is
// kept in [WEB SEARCH] Engine.
class TWebSearch : public QDialog
{
    Q_OBJECT

public:
    explicit TWebSearch(QWidget *Owner = nullptr);

    void SetSearchText(const QString &Text);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void bbtnSearchClick();

    QLineEdit *edtWord = nullptr;
    QComboBox *cbxEngine = nullptr;
    QPushButton *bbtnSearch = nullptr;
    QPushButton *btnClose = nullptr;
};
