#pragma once

#include <QObject>
#include <QPoint>
#include <QStringList>

#include <functional>
#include <optional>
#include <memory>

class QAction;
class QWidget;
class TDrawRect;
class TEditorHost;
class TPrintEditor;

// The item commands of a print editor: inserting a picture, a figure, a QR
// code and a sender block, the design editor's page background, opening an
// item's settings (also by double-clicking it) and the sender records
// window. Each command runs its dialog through the editor's ExecDialog seam
// and copies the dialog's working item back on OK, keeping the item's
// top-left corner; every insertion and change is one step of the editor's
// history. An inserted item lands on a free place (ItemPlace.h), never over
// the addressee: without one it is not inserted and the user is told.
// Created by each editor window for itself.
class TFileDD;

class TItemCommands : public QObject
{
    Q_OBJECT

public:
    TItemCommands(TPrintEditor &Editor, TEditorHost &Host);

    QAction *actInsertIllust = nullptr;
    QAction *actInsertFigure = nullptr;
    QAction *actInsertQRCode = nullptr;
    QAction *actInsertSender = nullptr;
    QAction *actBackImage = nullptr; // design editor only
    QAction *actItemSetting = nullptr;
    QAction *actSender = nullptr;

    // The picture file to insert; empty: cancelled. Tests answer it.
    std::function<QString()> ChooseImageFile;

    // Opens the settings dialog of the item at Index; true when confirmed.
    bool EditItem(int Index);
    void InsertIllust();
    // Inserts the picture of File; At, a page pixel, is where its top-left
    // corner goes (the drop point), else it takes a free place (ItemPlace.h),
    // made smaller when its own size finds none. False, after telling the
    // user, when the file cannot be read or no free place holds it.
    bool InsertIllustFile(const QString &File, std::optional<QPoint> At = std::nullopt);
    // Picture files dropped onto the page from a file manager: the first
    // one the items can show is inserted where it was dropped.
    void DropFiles(const QStringList &Files, QPoint ScreenPos);
    void InsertFigure();
    void InsertQRCode();
    void InsertSender();
    void EditBackground();
    void EditSenders();

private:
    void AddItem(std::unique_ptr<TDrawRect> Item);
    [[nodiscard]] QWidget *Window() const;
    void UpdateActions();

    TPrintEditor &m_editor;
    TEditorHost &m_host;
    TFileDD *m_drop = nullptr;
};
