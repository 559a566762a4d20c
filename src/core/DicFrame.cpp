#include "core/DicFrame.h"

#include "core/Env.h"
#include "platform/dic/DicApi.h"
#include "platform/dic/store/DicSchema.h"
#include "platform/dic/store/DicStore.h"
#include "util/MsgBoxPos.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QThread>

#include <array>
#include <map>
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

// The codes of a shared search-class library's failed load: the search
// classes raise their own texts for them, no code leaves this file.
constexpr int kClassLoadError = 1;
constexpr int kClassEntryError = 2;

// Whether the unusable dictionary data has been named in this run.
struct TDataWarning {
    std::mutex mutex;
    bool told = false;
};

TDataWarning &dataWarning()
{
    static TDataWarning instance;
    return instance;
}

// Why the file cannot be used, in words the user can act on.
QString dataProblemText(const TDicDataCheck &Check)
{
    switch (Check.problem) {
    case TDicDataProblem::missing:
        return QStringLiteral("辞書データのファイルがありません");
    case TDicDataProblem::otherFormat:
        return Check.format < DicSchemaVersion
                   ? QStringLiteral("辞書データのファイルが古い形式です（形式 %1、このプログラムには形式 %2 が必要です）")
                         .arg(Check.format)
                         .arg(DicSchemaVersion)
                   : QStringLiteral("辞書データのファイルがこのプログラムより新しい形式です（形式 %1、このプログラムは形式 %2）")
                         .arg(Check.format)
                         .arg(DicSchemaVersion);
    case TDicDataProblem::unreadable:
    case TDicDataProblem::none:
        break;
    }
    return QStringLiteral("辞書データのファイルが壊れているか、読み込めません");
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

int TDicLibrary::LoadQuietly(const QString &Folder, QString *MissingEntry, const std::function<void()> &OnLoaded)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    ++m_userCount;
    if (m_library)
        return 0;

    // A use counts only while the library is really held: after a failed
    // load the next caller tries to load it again instead of being told
    // "loaded" and then finding nothing to call.
    auto library = std::make_unique<QLibrary>(Folder + DicLibraryFileName(m_name));
    if (!library->load()) {
        --m_userCount;
        return m_loadErrorCode;
    }
    std::vector<QFunctionPointer> addresses;
    for (const QString &entry : std::as_const(m_entryPoints)) {
        const QFunctionPointer address = library->resolve(entry.toLatin1().constData());
        if (address == nullptr) {
            library->unload();
            --m_userCount;
            if (MissingEntry != nullptr)
                *MissingEntry = entry;
            return m_entryErrorCode;
        }
        addresses.push_back(address);
    }
    m_library = std::move(library);
    m_addresses = std::move(addresses);
    if (OnLoaded)
        OnLoaded();
    return 0;
}

int TDicLibrary::Load(const QString &Folder, const std::function<void()> &OnLoaded)
{
    QString entry;
    const int code = LoadQuietly(Folder, &entry, OnLoaded);
    if (code == 0)
        return code;
    // The box runs an event loop: shown without the lock, so nothing that
    // runs meanwhile waits for it.
    const bool program = m_style == msProgramCaption;
    if (code == m_loadErrorCode) {
        showLoadError(program ? m_name + QStringLiteral(" LoadLibrary Error  \r\nDLLのロードに失敗しました  ")
                              : m_name + QStringLiteral("\r\nDLLのロードに失敗しました"),
                      program ? ProductCaption() : m_name + QStringLiteral(" LoadLibrary Error"));
    } else {
        showLoadError(program ? entry + QStringLiteral(" (") + m_name +
                                    QStringLiteral(") GetProcAddress Error  \r\n関数の割り当てに失敗しました  ")
                              : entry + QStringLiteral("\r\n関数の割り当てに失敗しました"),
                      program ? ProductCaption() : m_name + QStringLiteral(" GetProcAddress Error"));
    }
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

TDicLibrary::TCall TDicLibrary::Call(std::function<void()> OnUnloaded)
{
    TCall call;
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_library)
        return call;
    ++m_userCount;
    call.m_library = this;
    call.m_addresses = &m_addresses;
    call.m_onUnloaded = std::move(OnUnloaded);
    return call;
}

TDicLibrary::TCall::TCall(TCall &&Other) noexcept
    : m_library(std::exchange(Other.m_library, nullptr)), m_addresses(std::exchange(Other.m_addresses, nullptr)),
      m_onUnloaded(std::move(Other.m_onUnloaded))
{
}

TDicLibrary::TCall::~TCall()
{
    if (m_library != nullptr)
        m_library->Free(m_onUnloaded);
}

QFunctionPointer TDicLibrary::TCall::Symbol(std::size_t Index) const
{
    return m_addresses != nullptr && Index < m_addresses->size() ? (*m_addresses)[Index] : nullptr;
}

const std::vector<QFunctionPointer> &TDicLibrary::TCall::Symbols() const
{
    static const std::vector<QFunctionPointer> none;
    return m_addresses != nullptr ? *m_addresses : none;
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

TDicLibrary &SharedDicLibrary(const QString &LibraryName, const QStringList &EntryPoints, const QString &Folder)
{
    // Kept to the end of the program: a search object on any thread may
    // still hold one, and the few files there are cost nothing.
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<TDicLibrary>> libraries;
    const QString path = Folder + DicLibraryFileName(LibraryName);
    const std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<TDicLibrary> &library = libraries[path];
    if (!library)
        library = std::make_unique<TDicLibrary>(LibraryName, EntryPoints, kClassLoadError, kClassEntryError);
    return *library;
}

TDicClassLibrary::TDicClassLibrary(const QString &LibraryName, const QStringList &EntryPoints, const QString &Folder,
                                   const TRaise &Raise)
{
    TDicLibrary &library = SharedDicLibrary(LibraryName, EntryPoints, Folder);
    QString entry;
    const int code = library.LoadQuietly(Folder, &entry);
    if (code == kClassLoadError) {
        Raise(LibraryName + QStringLiteral(" LoadLibrary Error\r\nDLLのロードに失敗しました"));
        return;
    }
    if (code != 0) {
        Raise(entry + QStringLiteral(" (") + LibraryName +
              QStringLiteral(") GetProcAddress Error\r\n関数の割り当てに失敗しました"));
        return;
    }
    m_library = &library;
    m_addresses = library.Symbols();
}

TDicClassLibrary::~TDicClassLibrary()
{
    if (m_library != nullptr)
        m_library->Free();
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

void WarnIfDicDataUnusable(const QString &DataFolder)
{
    TDataWarning &warning = dataWarning();
    QString text;
    {
        // Checked under the lock: searches made at once on several threads
        // say it once between them.
        const std::lock_guard<std::mutex> lock(warning.mutex);
        if (warning.told)
            return;
        const TDicDataCheck check = TDicStore::check(QFile::encodeName(DataFolder).toStdString());
        if (check.problem == TDicDataProblem::none)
            return;
        warning.told = true;
        text = QStringLiteral("辞書データを使えないため、住所・郵便番号・電話番号の辞書検索と市町村コードの取得では"
                              "何も見つかりません  \r\n\r\n理由: %1  \r\nファイル: %2  \r\n\r\n"
                              "辞書データを入れ直してください  ")
                   .arg(dataProblemText(check),
                        QDir::toNativeSeparators(DataFolder + QString::fromLatin1(DicDataFileName)));
    }
    const auto show = [text] {
        ShowMessageBoxAt(nullptr, text, ProductCaption(), MB_ICONWARNING, mbpSystem, 0, 0);
    };
    QCoreApplication *application = QCoreApplication::instance();
    if (application == nullptr)
        return;
    // A box belongs to the main thread: a search made on another thread
    // has it shown there.
    if (QThread::currentThread() == application->thread())
        show();
    else
        QMetaObject::invokeMethod(application, show, Qt::QueuedConnection);
}

void ResetDicDataWarningForTesting()
{
    const std::lock_guard<std::mutex> lock(dataWarning().mutex);
    dataWarning().told = false;
}
