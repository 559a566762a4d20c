#pragma once

#include <QDialog>

class QCheckBox;
class QRadioButton;

// "印刷　メニュー": what an editor does when it opens: a new layout (0), open
// a saved one (1) or reopen the one edited last (2), and whether the menu
// is shown the next time.
class TPrintMenuDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TPrintMenuDialog(QWidget *Owner);

    // Document kind 0 address side, 1 label, 2 business card, 3 design.
    void SetDocKind(int Kind);
    // The reopen choice is offered only when it is the one preselected.
    void SetChoice(int Choice);
    [[nodiscard]] int GetChoice() const;
    [[nodiscard]] bool GetShowMenu() const;

private:
    QRadioButton *rbNew = nullptr;
    QRadioButton *rbOpen = nullptr;
    QRadioButton *rbContinue = nullptr;
    QCheckBox *ckbShowMenu = nullptr;
};
