#pragma once

#include <QDialog>
#include <QString>

#include <array>

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

    std::array<QLabel *, RowCount> m_labels{};
    std::array<TTntEdit *, RowCount> m_edits{};
    std::array<QComboBox *, RowCount> m_combos{};
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    bool m_namesChanged = false;
    bool m_modesChanged = false;
};

