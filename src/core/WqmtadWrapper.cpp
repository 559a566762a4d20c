#include "core/WqmtadWrapper.h"

#include "core/DicFrame.h"

#include <QFile>

#include <cstring>

namespace {

constexpr int kNotLoaded = 103;
constexpr const char *kEntry = "WQMTAdrs";

TDicLibrary &library()
{
    static TDicLibrary lib(QStringLiteral("Wqmtad.dll"), {QString::fromLatin1(kEntry)}, 101, 102);
    return lib;
}

TWQMTAdrs &injected()
{
    static TWQMTAdrs function = nullptr;
    return function;
}

} // namespace

int LoadWqmtad(const QString &Folder)
{
    if (injected() != nullptr)
        return 0;
    return library().Load(Folder);
}

void FreeWqmtad()
{
    if (injected() == nullptr)
        library().Free();
}

int CallWqMTAdrs(const QByteArray &Code, TWqmtadDetail &Detail, const QString &DataFolder)
{
    // The call holds a use of its own: another thread's last Free waits
    // for it instead of unloading the library under it.
    const TDicLibrary::TCall call = injected() != nullptr ? TDicLibrary::TCall() : library().Call();
    const TWQMTAdrs function = injected() != nullptr ? injected() : reinterpret_cast<TWQMTAdrs>(call.Symbol(0));
    if (function == nullptr)
        return kNotLoaded;
    std::memset(&Detail, 0, sizeof Detail);
    return function(Code.constData(), &Detail, QFile::encodeName(DataFolder).constData());
}

void SetWqmtadForTesting(TWQMTAdrs Function)
{
    injected() = Function;
}
