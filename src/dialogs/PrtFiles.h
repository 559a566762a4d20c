#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The saved print-data files of one document kind as the open and save
// dialogs see them: each kind has its folder, extension and signature (the
// file starts with the signature text, every byte XOR 0xFF), and a file's
// title is its name without folder and extension.

struct TDocKindInfo
{
    QString Folder;     // with a trailing slash
    QString Extension;  // ".gpl"
    QByteArray Signature;
    int HeaderSize = 28; // bytes between the version and the thumbnail length
};

// Document kind 0 address side, 1 label, 2 business card, 3 design;
// nothing for another value.
[[nodiscard]] std::optional<TDocKindInfo> DocKindInfo(int Kind);

struct TPrintDataEntry
{
    QString Title;
    QDateTime Modified;
};

// The kind's files that carry its signature, sorted by path in the
// locale's collation without regard to letter case. Files that cannot be
// opened or are shorter than the signature are left out; they never stop
// the listing.
[[nodiscard]] QList<TPrintDataEntry> ListPrintDataFiles(int Kind);

// The thumbnail stored in a file (a JPEG after the header); a null image
// when the file is short, its length runs past the file's end, or the
// picture does not decode.
[[nodiscard]] QImage ReadThumbnail(const QString &Path, const TDocKindInfo &Kind);

inline constexpr int TitleMaxBytes = 100;
// A title as typed, trimmed and cut to TitleMaxBytes bytes of its
// Shift-JIS form without splitting a character.
[[nodiscard]] QString NormalizeTitle(const QString &Text);

// The ten characters a title cannot hold: \ / : ; * ? " < > |
[[nodiscard]] bool HasForbiddenTitleChar(const QString &Title);
[[nodiscard]] QString ForbiddenTitleMessage();

enum class TRenameCheck {
    rcUnchanged,    // same as before, or empty: nothing happens
    rcOpenDocument, // the open document keeps its name
    rcForbidden,
    rcDuplicate,    // another entry has that title (letter case aside)
    rcOk,
};

// NewTitle is already normalized. Titles lists every entry, the renamed one
// included (it never counts as its own duplicate).
[[nodiscard]] TRenameCheck CheckRename(const QString &OldTitle, const QString &NewTitle, const QString &CurrentTitle,
                                       const QStringList &Titles);

// The entry whose title equals Title without regard to letter case, or -1.
[[nodiscard]] int FindTitle(const QStringList &Titles, const QString &Title, int Except = -1);
