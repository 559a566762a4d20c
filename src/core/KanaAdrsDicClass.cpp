#include "core/KanaAdrsDicClass.h"

#include "core/DicFrame.h"
#include "core/DicResult.h"
#include "platform/Cp932.h"

#include <QFile>

#include <algorithm>

namespace
{

const QString kLibraryName = QStringLiteral("Wqk1ad.dll");
constexpr int kCityCodeLength = 5;

// A list of Capacity zeroed entries for the library to fill; a negative
// capacity holds nothing.
template <class T> void sizeList(std::vector<T> &list, int capacity)
{
    list.assign(static_cast<std::size_t>(std::max(capacity, 0)), T{});
}

} // namespace

TKanaAdrsSearch::TKanaAdrsSearch(const QString &LibFolder, const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder))
{
    static constexpr const char *kEntryPoints[] = {"WQK1ADTdfkn",    "WQK1ADTdfknPart",      "WQK1ADCityAll",
                                                   "WQK1ADOhazaAll", "WQK1ADOhazaAll_Chome", "WQK1ADAzaAll"};
    m_library = LoadDicClassLibrary<EWQK1ADError>(kLibraryName, kEntryPoints, m_libFolder, m_functions);
    WarnIfDicDataUnusable(m_dataFolder);
}

TKanaAdrsSearch::TKanaAdrsSearch(const TWqk1adFunctions &Functions, const QString &LibFolder, const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder)), m_functions(Functions)
{
}

TKanaAdrsSearch::~TKanaAdrsSearch() = default;

void TKanaAdrsSearch::raiseCallError(const char *Entry, int Code)
{
    throw EWQK1ADError(DicCallErrorText(QString::fromLatin1(Entry), kLibraryName, Code));
}

int TKanaAdrsSearch::SearchTdfkn(int Region)
{
    const bool all = Region == AllRegions;
    if (!all && (Region < 0 || Region > 5))
        throw EKanaAdrsSearchError(QStringLiteral("検索地域が範囲外です"));

    m_cities.clear();
    m_oazas.clear();
    const QByteArray folder = QFile::encodeName(m_dataFolder);
    sizeList(m_prefectures, all ? Wqk1adAllPrefectures : Wqk1adRegionSize);
    const int code = all ? m_functions.Tdfkn(m_prefectures.data(), folder.constData())
                         : m_functions.TdfknPart(Region, m_prefectures.data(), folder.constData());
    if (code != DicOk) {
        // Nothing found (or a failed call) leaves no blank prefectures behind.
        m_prefectures.clear();
        if (code != DicNotFound)
            raiseCallError(all ? "WQK1ADTdfkn" : "WQK1ADTdfknPart", code);
        return code;
    }
    if (!all) {
        // A region has fewer than ten prefectures: the unused entries at the
        // end have no name. A list without any name stays as it came.
        std::size_t size = m_prefectures.size();
        while (size > 1 && DicFieldText(m_prefectures[size - 1].Name).isEmpty())
            --size;
        if (size > 1 || !DicFieldText(m_prefectures[0].Name).isEmpty())
            m_prefectures.resize(size);
    }
    return DicOk;
}

int TKanaAdrsSearch::SearchCity(int Prefecture, int Capacity)
{
    if (Prefecture < 1 || Prefecture > Wqk1adAllPrefectures)
        throw EKanaAdrsSearchError(QStringLiteral("検索都道府県が範囲外です"));

    m_oazas.clear();
    sizeList(m_cities, Capacity);
    if (m_cities.empty())
        return DicNotFound; // no room: a prefecture without cities
    const QByteArray folder = QFile::encodeName(m_dataFolder);
    const int code = m_functions.CityAll(Prefecture, m_cities.data(), static_cast<std::int32_t>(m_cities.size()),
                                         folder.constData());
    if (code != DicOk) {
        m_cities.clear();
        if (code != DicNotFound)
            raiseCallError("WQK1ADCityAll", code);
    }
    return code;
}

int TKanaAdrsSearch::SearchOhaza(const QString &CityCode, int Capacity, bool WithChome)
{
    const QByteArray code = Cp932::encode(CityCode);
    if (code.size() != kCityCodeLength)
        throw EKanaAdrsSearchError(QStringLiteral("検索住所コードの桁数が違います"));

    sizeList(m_oazas, Capacity);
    if (m_oazas.empty())
        return DicNotFound; // no room: a city without oazas
    const QByteArray folder = QFile::encodeName(m_dataFolder);
    const TWQK1ADOhazaAll call = WithChome ? m_functions.OhazaAll_Chome : m_functions.OhazaAll;
    const int result =
        call(code.constData(), m_oazas.data(), static_cast<std::int32_t>(m_oazas.size()), folder.constData());
    if (result != DicOk) {
        m_oazas.clear();
        if (result != DicNotFound)
            raiseCallError(WithChome ? "WQK1ADOhazaAll_Chome" : "WQK1ADOhazaAll", result);
    }
    return result;
}

const TWqk1adPref *TKanaAdrsSearch::GetTdfkn(int I) const
{
    return DicListEntry<EKanaAdrsSearchError>(m_prefectures, I, QStringLiteral("都道府県検索の結果がありません"));
}

const TWqk1adCity *TKanaAdrsSearch::GetCity(int I) const
{
    return DicListEntry<EKanaAdrsSearchError>(m_cities, I, QStringLiteral("市区郡町村検索の結果がありません"));
}

const TWqk1adOhaza *TKanaAdrsSearch::GetOhaza(int I) const
{
    return DicListEntry<EKanaAdrsSearchError>(m_oazas, I, QStringLiteral("大字検索の結果がありません"));
}
