#include "dialogs/PrtFiles.h"

#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>

std::optional<TDocKindInfo> DocKindInfo(int Kind)
{
    switch (Kind) {
    case 0:
        return TDocKindInfo{LayoutPath, QStringLiteral(".gpl"), "Murven Layout File", 28};
    case 1:
        return TDocKindInfo{LabelPath, QStringLiteral(".gpa"), "Murven Label File", 28};
    case 2:
        return TDocKindInfo{CardPath, QStringLiteral(".gpc"), "Murven Card File", 28};
    case 3:
        return TDocKindInfo{DesignPath, QStringLiteral(".gpd"), "Murven Design File", 32};
    default:
        return std::nullopt;
    }
}

namespace {

bool hasSignature(const QString &path, const QByteArray &signature)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(signature.size());
    if (head.size() != signature.size())
        return false;
    for (qsizetype i = 0; i < head.size(); ++i)
        if (static_cast<char>(head[i] ^ 0xFF) != signature[i])
            return false;
    return true;
}

} // namespace

QList<TPrintDataEntry> ListPrintDataFiles(int Kind)
{
    QList<TPrintDataEntry> entries;
    const std::optional<TDocKindInfo> info = DocKindInfo(Kind);
    if (!info)
        return entries;
    // An earlier version's save cut short left the old file under its aside name (never a
    // title's); the folder is put right first, so that a file it stands in
    // for is back under its title.
    RecoverSafeReplacesIn(info->Folder, info->Extension);
    QFileInfoList files = QDir(info->Folder).entryInfoList({QLatin1Char('*') + info->Extension},
                                                          QDir::Files | QDir::Hidden | QDir::System);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(files.begin(), files.end(), [&collator](const QFileInfo &a, const QFileInfo &b) {
        return collator.compare(a.absoluteFilePath(), b.absoluteFilePath()) < 0;
    });
    for (const QFileInfo &file : files) {
        // The name filter ignores letter case; the title is what precedes
        // the extension exactly as the kind writes it.
        if (!file.fileName().endsWith(info->Extension) || !hasSignature(file.absoluteFilePath(), info->Signature))
            continue;
        entries.append({file.fileName().chopped(info->Extension.size()), file.lastModified()});
    }
    return entries;
}

QImage ReadThumbnail(const QString &Path, const TDocKindInfo &Kind)
{
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const qint64 offset = Kind.Signature.size() + 4 + Kind.HeaderSize;
    if (!f.seek(offset))
        return {};
    const QByteArray lengthBytes = f.read(4);
    if (lengthBytes.size() != 4)
        return {};
    const qint64 length = qFromLittleEndian<qint32>(lengthBytes.constData());
    // A length the file cannot hold is damage, not a reason to allocate it.
    if (length <= 0 || length > f.size() - offset - 4)
        return {};
    const QByteArray jpeg = f.read(length);
    QImage image;
    if (jpeg.size() != length || !image.loadFromData(jpeg, "JPEG"))
        return {};
    return image;
}

QString NormalizeTitle(const QString &Text)
{
    return Cp932::truncatedToBytes(TrimBlanks(Text), TitleMaxBytes);
}

namespace {
const QString kForbidden = QStringLiteral("\\/:;*?\"<>|");
}

bool HasForbiddenTitleChar(const QString &Title)
{
    return std::any_of(Title.cbegin(), Title.cend(), [](QChar c) { return kForbidden.contains(c); });
}

QString ForbiddenTitleMessage()
{
    QString text = QStringLiteral("ファイル名には次の文字は使えません\n   ");
    for (const QChar c : kForbidden) {
        text.append(c);
        text.append(QLatin1Char(' '));
    }
    return text;
}

int FindTitle(const QStringList &Titles, const QString &Title, int Except)
{
    for (int i = 0; i < Titles.size(); ++i)
        if (i != Except && Titles[i].compare(Title, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TRenameCheck CheckRename(const QString &OldTitle, const QString &NewTitle, const QString &CurrentTitle,
                         const QStringList &Titles)
{
    if (NewTitle == OldTitle || NewTitle.isEmpty())
        return TRenameCheck::rcUnchanged;
    if (OldTitle.compare(CurrentTitle, Qt::CaseInsensitive) == 0)
        return TRenameCheck::rcOpenDocument;
    if (HasForbiddenTitleChar(NewTitle))
        return TRenameCheck::rcForbidden;
    if (FindTitle(Titles, NewTitle, static_cast<int>(Titles.indexOf(OldTitle))) >= 0)
        return TRenameCheck::rcDuplicate;
    return TRenameCheck::rcOk;
}
