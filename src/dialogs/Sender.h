#pragma once

#include "dialogs/SenderData.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class TNameDicLink;
class ETableError;
class TTable;
class TTntNMDEdit;

// "差出人の編集": the sender records of Sender.DB, one shown at a time, and
// the choice of the sender an editor prints. The caller opens the sender
// table, sets SenderNo to its sender and runs the window; on result 1
// ("選択") SenderNo is the chosen sender. The window never opens or closes
// the table. Every way of leaving a record (navigation, 新規, 選択, closing)
// first refuses a title another record has: the design editor finds its
// sender by title.
class TSenderForm : public QDialog
{
    Q_OBJECT

public:
    explicit TSenderForm(QWidget *Owner);
    ~TSenderForm() override;

    // In: the caller's sender; out: the RecNo of the record shown last.
    qint32 SenderNo = 0;

    [[nodiscard]] qint32 LastNo() const { return m_lastNo; }
    [[nodiscard]] bool IsModified() const { return m_modified; }
    [[nodiscard]] int AdditionPrintCount() const { return m_additionPrintCount; }

    // Writes the shown record; false (after a message) when the title is
    // empty or the table refused it.
    [[nodiscard]] bool SaveRecord();
    // False (after a message) when another record has the typed title.
    [[nodiscard]] bool IsTitleUnique();

    // The pick-list editor of departments (0) and titles (1); answers the
    // changed lists (bit 0 departments, bit 1 titles), 0 when cancelled.
    // Empty: the two list buttons are disabled.
    std::function<int(int Kind)> EditPickList;

    void done(int Result) override;

protected:
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void CreateControls();
    [[nodiscard]] TTable *Table() const;
    void RefreshOrder();
    void ShowCurrent();
    void ShowRecord(const TSenderData &Data);
    [[nodiscard]] TSenderData CollectRecord() const;
    [[nodiscard]] bool LeaveRecord();
    void MoveTo(int Position);
    void bbtnNewClick();
    void bbtnDeleteClick();
    void SearchClick(int Tag);
    void PickListClick(int Tag);
    void btnChoiceClick();
    void FieldEdited();
    void TitleEdited();
    void edTitleExit();
    void TelChanged();
    void FaxChanged();
    void HeadChosen(int Line);
    void AdditionToggled(int Line);
    void PrintToggled(QToolButton *Button);
    void SelectInfoClick(QCheckBox *Box);
    void ckbDefaultClick();
    void FillHistoryCombo(QComboBox *Combo, int Kind);
    void PushHistory(QComboBox *Combo, int Kind);
    [[nodiscard]] bool CanClose();
    void SaveSettings();
    // Writes Default and LastNo to Sender.ini (a failure is reported).
    void StoreSenderIni();
    void ShowError(const QString &Text);
    void ShowInfo(const QString &Text);
    void ShowReadError(const ETableError &Error);

    QLineEdit *edTitle = nullptr;
    QToolButton *sbtnFirst = nullptr, *sbtnPrior = nullptr, *sbtnNext = nullptr, *sbtnLast = nullptr;
    QLabel *lblNo = nullptr, *lblCount = nullptr;
    TTntNMDEdit *edName = nullptr;
    QLineEdit *edTel = nullptr, *edFax = nullptr, *edPos = nullptr;
    QLineEdit *edTdfkn = nullptr, *edAdrs1 = nullptr, *edAdrs2 = nullptr, *edAdrs3 = nullptr;
    QPushButton *bbtnTelSearch = nullptr, *bbtnPosSearch = nullptr, *bbtnAddressSearch = nullptr;
    QTabWidget *pgcSelInfo = nullptr;
    QWidget *tbsHomeInfo = nullptr, *tbsCorpInfo = nullptr, *tbsAddition = nullptr;
    std::array<TTntNMDEdit *, 5> edJoint{};
    std::array<QLineEdit *, 5> edNote{};
    QToolButton *sbtnNamePrint = nullptr;
    std::array<QToolButton *, 5> sbtnJointPrint{};
    QCheckBox *ckbHome = nullptr, *ckbCorp = nullptr;
    QLineEdit *edCorp = nullptr;
    QComboBox *cbxDptmnt = nullptr, *cbxPost = nullptr;
    QPushButton *bbtnDptmnt = nullptr, *bbtnPost = nullptr;
    std::array<QComboBox *, 4> cbxHead{};
    std::array<QLineEdit *, 4> edAddition{};
    std::array<QToolButton *, 4> sbtnAdditionPrint{};
    QCheckBox *ckbDefault = nullptr;
    QPushButton *btnChoice = nullptr, *btnClose = nullptr, *bbtnNew = nullptr, *bbtnDelete = nullptr;
    TNameDicLink *m_nameDic = nullptr;

    qint32 m_lastNo = 0;
    bool m_titleChanged = false;
    bool m_modified = false;
    bool m_loading = false;
    bool m_broken = false;
    // Sender.ini could not be read nor moved aside: it is never written over.
    bool m_senderIniBlocked = false;
    // The default sender as the file held it when read or last saved.
    qint32 m_storedDefault = 0;
    bool m_shown = false;
    bool m_checkingTitle = false;
    bool m_settingsSaved = false;
    // The last leaving of a record failed on the table itself (not on
    // anything the user can correct): closing then offers to drop the edit.
    bool m_tableRefused = false;
    int m_additionPrintCount = 0;
    QList<qint32> m_order; // RecNo of every record in table order
};
