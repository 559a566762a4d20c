#include "core/PdfOutFile.h"

#include "core/OwnFiles.h"

#include "platform/SafeFile.h"
#include "platform/WriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Earlier versions of the program wrote the run into ".<name>.XXXXXX" (six
// letters or digits) and left it behind when they were killed.
constexpr int kLegacySuffixLength = 6;

// As the safe replace's own temporaries: one nobody holds and nobody has
// touched for this long belongs to a run that died.
constexpr int kAbandonedSeconds = 60;

// What the disk is asked to take after a PDF the engine could not finish: a
// page's pictures and fonts, so that a disk with room for no more of them
// counts as full.
constexpr qint64 kUnfinishedProbeBytes = 1024 * 1024;

bool isLegacySuffix(QStringView suffix)
{
    if (suffix.size() != kLegacySuffixLength)
        return false;
    for (const QChar c : suffix) {
        if (!(c.isDigit() || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return false;
    }
    return true;
}

// A leftover of a killed run of an earlier version: the name's shape, a
// regular file that holds nothing or a PDF cut before its trailer, untouched
// for a minute and held by no one. Anything else there is the user's: a
// whole PDF under such a name (".list.pdf.backup") may be a copy the user
// keeps, and a whole leftover kept by mistake loses nothing.
void removeLegacyLeftover(const QString &Path)
{
    const QByteArray name = QFile::encodeName(Path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        std::time(nullptr) - st.st_mtime < kAbandonedSeconds)
        return;
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    char head[5] = {};
    const ssize_t got = ::read(fd, head, sizeof head);
    struct stat held {};
    const bool pdf =
        got == 0 || (got == 5 && QByteArrayView(head, 5) == "%PDF-" && !PdfWrittenWhole(QFile::decodeName(name)));
    if (pdf && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_ino == st.st_ino &&
        held.st_dev == st.st_dev)
        ::unlink(name.constData());
    ::close(fd);
}

} // namespace

void RecoverPdfOutFile(const QString &Path)
{
    if (Path.isEmpty())
        return;
    RecoverSafeReplace(Path);
    const QFileInfo info(Path);
    const QString prefix = QLatin1Char('.') + info.fileName() + QLatin1Char('.');
    const QDir folder = info.absoluteDir();
    for (const QString &entry : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (entry.size() == prefix.size() + kLegacySuffixLength && entry.startsWith(prefix) &&
            isLegacySuffix(QStringView(entry).mid(prefix.size())))
            removeLegacyLeftover(folder.filePath(entry));
    }
}

bool PdfWrittenWhole(const QString &Path)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 8)
        return false;
    constexpr qint64 tail = 32;
    if (!file.seek(std::max<qint64>(0, file.size() - tail)))
        return false;
    return file.read(tail).trimmed().endsWith("%%EOF");
}

TPdfOutFile::TPdfOutFile(const QString &Path) : m_path(Path) {}

TPdfOutFile::~TPdfOutFile() = default;

bool TPdfOutFile::Begin(QString *Error)
{
    m_replacement.reset();
    m_refused = false;
    if (const QString refusal = ProgramFileRefusal(m_path); !refusal.isEmpty()) {
        m_refused = true;
        if (Error)
            *Error = refusal;
        return false;
    }
    RecoverPdfOutFile(m_path);
    auto replacement = std::make_unique<TSafeReplacement>(m_path);
    if (!replacement->Begin(Error))
        return false;
    m_replacement = std::move(replacement);
    return true;
}

QString TPdfOutFile::WritePath() const
{
    return m_replacement ? m_replacement->TemporaryPath() : QString();
}

bool TPdfOutFile::Amend(const std::function<void(QByteArray &)> &Step, QString *Error)
{
    const auto failed = [Error](const QString &Reason) {
        if (Error)
            *Error = Reason;
        return false;
    };
    if (!m_replacement)
        return failed(QStringLiteral("PDFファイルを作成できませんでした"));
    if (!PdfWrittenWhole(m_replacement->TemporaryPath()))
        return failed(UnfinishedReason());
    QFile file(m_replacement->TemporaryPath());
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    const QByteArray painted = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    file.close();
    QByteArray amended = painted;
    Step(amended);
    if (amended == painted)
        return true;
    // An update appended to the painted file (as an incremental update is)
    // writes only what it adds; anything else writes the file again. Written
    // by the system's calls, whose error number names the cause (a full disk).
    qsizetype from = 0;
    if (amended.size() > painted.size() && QByteArrayView(amended).first(painted.size()) == painted)
        from = painted.size();
    const int fd = ::open(QFile::encodeName(m_replacement->TemporaryPath()).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return failed(WriteErrorReason(errno, TWriteTarget::File));
    int code = ::lseek(fd, off_t(from), SEEK_SET) < 0
                   ? errno
                   : WriteAllTo(fd, amended.constData() + from, amended.size() - from);
    if (code == 0 && ::ftruncate(fd, off_t(amended.size())) != 0)
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    return code == 0 || failed(WriteErrorReason(code, TWriteTarget::File));
}

bool TPdfOutFile::Commit(QString *Error)
{
    if (!m_replacement) {
        if (Error)
            *Error = QStringLiteral("PDFファイルを作成できませんでした");
        return false;
    }
    QString reason;
    if (!PdfWrittenWhole(m_replacement->TemporaryPath()))
        reason = UnfinishedReason();
    else if (!m_replacement->Commit(&reason) && reason.isEmpty())
        reason = QStringLiteral("書き込めませんでした");
    // Committed or not, the temporary is done with.
    m_replacement.reset();
    if (!reason.isEmpty() && Error)
        *Error = reason;
    return reason.isEmpty();
}

QString TPdfOutFile::UnfinishedReason() const
{
    const QString unfinished = QStringLiteral("PDFファイルを書き終えられませんでした");
    const int code = m_replacement ? m_replacement->GrowthError(kUnfinishedProbeBytes) : 0;
    return code == 0 ? unfinished : unfinished + QStringLiteral("。") + WriteErrorReason(code, TWriteTarget::File);
}

QString PdfTargetRefusal(const QString &Path)
{
    if (Path.isEmpty())
        return {};
    if (QString refusal = ProgramFileRefusal(Path); !refusal.isEmpty())
        return refusal;
    if (const int code = ReadOnlyFileError(Path))
        return QStringLiteral("PDFファイルを作成できませんでした  \r\n%1  \r\n%2")
            .arg(QDir::toNativeSeparators(Path), WriteErrorReason(code, TWriteTarget::File));
    return {};
}
