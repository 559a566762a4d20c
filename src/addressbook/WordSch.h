#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class TTntEdit;

// The word search of the main list: takes the word the window looks for
// among the shown cells. The window passes its kept word with SetWord, runs
// the dialog and, on Accepted, keeps GetWord; "検索の解除" empties the word,
// so accepting it ends the search.
class TWordSearch : public QDialog
{
    Q_OBJECT

public:
    explicit TWordSearch(QWidget *parent = nullptr);
    ~TWordSearch() override;

    int HelpContext = 35;

    // The edit shows Word, all of it selected, the caret at its end.
    void SetWord(const QString &Word);
    // The edit's text without blanks and control characters at either end.
    [[nodiscard]] QString GetWord() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btnClearClick();
    void SelectWord();

    QLabel *lblMsg1 = nullptr;
    QLabel *lblMsg2 = nullptr;
    QLabel *lblMsg3 = nullptr;
    TTntEdit *edtWord = nullptr;
    QPushButton *btnSearch = nullptr;
    QPushButton *btnClear = nullptr;
    QPushButton *btnCancel = nullptr;
};
