#pragma once

#include "exchange/ExportWriter.h"
#include "widgets/RangeControls.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QToolButton;

// The window "テキストファイルの出力": the user composes the output columns
// from the export item catalogue (TExportLayout), chooses the rows of the
// main list (selected rows, a numbered range, or every shown row) and the
// options, and writes a comma-separated Shift-JIS text file.
//
// Non-modal and single: ShowFileExport creates it once (a top-level window
// owned by the main list) and FileExport points to it until it closes and
// frees itself. The main list calls UpdateDataRange after every rebuild of
// its rows and UpdateKeywordNames after the keyword captions changed.
//
// A run takes the records of the chosen rows before it starts, reads them in
// one pass inside one transaction with progress, builds the file in memory
// and puts it in place through a safe replace: a failed write leaves the
// target as it was and is reported, never the completion message.
class TFileExport : public QWidget
{
    Q_OBJECT

public:
    explicit TFileExport(QWidget *Owner = nullptr);
    ~TFileExport() override;

    Q_INVOKABLE void UpdateDataRange();
    Q_INVOKABLE void UpdateKeywordNames();

    // The layout commands on the selected rows of the two grids.
    void SetItem();
    void JoinItem();
    void SetAllItems();
    void DeleteItem();
    void DeleteAllItems();
    void MoveUp();
    void MoveDown();
    // 設定保存
    void SaveExportSettings() const;
    // 出力
    void btnExportClick();

    [[nodiscard]] const TExportLayout &Layout() const { return m_layout; }
    [[nodiscard]] int OutputCount() const { return m_outputCount; }
    [[nodiscard]] int DataSelect() const { return m_dataSelect; }
    [[nodiscard]] int BeginPos() const { return m_range.BeginPos(); }
    [[nodiscard]] int EndPos() const { return m_range.EndPos(); }
    [[nodiscard]] QString FileNormal() const { return m_fileNormal; }
    [[nodiscard]] int LastWritten() const { return m_lastWritten; }

    // The save-file dialog: given the start path, gives the chosen name
    // (empty: cancelled) and the 1-based filter entry. Tests set it.
    static std::function<QString(const QString &StartPath, int &FilterIndex)> SaveDialogOverride;
    // The encrypted output can be chosen (the archive writer is built in).
    static bool EncryptedOutputAvailable;
    // Asks the archive's password (empty: cancelled); tests set it.
    static std::function<QString(QWidget *Owner)> PasswordOverride;
    [[nodiscard]] QString FileEncrypt() const { return m_fileEncrypt; }

    QTableWidget *sgDest = nullptr;
    QTableWidget *sgSrc = nullptr;
    QPushButton *bbtnSet = nullptr;
    QPushButton *bbtnAdd = nullptr;
    QPushButton *bbtnAllSet = nullptr;
    QPushButton *bbtnDelete = nullptr;
    QPushButton *bbtnAllDelete = nullptr;
    QPushButton *bbtnUp = nullptr;
    QPushButton *bbtnDown = nullptr;
    QRadioButton *rbList = nullptr;
    QRadioButton *rbRange = nullptr;
    QRadioButton *rbAll = nullptr;
    QLineEdit *edtRangeBegin = nullptr;
    QLineEdit *edtRangeEnd = nullptr;
    QLabel *lblDataCount = nullptr;
    QCheckBox *chkOutHeader = nullptr;
    QCheckBox *chkBindDblQuote = nullptr;
    QCheckBox *chkEditHyphen = nullptr;
    QCheckBox *chkEditTel = nullptr;
    QCheckBox *chkEditFax = nullptr;
    QCheckBox *chkEditPos = nullptr;
    QCheckBox *chkEditPortable1 = nullptr;
    QCheckBox *chkEditPortable2 = nullptr;
    QRadioButton *rbEncrypt = nullptr;
    QRadioButton *rbNormal = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnExport = nullptr;
    QPushButton *btnClose = nullptr;
    QProgressBar *pgbarExport = nullptr;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void CreateControls();
    void LoadSettings();
    void SavePosition() const;
    void FillLayoutGrid(int SelectRow);
    void UpdateButtons();
    void UpdateMoveButtons();
    void UpdateCaptionColours();
    void DataSelectClick(int Tag);
    void CalcOutputCount();
    [[nodiscard]] int DestRow() const;
    [[nodiscard]] int SrcRow() const;
    [[nodiscard]] bool RefuseFull();
    // 0 new or overwritten file, 1 append, 9 cancelled.
    [[nodiscard]] int ChooseTextTarget();
    // 0 chosen, 9 cancelled.
    [[nodiscard]] int ChooseEncryptedTarget();
    [[nodiscard]] QString AskSaveName(const QString &Path, const QStringList &Filters, int &FilterIndex);
    [[nodiscard]] TExportContext Context() const;
    int Inform(const QString &Text, unsigned Flags);

    QList<QAbstractButton *> m_options;
    TExportLayout m_layout;
    QString m_fileNormal;
    QString m_fileEncrypt;
    int m_outputCount = 0;
    TRowRange m_range;
    int m_dataSelect = -1;
    int m_type = 1;
    int m_lastWritten = 0;
};

// The export window while it exists, else nullptr.
extern TFileExport *FileExport;

// The export command of the main list: creates the window once (Owner: the
// main list) and shows it, or brings it back to the normal state.
TFileExport *ShowFileExport(QWidget *Owner);
// Lets the main list's export command open the window.
void RegisterFileExport();
