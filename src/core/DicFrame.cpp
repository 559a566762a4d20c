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
constexpr std::array<TLibraryFile, 8> kLibraryFiles{{
    {"Wqhyp.dll", "libwqhyp.so"},
    {"Wqarea17.dll", "libwqarea17.so"},
    {"Wqmtad.dll", "libwqmtad.so"},
    {"Wqk1ad.dll", "libwqk1ad.so"},
    {"WQZsCnv.dll", "libwqzscnv.so"},
    {"Wqtel.dll", "libwqtel.so"},
    {"Wqzplst.dll", "libwqzplst.so"},
    {"Wqzs.dll", "libwqzs.so"},
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

int TDicLibrary::Load(const QString &Folder)
{
    // A use counts only while the library is really held: after a failed
    // load the next caller tries to load it again instead of being told
    // "loaded" and then finding nothing to call.
    ++m_userCount;
    if (m_userCount > 1 && m_library)
        return 0;

    auto library = std::make_unique<QLibrary>(Folder + DicLibraryFileName(m_name));
    if (!library->load()) {
        if (m_style == msProgramCaption)
            showLoadError(m_name + QStringLiteral(" LoadLibrary Error  \r\nDLLのロードに失敗しました  "),
                          QStringLiteral("ピルカノス2014"));
        else
            showLoadError(m_name + QStringLiteral("\r\nDLLのロードに失敗しました"),
                          m_name + QStringLiteral(" LoadLibrary Error"));
        --m_userCount;
        return m_loadErrorCode;
    }

    std::vector<QFunctionPointer> addresses;
    for (const QString &entry : std::as_const(m_entryPoints)) {
        const QFunctionPointer address = library->resolve(entry.toLatin1().constData());
        if (address == nullptr) {
            if (m_style == msProgramCaption)
                showLoadError(entry + QStringLiteral(" (") + m_name +
                                  QStringLiteral(") GetProcAddress Error  \r\n関数の割り当てに失敗しました  "),
                              QStringLiteral("ピルカノス2014"));
            else
                showLoadError(entry + QStringLiteral("\r\n関数の割り当てに失敗しました"),
                              m_name + QStringLiteral(" GetProcAddress Error"));
            m_library = std::move(library);
            Free();
            return m_entryErrorCode;
        }
        addresses.push_back(address);
    }
    m_library = std::move(library);
    m_addresses = std::move(addresses);
    return 0;
}

void TDicLibrary::Free()
{
    if (m_userCount <= 0)
        return;
    --m_userCount;
    if (m_userCount == 0 && m_library) {
        m_library->unload();
        m_library.reset();
        m_addresses.clear();
    }
}

QFunctionPointer TDicLibrary::Symbol(const char *Name) const
{
    if (!m_library)
        return nullptr;
    const qsizetype index = m_entryPoints.indexOf(QLatin1String(Name));
    if (index < 0 || static_cast<std::size_t>(index) >= m_addresses.size())
        return nullptr;
    return m_addresses[static_cast<std::size_t>(index)];
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
