#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QLabel;
class QPushButton;
class TTntEdit;

// The group names of the open book: [0] is always "指定なし" (no group),
// [1..10] the book's own names, each at most 20 CP932 bytes.
constexpr int GroupCount = 10;
constexpr int MaxGroupNameBytes = 20;
extern std::array<QString, GroupCount + 1> GroupNames;

// A book's group file: AdrsPath + folder + "/Group.dat", INI text, section
// GROUP, keys Group1..Group10.
[[nodiscard]] QString GroupFileName(const QString &folder);
// The default name of group i (1..10): "グループ" and i in full-width digits.
[[nodiscard]] QString DefaultGroupName(int index);
using TGroupNameList = std::array<QString, GroupCount + 1>;
// The names the book in `folder` holds now ([0] "指定なし"); missing keys
// give the default names, longer names are cut to 20 bytes at a character
// boundary.
[[nodiscard]] TGroupNameList ReadGroupNames(const QString &folder);
// Fills GroupNames from the book in `folder` (ReadGroupNames).
void LoadGroupNames(const QString &folder);
// Saves one writer's changes to the names of the book in `folder` while
// another program (a second window on the book) may have changed others
// since the writer read them: Group.dat is read again just before it is
// written, and only the places where Names differ from Base (the names the
// writer started from) take Names; every other place keeps what the file
// holds now. No name is lost: when a place the writer changed was changed
// to another name meanwhile, or the result would give two places one name,
// nothing is written and Conflict is the place (1..10), error the reason.
// On success Names is what the book now holds. False with the reason, and
// Conflict 0, when the file could not be written.
// The read, the merge and the write are one step under the file's lock
// (TFileLock): two programs saving at the same moment take turns, and each
// merges over what the other wrote. A save waits GroupFileWaitMs at most for
// the other's to end.
extern int GroupFileWaitMs;
[[nodiscard]] bool SaveGroupNameChanges(const QString &folder, const TGroupNameList &Base, TGroupNameList &Names,
                                        int *Conflict, QString *error);

// The group-name editor of the open book: ten edits; OK refuses empty and
// repeated names, "指定なし" (the name of no group) and names holding a
// comma or a double quote (which an exported file cannot carry unquoted), stores the names in Group.dat and GroupNames and sets
// Changed when any name differs from before. When Group.dat cannot be
// written the failure is shown, GroupNames stay as they were and the dialog
// stays open with the names typed.
class TGruopEdit : public QDialog
{
    Q_OBJECT

public:
    explicit TGruopEdit(QWidget *parent = nullptr);
    ~TGruopEdit() override;

    bool Changed = false;
    int HelpContext = 34;

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *lblMsg = nullptr;
    std::array<QLabel *, GroupCount> m_labels{};
    std::array<TTntEdit *, GroupCount> m_edits{};
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    // The names the edits started from: what this dialog changed is what
    // differs from them.
    TGroupNameList m_base;
};
