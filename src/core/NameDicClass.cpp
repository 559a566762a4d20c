#include "core/NameDicClass.h"

#include "core/DicFrame.h"

#include <QFile>
#include <QLibrary>

#include <cstring>

namespace {

QByteArray fieldText(const char *field, std::size_t size)
{
    return QByteArray(field, static_cast<qsizetype>(strnlen(field, size)));
}

} // namespace

TNameDicLibrary::TNameDicLibrary() = default;

TNameDicLibrary::~TNameDicLibrary()
{
    Free();
}

bool TNameDicLibrary::Load(const QString &DllFolder)
{
    Free();
    auto library = std::make_unique<QLibrary>(DllFolder + DicLibraryFileName(QStringLiteral("WqName99a.dll")));
    if (!library->load())
        return false;
    const TWqnameFunctions functions{
        reinterpret_cast<TWQNMCount>(library->resolve("WQNMSeiCount")),
        reinterpret_cast<TWQNMCount>(library->resolve("WQNMMeiCount")),
        reinterpret_cast<TWQNMList>(library->resolve("WQNMSeiList")),
        reinterpret_cast<TWQNMList>(library->resolve("WQNMMeiList")),
    };
    if (!functions.SeiCount || !functions.MeiCount || !functions.SeiList || !functions.MeiList) {
        library->unload();
        return false;
    }
    m_library = std::move(library);
    m_functions = functions;
    return true;
}

void TNameDicLibrary::UseFunctions(const TWqnameFunctions &Functions)
{
    Free();
    m_functions = Functions;
}

void TNameDicLibrary::Free()
{
    m_functions = {};
    if (m_library) {
        m_library->unload();
        m_library.reset();
    }
}

int TNameDicLibrary::Count(const QByteArray &Reading, bool GivenName, const QString &DicFolder) const
{
    if (!IsLoaded() || Reading.isEmpty())
        return 0;
    std::int32_t count = 0;
    const QByteArray folder = QFile::encodeName(DicFolder);
    (void)(GivenName ? m_functions.MeiCount : m_functions.SeiCount)(Reading.constData(), 0, &count,
                                                                    folder.constData());
    return count < 0 ? 0 : count;
}

int TNameDicLibrary::List(const QByteArray &Reading, bool GivenName, int Count, const QString &DicFolder,
                          std::vector<TNameCandidate> &Out) const
{
    Out.clear();
    if (!IsLoaded())
        return 103;
    if (Count <= 0)
        return DicWrongInput;
    std::vector<TWqnameEntry> entries(static_cast<std::size_t>(Count));
    const QByteArray folder = QFile::encodeName(DicFolder);
    const int rc = (GivenName ? m_functions.MeiList : m_functions.SeiList)(Reading.constData(), 0, entries.data(),
                                                                          Count, folder.constData());
    if (rc == DicOk)
        Out = ReadEntries(entries.data(), Count);
    return rc;
}

std::vector<TNameCandidate> TNameDicLibrary::ReadEntries(const TWqnameEntry *Entries, int Count)
{
    std::vector<TNameCandidate> out;
    for (int i = 0; i < Count; ++i) {
        const TWqnameEntry &entry = Entries[i];
        TNameCandidate candidate{fieldText(entry.Reading, sizeof entry.Reading),
                                 fieldText(entry.Kanji, sizeof entry.Kanji)};
        if (candidate.Kanji.isEmpty())
            break;
        out.push_back(std::move(candidate));
    }
    return out;
}
