#include "core/AdrsDicClass.h"

#include "core/DicFrame.h"
#include "core/WqmtadWrapper.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/StrFunc.h"

#include <QFile>

#include <algorithm>

namespace {

const QString kLibraryName = QStringLiteral("Wqzs.dll");
// The library's longest search text in bytes (its buffer holds 255 with the NUL).
constexpr qsizetype kMaxTextBytes = 254;

template <class T>
const T *entryAt(const std::vector<T> &list, int index, const QString &emptyMessage)
{
    if (list.empty())
        throw EAdrsSearchError(emptyMessage);
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        return nullptr;
    return &list[static_cast<std::size_t>(index)];
}

} // namespace

TAdrsSearch::TAdrsSearch(const QString &LibFolder, const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder))
{
    m_library = std::make_unique<TDicClassLibrary>(
        kLibraryName,
        QStringList{QStringLiteral("WQZsJisCount"), QStringLiteral("WQZsJisList"), QStringLiteral("WQZsTownCount"),
                    QStringLiteral("WQZsTownList"), QStringLiteral("WQZsLargeCount"),
                    QStringLiteral("WQZsLargeList")},
        m_libFolder, [](const QString &message) { throw EWQZsError(message); });
    m_functions.JisCount = reinterpret_cast<TWQZsJisCount>(m_library->Symbol(0));
    m_functions.JisList = reinterpret_cast<TWQZsJisList>(m_library->Symbol(1));
    m_functions.TownCount = reinterpret_cast<TWQZsTownCount>(m_library->Symbol(2));
    m_functions.TownList = reinterpret_cast<TWQZsTownList>(m_library->Symbol(3));
    m_functions.LargeCount = reinterpret_cast<TWQZsLargeCount>(m_library->Symbol(4));
    m_functions.LargeList = reinterpret_cast<TWQZsLargeList>(m_library->Symbol(5));
}

TAdrsSearch::TAdrsSearch(const TWqzsFunctions &Functions, const QString &LibFolder, const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder)), m_functions(Functions)
{
}

TAdrsSearch::~TAdrsSearch() = default;

void TAdrsSearch::raiseCallError(const char *Entry, int Code)
{
    throw EWQZsError(DicCallErrorText(QString::fromLatin1(Entry), kLibraryName, Code));
}

void TAdrsSearch::clearLists()
{
    m_cities.clear();
    m_towns.clear();
    m_larges.clear();
    m_cityIndex = -1;
    m_kind = -1;
}

int TAdrsSearch::SearchAddress(const QString &Text)
{
    const QString text = ToFullWidthW(TrimBlanks(Text));
    if (text.isEmpty())
        throw EAdrsSearchError(QStringLiteral("検索住所が未入力です"));
    m_text = Cp932::truncated(Cp932::encode(text), kMaxTextBytes);

    const QByteArray folder = QFile::encodeName(m_dataFolder);
    std::int32_t count = 0;
    const int code = m_functions.JisCount(m_text.constData(), &count, folder.constData());
    if (code == DicWrongInput || code == DicNotFound) {
        // The lists of the previous text must not answer for this one.
        clearLists();
        return code;
    }
    if (code != DicOk)
        raiseCallError("WQZsJisCount", code);

    clearLists();
    m_cities.assign(static_cast<std::size_t>(std::max(count, 0)), TWqzsCity{});
    const int listCode =
        m_functions.JisList(m_text.constData(), m_cities.data(), static_cast<std::int32_t>(m_cities.size()),
                            folder.constData());
    if (listCode != DicOk)
        raiseCallError("WQZsJisList", listCode);
    return DicOk;
}

int TAdrsSearch::SearchTown(int CityIndex, int Kind)
{
    if (CityIndex == m_cityIndex && Kind == m_kind)
        return DicOk;
    const TWqzsCity *city = GetCity(CityIndex);
    if (city == nullptr)
        return DicWrongInput;

    m_cityIndex = CityIndex;
    m_kind = Kind;
    m_towns.clear();
    m_larges.clear();

    const bool large = Kind != 0;
    const QByteArray folder = QFile::encodeName(m_dataFolder);
    std::int32_t count = 0;
    const int code = large ? m_functions.LargeCount(m_text.constData(), city, &count, folder.constData())
                           : m_functions.TownCount(m_text.constData(), city, &count, folder.constData());
    if (code == DicWrongInput || code == DicNotFound)
        return code;
    if (code != DicOk)
        raiseCallError(large ? "WQZsLargeCount" : "WQZsTownCount", code);

    const auto size = static_cast<std::size_t>(std::max(count, 0));
    m_towns.assign(size, TWqzsTown{});
    if (large)
        m_larges.assign(size, TDicLarge{});
    const auto listCount = static_cast<std::int32_t>(size);
    const int listCode =
        large ? m_functions.LargeList(m_text.constData(), city, m_towns.data(), m_larges.data(), listCount,
                                      folder.constData())
              : m_functions.TownList(m_text.constData(), city, m_towns.data(), listCount, folder.constData());
    if (listCode != DicOk)
        raiseCallError(large ? "WQZsLargeList" : "WQZsTownList", listCode);
    return DicOk;
}

const TWqzsCity *TAdrsSearch::GetCity(int I) const
{
    return entryAt(m_cities, I, QStringLiteral("市区郡町村検索の結果がありません"));
}

const TWqzsTown *TAdrsSearch::GetTown(int I) const
{
    return entryAt(m_towns, I, QStringLiteral("町大字検索の結果がありません"));
}

const TDicLarge *TAdrsSearch::GetLarge(int I) const
{
    return entryAt(m_larges, I, QStringLiteral("大口事業所検索の結果がありません"));
}

const TDicAdrsResult *TAdrsSearch::GetAddress(int Index, bool Detail)
{
    const TWqzsCity *city = GetCity(m_cityIndex);
    if (city == nullptr)
        return nullptr;
    const TWqzsTown *town = nullptr;
    const TDicLarge *large = nullptr;
    const bool largeKind = m_kind != 0;
    if (Index >= 0) {
        town = GetTown(Index);
        if (largeKind)
            large = GetLarge(Index);
        if (town == nullptr || (largeKind && large == nullptr))
            return nullptr;
    }

    m_result = TDicAdrsResult{};
    SetDicField(m_result.PrefKana, DicFieldText(city->PrefKana));
    SetDicField(m_result.Pref, DicFieldText(city->Pref));
    SetDicField(m_result.CityKana, DicFieldText(city->CityKana));
    SetDicField(m_result.City, DicFieldText(city->City));
    SetDicField(m_result.CityCode, DicFieldText(city->CityCode), true);
    if (town != nullptr) {
        SetDicField(m_result.Postcode, FormatDicPostcode(DicFieldText(town->Postcode)));
        SetDicField(m_result.TownKana, DicFieldText(town->TownKana));
        SetDicField(m_result.Town, DicFieldText(town->Town));
        SetDicField(m_result.TownCode, DicFieldText(town->TownCode), true);
    }
    if (large != nullptr) {
        SetDicField(m_result.LargeKana, DicFieldText(large->Kana));
        SetDicField(m_result.Large, DicFieldText(large->Name));
    }

    if (Detail && Index >= 0 && LoadWqmtad(m_libFolder) == 0) {
        // A failed load has shown its box and left no use to release.
        CompleteDicDetail(m_result, m_dataFolder, !largeKind);
        FreeWqmtad();
    }
    return &m_result;
}
