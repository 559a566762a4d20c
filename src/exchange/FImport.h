#pragma once

#include "exchange/ImportFields.h"
#include "exchange/ImportFile.h"
#include "exchange/ImportSlots.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class TImportAddressLookup;

// The modal window "テキストファイルの取り込み": the file and the mode, the
// first line of the file as a sample, the assignment of its columns (or of
// constants) to the 61 fields of a record (TImportAssignment), the options,
// and the import itself (TImportRun). It keeps its position and options in
// the section "FILE IMPORT" of the settings file. Closes with Accepted after
// a completed run, so the main list reloads.
class TFileImport : public QDialog
{
    Q_OBJECT

public:
    explicit TFileImport(QWidget *Owner);
    ~TFileImport() override;

    // Loads the sample of a file (the Enter key in the file box and the
    // browse dialog end here); false, with the user told, when refused.
    bool LoadFile(const QString &Path);
    // The Import button.
    void btnImportClick();
    // The assignment commands on the current destination row.
    void SetOrAdd();
    void AddConstant();
    void DeleteSlot();
    void ClearRow();
    void ClearAll();
    void MoveRow(int Delta);
    void AutoAssign();

    [[nodiscard]] const TImportAssignment &Assignment() const { return m_assignment; }
    [[nodiscard]] bool FileLoaded() const { return m_fileLoaded; }
    [[nodiscard]] int CurrentRow() const; // 1..61
    void SetCurrentRow(int Row);
    void SetCurrentSample(int Index);

    // The address completion used by a run; nullptr: the dictionary's.
    static TImportAddressLookup *LookupOverride;

    QRadioButton *rbImportAdd = nullptr;
    QRadioButton *rbImportUpdate = nullptr;
    QLineEdit *edtFile = nullptr;
    QPushButton *bbtnBrowseFile = nullptr;
    QRadioButton *rbRecNo = nullptr;
    QRadioButton *rbCustomCode = nullptr;
    QComboBox *cbxMatchingFileItem = nullptr;
    QTableWidget *sgDest = nullptr;
    QTableWidget *sgSrc = nullptr;
    QPushButton *bbtnSet = nullptr;
    QPushButton *bbtnAdd = nullptr;
    QPushButton *bbtnConst = nullptr;
    QPushButton *bbtnDelete = nullptr;
    QPushButton *bbtnRowClear = nullptr;
    QPushButton *bbtnAllClear = nullptr;
    QPushButton *bbtnUp = nullptr;
    QPushButton *bbtnDown = nullptr;
    QPushButton *bbtnAllSet = nullptr;
    QCheckBox *chkSkipRecord = nullptr;
    QCheckBox *chkNotAutoSupplement = nullptr;
    QCheckBox *chkSetCorp = nullptr;
    QRadioButton *rbAll = nullptr;
    QRadioButton *rbNoName = nullptr;
    QCheckBox *chkPriorityClass = nullptr;
    QProgressBar *pgbarImport = nullptr;
    QPushButton *btnImport = nullptr;
    QPushButton *btnCancel = nullptr;
    QGroupBox *grpFile = nullptr;
    QGroupBox *grpItem = nullptr;
    QGroupBox *grpOption = nullptr;
    QMenu *pmDest = nullptr;
    QAction *pmiSetView = nullptr;
    QAction *pmiRowClear = nullptr;
    QAction *pmiAllClear = nullptr;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void CreateControls();
    void ReadSettings();
    void WriteOptions();
    void WritePosition();
    void ModeChanged();
    void SetCorpChanged();
    void SelectMatchingItem();
    void BrowseFile();
    void EditFileEnter();
    void ShowRow(int Row);
    void UpdateButtons();
    void ShowSetView();
    // The automatic assignment without its question: the skip-first-line
    // option on, the grid and the buttons shown anew.
    void ApplyAutoAssign();
    void Inform(const QString &Text, unsigned Flags);
    void RestoreFileBox();

    TImportFile m_file;
    TImportAssignment m_assignment;
    std::array<TImportField, ImportFieldCount> m_fields;
    QString m_loadedFileName;
    bool m_fileLoaded = false;
};

// Opens the import window over the main list; true after a completed run.
bool ShowFileImport(QWidget *Owner);
// Lets the main list's import command open the window.
void RegisterFileImport();
