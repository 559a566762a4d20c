#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QGroupBox;
class QLabel;
class QRadioButton;
class QWidget;
class TMemIniFile;
class TRowRange;

// What the export windows share: the box of the rows to write, the window
// position kept in their settings section, the save dialog and the way the
// target file is asked.

// The box "出力するデータ": rbList, rbRange (with the range controls of Range,
// built on Parent with Parent filtering their keys) and rbAll, one group,
// and the count "出力対象件数：" in lblDataCount. MakeRadio builds each
// radio button with its name, caption and data-select tag.
struct TExportDataBox {
    QGroupBox *Box = nullptr;
    QRadioButton *List = nullptr;
    QRadioButton *Range = nullptr;
    QRadioButton *All = nullptr;
    QLabel *Count = nullptr;
};
[[nodiscard]] TExportDataBox MakeExportDataBox(
    QWidget *Parent, TRowRange &Range,
    const std::function<QRadioButton *(const char *Name, const QString &Caption, int Tag)> &MakeRadio);

// Lays Window out and moves it to Left/Top of Section (design units),
// centred on the screen when none is stored.
void MoveToStoredPosition(QWidget *Window, const TMemIniFile &Ini, const QString &Section);
// Keeps Window's position in Section for the next time.
void StoreWindowPosition(const QWidget *Window, const QString &Section);

// The save dialog over Owner, not asking about an existing file (the
// export asks itself): the chosen name (empty: cancelled) and the 1-based
// filter entry chosen.
[[nodiscard]] QString AskExportSaveName(QWidget *Owner, const QString &Path, const QStringList &Filters,
                                        int &FilterIndex);

// The asking of an export window before it writes Path, its stored target:
// whether the stored target stays (or the dialog opens: AskName, given the
// start path, gives the completed name, empty when cancelled; DefaultName
// is the start in the data folder), then the folder is made and a read-only
// target refused. Inform shows the window's messages. nullopt: cancelled or
// refused (the user has been told). Whether an existing file is overwritten
// is the caller's question.
struct TExportTargetAsk {
    std::function<int(const QString &Text, unsigned Flags)> Inform;
    std::function<QString(const QString &Start)> AskName;
    QString DefaultName;
};
[[nodiscard]] std::optional<QString> AskExportTarget(QString Path, const TExportTargetAsk &Ask);
