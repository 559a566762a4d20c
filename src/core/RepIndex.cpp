#include "core/RepIndex.h"

#include "core/AdrsSel.h"
#include "core/BkupDat.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/WaitCursor.h"
#include "widgets/CheckedCaption.h"
#include "widgets/TntComCtrls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Caption = QStringLiteral("ピルカノス2014");

} // namespace

QString TExclusiveUse::ReopenError;

TExclusiveUse::TExclusiveUse(TTable &table) : m_table(table)
{
    ReopenError.clear();
    m_table.Close();
    m_table.SetExclusive(true);
    try {
        m_table.Open();
    } catch (...) {
        m_table.SetExclusive(false);
        try {
            m_table.Open();
        } catch (const ETableError &e) {
            ReopenError = e.Message();
        }
        throw;
    }
}

TExclusiveUse::~TExclusiveUse()
{
    m_table.Close();
    m_table.SetExclusive(false);
    try {
        m_table.Open();
    } catch (const ETableError &e) {
        ReopenError = e.Message();
    }
}

bool RegenerateAndCheck(TTable &table, QString *error)
{
    try {
        table.RegenerateIndexes();
        const QString findings = table.IntegrityCheck();
        if (findings != QStringLiteral("ok")) {
            *error = QStringLiteral("ファイル %1 は索引を作り直しても壊れたままです  \r\n%2").arg(table.TableName(), findings);
            return false;
        }
    } catch (const ETableError &e) {
        *error = e.Message();
        return false;
    }
    return true;
}

bool RepairIndexes(const TRepairRequest &request, bool *openBookRepaired, QString *error)
{
    *openBookRepaired = false;
    const bool withBook = request.Book >= 0 && request.Book < AdrsFolderList.size();
    TBackupBook book;
    if (withBook)
        book = {AdrsFolderList[request.Book].Name, AdrsFolderList[request.Book].Folder};
    QString why;
    if (!MakeSafetyCopy(QStringLiteral("backup.rep/"), book, withBook, request.Sender, &why)) {
        *error = QStringLiteral("データの控えを作成できなかったため、修復を中止しました  \r\n") + why;
        return false;
    }
    if (withBook) {
        if (request.Book == AdrsFolderIndex && DMMurven19->AdrsTable() && DMMurven19->AdrsTable()->Active()) {
            bool ok = false;
            try {
                TExclusiveUse exclusive(*DMMurven19->AdrsTable());
                ok = RegenerateAndCheck(*DMMurven19->AdrsTable(), &why);
            } catch (const ETableError &e) {
                why = e.Message();
            }
            *openBookRepaired = true;
            if (!TExclusiveUse::ReopenError.isEmpty())
                why += (why.isEmpty() ? QString() : QStringLiteral("\r\n")) + TExclusiveUse::ReopenError;
            if (!ok || !TExclusiveUse::ReopenError.isEmpty()) {
                *error = QStringLiteral("アドレス帳データのインデックスを修復できませんでした  \r\n") + why;
                return false;
            }
        } else {
            if (!DMMurven19->OpenAdrsSub(book.Folder)) {
                *error = QStringLiteral("アドレス帳ファイル（サブ）がオープンできませんでした  ");
                return false;
            }
            const bool ok = RegenerateAndCheck(*DMMurven19->AdrsSubTable(), &why);
            DMMurven19->CloseAdrsSub();
            if (!ok) {
                *error = QStringLiteral("アドレス帳データのインデックスを修復できませんでした  \r\n") + why;
                return false;
            }
        }
    }
    if (request.Sender) {
        if (!DMMurven19->OpenSenderSub()) {
            *error = QStringLiteral("差出人ファイル（サブ）がオープンできませんでした  ");
            return false;
        }
        const bool ok = RegenerateAndCheck(*DMMurven19->SenderSubTable(), &why);
        DMMurven19->CloseSenderSub();
        if (!ok) {
            *error = QStringLiteral("差出人データのインデックスを修復できませんでした  \r\n") + why;
            return false;
        }
    }
    return true;
}

TRepairIndex::TRepairIndex(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("インデックス修復"));
    setProperty("HelpContext", 40);
    auto *layout = new QVBoxLayout(this);
    chkAdrs = new QCheckBox(QStringLiteral("アドレス帳データ："), this);
    chkAdrs->setObjectName(QStringLiteral("chkAdrs"));
    chkAdrs->setChecked(true);
    layout->addWidget(chkAdrs);
    lvAdrs = CreateBookListView(this, 260);
    layout->addWidget(lvAdrs);
    chkSender = new QCheckBox(QStringLiteral("差出人データ"), this);
    chkSender->setObjectName(QStringLiteral("chkSender"));
    chkSender->setChecked(true);
    layout->addWidget(chkSender);
    btnRepair = AddMaintenanceButtons(this, layout, "btnRepair", QStringLiteral("修復"), btnClose);

    TTntListItems &items = lvAdrs->Items();
    for (int i = 0; i < AdrsFolderList.size(); ++i) {
        if (AdrsFolderList[i].State == AdrsStateDeleted)
            continue;
        TTntListItem *item = items.Add();
        item->SetCaption(AdrsFolderList[i].Name);
        m_rowBooks << i;
        if (i == AdrsFolderIndex) {
            lvAdrs->SetSelected(item);
            lvAdrs->SetItemFocused(item);
        }
    }
    connect(chkAdrs, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    connect(chkSender, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    connect(btnRepair, &QPushButton::clicked, this, [this] { btnRepairClick(); });
    UpdateControls();
}

void TRepairIndex::UpdateControls()
{
    PaintCheckedCaption(chkAdrs);
    PaintCheckedCaption(chkSender);
    lvAdrs->setEnabled(chkAdrs->isChecked());
    QPalette palette = lvAdrs->palette();
    palette.setColor(QPalette::Base, chkAdrs->isChecked() ? QApplication::palette().color(QPalette::Base)
                                                          : QApplication::palette().color(QPalette::Button));
    lvAdrs->setPalette(palette);
    btnRepair->setEnabled(chkAdrs->isChecked() || chkSender->isChecked());
}

void TRepairIndex::btnRepairClick()
{
    TRepairRequest request;
    request.Sender = chkSender->isChecked();
    if (chkAdrs->isChecked()) {
        const TTntListItem *item = lvAdrs->GetSelected();
        if (!item) {
            ShowMessageBoxAt(this, QStringLiteral("修復するアドレス帳を選択してください  "), Caption, 64, 0, 0, 0);
            lvAdrs->setFocus();
            return;
        }
        request.Book = m_rowBooks.value(lvAdrs->Items().IndexOf(item), -1);
    }
    if (ShowMessageBoxAt(this, QStringLiteral("選択したデータのインデックスを修復します  \r\nよろしいですか？  "), Caption,
                         292, 0, 0, 0) != IDYES)
        return;
    if (CloseChildWindows && !CloseChildWindows())
        return;
    repaint();
    QString error;
    bool ok = false;
    {
        TWaitCursor wait;
        ok = RepairIndexes(request, &Repaired, &error);
    }
    if (!ok) {
        ShowMessageBoxAt(this, error, Caption, 0x10, 0, 0, 0);
        if (Repaired)
            accept(); // the open book was reopened: the list must read it again
        return;
    }
    ShowMessageBoxAt(this, QStringLiteral("修復が完了しました  "), Caption, 64, 0, 0, 0);
    accept();
}
