#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class TDrawRect;
class TPrintEditor;
class TUndoData;
class TUndoDatas;
class TUndoList;
enum class TUndoKind : quint8;

// The editors' format and text commands: the menu 書式 (data format,
// layout detail, additional lines and barcode, font) and the menu 文字
// (insert a free text, edit its text, its display settings; a double click
// on a free text opens the settings too). Every change goes into the
// editor's undo list and is merged again at once. Created by each editor
// window, owned by it.
class TTextCommands : public QObject
{
    Q_OBJECT

public:
    explicit TTextCommands(TPrintEditor &Editor);

    QAction *actDataFormat = nullptr;
    QAction *actLayoutDetail = nullptr;
    QAction *actAddition = nullptr;
    QAction *actFont = nullptr;
    QAction *actInsertWord = nullptr;
    QAction *actWordEdit = nullptr;
    QAction *actWordSetting = nullptr;

    // Each runs its dialog through the editor's ExecDialog; true when the
    // layout changed.
    bool EditDataFormat();
    bool EditLayoutDetail();
    bool EditAddition();
    bool EditFont();
    bool InsertWord();
    bool EditWord(int Index);
    bool EditWordSetting(int Index);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    // Records the items at Indexes before a change; Commit takes them after
    // it (and the data format, when Format) as one undoable step.
    struct TPending;
    std::unique_ptr<TPending> Begin(const std::vector<int> &Indexes, bool Format);
    void Commit(std::unique_ptr<TPending> Pending);
    void UndoRedo(TUndoList &List, TUndoKind Kind, TUndoData &Data, bool Redo);
    void Changed(int Select);
    void UpdateActions();
    [[nodiscard]] int SelectedWord() const;
    [[nodiscard]] int ItemAt(QPoint Pos) const;

    TPrintEditor &m_editor;
    std::function<void(TUndoList &, TUndoKind, TUndoData &, bool)> m_previousUndo;
};
