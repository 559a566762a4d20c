#include "addressbook/ExtLinkKind.h"

#include <QFile>
#include <QFileInfo>
#include <QUrlQuery>

#include <algorithm>

#include <sys/stat.h>

namespace {

// Types the desktop opens in a viewer or an editor, never runs.
const QStringList &documentSuffixes()
{
    static const QStringList suffixes = {
        // text and office documents
        QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("tsv"), QStringLiteral("rtf"),
        QStringLiteral("pdf"), QStringLiteral("doc"), QStringLiteral("docx"), QStringLiteral("xls"),
        QStringLiteral("xlsx"), QStringLiteral("ppt"), QStringLiteral("pptx"), QStringLiteral("odt"),
        QStringLiteral("ods"), QStringLiteral("odp"), QStringLiteral("odg"), QStringLiteral("jtd"),
        QStringLiteral("htm"), QStringLiteral("html"), QStringLiteral("xml"), QStringLiteral("md"),
        // pictures
        QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"), QStringLiteral("gif"),
        QStringLiteral("bmp"), QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("webp"),
        QStringLiteral("heic"), QStringLiteral("svg"),
        // sound and video
        QStringLiteral("mp3"), QStringLiteral("wav"), QStringLiteral("m4a"), QStringLiteral("ogg"),
        QStringLiteral("flac"), QStringLiteral("mp4"), QStringLiteral("m4v"), QStringLiteral("mov"),
        QStringLiteral("avi"), QStringLiteral("wmv"), QStringLiteral("mkv"), QStringLiteral("webm"),
        // mail and cards
        QStringLiteral("eml"), QStringLiteral("vcf"), QStringLiteral("ics"),
    };
    return suffixes;
}

bool hasDocumentSuffix(const QString &path)
{
    return documentSuffixes().contains(QFileInfo(path).suffix().toLower());
}

// A local file is a document when its type is one of the table's and nothing
// marks it as a program (an execute bit makes the desktop run some types).
TExtLinkKind classifyLocal(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return TExtLinkKind::Document;
        if (!S_ISREG(st.st_mode) || (st.st_mode & 0111) != 0)
            return TExtLinkKind::Other;
    }
    return hasDocumentSuffix(path) ? TExtLinkKind::Document : TExtLinkKind::Other;
}

// A mail link whose query asks the mail program to attach a file: mail
// programs take "attach" or "attachment" and put a local file, the books or
// a key among them, into the new mail.
bool attachesAFile(const QUrl &Url)
{
    const QList<std::pair<QString, QString>> items = QUrlQuery(Url).queryItems(QUrl::FullyDecoded);
    return std::any_of(items.cbegin(), items.cend(), [](const std::pair<QString, QString> &item) {
        const QString key = item.first.trimmed().toLower();
        return key == QLatin1String("attach") || key == QLatin1String("attachment");
    });
}

} // namespace

QUrl ExtLinkUrl(const QString &Link)
{
    return QUrl::fromUserInput(Link.trimmed(), QString(), QUrl::AssumeLocalFile);
}

TExtLinkKind ClassifyExtLink(const QUrl &Url)
{
    if (!Url.isValid())
        return TExtLinkKind::Other;
    const QString scheme = Url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return attachesAFile(Url) ? TExtLinkKind::Other : TExtLinkKind::WebPage;
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return TExtLinkKind::WebPage;
    if (Url.isLocalFile())
        return classifyLocal(Url.toLocalFile());
    // A file on a share: its execute bit cannot be seen, only its type.
    if (scheme == QLatin1String("smb") || scheme == QLatin1String("nfs") || scheme == QLatin1String("sftp")
        || scheme == QLatin1String("ftp") || scheme == QLatin1String("ftps") || scheme == QLatin1String("dav")
        || scheme == QLatin1String("davs"))
        return hasDocumentSuffix(Url.path()) ? TExtLinkKind::Document : TExtLinkKind::Other;
    return TExtLinkKind::Other;
}
