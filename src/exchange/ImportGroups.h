#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <set>

// The group names of the book an import writes into, and the groups the
// import brings in. A value of the group column that names none of the
// book's groups gets a free place, where its name is added: a place is free
// while it still carries its default name (グループＮ), no record of the book
// is in it and no line of the file names it, so no group anybody uses or
// named is ever renamed. Lines that name the same new group share its place.
// A name a group cannot hold (too long, or with a character the group-name
// editor refuses) or that finds no free place leaves its line without the
// group, with the reason. A value names a group as the group-name editor
// would store it: blanks at its ends, ideographic ones too, are no part of
// it, and "指定なし" or blanks alone are no group.
//
// The run notes the file's values (NoteFileValue) and, when one is new, the
// groups the book's records are in (NoteUsed) before its first line; then it
// places each line's value (Place) and gives the place back when the line
// is not stored (Release).
class TImportGroups
{
public:
    enum class TLoss {
        None,
        NoPlace,      // every place is in use or named
        TooLong,      // more bytes than a group name holds
        BadCharacter, // a control character, a comma or a double quote
    };

    struct TPlacing {
        // The value as the conversion is to read it: the name of the group
        // it stands for, spelled as that group's name (the line's own value
        // when it names no group).
        QByteArray Value;
        int Taken = 0; // the place this line gave the name, 0 none
        TLoss Loss = TLoss::None;
        QString Name; // the name that could not be added
    };

    // Names: entry 0 "指定なし", then the book's groups 1..10 (a missing one
    // reads as its default name).
    explicit TImportGroups(const QStringList &Names);

    // A value of the file's group column, before the run. True when it
    // names none of the book's groups.
    bool NoteFileValue(const QByteArray &Value);
    // A group (1..10) that a record of the book is in.
    void NoteUsed(int Group);

    [[nodiscard]] TPlacing Place(const QByteArray &Value);
    // The line that took Place was not stored: the place is free again.
    void Release(int Place);

    [[nodiscard]] const QStringList &Names() const { return m_names; }
    // The names added so far, in the order of their places.
    [[nodiscard]] QStringList Added() const;
    [[nodiscard]] bool Changed() const { return !m_added.empty(); }

private:
    [[nodiscard]] int namedIndex(const QByteArray &Value) const;

    QStringList m_names;
    QStringList m_original;
    std::set<int> m_taken; // used by a record or named by the file
    std::set<int> m_added;
};
