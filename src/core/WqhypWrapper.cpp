#include "core/WqhypWrapper.h"

#include "core/DicFrame.h"

#include <QDateTime>
#include <QFile>

#include <array>
#include <mutex>

namespace {

constexpr int kLoadError = 11;
constexpr int kEntryError = 12;
constexpr int kNotLoaded = 13;

TDicLibrary &library()
{
    static TDicLibrary lib(QStringLiteral("Wqhyp.dll"), {QString::fromLatin1(WqhypGetHyphenName)}, kLoadError,
                           kEntryError);
    return lib;
}

// The default data folder, set by the caller that really loads the library
// and cleared when the last use is released; read by calls on any thread.
struct TDefaultFolder {
    std::mutex mutex;
    QString folder;
};

TDefaultFolder &defaultFolder()
{
    static TDefaultFolder instance;
    return instance;
}

void setDefaultDataFolder(const QString &Folder)
{
    const std::lock_guard<std::mutex> lock(defaultFolder().mutex);
    defaultFolder().folder = Folder;
}

QString defaultDataFolder()
{
    const std::lock_guard<std::mutex> lock(defaultFolder().mutex);
    return defaultFolder().folder;
}

TGetHyphenFn &injected()
{
    static TGetHyphenFn function = nullptr;
    return function;
}

void clearDefaultDataFolder()
{
    setDefaultDataFolder(QString());
}

TGetHyphenFn getHyphen()
{
    if (injected() != nullptr)
        return injected();
    return reinterpret_cast<TGetHyphenFn>(library().Symbol(WqhypGetHyphenName));
}

TWqhypTime currentUtcTime()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDate date = now.date();
    const QTime time = now.time();
    TWqhypTime record{};
    record.wYear = static_cast<std::uint16_t>(date.year());
    record.wMonth = static_cast<std::uint16_t>(date.month());
    record.wDayOfWeek = static_cast<std::uint16_t>(date.dayOfWeek() % 7); // Sunday is 0
    record.wDay = static_cast<std::uint16_t>(date.day());
    record.wHour = static_cast<std::uint16_t>(time.hour());
    record.wMinute = static_cast<std::uint16_t>(time.minute());
    record.wSecond = static_cast<std::uint16_t>(time.second());
    record.wMilliseconds = static_cast<std::uint16_t>(time.msec());
    return record;
}

} // namespace

int LoadWqhyp(const QString &DllFolder, const QString &DataFolder)
{
    return library().Load(DllFolder, [&DataFolder] { setDefaultDataFolder(DataFolder); });
}

void FreeWqhyp()
{
    library().Free(clearDefaultDataFolder);
}

bool WqhypLoaded()
{
    return getHyphen() != nullptr;
}

int CallWqhypGetHyphen(QByteArray &Number, const QString &DataFolder)
{
    // The call holds a use of its own: another thread's last Free waits
    // for it instead of unloading the library under it.
    const TDicLibrary::TCall call = injected() != nullptr ? TDicLibrary::TCall() : library().Call(clearDefaultDataFolder);
    const TGetHyphenFn function =
        injected() != nullptr ? injected() : reinterpret_cast<TGetHyphenFn>(call.Symbol(0));
    if (function == nullptr)
        return kNotLoaded;
    std::array<char, WqhypOutputSize> output{};
    const QByteArray folder = QFile::encodeName(DataFolder.isEmpty() ? defaultDataFolder() : DataFolder);
    const TWqhypTime now = currentUtcTime();
    const int code = function(Number.constData(), output.data(), folder.constData(), &now);
    if (code == 0)
        Number = QByteArray(output.data(), static_cast<qsizetype>(qstrnlen(output.data(), WqhypOutputSize)));
    return code;
}

QByteArray HyphenatePhoneNumber(const QByteArray &Number, const QString &DataFolder)
{
    const QByteArray trimmed = Number.trimmed();
    if (trimmed.isEmpty() || !WqhypLoaded())
        return trimmed;
    QByteArray hyphenated = trimmed;
    if (CallWqhypGetHyphen(hyphenated, DataFolder) != 0)
        return trimmed;
    return hyphenated.trimmed();
}

void SetWqhypForTesting(TGetHyphenFn Function)
{
    injected() = Function;
}
