#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class TTntEdit;

// The captions and input modes of the eight keyword fields. It shows
// KeywordNames / KeywordModes; OK refuses an empty caption, stores the
// trimmed captions and the modes in KeywordNames / KeywordModes and in the
// KEYWORD section of AdrsList.ini in the data folder, and tells the caller
// through NamesChanged() / ModesChanged() what differs from before. When the
// file cannot be written the failure is shown and the dialog stays open with
// what was typed, KeywordNames / KeywordModes unchanged. Cancel changes
// nothing.
//
// A caption is also the name of its column in an exported text file, and the
// import assigns that file's columns by their names: OK therefore refuses a
// caption holding a comma or a double quote (the file's separators), two
// captions naming the same column, and a caption naming the column of
// another item (OtherItemNames).
class TKeywordEdit : public QDialog
{
    Q_OBJECT

public:
    // A caption is stored in a CP932 field of this many bytes.
    static constexpr int MaxKeywordBytes = 12;

    // The input-method modes offered, in list order, with their stored value.
    struct TKeywordMode {
        QString Caption;
        int Value;
    };
    static const std::array<TKeywordMode, 5> Modes;

    // The names under which an exported file's header and the import know
    // the items other than keyword Keyword (1..8). Set by the text import
    // when it registers; unset, the captions are compared only with each
    // other.
    static std::function<QStringList(int Keyword)> OtherItemNames;

    explicit TKeywordEdit(QWidget *parent = nullptr);
    ~TKeywordEdit() override;

    int HelpContext = 34;

    // Results of the last OK.
    [[nodiscard]] bool NamesChanged() const { return m_namesChanged; }
    [[nodiscard]] bool ModesChanged() const { return m_modesChanged; }

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr int RowCount = 8;

    // False, with the user told and the edit focused, when a caption cannot
    // name its column in an exported file.
    bool CheckColumnNames(const std::array<QString, RowCount> &names);

    std::array<QLabel *, RowCount> m_labels{};
    std::array<TTntEdit *, RowCount> m_edits{};
    std::array<QComboBox *, RowCount> m_combos{};
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    bool m_namesChanged = false;
    bool m_modesChanged = false;
};

