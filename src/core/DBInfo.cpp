#include "core/DBInfo.h"

#include "core/Env.h"
#include "core/HisInfo.h"
#include "core/Main.h"
#include "platform/Folders.h"
#include "util/MsgBoxPos.h"

#include <QDir>
#include <QFileInfo>

TDMMurven19 *DMMurven19 = nullptr;

void FreeDataModule()
{
    if (!DMMurven19)
        return;
    DMMurven19->FreeSenderTable();
    DMMurven19->FreeAdrsTable();
    DMMurven19->Disconnect();
    DMMurven19->FreeDatabase(); // the histories with it
    delete DMMurven19;
    DMMurven19 = nullptr;
}

const QByteArray TablePassword = QByteArrayLiteral("kestru42");

namespace {

using F = TFieldType;

TFieldDef text(const char *name, int size)
{
    return {QLatin1String(name), F::ftString, size};
}
TFieldDef integer(const char *name)
{
    return {QLatin1String(name), F::ftInteger, 0};
}
TFieldDef logical(const char *name)
{
    return {QLatin1String(name), F::ftBoolean, 0};
}
TFieldDef memo(const char *name)
{
    return {QLatin1String(name), F::ftMemo, 100}; // bytes kept in the row
}
TFieldDef stamp(const char *name)
{
    return {QLatin1String(name), F::ftDateTime, 0};
}
TIndexDef index(const char *name, const char *fields, unsigned options)
{
    return {QLatin1String(name), QLatin1String(fields), options};
}

const QString AdrsFileName = QStringLiteral("Adrs.DB");
const QString SenderFileName = QStringLiteral("Sender.DB");

// The path of the table file as it exists on disk: a book copied from a
// system that ignores letter case may hold "Adrs.db" or "ADRS.DB".
QString existingTablePath(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return path;
    // Name filters match regardless of letter case unless told otherwise.
    const QStringList names = info.dir().entryList({info.fileName()}, QDir::Files | QDir::Hidden);
    return names.isEmpty() ? path : info.dir().filePath(names.constFirst());
}

std::unique_ptr<TTable> makeTable(const QString &path, bool exclusive)
{
    auto table = std::make_unique<TTable>();
    table->SetTableName(path);
    table->SetPassword(TablePassword);
    table->SetExclusive(exclusive);
    return table;
}

void showOpenError(const QString &message)
{
    ShowMessageBoxAt(nullptr, message, ProductCaption(), MB_ICONERROR, mbpSystem, 0, 0);
}

bool ensureTableFile(TTable *table, const QList<TFieldDef> &fields, const QList<TIndexDef> &indexes,
                     QString *error)
{
    if (!table)
        return false;
    if (TTable::TableExists(table->TableName()))
        return true;
    table->SetFieldDefs(fields);
    table->SetIndexDefs(indexes);
    return table->CreateTable(error);
}

// Counted open shared by both tables. The counter is only kept raised when
// the table really is open, so a failed first open can be retried. The
// message gives the cause (why the file could not be made or opened).
bool countedOpen(qint32 &count, TTable *table, bool fileReady, const QString &failure, QString reason)
{
    ++count;
    if (count > 1)
        return true;
    if (table && fileReady) {
        try {
            table->SetTableName(existingTablePath(table->TableName()));
            table->SetIndexName(QString());
            table->Open();
            return true;
        } catch (const ETableError &e) {
            reason = e.Message();
        }
    }
    count = 0;
    showOpenError(reason.isEmpty() ? failure : failure + QStringLiteral("\r\n\r\n") + reason);
    return false;
}

void countedClose(qint32 &count, TTable *table)
{
    if (count <= 0)
        return;
    --count;
    if (count == 0 && table && table->Active())
        table->Close();
}

bool openSub(std::unique_ptr<TTable> &sub, const QString &path, const QString &failure)
{
    if (sub)
        sub->Close();
    sub = makeTable(existingTablePath(path), true);
    try {
        sub->SetIndexName(QString());
        sub->Open();
        return true;
    } catch (const ETableError &) {
        showOpenError(failure);
        return false;
    }
}

void freeTable(std::unique_ptr<TTable> &table)
{
    if (table && table->Active())
        table->Close();
    table.reset();
}

} // namespace

const QList<TFieldDef> AdrsFieldDefs = {
    {QStringLiteral("RecNo"), F::ftAutoInc, 0},
    integer("Group"),
    text("CustomCode", 20),
    text("Tel", 11),
    integer("TelDiv"),
    text("Fax", 11),
    text("PubDate", 6),
    text("Portable1", 11),
    text("Portable2", 11),
    text("Pos", 7),
    text("Tdfkn", 8),
    text("Adrs1", 32),
    text("Adrs2", 100),
    text("Adrs3", 116),
    text("AdrsKana", 100),
    text("JisCode", 5),
    text("KajoCode", 6),
    integer("Latitude"),
    integer("Longitude"),
    logical("PrivCorp"),
    text("CorpKanji", 120),
    text("CorpKana", 80),
    text("Dptmnt", 100),
    text("Post", 50),
    text("NameKanji", 75),
    text("NameKana", 25),
    text("Honor", 10),
    logical("IgnoreName"),
    text("URL", 128),
    text("EMail1", 64),
    text("EMail2", 64),
    text("Joint1", 55),
    text("Joint2", 55),
    text("Joint3", 55),
    text("Joint4", 55),
    text("Joint5", 55),
    text("JointHonor1", 10),
    text("JointHonor2", 10),
    text("JointHonor3", 10),
    text("JointHonor4", 10),
    text("JointHonor5", 10),
    integer("JointOwner"),
    logical("JointPrint"),
    logical("JointPrint1"),
    logical("JointPrint2"),
    logical("JointPrint3"),
    logical("JointPrint4"),
    logical("JointPrint5"),
    integer("PrintTarget"),
    integer("Sender"),
    text("Keyword1", 100),
    text("Keyword2", 100),
    text("Keyword3", 100),
    text("Keyword4", 100),
    text("Keyword5", 100),
    text("Keyword6", 100),
    text("Keyword7", 100),
    text("Keyword8", 100),
    memo("Note"),
    memo("ExtLink"),
    text("SymbolMark", 10),
    integer("SymbolColor"),
    stamp("AddDateTime"),
    stamp("UpdDateTime"),
    integer("CodeMain"),
    integer("CodeSub"),
    integer("CodeGenre"),
};

const QList<TIndexDef> AdrsIndexDefs = {
    index("", "RecNo", ixPrimary | ixUnique),
    index("Group", "Group", 0),
    index("CustomCode", "CustomCode", 0),
    index("Tel", "Tel", 0),
    index("Fax", "Fax", 0),
    index("Portable1", "Portable1", 0),
    index("Portable2", "Portable2", 0),
    index("Pos", "Pos", 0),
    index("Adrs", "JisCode;Adrs2;Adrs3", ixCaseInsensitive),
    index("CorpKana", "CorpKana", ixCaseInsensitive),
    index("NameKana", "NameKana", ixCaseInsensitive),
    index("Keyword1", "Keyword1", ixCaseInsensitive),
    index("Keyword2", "Keyword2", ixCaseInsensitive),
    index("Keyword3", "Keyword3", ixCaseInsensitive),
    index("Keyword4", "Keyword4", ixCaseInsensitive),
    index("Keyword5", "Keyword5", ixCaseInsensitive),
    index("Keyword6", "Keyword6", ixCaseInsensitive),
    index("Keyword7", "Keyword7", ixCaseInsensitive),
    index("Keyword8", "Keyword8", ixCaseInsensitive),
    index("Category", "CodeMain;CodeSub;CodeGenre", ixCaseInsensitive),
};

const QList<TFieldDef> SenderFieldDefs = {
    integer("RecNo"),
    text("Title", 30),
    text("Name", 75),
    text("Tel", 11),
    text("Fax", 11),
    text("Pos", 7),
    text("Tdfkn", 8),
    text("Adrs1", 32),
    text("Adrs2", 100),
    text("Adrs3", 116),
    integer("SelectInfo"),
    text("Joint1", 55),
    text("Joint2", 55),
    text("Joint3", 55),
    text("Joint4", 55),
    text("Joint5", 55),
    text("Note1", 20),
    text("Note2", 20),
    text("Note3", 20),
    text("Note4", 20),
    text("Note5", 20),
    logical("NamePrint"),
    logical("JointPrint1"),
    logical("JointPrint2"),
    logical("JointPrint3"),
    logical("JointPrint4"),
    logical("JointPrint5"),
    text("Corp", 100),
    text("Dptmnt", 100),
    text("Post", 50),
    text("Head1", 10),
    text("Head2", 10),
    text("Head3", 10),
    text("Head4", 10),
    text("Addition1", 128),
    text("Addition2", 128),
    text("Addition3", 128),
    text("Addition4", 128),
    logical("AdditionPrint1"),
    logical("AdditionPrint2"),
    logical("AdditionPrint3"),
    logical("AdditionPrint4"),
};

const QList<TIndexDef> SenderIndexDefs = {
    index("", "RecNo", ixPrimary | ixUnique),
};

void PostAndFlush(TTable &table)
{
    table.Post();
    table.FlushBuffers();
}

// Each table object carries the password itself, so there is no session to
// register it with or remove it from.
TDMMurven19::TDMMurven19() = default;

TDMMurven19::~TDMMurven19()
{
    CloseAdrsSub();
    CloseSenderSub();
    FreeSenderTable();
    FreeAdrsTable();
    FreeDatabase();
}

void TDMMurven19::CreateDatabase()
{
    m_databaseName = DataPath;
    m_databaseExists = true;
    m_connected = false;
    struct Spec {
        const char *file;
        int maxLength;
    };
    static constexpr std::array<Spec, HistoryCount> specs = {{
        {"Dptmnt.mtd", 100},
        {"Post.mtd", 50},
        {"Honor.mtd", 10},
        {"Keyword1.mtd", 100},
        {"Keyword2.mtd", 100},
        {"Keyword3.mtd", 100},
    }};
    for (int i = 0; i < HistoryCount; ++i) {
        m_histories[i] = std::make_unique<THistoryData>(HistoryPath + QLatin1String(specs[i].file), true,
                                                        specs[i].maxLength);
    }
}

void TDMMurven19::Connect()
{
    m_connected = true;
    for (const auto &history : m_histories) {
        if (!history)
            continue;
        // A damaged file is kept aside and named to the user by Load itself;
        // the list then starts from the defaults: the shipped word list where
        // there is one (Post, Honor), else empty. It never locks the user out
        // of the book.
        try {
            if (!history->Load() && !history->KeptAsidePath().isEmpty()) {
                EnsureWordFiles();
                history->Load();
            }
        } catch (const EHistoryDataError &e) {
            ShowMessageBoxAt(nullptr, e.Message(), ProductCaption(), MB_ICONERROR, mbpSystem, 0, 0);
        }
    }
}

void TDMMurven19::Disconnect()
{
    for (const auto &history : m_histories) {
        if (history && history->IsLoaded())
            history->Unload();
    }
    m_connected = false;
}

void TDMMurven19::FreeDatabase()
{
    for (auto &history : m_histories) {
        if (history && history->IsLoaded())
            history->Unload();
        history.reset();
    }
    m_connected = false;
    m_databaseExists = false;
    m_databaseName.clear();
}

THistoryData *TDMMurven19::KeywordHistory(int index) const
{
    if (index < 1 || index > 3)
        return nullptr;
    return m_histories[2 + index].get();
}

void TDMMurven19::CreateAdrsTable(const QString &bookFolder)
{
    FreeAdrsTable();
    m_adrsTable = makeTable(AdrsPath + bookFolder + QLatin1Char('/') + AdrsFileName, false);
}

void TDMMurven19::CreateSenderTable()
{
    FreeSenderTable();
    m_senderTable = makeTable(OtherPath + SenderFileName, false);
}

void TDMMurven19::FreeAdrsTable()
{
    freeTable(m_adrsTable);
    m_adrsOpenCount = 0;
}

void TDMMurven19::FreeSenderTable()
{
    freeTable(m_senderTable);
    m_senderOpenCount = 0;
}

bool TDMMurven19::EnsureAdrsTableFile(QString *Error)
{
    return ensureTableFile(m_adrsTable.get(), AdrsFieldDefs, AdrsIndexDefs, Error);
}

bool TDMMurven19::EnsureSenderTableFile(QString *Error)
{
    if (!m_senderTable)
        return false;
    if (!Folders::makePrivatePath(QFileInfo(m_senderTable->TableName()).absolutePath()))
        return false;
    return ensureTableFile(m_senderTable.get(), SenderFieldDefs, SenderIndexDefs, Error);
}

bool TDMMurven19::OpenAdrs()
{
    QString reason;
    const bool ready = m_adrsOpenCount > 0 || EnsureAdrsTableFile(&reason);
    return countedOpen(m_adrsOpenCount, m_adrsTable.get(), ready,
                       QStringLiteral("アドレス帳ファイルがオープンできませんでした  "), reason);
}

bool TDMMurven19::OpenSender()
{
    QString reason;
    const bool ready = m_senderOpenCount > 0 || EnsureSenderTableFile(&reason);
    // The file is named: the user may have to restore or move it.
    return countedOpen(m_senderOpenCount, m_senderTable.get(), ready,
                       QStringLiteral("差出人ファイルがオープンできませんでした  \r\n") +
                           QDir::toNativeSeparators(OtherPath + SenderFileName) + QStringLiteral("  "),
                       reason);
}

void TDMMurven19::CloseAdrs()
{
    countedClose(m_adrsOpenCount, m_adrsTable.get());
}

void TDMMurven19::CloseSender()
{
    countedClose(m_senderOpenCount, m_senderTable.get());
}

bool TDMMurven19::OpenAdrsSub(const QString &bookFolder)
{
    return openSub(m_adrsSubTable, AdrsPath + bookFolder + QLatin1Char('/') + AdrsFileName,
                   QStringLiteral("アドレス帳ファイルがオープンできませんでした（サブ）  "));
}

bool TDMMurven19::OpenSenderSub()
{
    return openSub(m_senderSubTable, OtherPath + SenderFileName,
                   QStringLiteral("差出人ファイルがオープンできませんでした（サブ）  \r\n") +
                       QDir::toNativeSeparators(OtherPath + SenderFileName) + QStringLiteral("  "));
}

void TDMMurven19::CloseAdrsSub()
{
    freeTable(m_adrsSubTable);
}

void TDMMurven19::CloseSenderSub()
{
    freeTable(m_senderSubTable);
}
