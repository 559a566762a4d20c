#pragma once

#include "platform/IniFile.h"

#include <QString>

#include <algorithm>
#include <functional>
#include <utility>

// The settings files of the data folder (the book list's order, the pending
// book operations, the default sender, the list's columns and keywords) are
// written by every program that has the folder open. Each save is one step
// under the file's lock (TFileLock): the file is read again, the writer's
// own changes go into what it holds now, and it is replaced before the next
// program reads it. Another program's saves to other keys survive; no save
// reported done is written over by an older copy.

// How long a save waits for another program's save of the file to end.
extern int SharedFileWaitMs;

// What becomes of a file the edit leaves without a section: written empty,
// or removed (a file whose presence says there is something to do).
enum class TSharedIniEmpty { Write, Remove };

// Reads `path` under its lock, lets `edit` change what it holds and writes
// it. False with the reason (the file as it was) when the lock was not
// granted within SharedFileWaitMs or the file could not be written.
[[nodiscard]] bool EditSharedIni(const QString &path, const std::function<void(TMemIniFile &)> &edit,
                                 QString *error, TSharedIniEmpty empty = TSharedIniEmpty::Write);

// Saves the keys whose values in `mine` differ from `base` (what this writer
// read or last saved; an object on no file holds either), and those the file
// does not hold: only the keys this writer changed, every other key keeps
// what the file holds now.
[[nodiscard]] bool SaveIniChanges(const QString &path, const TMemIniFile &base, const TMemIniFile &mine,
                                  QString *error);

// The same for a file of named entries (templates, filter patterns): puts
// into `current`, what the file holds now, the entries this writer changed
// from `base` (what it read or last saved) to `mine`, matched by `match`. An
// entry of mine that base lacks or holds otherwise takes the place of the
// file's matching entry, or is appended; an entry of base that mine lacks
// is removed where the file still holds it as base does. Entries another
// program added or changed meanwhile stay.
template <typename List, typename Match, typename Same>
void MergeEntryChanges(List &current, const List &base, const List &mine, Match match, Same same)
{
    auto find = [&match](auto &list, const auto &entry) {
        return std::find_if(list.begin(), list.end(), [&](const auto &e) { return match(e, entry); });
    };
    for (const auto &entry : base) {
        if (find(mine, entry) != mine.end())
            continue;
        // The entry as this writer knew it: one another program changed
        // since is not the one deleted here.
        if (const auto at = find(current, entry); at != current.end() && same(*at, entry))
            current.erase(at);
    }
    for (const auto &entry : mine) {
        const auto was = find(base, entry);
        if (was != base.end() && same(*was, entry))
            continue;
        if (const auto at = find(current, entry); at != current.end())
            *at = entry;
        else
            current.push_back(entry);
    }
}

// The same for a list kept most recent first (an input history): this
// writer's entries lead, in its order; those only the file holds follow.
template <typename List, typename Match, typename Same>
void MergeRecentEntryChanges(List &current, const List &base, const List &mine, Match match, Same same)
{
    MergeEntryChanges(current, base, mine, match, same);
    List ordered;
    for (const auto &entry : mine) {
        const auto at = std::find_if(current.begin(), current.end(), [&](const auto &e) { return match(e, entry); });
        if (at != current.end())
            ordered.push_back(*at);
    }
    for (const auto &entry : current) {
        if (std::none_of(mine.begin(), mine.end(), [&](const auto &e) { return match(e, entry); }))
            ordered.push_back(entry);
    }
    current = std::move(ordered);
}
