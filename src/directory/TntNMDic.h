#pragma once

#include "core/NameDicClass.h"
#include "widgets/NMDEdit.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>

class QLabel;
class QRadioButton;
class QTableWidget;
class QTimer;
class QToolButton;
class TTntEdit;
class TTntNMDEdit;

// The name-reading popup: the kanji spellings the name library knows for the
// reading being typed into a name edit, grouped by reading (column 0 the
// reading on a group's first row, columns 1 to 5 the spellings). A tool
// window that never takes the focus, so the edit keeps its composition: the
// edit forwards its navigation keys (ConvertKeyDown) and the user may click.
// A choice is announced by NameChosen, always queued, so the owner handles
// it after the key or click that made it; the owner then reads ChosenName,
// Reading and Kind.
class TTntNameDic : public QWidget
{
    Q_OBJECT

public:
    explicit TTntNameDic(QWidget *Owner);
    ~TTntNameDic() override;

    void SetFolders(const QString &DllFolder, const QString &DicFolder);
    // Loads the library quietly (without it no candidate is ever counted) and
    // selects nothing.
    void Initialize();
    // The number of candidates of Reading (Shift-JIS kana); 0 without them.
    [[nodiscard]] int CountCandidates(const QByteArray &Reading, bool GivenName) const;
    void SetNameKind(TNameDicKind Kind);
    // Fills the grid with the first Count candidates of Reading; a failed
    // list closes the popup (false).
    bool FillCandidates(int Count);
    // Key is a Windows virtual-key code (13, 33, 34, 37..40); true when the
    // popup used it.
    [[nodiscard]] bool ConvertKeyDown(quint32 Key);

    TNameDicKind Kind = TNameDicKind::nkLineage;
    QByteArray ChosenName;
    QByteArray Reading;
    int CurrentColumn = 1;
    bool Empty = false;
    QColor HighlightColor = QColor(0, 0, 255);

    // The selected cell; row -1 when none.
    [[nodiscard]] int SelectedRow() const { return m_row; }
    [[nodiscard]] int SelectedColumn() const { return m_column; }
    [[nodiscard]] QTableWidget *Grid() const { return sgNameList; }

    // The window the popup's timer takes for the active one (nullptr: the
    // program is not active). QApplication::activeWindow unless a test
    // stands in for the window system, which offscreen activates nothing.
    static inline std::function<QWidget *()> ActiveWindowProbe;

signals:
    void NameChosen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void select(int Column, int Row);
    void moveToRow(int Row);
    void choose();
    void kindClicked(TNameDicKind Clicked);
    void paintKindCaptions();
    [[nodiscard]] QString cell(int Column, int Row) const;
    [[nodiscard]] int visibleRows() const;
    void checkActive();

    QTableWidget *sgNameList = nullptr;
    QLabel *lblItem = nullptr;
    QRadioButton *rbLineage = nullptr;
    QRadioButton *rbFirst = nullptr;
    QToolButton *sbtnClose = nullptr;
    QTimer *tmrActive = nullptr;
    QString m_dllFolder;
    QString m_dicFolder;
    TNameDicLibrary m_library;
    int m_row = -1;
    int m_column = 1;
};

// What a form does to offer name readings under its name edits: creates the
// popup on the first need, places it under the edit being typed into,
// forwards the edit's navigation keys, writes the chosen name into that edit
// and follows the form when it moves. Attach each name edit once (a line
// edit or a combo box: any TNameEditHost); GivenName edits (joint names)
// always look up given names, the others take the kind the edit reports.
class TNameDicLink : public QObject
{
    Q_OBJECT

public:
    explicit TNameDicLink(QWidget *Form);
    ~TNameDicLink() override;

    template <class Host>
    void Attach(Host *Edit, int Tag, bool AlwaysGivenName)
    {
        const QPointer<Host> edit(Edit);
        TEntry entry;
        entry.Widget = Edit;
        entry.AlwaysGiven = AlwaysGivenName;
        entry.Insert = [edit](const QByteArray &Kanji, const QByteArray &Kana, bool NoSeparator) {
            if (edit)
                edit->InsertName(Kanji, Kana, NoSeparator);
        };
        entry.Detach = [edit] {
            if (edit) {
                edit->OnConvertNeed = nullptr;
                edit->OnConvertKeyDown = nullptr;
            }
        };
        m_edits[Tag] = std::move(entry);
        Edit->setProperty("nameDicTag", Tag);
        Edit->OnConvertNeed = [this, Tag](QObject *, TNameDicKind Kind, bool Show, const QByteArray &Value) {
            convertNeed(Tag, Kind, Show, Value);
        };
        Edit->OnConvertKeyDown = [this](QObject *, quint32 &Key, bool &Result) {
            // A popup that closed itself (its × or the timer) is gone for the
            // keys even before it is deleted.
            if (m_popup && m_popup->isVisible())
                Result = m_popup->ConvertKeyDown(Key);
        };
    }
    // Edit (attached) writes the reading of what is typed into ReadingEdit
    // only while ReadingEdit is empty, or for a given name: retyping the
    // surname of a name whose reading is filled in leaves that reading.
    void SetReadingEdit(TTntNMDEdit *Edit, TTntEdit *ReadingEdit);
    [[nodiscard]] TTntNameDic *Popup() const { return m_popup.data(); }
    void ClosePopup();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct TEntry {
        QPointer<QWidget> Widget;
        bool AlwaysGiven = false;
        std::function<void(const QByteArray &, const QByteArray &, bool)> Insert;
        std::function<void()> Detach;
        // Set by SetReadingEdit: the reading edit and how to hand it to the
        // name edit as the one its readings go to (nullptr: none).
        QPointer<TTntEdit> Reading;
        std::function<void(TTntEdit *)> Associate;
    };

    void convertNeed(int Tag, TNameDicKind Kind, bool Show, const QByteArray &Reading);
    void chosen();
    void place();

    QWidget *m_form;
    QPointer<TTntNameDic> m_popup;
    std::map<int, TEntry> m_edits;
};
