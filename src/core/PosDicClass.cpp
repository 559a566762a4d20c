#include "core/PosDicClass.h"

#include "core/DicFrame.h"
#include "core/WqmtadWrapper.h"
#include "platform/Cp932.h"
#include "util/StrFunc.h"

#include <QFile>

#include <algorithm>

namespace {

const QString kLibraryName = QStringLiteral("Wqzplst.dll");

template <class T>
const T *entryAt(const std::vector<T> &list, int index, const QString &emptyMessage)
{
    if (list.empty())
        throw EPosSearchError(emptyMessage);
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        return nullptr;
    return &list[static_cast<std::size_t>(index)];
}

} // namespace

TPosSearch::TPosSearch(const QString &LibFolder, const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder))
{
    m_library = std::make_unique<TDicClassLibrary>(
        kLibraryName,
        QStringList{QStringLiteral("WQZPLSTFirst"), QStringLiteral("WQZPLSTCityList"),
                    QStringLiteral("WQZPLSTTownList"), QStringLiteral("WQZPLSTLgTownList"),
                    QStringLiteral("WQZPLSTClose"), QStringLiteral("WQZPLSTPost")},
        m_libFolder, [](const QString &message) { throw EWqzplstError(message); });
    m_functions.First = reinterpret_cast<TWQZPLSTFirst>(m_library->Symbol(0));
    m_functions.CityList = reinterpret_cast<TWQZPLSTCityList>(m_library->Symbol(1));
    m_functions.TownList = reinterpret_cast<TWQZPLSTTownList>(m_library->Symbol(2));
    m_functions.LgTownList = reinterpret_cast<TWQZPLSTLgTownList>(m_library->Symbol(3));
    m_functions.Close = reinterpret_cast<TWQZPLSTClose>(m_library->Symbol(4));
    m_functions.Post = reinterpret_cast<TWQZPLSTPost>(m_library->Symbol(5));
}

TPosSearch::TPosSearch(const TWqzplstFunctions &Functions, const QString &LibFolder, const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder)), m_functions(Functions)
{
}

TPosSearch::~TPosSearch()
{
    // The list belongs to the library: close it before the library goes.
    closeList();
}

void TPosSearch::raiseCallError(const char *Entry, int Code)
{
    throw EWqzplstError(DicCallErrorText(QString::fromLatin1(Entry), kLibraryName, Code));
}

void TPosSearch::closeList()
{
    if (m_handle != nullptr) {
        (void)m_functions.Close(m_handle);
        m_handle = nullptr;
    }
}

void TPosSearch::clearLists()
{
    m_cities.clear();
    m_towns.clear();
    m_larges.clear();
    m_cityIndex = -1;
    m_kind = -1;
}

int TPosSearch::SearchPostcode(const QString &Postcode, QString *FormattedOut)
{
    const QByteArray digits = FilterNumberChars(Cp932::encode(Postcode), nckDigits);
    if (digits.isEmpty())
        throw EPosSearchError(QStringLiteral("検索郵便番号が未入力です"));
    m_digits = digits;

    closeList();
    std::int32_t count = 0;
    std::int16_t status = 0;
    m_handle = m_functions.First(m_digits.constData(), &count, &status,
                                 QFile::encodeName(m_dataFolder).constData());
    if (status == DicWrongInput || status == DicNotFound) {
        // The old lists belong to the list just closed: nothing may use them.
        clearLists();
        return status;
    }
    if (status != DicOk)
        raiseCallError("WQZPLSTFirst", status);

    if (FormattedOut != nullptr)
        *FormattedOut = QString::fromLatin1(FormatDicPostcode(m_digits));
    clearLists();
    m_cities.assign(static_cast<std::size_t>(std::max(count, 0)), TWqzplstCity{});
    const int code =
        m_functions.CityList(m_handle, m_cities.data(), 0, static_cast<std::int32_t>(m_cities.size()));
    if (code != DicOk)
        raiseCallError("WQZPLSTCityList", code);
    return DicOk;
}

int TPosSearch::SearchTown(int CityIndex, int Kind)
{
    if (CityIndex == m_cityIndex && Kind == m_kind)
        return DicOk;
    const TWqzplstCity *city = GetCity(CityIndex);
    if (city == nullptr)
        return DicWrongInput;

    m_cityIndex = CityIndex;
    m_kind = Kind;
    m_towns.clear();
    m_larges.clear();

    const bool large = Kind != 0;
    const int count = large ? city->LargeCount : city->TownCount;
    if (count <= 0)
        return DicNotFound;

    const auto size = static_cast<std::size_t>(count);
    m_towns.assign(size, TWqzplstTown{});
    if (large)
        m_larges.assign(size, TDicLarge{});
    const int code = large ? m_functions.LgTownList(m_handle, city, m_towns.data(), m_larges.data(), 0, count)
                           : m_functions.TownList(m_handle, city, m_towns.data(), 0, count);
    if (code == DicNotFound) {
        // Zero-filled entries are no result.
        m_towns.clear();
        m_larges.clear();
        return code;
    }
    if (code != DicOk)
        raiseCallError(large ? "WQZPLSTLgTownList" : "WQZPLSTTownList", code);
    return DicOk;
}

const TWqzplstCity *TPosSearch::GetCity(int I) const
{
    return entryAt(m_cities, I, QStringLiteral("市区郡町村検索の結果がありません"));
}

const TWqzplstTown *TPosSearch::GetTown(int I) const
{
    return entryAt(m_towns, I, QStringLiteral("町大字検索の結果がありません"));
}

const TDicLarge *TPosSearch::GetLarge(int I) const
{
    return entryAt(m_larges, I, QStringLiteral("大口事業所検索の結果がありません"));
}

const TDicAdrsResult *TPosSearch::GetAddress(int Index, bool Detail)
{
    const TWqzplstCity *city = GetCity(m_cityIndex);
    if (city == nullptr)
        return nullptr;
    const TWqzplstTown *town = nullptr;
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
    // The city entry holds prefecture and city together, reading and name.
    QByteArray pref;
    QByteArray rest;
    SplitPrefectureKana(DicFieldText(city->Kana), pref, rest);
    SetDicField(m_result.PrefKana, pref);
    SetDicField(m_result.CityKana, rest);
    SplitPrefecture(DicFieldText(city->Name), pref, rest);
    SetDicField(m_result.Pref, pref);
    SetDicField(m_result.City, rest);
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
