#include "core/DicFrame.h"

#include "core/Env.h"
#include "util/MsgBoxPos.h"

#include <QCoreApplication>
#include <QLibrary>

#include <array>
#include <utility>

namespace {

struct TLibraryFile {
    const char *libraryName;
    const char *fileName;
};

// The dictionary libraries and the files that stand for them here.
constexpr std::array<TLibraryFile, 9> kLibraryFiles{{
    {"Wqhyp.dll", "libwqhyp.so"},
    {"Wqarea17.dll", "libwqarea17.so"},
    {"Wqmtad.dll", "libwqmtad.so"},
    {"Wqk1ad.dll", "libwqk1ad.so"},
    {"WQZsCnv.dll", "libwqzscnv.so"},
    {"Wqtel.dll", "libwqtel.so"},
    {"Wqzplst.dll", "libwqzplst.so"},
    {"Wqzs.dll", "libwqzs.so"},
    {"WqName99a.dll", "libwqname99a.so"},
}};

void showLoadError(const QString &text, const QString &caption)
{
    ShowMessageBoxAt(nullptr, text, caption, MB_ICONERROR, mbpSystem, 0, 0);
}

} // namespace

QString DicLibraryFileName(const QString &LibraryName)
{
    for (const TLibraryFile &file : kLibraryFiles) {
        if (LibraryName == QLatin1String(file.libraryName))
            return QString::fromLatin1(file.fileName);
    }
    return LibraryName;
}

TDicLibrary::TDicLibrary(QString LibraryName, QStringList EntryPoints, int LoadErrorCode, int EntryErrorCode,
                         TMessageStyle Style)
    : m_name(std::move(LibraryName)), m_entryPoints(std::move(EntryPoints)), m_loadErrorCode(LoadErrorCode),
      m_entryErrorCode(EntryErrorCode), m_style(Style)
{
}

TDicLibrary::~TDicLibrary()
{
    if (m_library)
        m_library->unload();
}

int TDicLibrary::Load(const QString &Folder, const std::function<void()> &OnLoaded)
{
    QString errorText;
    QString errorCaption;
    int code = 0;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_userCount;
        if (m_library)
            return 0;

        // A use counts only while the library is really held: after a failed
        // load the next caller tries to load it again instead of being told
        // "loaded" and then finding nothing to call.
        auto library = std::make_unique<QLibrary>(Folder + DicLibraryFileName(m_name));
        std::vector<QFunctionPointer> addresses;
        if (!library->load()) {
            code = m_loadErrorCode;
            errorText = m_style == msProgramCaption
                            ? m_name + QStringLiteral(" LoadLibrary Error  \r\nDLLのロードに失敗しました  ")
                            : m_name + QStringLiteral("\r\nDLLのロードに失敗しました");
            errorCaption = m_style == msProgramCaption ? QStringLiteral("ピルカノス2014")
                                                       : m_name + QStringLiteral(" LoadLibrary Error");
        } else {
            for (const QString &entry : std::as_const(m_entryPoints)) {
                const QFunctionPointer address = library->resolve(entry.toLatin1().constData());
                if (address == nullptr) {
                    library->unload();
                    code = m_entryErrorCode;
                    errorText = m_style == msProgramCaption
                                    ? entry + QStringLiteral(" (") + m_name +
                                          QStringLiteral(") GetProcAddress Error  \r\n関数の割り当てに失敗しました  ")
                                    : entry + QStringLiteral("\r\n関数の割り当てに失敗しました");
                    errorCaption = m_style == msProgramCaption ? QStringLiteral("ピルカノス2014")
                                                               : m_name + QStringLiteral(" GetProcAddress Error");
                    break;
                }
                addresses.push_back(address);
            }
        }
        if (code != 0) {
            --m_userCount;
        } else {
            m_library = std::move(library);
            m_addresses = std::move(addresses);
            if (OnLoaded)
                OnLoaded();
        }
    }
    // The box runs an event loop: shown without the lock, so nothing that
    // runs meanwhile waits for it.
    if (code != 0)
        showLoadError(errorText, errorCaption);
    return code;
}

void TDicLibrary::Free(const std::function<void()> &OnUnloaded)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_userCount <= 0)
        return;
    --m_userCount;
    if (m_userCount == 0 && m_library) {
        m_library->unload();
        m_library.reset();
        m_addresses.clear();
        if (OnUnloaded)
            OnUnloaded();
    }
}

bool TDicLibrary::IsLoaded() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_library != nullptr;
}

int TDicLibrary::UserCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_userCount;
}

QFunctionPointer TDicLibrary::Symbol(const char *Name) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_library)
        return nullptr;
    const qsizetype index = m_entryPoints.indexOf(QLatin1String(Name));
    if (index < 0 || static_cast<std::size_t>(index) >= m_addresses.size())
        return nullptr;
    return m_addresses[static_cast<std::size_t>(index)];
}

std::vector<QFunctionPointer> TDicLibrary::Symbols() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_library ? m_addresses : std::vector<QFunctionPointer>();
}

TDicClassLibrary::TDicClassLibrary(const QString &LibraryName, const QStringList &EntryPoints, const QString &Folder,
                                   const TRaise &Raise)
{
    auto library = std::make_unique<QLibrary>(Folder + DicLibraryFileName(LibraryName));
    if (!library->load()) {
        Raise(LibraryName + QStringLiteral(" LoadLibrary Error\r\nDLLのロードに失敗しました"));
        return;
    }
    for (const QString &entry : EntryPoints) {
        const QFunctionPointer address = library->resolve(entry.toLatin1().constData());
        if (address == nullptr) {
            library->unload();
            Raise(entry + QStringLiteral(" (") + LibraryName +
                  QStringLiteral(") GetProcAddress Error\r\n関数の割り当てに失敗しました"));
            return;
        }
        m_addresses.push_back(address);
    }
    m_library = std::move(library);
}

TDicClassLibrary::~TDicClassLibrary()
{
    if (m_library)
        m_library->unload();
}

QString DicCallErrorText(const QString &Entry, const QString &LibraryName, int Code)
{
    return Entry + QStringLiteral(" (") + LibraryName + QStringLiteral(") Call Error\r\nRC = ") +
           QString::number(Code);
}

QString DicClassFolder(const QString &Folder)
{
    QString folder = Folder;
    if (folder.isEmpty())
        folder = AppPath.isEmpty() ? QCoreApplication::applicationDirPath() : AppPath;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}
