#pragma once

#include "dialogs/PrtFiles.h"

#include <QDialog>
#include <QImage>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// What the open and save dialogs share: the kind's saved files by title and
// date, with renaming (F2 or the button, edited in place) and deleting. The
// document open in the editor (SetSelectedName) can be neither. A failed
// rename or delete is reported and the entry kept. FilesChanged tells the
// editor that a file got a new title or was deleted.
class TPrintDataFileDialog : public QDialog
{
    Q_OBJECT

public:
    void SetDocKind(int Kind);
    void SetPaperKind(int Kind);
    void SetSelectedName(const QString &Title);
    [[nodiscard]] QStringList Titles() const;

    bool FilesChanged = false;

    // The actions of the buttons and menu, for the editor's keys and tests.
    void DeleteSelected();
    // The end of editing a title in place with the new text.
    void RenameEntry(int Row, const QString &Text);

protected:
    explicit TPrintDataFileDialog(QWidget *Owner);
    virtual void SelectionChanged();
    bool eventFilter(QObject *Watched, QEvent *Event) override;

    [[nodiscard]] QString PathOf(const QString &Title) const;
    [[nodiscard]] int SelectedRow() const;
    void Inform(const QString &Text, unsigned Flags);
    void FillList();

    QTreeWidget *lvFile = nullptr;
    QToolButton *sbtnDelete = nullptr;
    QToolButton *sbtnRename = nullptr;
    QMenu *pmFile = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
    QWidget *m_side = nullptr; // the preview or the title edit
    std::optional<TDocKindInfo> m_info;
    QString m_currentTitle;
    bool m_renaming = false;
};

// "開く": picks a saved file, showing its thumbnail.
class TPrintDataOpenDialog : public TPrintDataFileDialog
{
    Q_OBJECT

public:
    explicit TPrintDataOpenDialog(QWidget *Owner);
    [[nodiscard]] QString GetSelectedName() const;
    [[nodiscard]] const QImage &Thumbnail() const { return m_thumbnail; }

    void accept() override;

protected:
    void SelectionChanged() override;
    void showEvent(QShowEvent *Event) override;

private:
    // Tells of a chosen entry whose file is gone and takes it from the list.
    void DropVanished(const QString &Title);

    QLabel *pbxPreview = nullptr;
    QImage m_thumbnail;
};

// "名前を付けて保存": a title typed or taken from a saved file; an existing
// title is overwritten only when the user agrees.
class TPrintDataSaveDialog : public TPrintDataFileDialog
{
    Q_OBJECT

public:
    explicit TPrintDataSaveDialog(QWidget *Owner);
    [[nodiscard]] QString GetTitle() const;
    void SetSelectedName(const QString &Title);

    void accept() override;

protected:
    void SelectionChanged() override;
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *edTitle = nullptr;
};
