#include "exchange/ImportRun.h"

#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/HisInfo.h"
#include "core/Inquiry.h"
#include "exchange/ImportFile.h"
#include "exchange/ImportSlots.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/Table.h"
#include "platform/TextLines.h"
#include "widgets/RecordRun.h"

#include <QDir>
#include <QFileInfo>

int TImportRun::RecordLimit = 100000;

QString ImportReasonText(int Reason)
{
    switch (Reason) {
    case irsFieldCount: return QStringLiteral("１件目と項目数が不一致");
    case irsEncoding: return QStringLiteral("文字コード不正");
    case irsBadCustomCode:
    case irsBadCustomCodeUpd: return QStringLiteral("顧客コードに使用不可な文字が含まれていた");
    case irsCustomCodeTaken:
    case irsCustomCodeTakenUpd: return QStringLiteral("同じ顧客コードのデータが登録済み");
    case irsAddFailed: return QStringLiteral("アドレス帳登録失敗");
    case irsNoChange: return QStringLiteral("内容が同じなので更新の必要が無い");
    case irsNoMatch: return QStringLiteral("突き合わす項目と一致するデータが無い");
    case irsUpdateFailed: return QStringLiteral("アドレス帳更新失敗");
    default: return QStringLiteral("その他のエラー");
    }
}

void TImportErrorLog::Write(int LineNumber, int Reason, const QByteArray &Line)
{
    Write(LineNumber, ImportReasonText(Reason), Line);
}

void TImportErrorLog::Write(int LineNumber, const QString &ReasonText, const QByteArray &Line)
{
    m_bytes += QByteArray::number(LineNumber) + ',' + Cp932::encode(ReasonText) + ',' + Line + "\r\n";
    ++m_count;
}

bool TImportErrorLog::Save(QString *Error) const
{
    if (m_count == 0)
        return true;
    QString reason;
    if (!SafeReplaceFile(m_path, m_bytes, &reason)) {
        if (Error)
            *Error = QStringLiteral("%1 に書き込めませんでした（%2）").arg(QDir::toNativeSeparators(m_path), reason);
        return false;
    }
    return true;
}

bool BackupBookForImport(const QString &BookFolderPath, const QString &BackupFolderPath, QString *Error)
{
    static const char *const kFamily[] = {
        "Adrs.DB",  "Adrs.MB",  "Adrs.PX",  "Adrs.X02", "Adrs.X03", "Adrs.X04", "Adrs.X06", "Adrs.X08",
        "Adrs.X09", "Adrs.X0A", "Adrs.XG0", "Adrs.XG1", "Adrs.XG2", "Adrs.XG3", "Adrs.XG4", "Adrs.XG5",
        "Adrs.XG6", "Adrs.XG7", "Adrs.XG8", "Adrs.XG9", "Adrs.XGA", "Adrs.XGB", "Adrs.Y02", "Adrs.Y03",
        "Adrs.Y04", "Adrs.Y06", "Adrs.Y08", "Adrs.Y09", "Adrs.Y0A", "Adrs.YG0", "Adrs.YG1", "Adrs.YG2",
        "Adrs.YG3", "Adrs.YG4", "Adrs.YG5", "Adrs.YG6", "Adrs.YG7", "Adrs.YG8", "Adrs.YG9", "Adrs.YGA",
        "Adrs.YGB",
    };
    auto fail = [&](const QString &text) {
        if (Error)
            *Error = text;
        return false;
    };
    // The new copy is made beside the previous one and only takes its place
    // once complete: a failed or killed copy must leave the last good backup
    // whole, and no file of an older copy may stay mixed into the new one.
    // A book name never holds ';', so these names cannot be another book's copy.
    const QString target = QDir::cleanPath(BackupFolderPath);
    const QString building = target + QStringLiteral(";new");
    const QString previous = target + QStringLiteral(";old");
    if (!QFileInfo::exists(target) && QFileInfo::exists(previous) && !QDir().rename(previous, target))
        return fail(QStringLiteral("%1 を戻せませんでした").arg(QDir::toNativeSeparators(previous)));
    if (QFileInfo::exists(building) && !QDir(building).removeRecursively())
        return fail(QStringLiteral("%1 を削除できませんでした").arg(QDir::toNativeSeparators(building)));
    if (!QDir().mkpath(building))
        return fail(QStringLiteral("フォルダー %1 を作成できませんでした").arg(QDir::toNativeSeparators(building)));
    const QDir source(BookFolderPath);
    bool tableCopied = false;
    for (const char *name : kFamily) {
        const QString from = source.filePath(QLatin1String(name));
        if (!QFileInfo::exists(from))
            continue;
        QFile in(from);
        if (!in.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("%1 を読み出せませんでした（%2）").arg(QDir::toNativeSeparators(from), in.errorString()));
        const QByteArray bytes = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return fail(QStringLiteral("%1 を読み出せませんでした（%2）").arg(QDir::toNativeSeparators(from), in.errorString()));
        QString reason;
        const QString to = QDir(building).filePath(QLatin1String(name));
        if (!SafeReplaceFile(to, bytes, &reason))
            return fail(QStringLiteral("%1 に書き込めませんでした（%2）").arg(QDir::toNativeSeparators(to), reason));
        tableCopied = tableCopied || qstrcmp(name, "Adrs.DB") == 0;
    }
    if (!tableCopied) {
        (void)QDir(building).removeRecursively();
        return fail(QStringLiteral("%1 が見つかりませんでした").arg(QDir::toNativeSeparators(source.filePath(QStringLiteral("Adrs.DB")))));
    }
    if (QFileInfo::exists(target)) {
        if (QFileInfo::exists(previous) && !QDir(previous).removeRecursively())
            return fail(QStringLiteral("%1 を削除できませんでした").arg(QDir::toNativeSeparators(previous)));
        if (!QDir().rename(target, previous))
            return fail(QStringLiteral("%1 を置き換えられませんでした").arg(QDir::toNativeSeparators(target)));
    }
    if (!QDir().rename(building, target)) {
        (void)QDir().rename(previous, target);
        return fail(QStringLiteral("%1 を置き換えられませんでした").arg(QDir::toNativeSeparators(target)));
    }
    // The new copy is in place; a previous one left behind is removed by the next copy.
    (void)QDir(previous).removeRecursively();
    return true;
}

TImportRun::TImportRun(TTable &Table, const TImportFile &File, const TImportAssignment &Assignment,
                       const TImportRunOptions &Options, const TImportContext &Context, const QString &LogPath)
    : m_table(Table), m_file(File), m_assignment(Assignment), m_options(Options), m_context(Context),
      m_logPath(LogPath)
{
}

qint32 TImportRun::recordOfCode(const QByteArray &Code)
{
    if (!m_codesRead) {
        m_codesRead = true;
        const QString index = m_table.IndexName();
        if (!index.isEmpty())
            m_table.SetIndexName(QString());
        m_table.SetWalkFields({QStringLiteral("RecNo"), QStringLiteral("CustomCode")});
        for (m_table.First(); !m_table.Eof(); m_table.Next()) {
            const QByteArray code = m_table.FieldByName(QStringLiteral("CustomCode")).AsBytes();
            if (!code.isEmpty())
                noteCode(m_table.FieldByName(QStringLiteral("RecNo")).AsInteger(), code);
        }
        m_table.SetWalkFields({});
    }
    // Keys are compared as a write would store them: cut to the field.
    const auto it = m_codes.constFind(Cp932::truncated(Code, 20));
    return it == m_codes.constEnd() || it->empty() ? 0 : *it->begin();
}

void TImportRun::noteCode(qint32 RecNo, const QByteArray &Code)
{
    const auto old = m_codeOf.constFind(RecNo);
    if (old != m_codeOf.constEnd()) {
        m_codes[*old].erase(RecNo);
        m_codeOf.erase(old);
    }
    if (!Code.isEmpty()) {
        m_codes[Code].insert(RecNo);
        m_codeOf.insert(RecNo, Code);
    }
}

int TImportRun::CheckCustomCode(const QByteArray &Code, qint32 RecNo)
{
    const QByteArray code = TrimBlanks(QByteArrayView(Code)).toByteArray();
    if (code.isEmpty())
        return 0;
    for (char c : code) {
        const bool allowed = c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                             (c >= 'a' && c <= 'z') || c == '-' || c == '/';
        if (!allowed)
            return -1;
    }
    const qint32 holder = recordOfCode(code);
    if (holder != 0 && (RecNo == 0 || holder != RecNo))
        return -2;
    return 0;
}

int TImportRun::addLine(const TImportValues &Values, qint32 &BookCount)
{
    switch (CheckCustomCode(Values[irCustomCode - 1], 0)) {
    case -1: return irsBadCustomCode;
    case -2: return irsCustomCodeTaken;
    default: break;
    }
    TAddressData record;
    ConvertImportValuesToRecord(Values, m_context, record);
    // The fields the book keeps trimmed (the address cut may end Adrs1 with
    // a blank standing for the character carried over).
    auto trimmed = [](auto &field) { field = TrimBlanks(QByteArrayView(field.Bytes())); };
    trimmed(record.Tel);
    trimmed(record.Fax);
    trimmed(record.PubDate);
    trimmed(record.Portable1);
    trimmed(record.Portable2);
    trimmed(record.Pos);
    trimmed(record.Tdfkn);
    trimmed(record.Adrs1);
    trimmed(record.Adrs2);
    trimmed(record.Adrs3);
    trimmed(record.JisCode);
    trimmed(record.KajoCode);
    trimmed(record.JointHonor1);
    trimmed(record.JointHonor2);
    trimmed(record.JointHonor3);
    trimmed(record.JointHonor4);
    trimmed(record.JointHonor5);
    bool *ownerPrint[6] = {&record.JointPrint,  &record.JointPrint1, &record.JointPrint2,
                           &record.JointPrint3, &record.JointPrint4, &record.JointPrint5};
    if (record.JointOwner >= 0 && record.JointOwner <= 5)
        *ownerPrint[record.JointOwner] = true;

    m_table.Append();
    try {
        WriteAddressData(m_table, record);
        m_table.FieldByName(QStringLiteral("AddDateTime")).SetAsDateTime(record.AddDateTime);
        m_table.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(record.UpdDateTime);
        m_table.FieldByName(QStringLiteral("CodeMain")).SetAsInteger(0);
        m_table.FieldByName(QStringLiteral("CodeSub")).SetAsInteger(0);
        m_table.FieldByName(QStringLiteral("CodeGenre")).SetAsInteger(0);
    } catch (...) {
        m_table.Cancel();
        throw;
    }
    try {
        m_table.Post();
    } catch (const ETableError &) {
        if (m_table.State() != TTable::TState::dsBrowse)
            m_table.Cancel();
        return irsAddFailed;
    }
    ++BookCount;
    if (m_codesRead && !record.CustomCode.IsEmpty())
        noteCode(m_table.FieldByName(QStringLiteral("RecNo")).AsInteger(), record.CustomCode.Bytes());
    return 0;
}

int TImportRun::findTarget(const QByteArray &MatchValue, qint32 &RecNo)
{
    if (!m_options.MatchByCustomCode) {
        bool ok = false;
        const qint32 value = TrimBlanks(QByteArrayView(MatchValue)).toByteArray().toInt(&ok);
        if (!ok)
            return -1;
        if (!FindRunRecord(m_table, value))
            return 1;
        RecNo = value;
        return 0;
    }
    // Stored codes are trimmed, so the value is too, or a blank around it
    // would never match.
    const QByteArray code = TrimBlanks(QByteArrayView(MatchValue)).toByteArray();
    if (code.isEmpty())
        return 1;
    RecNo = recordOfCode(code);
    return RecNo == 0 ? 1 : 0;
}

int TImportRun::updateLine(const QByteArray &MatchValue, const TImportValues &Values)
{
    qint32 recNo = 0;
    if (findTarget(MatchValue, recNo) != 0)
        return irsNoMatch;
    if (!m_options.MatchByCustomCode) {
        switch (CheckCustomCode(Values[irCustomCode - 1], recNo)) {
        case -1: return irsBadCustomCodeUpd;
        case -2: return irsCustomCodeTakenUpd;
        default: break;
        }
    }
    if (!FindRunRecord(m_table, recNo))
        return irsOther;
    m_table.Edit();
    bool changed = false;
    try {
        changed = ApplyImportValuesToTable(Values, m_assignment.Assigned(), m_context, m_table);
    } catch (...) {
        m_table.Cancel();
        throw;
    }
    if (!changed) {
        m_table.Cancel();
        return irsNoChange;
    }
    try {
        m_table.Post();
    } catch (const ETableError &) {
        if (m_table.State() != TTable::TState::dsBrowse)
            m_table.Cancel();
        return irsUpdateFailed;
    }
    if (m_codesRead)
        noteCode(recNo, m_table.FieldByName(QStringLiteral("CustomCode")).AsBytes());
    return 0;
}

QString TImportRun::groupLossText(TImportGroups::TLoss Loss, const QString &Name) const
{
    QString cause;
    switch (Loss) {
    case TImportGroups::TLoss::NoPlace:
        cause = QStringLiteral("グループ「%1」を追加する空きが無い").arg(Name);
        break;
    case TImportGroups::TLoss::TooLong:
        cause = QStringLiteral("グループ名「%1」が全角10文字（半角20文字）を超える").arg(Name);
        break;
    case TImportGroups::TLoss::BadCharacter:
        cause = QStringLiteral("グループ名「%1」に使用不可な文字が含まれていた").arg(Name);
        break;
    case TImportGroups::TLoss::None: return QString();
    }
    return cause + (m_options.Update ? QStringLiteral("ためグループは変更せず") : QStringLiteral("ため指定なしで登録"));
}

TImportRunReport TImportRun::Run(QWidget *Owner)
{
    TImportRunReport report;
    const QList<TImportFile::TLine> &lines = m_file.Lines();
    if (lines.isEmpty())
        return report;
    const int first = m_options.SkipFirst ? 1 : 0;
    const int fieldCommas = CountCsvFields(lines[0].Bytes);
    const int total = int(lines.size()) - first;
    TImportErrorLog log(m_logPath);
    const QString label = m_options.Update ? QStringLiteral("テキストファイルの内容で更新しています...")
                                           : QStringLiteral("テキストファイルの内容を登録しています...");

    // The groups the file names: those the book has keep their places; a
    // new one needs to know which places no record is in.
    const bool groupAssigned = m_assignment.IsAssigned(irGroup);
    TImportGroups groups(m_context.GroupNames);
    const QStringList namesBefore = groups.Names();
    m_context.GroupNames = namesBefore; // all ten, as the book has them
    bool newGroups = false;
    if (groupAssigned) {
        for (int n = first; n < lines.size(); ++n) {
            const TImportFile::TLine &line = lines[n];
            if (!line.ValidText || CountCsvFields(line.Bytes) > fieldCommas)
                continue;
            const QByteArray value =
                m_assignment.Value(irGroup, SplitCsvLine(line.Bytes, fieldCommas + 1, true));
            newGroups = groups.NoteFileValue(value) || newGroups;
        }
    }

    TRecordRun run(Owner, m_table, label, total);
    QString error;
    if (!run.Begin(&error)) {
        report.Failure = error;
        return report;
    }
    if (newGroups) {
        try {
            m_table.ForEachRecord({QStringLiteral("Group")}, [&groups](qint64, const QByteArrayView *bytes) {
                groups.NoteUsed(bytes[0].toInt());
            });
        } catch (const Exception &e) {
            report.Failure = e.Message();
            return report;
        }
    }
    // Counted under the run's write lock: records another program added
    // before it count, and none can be added until the run ends.
    qint32 bookCount = m_table.RecordCount();
    int stored = 0;
    for (int n = first; n < lines.size(); ++n) {
        const TImportFile::TLine &line = lines[n];
        ++report.ReadCount;
        int reason = 0;
        QByteArray held = line.Bytes;
        TImportValues values;
        TImportGroups::TPlacing placing;
        if (!line.ValidText) {
            reason = irsEncoding;
        } else {
            const int commas = CountCsvFields(held);
            if (commas > fieldCommas) {
                reason = irsFieldCount;
            } else {
                // A short line is filled up with empty fields (and logged so).
                held.append(QByteArray(fieldCommas - commas, ','));
                const QList<QByteArray> parts = SplitCsvLine(held, fieldCommas + 1, true);
                values = m_assignment.Values(parts);
                if (!m_options.Update && bookCount >= RecordLimit) {
                    report.LimitReached = true;
                    break;
                }
                if (groupAssigned) {
                    placing = groups.Place(values[irGroup - 1]);
                    values[irGroup - 1] = placing.Value;
                    if (placing.Taken)
                        m_context.GroupNames = groups.Names();
                }
                try {
                    const bool kept = run.Record(
                        [&] {
                            reason = m_options.Update
                                         ? updateLine(m_options.MatchColumn < parts.size() ? parts[m_options.MatchColumn]
                                                                                          : QByteArray(),
                                                      values)
                                         : addLine(values, bookCount);
                            return reason == 0;
                        },
                        TTableBatch::TRecordWrites::One);
                    // Written but not kept: the batch itself was lost, and
                    // the run stops at Next.
                    if (reason == 0 && !kept)
                        reason = m_options.Update ? irsUpdateFailed : irsAddFailed;
                } catch (const Exception &) {
                    // A value the conversion cannot read, or a table error
                    // on the way: the line is undone alone.
                    reason = irsOther;
                }
            }
        }
        if (reason != 0 && placing.Taken) {
            // The name came with this line alone.
            groups.Release(placing.Taken);
            m_context.GroupNames = groups.Names();
        }
        if (reason == 0) {
            ++stored;
            if (OnStored)
                OnStored(values);
        }
        // A line that kept everything but its group is named in the log for
        // the group (an update that had nothing else to change too).
        if (placing.Loss != TImportGroups::TLoss::None && (reason == 0 || reason == irsNoChange)) {
            ++report.GroupLost;
            log.Write(report.ReadCount, groupLossText(placing.Loss, placing.Name), held);
        } else if (reason != 0) {
            ++report.Rejected;
            log.Write(report.ReadCount, reason, held);
        }
        if (OnLine)
            OnLine(report.ReadCount);
        if (!run.Next()) {
            report.Cancelled = run.Cancelled();
            break;
        }
    }
    // The names go first: a run cut short between the two leaves a name
    // that no record is in, never records in a group without its name.
    const bool savesGroups = groups.Changed() && SaveGroupNames;
    if (savesGroups && !SaveGroupNames(groups.Names(), &error)) {
        report.Failure = QStringLiteral("追加するグループ名を保存できませんでした  \r\n%1").arg(error);
        return report; // the run is rolled back as it ends
    }
    if (!run.Commit(&error)) {
        QString restoreError;
        if (savesGroups && !SaveGroupNames(namesBefore, &restoreError))
            error += QStringLiteral("  \r\n追加したグループ名を元に戻せませんでした  \r\n%1").arg(restoreError);
        report.Failure = error;
        report.StoredCount = 0;
        return report;
    }
    report.Committed = true;
    report.StoredCount = stored;
    report.AddedGroups = groups.Added();
    if (!log.Save(&error))
        report.Failure = error;
    return report;
}

void AddWordsToHistories(TDMMurven19 &Module, const TImportValues &Values)
{
    const std::pair<int, THistoryData *> words[] = {
        {irDptmnt, Module.DptmntHistory()},      {irPost, Module.PostHistory()},
        {irHonor, Module.HonorHistory()},        {irJointHonor1, Module.HonorHistory()},
        {irJointHonor1 + 1, Module.HonorHistory()}, {irJointHonor1 + 2, Module.HonorHistory()},
        {irJointHonor1 + 3, Module.HonorHistory()}, {irJointHonor1 + 4, Module.HonorHistory()},
        {irKeyword6, Module.KeywordHistory(1)},  {irKeyword6 + 1, Module.KeywordHistory(2)},
        {irKeyword6 + 2, Module.KeywordHistory(3)},
    };
    for (const auto &[row, history] : words) {
        const QByteArray &value = Values[row - 1];
        if (!history || !history->IsLoaded() || TrimBlanks(QByteArrayView(value)).isEmpty())
            continue;
        const int index = history->IndexOf(value);
        if (index == 0)
            continue;
        if (index > 0)
            history->Delete(index);
        history->Insert(0, value);
    }
}

QStringList SaveImportHistories(TDMMurven19 &Module)
{
    // One history that cannot be written costs only itself: the others are
    // saved, and the run's report names it.
    QStringList failures;
    for (THistoryData *history : {Module.DptmntHistory(), Module.PostHistory(), Module.HonorHistory(),
                                  Module.KeywordHistory(1), Module.KeywordHistory(2), Module.KeywordHistory(3)}) {
        if (!history || !history->IsLoaded())
            continue;
        try {
            (void)history->Save();
        } catch (const EHistoryDataError &e) {
            failures << e.Message();
        }
    }
    return failures;
}

bool IsSameFile(const QString &Path, const QString &LogPath)
{
    const QFileInfo a(Path);
    const QFileInfo b(LogPath);
    const QString ca = a.canonicalFilePath();
    const QString cb = b.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return QDir::cleanPath(a.absoluteFilePath()) == QDir::cleanPath(b.absoluteFilePath());
}
