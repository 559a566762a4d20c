#pragma once

#include "core/AddressText.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <utility>

class TTable;

// One sender record of Sender.DB as the windows use it: the name and joint
// names decoded from their "@" form, every other text as stored (Shift-JIS
// decoded), telephone, fax and postcode as digits.
struct TSenderData {
    qint32 RecNo = 0;
    QString Title;
    QString Name;
    QString Tel, Fax, Pos;
    QString Tdfkn, Adrs1, Adrs2, Adrs3;
    qint32 SelectInfo = 0; // 0 neither, 1 joint names, 2 company
    std::array<QString, 5> Joint, Note;
    bool NamePrint = true;
    std::array<bool, 5> JointPrint{true, true, true, true, true};
    QString Corp, Dptmnt, Post;
    std::array<QString, 4> Head, Addition;
    std::array<bool, 4> AdditionPrint{};
};

// The sender as an address record's text, for the items that print either
// (the sender's postcode, address and name frames; a reply card addressed
// to the sender): its name, address, telephone and company lines under the
// address record's names; a sender of the company kind (SelectInfo 2) is a
// company.
[[nodiscard]] TAddressText SenderAddressText(const TSenderData &Sender);

// The fields of the table's current record.
[[nodiscard]] TSenderData ReadSenderFields(TTable &Table);
// Writes every field but RecNo into the record being edited or appended;
// the name and joint names in the "@" form.
void WriteSenderFields(TTable &Table, const TSenderData &Data);
// Every sender in table order.
[[nodiscard]] QList<TSenderData> ReadAllSenders(TTable &Table);
// The sender numbered RecNo, or nothing: never the record the table cursor
// happens to stand on.
[[nodiscard]] std::optional<TSenderData> FindSenderByRecNo(TTable &Table, qint32 RecNo);
// The first sender whose trimmed title equals Title, or nothing.
[[nodiscard]] std::optional<TSenderData> FindSenderByTitle(TTable &Table, const QString &Title);

// The senders that took another title between Before and After (the sender
// records as read before and after the sender window): the title each had,
// as a sender block names it, and the one it has now.
[[nodiscard]] QList<std::pair<QString, QString>> RenamedSenders(const QList<TSenderData> &Before,
                                                               const QList<TSenderData> &After);

// The same through the data module's sender table, opened and closed around
// the read; nothing when the table cannot be opened.
[[nodiscard]] QList<TSenderData> LoadSenders();
[[nodiscard]] std::optional<TSenderData> LoadSenderByTitle(const QString &Title);
[[nodiscard]] std::optional<TSenderData> LoadSenderByRecNo(qint32 RecNo);

// The default sender's number, kept in Sender.ini of the data folder
// (section SENDER, key Default); the editors read it, the sender window
// changes it.
extern qint32 DefaultSenderNo;
[[nodiscard]] QString SenderIniFileName();

// Sender.ini as read. The program always writes both numbers: a file without
// either (cut short) or that is no settings text is never taken for one that
// names no default. It is kept aside and named like every unreadable settings
// file (platform/UnreadableFile.h) and the numbers are 0; Blocked when it could
// not be moved, and it must then not be written over.
struct TSenderIni {
    bool Read = false; // both numbers came from the file
    qint32 Default = 0;
    qint32 LastNo = 0;
    bool Blocked = false;
};
[[nodiscard]] TSenderIni ReadSenderIni();

// Reads Default into DefaultSenderNo (0 when missing).
void LoadDefaultSenderNo();
