#include "platform/SharedIni.h"

#include "platform/SafeFile.h"

int SharedFileWaitMs = 5000;

bool EditSharedIni(const QString &path, const std::function<void(TMemIniFile &)> &edit, QString *error)
{
    // Held until the file is replaced: no other program reads it between
    // this read and this write.
    TFileLock lock(path);
    if (!lock.Acquire(SharedFileWaitMs, error))
        return false;
    TMemIniFile ini(path);
    edit(ini);
    return ini.UpdateFile(error);
}

bool SaveIniChanges(const QString &path, const TMemIniFile &base, const TMemIniFile &mine, QString *error)
{
    struct Change {
        QString section;
        QString key;
        QString value;
    };
    QList<Change> changes;
    for (const QString &section : mine.ReadSections()) {
        for (const QString &key : mine.ReadSection(section)) {
            const QString value = mine.ReadString(section, key, QString());
            if (!base.ValueExists(section, key) || base.ReadString(section, key, QString()) != value)
                changes.append({section, key, value});
        }
    }
    if (changes.isEmpty())
        return true;
    return EditSharedIni(
        path,
        [&changes](TMemIniFile &ini) {
            for (const Change &change : std::as_const(changes))
                ini.WriteString(change.section, change.key, change.value);
        },
        error);
}
