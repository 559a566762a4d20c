#include "core/ConvKykbn.h"

#include "core/AdrsSel.h"
#include "core/AppSub.h"
#include "core/BkupDat.h"
#include "core/DBInfo.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "widgets/RecordRun.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Caption = QStringLiteral("ピルカノス2014");

} // namespace

QString ConvertTelRuleA(const QString &Tel)
{
    const qsizetype n = Tel.size();
    if (n < 4 || n > 10)
        return Tel;
    const QStringView head = QStringView(Tel).left(3);
    for (const char *old : {"010", "020", "030", "040", "080"}) {
        if (head == QLatin1String(old))
            return QStringLiteral("090") + Tel.at(1) + Tel.mid(3);
    }
    if (head == QLatin1String("050") || head == QLatin1String("060"))
        return QStringLiteral("070") + Tel.at(1) + Tel.mid(3);
    if (Tel.startsWith(QLatin1String("06")) && n < 10)
        return QStringLiteral("066") + Tel.mid(2);
    return Tel;
}

QString ConvertTelRuleB(const QString &Tel, const QDate &Today)
{
    if (Today >= QDate(2000, 1, 1) && Tel.size() >= 5 && Tel.startsWith(QLatin1String("0720")))
        return QStringLiteral("0728") + Tel.mid(4);
    return Tel;
}

QString ConvertOldTel(const QString &Tel, const QDate &Today)
{
    const QString trimmed = Tel.trimmed();
    if (trimmed.isEmpty() || !trimmed.startsWith(QLatin1Char('0')))
        return trimmed;
    return ConvertTelRuleB(ConvertTelRuleA(trimmed), Today).trimmed();
}

bool ConvertRecords(QWidget *Owner, TTable &Table, const QString &Label, const std::function<bool(TTable &)> &Change,
                    TConversionCounts &Counts, QString *Error)
{
    const TRunRecords records = TakeTableRecords(Table);
    if (records.isEmpty())
        return true;
    TRecordRun run(Owner, Table, Label, int(records.size()));
    if (!run.Begin(Error))
        return false;
    int converted = 0;
    for (const TRunRecord &record : records) {
        const bool written = run.Record([&] {
            if (!FindRunRecord(Table, record.RecNo))
                return false;
            Table.Edit();
            if (!Change(Table)) {
                Table.Cancel();
                return false;
            }
            try {
                Table.Post();
            } catch (const ETableError &) {
                Table.Cancel();
                return false;
            }
            return true;
        });
        if (written)
            ++converted;
        if (!run.Next())
            break;
    }
    Counts.Cancelled = Counts.Cancelled || run.Cancelled();
    if (!run.Commit(Error))
        return false;
    Counts.Processed += run.Done();
    Counts.Converted += converted;
    return true;
}

bool ConvertAreaCodes(QWidget *Owner, TConversionCounts &Counts, QString *Error)
{
    if (!DMMurven19 || AdrsFolderIndex < 0 || AdrsFolderIndex >= AdrsFolderList.size() || !DMMurven19->AdrsTable()) {
        *Error = QStringLiteral("アドレス帳が開かれていません");
        return false;
    }
    const TAdrsFolderInfo &info = AdrsFolderList[AdrsFolderIndex];
    QString why;
    if (!MakeSafetyCopy(QStringLiteral("backup.kyk/"), {info.Name, info.Folder}, true, true, &why)) {
        *Error = QStringLiteral("データの控えを作成できなかったため、局番変換を中止しました  \r\n") + why;
        return false;
    }
    const QDate today = QDate::currentDate();
    auto convertFields = [today](TTable &t, const QStringList &fields) {
        bool changed = false;
        for (const QString &name : fields) {
            TField &f = t.FieldByName(name);
            const QString old = f.AsString().trimmed();
            const QString now = ConvertOldTel(old, today);
            if (now != old) {
                f.SetAsString(now);
                changed = true;
            }
        }
        return changed;
    };
    const QStringList adrsFields = {QStringLiteral("Tel"), QStringLiteral("Fax"), QStringLiteral("Portable1"),
                                    QStringLiteral("Portable2")};
    if (!DMMurven19->OpenAdrs()) {
        *Error = QStringLiteral("アドレス帳ファイルがオープンできませんでした  ");
        return false;
    }
    bool ok = ConvertRecords(Owner, *DMMurven19->AdrsTable(), QStringLiteral("局番変換"), [&](TTable &t) {
        if (!convertFields(t, adrsFields))
            return false;
        t.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(CurrentTimeStamp());
        return true;
    }, Counts, Error);
    DMMurven19->CloseAdrs();
    if (!ok)
        return false;
    if (Counts.Cancelled)
        return true; // stopped by the user: the sender records stay as they are
    if (!DMMurven19->SenderTable() || !DMMurven19->EnsureSenderTableFile() || !DMMurven19->OpenSender())
        return true; // no sender records to convert
    ok = ConvertRecords(Owner, *DMMurven19->SenderTable(), QStringLiteral("局番変換"), [&](TTable &t) {
        return convertFields(t, {QStringLiteral("Tel"), QStringLiteral("Fax")});
    }, Counts, Error);
    DMMurven19->CloseSender();
    return ok;
}

QString ConversionReport(const QString &Done, const TConversionCounts &Counts)
{
    return Done + QStringLiteral("  \r\n\r\n  処理件数 = ") + QString::number(Counts.Processed) + QStringLiteral(" 件  ") +
           QStringLiteral("\r\n") + QStringLiteral("  変換件数 = ") + QString::number(Counts.Converted) +
           QStringLiteral(" 件  ");
}

TConvertKykbn::TConvertKykbn(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("局番変換"));
    setProperty("HelpContext", 41);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("アドレス帳と差出人の電話番号・FAX番号・携帯番号の古い局番を新しい局番に変換します。\n"
                                                "変換の前に、データの控えを backup.kyk フォルダーに作成します。"),
                                 this));
    btnConvert = AddMaintenanceButtons(this, layout, "btnConvert", QStringLiteral("変換"), btnClose);
    connect(btnConvert, &QPushButton::clicked, this, [this] { btnConvertClick(); });
}

void TConvertKykbn::btnConvertClick()
{
    if (ShowMessageBoxAt(this, QStringLiteral("アドレス帳に登録してあるデータの局番変換を行います  \r\nよろしいですか？  "),
                         Caption, 292, 0, 0, 0) != IDYES)
        return;
    if (CloseChildWindows && !CloseChildWindows())
        return;
    repaint();
    TConversionCounts counts;
    QString error;
    if (!ConvertAreaCodes(this, counts, &error)) {
        ShowMessageBoxAt(this, error, Caption, 0x10, 0, 0, 0);
        return;
    }
    ShowMessageBoxAt(this,
                     ConversionReport(counts.Cancelled ? QStringLiteral("局番変換を中止しました")
                                                       : QStringLiteral("局番変換が完了しました"),
                                      counts),
                     Caption, 64, 0, 0, 0);
    accept();
}
