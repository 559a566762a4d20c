#pragma once

#include "links/ExpMain.h"

#include <QColor>
#include <QDialog>

#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// The Ekispert station picker "駅選択": the user finds a station by the
// beginning of its kana reading or by a whole kana row (あ行 .. わ行) and
// picks it from the list. It works on a copy of the front end's station
// record, which also carries the picker's state (row, list row, name text)
// so that the next pick of the departure station starts where this one
// ended. The stations come from the front end's station index.
class TExpertSelectStation : public QDialog
{
    Q_OBJECT

public:
    TExpertSelectStation(const IStationIndex &Index, QWidget *Owner = nullptr);

    void SetColors(const QColor &Highlight, const QColor &Normal);
    void SetRecord(const TExpertSelectStInfo &Record) { m_record = Record; }
    [[nodiscard]] const TExpertSelectStInfo &Record() const { return m_record; }
    // The stations the list shows.
    [[nodiscard]] const std::vector<TExpertSelectStInfo> &Entries() const { return m_entries; }

    void NameSearch();
    void RowSearch();
    // OK: a selected row is taken into the record; without one the picker
    // closes as cancelled.
    void btnOKClick();

    QTreeWidget *lvStation = nullptr;
    QLineEdit *edName = nullptr;
    QComboBox *cbxKana = nullptr;
    QRadioButton *rbName = nullptr;
    QRadioButton *rbKana = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void FillList();
    void PaintModes();
    void KanaRowChosen(int Row);

    const IStationIndex &m_index;
    TExpertSelectStInfo m_record;
    std::vector<TExpertSelectStInfo> m_entries;
    int m_kanaRow = -1;
    bool m_loading = false;
    bool m_shown = false;
    QColor m_highlight;
    QColor m_normal;
};

// The key typed into the name field as the station index keeps readings:
// hiragana and full-width katakana become half-width katakana.
[[nodiscard]] QString ExpertKanaKey(const QString &Text);
