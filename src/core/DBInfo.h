#pragma once

#include "platform/Table.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <memory>

class THistoryData;

// Both tables are created protected with this key, and every table object
// the data module makes opens them with it.
extern const QByteArray TablePassword;

// Adrs.DB: one per address book, in AdrsPath + book folder. 67 fields, 20
// indexes (the first, unnamed, is the primary index on RecNo).
extern const QList<TFieldDef> AdrsFieldDefs;
extern const QList<TIndexDef> AdrsIndexDefs;
// Sender.DB: one per data folder, in OtherPath. 42 fields; RecNo is a plain
// integer key that the sender window assigns.
extern const QList<TFieldDef> SenderFieldDefs;
extern const QList<TIndexDef> SenderIndexDefs;

// Posts the current append or edit of an address table and commits it to
// disk at once; every writer of Adrs.DB posts through here.
void PostAndFlush(TTable &table);

// The one data module of the program: the "database" (the data folder), the
// address table of the open book, the sender table, an exclusive second
// handle on each, and the six input histories of the data folder. Tables are
// opened and closed by reference count: every window opens the table it needs
// and closes it again without caring who else uses it. A table file that is
// missing when it is first opened is created with all its fields and indexes,
// protected by TablePassword.
//
// Order of use when a book is opened: CreateDatabase, Connect,
// CreateAdrsTable, OpenAdrs, CreateSenderTable; at shutdown FreeSenderTable,
// FreeAdrsTable, Disconnect, FreeDatabase. User-interface thread only.
class TDMMurven19
{
public:
    TDMMurven19();
    ~TDMMurven19();
    TDMMurven19(const TDMMurven19 &) = delete;
    TDMMurven19 &operator=(const TDMMurven19 &) = delete;

    // The database names the data folder (DataPath); creating it also creates
    // each missing history file in HistoryPath: Dptmnt.mtd (100 bytes a text),
    // Post.mtd (50), Honor.mtd (10), Keyword1..3.mtd (100). History errors
    // (EHistoryDataError, EInOutError, ERangeError) pass to the caller.
    void CreateDatabase();
    // Connects and loads the histories in the order Dptmnt, Post, Honor,
    // Keyword1..3. A damaged history file is kept aside and named to the
    // user; that history starts from its defaults (the shipped word list of
    // Post and Honor, else empty), the others still load and the book still
    // opens.
    void Connect();
    // Unloads the loaded histories, then disconnects.
    void Disconnect();
    // Unloads and frees the histories, disconnects, forgets the database.
    void FreeDatabase();

    [[nodiscard]] bool DatabaseExists() const { return m_databaseExists; }
    [[nodiscard]] bool Connected() const { return m_connected; }
    [[nodiscard]] const QString &DatabaseName() const { return m_databaseName; }

    // Table objects (not yet open) on AdrsPath + bookFolder + "/Adrs.DB" and
    // OtherPath + "Sender.DB". A previous object is closed and freed first;
    // freeing a table also drops its open count, so the next open really
    // opens the new object.
    void CreateAdrsTable(const QString &bookFolder);
    void CreateSenderTable();
    void FreeAdrsTable();
    void FreeSenderTable();

    // Counted open: the first open makes sure the file exists and opens the
    // table in primary order; later ones only count. A failed open shows
    // "アドレス帳ファイルがオープンできませんでした  " (sender:
    // "差出人ファイルがオープンできませんでした  ") with the cause after it,
    // leaves the counter as it was and returns false.
    [[nodiscard]] bool OpenAdrs();
    [[nodiscard]] bool OpenSender();
    // Counted close: the table closes when the count returns to 0; a close
    // with the count at 0 does nothing.
    void CloseAdrs();
    void CloseSender();

    // Exclusive second handles for copying between books and index repair;
    // they fail (with the "（サブ）" message) while another handle has the
    // table open. The object stays until the matching close frees it.
    [[nodiscard]] bool OpenAdrsSub(const QString &bookFolder);
    [[nodiscard]] bool OpenSenderSub();
    void CloseAdrsSub();
    void CloseSenderSub();

    // Creates the table file when missing (the sender one after making
    // OtherPath); false when there is no table object or creation failed,
    // without a message (the following open reports it), the cause in
    // *Error.
    [[nodiscard]] bool EnsureAdrsTableFile(QString *Error = nullptr);
    [[nodiscard]] bool EnsureSenderTableFile(QString *Error = nullptr);

    [[nodiscard]] qint32 AdrsOpenCount() const { return m_adrsOpenCount; }
    [[nodiscard]] qint32 SenderOpenCount() const { return m_senderOpenCount; }

    [[nodiscard]] TTable *AdrsTable() const { return m_adrsTable.get(); }
    [[nodiscard]] TTable *SenderTable() const { return m_senderTable.get(); }
    [[nodiscard]] TTable *AdrsSubTable() const { return m_adrsSubTable.get(); }
    [[nodiscard]] TTable *SenderSubTable() const { return m_senderSubTable.get(); }

    [[nodiscard]] THistoryData *DptmntHistory() const { return m_histories[0].get(); }
    [[nodiscard]] THistoryData *PostHistory() const { return m_histories[1].get(); }
    [[nodiscard]] THistoryData *HonorHistory() const { return m_histories[2].get(); }
    // index 1..3 (keywords 6..8); nullptr outside.
    [[nodiscard]] THistoryData *KeywordHistory(int index) const;

private:
    static constexpr int HistoryCount = 6;

    qint32 m_adrsOpenCount = 0;
    qint32 m_senderOpenCount = 0;
    QString m_databaseName;
    bool m_databaseExists = false;
    bool m_connected = false;
    // Dptmnt, Post, Honor, Keyword1..3, in loading order.
    std::array<std::unique_ptr<THistoryData>, HistoryCount> m_histories;
    std::unique_ptr<TTable> m_adrsTable;
    std::unique_ptr<TTable> m_senderTable;
    std::unique_ptr<TTable> m_adrsSubTable;
    std::unique_ptr<TTable> m_senderSubTable;
};

// The program's data module; created and freed by the main form.
extern TDMMurven19 *DMMurven19;

// Closes the data module's tables, its connection and its histories, and
// frees it; nothing when there is none.
void FreeDataModule();
