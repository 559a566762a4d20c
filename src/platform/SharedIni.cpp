#include "platform/SharedIni.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

int SharedFileWaitMs = 5000;

bool EditSharedIni(const QString &path, const std::function<void(TMemIniFile &)> &edit, QString *error,
                   TSharedIniEmpty empty)
{
    // Held until the file is replaced: no other program reads it between
    // this read and this write.
    TFileLock lock(path);
    if (!lock.Acquire(SharedFileWaitMs, error))
        return false;
    TMemIniFile ini(path);
    edit(ini);
    // A file that could not be read and could not be kept aside (or copied)
    // is the user's still: never removed either, the write's refusal says why.
    const bool inTheWay = (ini.Unreadable() && ini.KeptAsidePath().isEmpty()) ||
                          (ini.NotAsWritten() && ini.DamagedCopyPath().isEmpty());
    if (empty == TSharedIniEmpty::Remove && ini.ReadSections().isEmpty() && !inTheWay) {
        QFile file(path);
        if (!QFileInfo::exists(path) || file.remove())
            return true;
        if (error)
            *error = QStringLiteral("\"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return ini.UpdateFile(error);
}

bool SaveIniChanges(const QString &path, const TMemIniFile &base, const TMemIniFile &mine, QString *error)
{
    // Written even when nothing changed: a file that lacks the keys gets them,
    // and one that may not be written over is reported, as before.
    return EditSharedIni(
        path,
        [&base, &mine](TMemIniFile &ini) {
            for (const QString &section : mine.ReadSections()) {
                for (const QString &key : mine.ReadSection(section)) {
                    const QString value = mine.ReadString(section, key, QString());
                    if (!ini.ValueExists(section, key) || !base.ValueExists(section, key) ||
                        base.ReadString(section, key, QString()) != value)
                        ini.WriteString(section, key, value);
                }
            }
        },
        error);
}
