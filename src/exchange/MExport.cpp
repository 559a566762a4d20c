#include "exchange/MExport.h"

#include "core/AppSub.h"
#include "platform/Cp932.h"
#include "platform/Table.h"

#include <QFile>

namespace {

class TNoMapProgram : public TMarkWriter
{
public:
    bool Available(QString *Reason) const override
    {
        if (Reason)
            *Reason = QStringLiteral("地図ソフトがインストールされていません  \r\nマークファイルを出力できません  ");
        return false;
    }
    bool AddMarkToFile(const QString &, const TMarkEntry &) override { return false; }
};

} // namespace

QList<TMarkEntry> CollectMarkRows(TTable &Table, const TRunRecords &Records)
{
    QList<TMarkEntry> marks;
    for (const TRunRecord &record : Records) {
        if (!FindRunRecord(Table, record.RecNo))
            continue;
        const qint32 latitude = Table.FieldByName(QStringLiteral("Latitude")).AsInteger();
        const qint32 longitude = Table.FieldByName(QStringLiteral("Longitude")).AsInteger();
        if (latitude <= 0 || longitude <= 0)
            continue;
        const QByteArray name =
            Table.FieldByName(QStringLiteral("PrivCorp")).AsBoolean()
                ? Cp932::encode(DecodeUnicodeField(Table.FieldByName(QStringLiteral("NameKanji")).AsBytesView()))
                : Table.FieldByName(QStringLiteral("CorpKanji")).AsBytes();
        marks << TMarkEntry{name, latitude, longitude};
    }
    return marks;
}

std::unique_ptr<TMarkWriter> CreateMarkWriter()
{
    return std::make_unique<TNoMapProgram>();
}

QString MarkNothingMessage(int DataSelect)
{
    const QString where = DataSelect == 1   ? QStringLiteral("指定した範囲のデータの中には  ")
                          : DataSelect == 2 ? QStringLiteral("一覧に表示されているデータの中には  ")
                                            : QStringLiteral("一覧で選択したデータの中には  ");
    return where + QStringLiteral("\r\n地図情報を持つデータがありませんでした  ");
}

QString MarkQuestion(int Count)
{
    return QStringLiteral("地図情報を持つ %1 件のデータを  \r\nマークファイルとして出力します  \r\nよろしいですか？  ")
        .arg(Count);
}

QString MarkDoneMessage(int OutputCount, int Written)
{
    return QStringLiteral("マークファイルの出力が完了しました  \r\n\r\n対象件数 : %1 件  \r\n出力件数 : %2 件  ")
        .arg(OutputCount)
        .arg(Written);
}

TMarkRunResult WriteMarks(TMarkWriter &Writer, const QString &File, bool Overwrite, const QList<TMarkEntry> &Marks,
                          const std::function<void()> &Progress)
{
    TMarkRunResult result;
    if (!Writer.Available(&result.Failure))
        return result;
    if (Overwrite && QFile::exists(File) && !QFile::remove(File)) {
        result.Failure = QStringLiteral("既にあるファイルを削除できませんでした  \r\n") + File;
        return result;
    }
    for (const TMarkEntry &mark : Marks) {
        if (Writer.AddMarkToFile(File, mark))
            ++result.Written;
        if (Progress)
            Progress();
    }
    return result;
}
