#include "exchange/ExportWindow.h"

#include "exchange/ExportWriter.h"
#include "core/Env.h"
#include "core/OwnFiles.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WindowFit.h"
#include "widgets/RangeControls.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

TExportDataBox MakeExportDataBox(
    QWidget *Parent, TRowRange &Range,
    const std::function<QRadioButton *(const char *Name, const QString &Caption, int Tag)> &MakeRadio)
{
    TExportDataBox data;
    data.Box = new QGroupBox(QStringLiteral("出力するデータ"), Parent);
    data.List = MakeRadio("rbList", QStringLiteral("一覧で選択したデータ"), 0);
    data.Range = MakeRadio("rbRange", QStringLiteral("数値で範囲を指定"), 1);
    data.All = MakeRadio("rbAll", QStringLiteral("一覧に表示されているすべてのデータ"), 2);
    auto *dataGroup = new QButtonGroup(Parent);
    for (QRadioButton *button : {data.List, data.Range, data.All})
        dataGroup->addButton(button);
    Range.Create(Parent, Parent, false);
    data.Count = new QLabel(QStringLiteral("000000 件"), Parent);
    data.Count->setObjectName(QStringLiteral("lblDataCount"));
    data.Count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *countRow = new QHBoxLayout;
    countRow->addStretch();
    countRow->addWidget(new QLabel(QStringLiteral("出力対象件数："), Parent));
    countRow->addWidget(data.Count);
    auto *dataColumn = new QVBoxLayout(data.Box);
    dataColumn->addWidget(data.List);
    dataColumn->addWidget(data.Range);
    dataColumn->addLayout(Range.MakeRow());
    dataColumn->addWidget(data.All);
    dataColumn->addLayout(countRow);
    return data;
}

void MoveToStoredPosition(QWidget *Window, const TMemIniFile &Ini, const QString &Section)
{
    Window->adjustSize();
    const QSize screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->geometry().size()
                                                       : QSize(0, 0);
    const int width = ScaleForDpi(Window->frameGeometry().width(), false);
    const int height = ScaleForDpi(Window->frameGeometry().height(), false);
    const int left = Ini.ReadInteger(Section, QStringLiteral("Left"), (ScaleForDpi(screen.width(), false) - width) / 2);
    const int top = Ini.ReadInteger(Section, QStringLiteral("Top"), (ScaleForDpi(screen.height(), false) - height) / 2);
    PlaceWindowFrameAt(Window, QPoint(ScaleForDpi(left, true), ScaleForDpi(top, true)));
}

void StoreWindowPosition(const QWidget *Window, const QString &Section)
{
    TMemIniFile ini(SettingsFileName());
    const QPoint corner = WindowFrameTopLeft(Window);
    ini.WriteInteger(Section, QStringLiteral("Left"), ScaleForDpi(corner.x(), false));
    ini.WriteInteger(Section, QStringLiteral("Top"), ScaleForDpi(corner.y(), false));
    ini.UpdateFileOrTellOnce();
}

QString AskExportSaveName(QWidget *Owner, const QString &Path, const QStringList &Filters, int &FilterIndex)
{
    QFileDialog dialog(Owner, QString(), Path);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(Filters);
    dialog.selectFile(Path);
    dialog.move(Owner->frameGeometry().topLeft() + QPoint(15, 15));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    FilterIndex = int(Filters.indexOf(dialog.selectedNameFilter())) + 1;
    return dialog.selectedFiles().first();
}

std::optional<QString> AskExportTarget(QString Path, const TExportTargetAsk &Ask)
{
    bool openDialog = true;
    if (!Path.isEmpty() && QFileInfo(Path).absoluteDir().exists()) {
        const int answer = Ask.Inform(Path + QStringLiteral("  \r\nへ出力します  \r\n\r\n出力先を変更しますか？  "),
                                      MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
        if (answer == IDCANCEL)
            return std::nullopt;
        openDialog = answer == IDYES;
    } else if (!Path.isEmpty()) {
        Path = QDir(DataPath).filePath(QFileInfo(Path).fileName());
    }
    if (openDialog) {
        const QString start = QFileInfo(Path).isFile() ? Path : QDir(DataPath).filePath(Ask.DefaultName);
        const QString chosen = Ask.AskName(start);
        if (chosen.isEmpty())
            return std::nullopt;
        Path = chosen;
    }
    // Nothing is made or put back beside a file the program keeps.
    if (const QString refusal = ProgramFileRefusal(Path); !refusal.isEmpty()) {
        Ask.Inform(refusal, MB_ICONERROR);
        return std::nullopt;
    }
    // Nor asked about what would wait on it (a named pipe) or never hold it.
    if (IsNonRegularExportTarget(Path)) {
        Ask.Inform(NonRegularExportTargetMessage(Path), MB_ICONERROR);
        return std::nullopt;
    }
    const QString folder = QFileInfo(Path).absolutePath();
    if (!QFileInfo(folder).isDir() && !Folders::makePrivatePath(folder)) {
        Ask.Inform(QStringLiteral("フォルダーが作成できませんでした  "), MB_ICONERROR);
        return std::nullopt;
    }
    // The old file of a save killed half-way is back before the question
    // whether to append to it.
    RecoverSafeReplace(Path);
    if (IsReadOnlyExportTarget(Path)) {
        Ask.Inform(ReadOnlyExportTargetMessage(Path), MB_ICONERROR);
        return std::nullopt;
    }
    return Path;
}
