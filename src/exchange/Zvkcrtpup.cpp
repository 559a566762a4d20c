#include "exchange/Zvkcrtpup.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <zip.h>

#include <memory>

namespace {

QString zipReason(zip_error_t *error)
{
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

struct ArchiveDeleter {
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
struct SourceDeleter {
    void operator()(zip_source_t *source) const { zip_source_free(source); }
};

// The whole content of a buffer source after the archive was closed on it.
bool readSource(zip_source_t *source, QByteArray &out, QString *error)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(source, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || zip_source_open(source) != 0) {
        *error = zipReason(zip_source_error(source));
        return false;
    }
    out.resize(qsizetype(stat.size));
    const zip_int64_t read = zip_source_read(source, out.data(), stat.size);
    zip_source_close(source);
    if (read != zip_int64_t(stat.size)) {
        *error = zipReason(zip_source_error(source));
        return false;
    }
    return true;
}

} // namespace

QString EncryptedTargetName(const QString &Path)
{
    const QFileInfo info(Path);
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(base + QStringLiteral(".zip"));
}

bool CreateEncryptedExport(const QString &Target, const QString &EntryName, const QByteArray &Text,
                           const QString &Password, QString *Error)
{
    QString reason;
    auto fail = [&](const QString &why) {
        if (Error)
            *Error = QStringLiteral("暗号化出力に失敗しました  \r\n") + why;
        return false;
    };
    zip_error_t error;
    zip_error_init(&error);
    // The archive is written into a buffer source that the program owns.
    std::unique_ptr<zip_source_t, SourceDeleter> memory(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!memory)
        return fail(zipReason(&error));
    zip_source_keep(memory.get());
    std::unique_ptr<zip_t, ArchiveDeleter> archive(zip_open_from_source(memory.get(), ZIP_TRUNCATE, &error));
    if (!archive) {
        zip_source_free(memory.get());
        return fail(zipReason(&error));
    }
    zip_source_t *entry = zip_source_buffer(archive.get(), Text.constData(), zip_uint64_t(Text.size()), 0);
    if (!entry)
        return fail(zipReason(zip_get_error(archive.get())));
    const QByteArray name = EntryName.toUtf8();
    const zip_int64_t index = zip_file_add(archive.get(), name.constData(), entry, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(entry);
        return fail(zipReason(zip_get_error(archive.get())));
    }
    const QByteArray password = Password.toUtf8();
    if (zip_file_set_encryption(archive.get(), zip_uint64_t(index), ZIP_EM_AES_256, password.constData()) != 0)
        return fail(zipReason(zip_get_error(archive.get())));
    if (zip_close(archive.get()) != 0)
        return fail(zipReason(zip_get_error(archive.get())));
    (void)archive.release(); // closed: freed by zip_close

    QByteArray bytes;
    if (!readSource(memory.get(), bytes, &reason))
        return fail(reason);
    if (!SafeReplaceFile(Target, bytes, &reason))
        return fail(reason);
    return true;
}
