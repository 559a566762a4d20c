#include "core/OptData.h"

#include "core/AdrsSel.h"
#include "core/BkupDat.h"
#include "core/DBInfo.h"
#include "util/MsgBoxPos.h"
#include "util/WaitCursor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Caption = QStringLiteral("ピルカノス2014");

} // namespace

bool OptimizeTables(QString *error)
{
    if (!DMMurven19 || AdrsFolderIndex < 0 || AdrsFolderIndex >= AdrsFolderList.size()) {
        *error = QStringLiteral("アドレス帳が開かれていません");
        return false;
    }
    const TAdrsFolderInfo &info = AdrsFolderList[AdrsFolderIndex];
    QString why;
    if (!MakeSafetyCopy(QStringLiteral("backup.opt/"), {info.Name, info.Folder}, true, true, &why)) {
        *error = QStringLiteral("データの控えを作成できなかったため、最適化を中止しました  \r\n") + why;
        return false;
    }
    try {
        if (!DMMurven19->OpenAdrs()) {
            *error = QStringLiteral("アドレス帳ファイルがオープンできませんでした  ");
            return false;
        }
        struct Closer
        {
            ~Closer() { DMMurven19->CloseAdrs(); }
        } closeAdrs;
        DMMurven19->AdrsTable()->Pack();
    } catch (const ETableError &e) {
        *error = QStringLiteral("アドレス帳データの最適化に失敗しました  \r\n") + e.Message();
        return false;
    }
    // No sender table yet: nothing to pack.
    if (!DMMurven19->SenderTable() || !DMMurven19->EnsureSenderTableFile())
        return true;
    if (!DMMurven19->OpenSender()) {
        *error = QStringLiteral("差出人ファイルがオープンできませんでした  ");
        return false;
    }
    try {
        DMMurven19->SenderTable()->Pack();
    } catch (const ETableError &e) {
        DMMurven19->CloseSender();
        *error = QStringLiteral("差出人データの最適化に失敗しました  \r\n") + e.Message();
        return false;
    }
    DMMurven19->CloseSender();
    return true;
}

TOptimizeData::TOptimizeData(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("データの最適化"));
    setProperty("HelpContext", 40);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("アドレス帳データと差出人データを最適化します。\n"
                                            "最適化の前に、データの控えを backup.opt フォルダーに作成します。"),
                             this);
    label->setObjectName(QStringLiteral("lblMessage"));
    layout->addWidget(label);
    btnOptimize = AddMaintenanceButtons(this, layout, "btnOptimize", QStringLiteral("最適化"), btnClose);
    connect(btnOptimize, &QPushButton::clicked, this, [this] { btnOptimizeClick(); });
}

void TOptimizeData::btnOptimizeClick()
{
    if (ShowMessageBoxAt(this, QStringLiteral("データの最適化を行います  \r\nよろしいですか？  "), Caption, 292, 0, 0, 0) !=
        IDYES)
        return;
    if (CloseChildWindows && !CloseChildWindows())
        return;
    repaint();
    QString error;
    bool ok = false;
    {
        TWaitCursor wait;
        ok = OptimizeTables(&error);
    }
    if (!ok) {
        ShowMessageBoxAt(this, error, Caption, 0x10, 0, 0, 0);
        return;
    }
    ShowMessageBoxAt(this, QStringLiteral("最適化が完了しました  "), Caption, 64, 0, 0, 0);
    accept();
}
