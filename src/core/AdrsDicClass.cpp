#include "core/AdrsDicClass.h"

#include "core/DicFrame.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/StrFunc.h"

#include <QFile>

#include <algorithm>

namespace {

const QString kLibraryName = QStringLiteral("Wqzs.dll");
// The library's longest search text in bytes (its buffer holds 255 with the NUL).
constexpr qsizetype kMaxTextBytes = 254;

} // namespace

TAdrsSearch::TAdrsSearch(const QString &LibFolder, const QString &DataFolder) : TDicTownLists(LibFolder, DataFolder)
{
    static constexpr const char *kEntryPoints[] = {"WQZsJisCount", "WQZsJisList",    "WQZsTownCount",
                                                   "WQZsTownList", "WQZsLargeCount", "WQZsLargeList"};
    m_library = LoadDicClassLibrary<EWQZsError>(kLibraryName, kEntryPoints, m_libFolder, m_functions);
    WarnIfDicDataUnusable(m_dataFolder);
}

TAdrsSearch::TAdrsSearch(const TWqzsFunctions &Functions, const QString &LibFolder, const QString &DataFolder)
    : TDicTownLists(LibFolder, DataFolder), m_functions(Functions)
{
}

TAdrsSearch::~TAdrsSearch() = default;

void TAdrsSearch::raiseCallError(const char *Entry, int Code)
{
    throw EWQZsError(DicCallErrorText(QString::fromLatin1(Entry), kLibraryName, Code));
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

int TAdrsSearch::searchTowns(const TWqzsCity &City, bool Large)
{
    const QByteArray folder = QFile::encodeName(m_dataFolder);
    std::int32_t count = 0;
    const int code = Large ? m_functions.LargeCount(m_text.constData(), &City, &count, folder.constData())
                           : m_functions.TownCount(m_text.constData(), &City, &count, folder.constData());
    if (code == DicWrongInput || code == DicNotFound)
        return code;
    if (code != DicOk)
        raiseCallError(Large ? "WQZsLargeCount" : "WQZsTownCount", code);

    sizeTownLists(static_cast<std::size_t>(std::max(count, 0)), Large);
    const auto listCount = static_cast<std::int32_t>(m_towns.size());
    const int listCode =
        Large ? m_functions.LargeList(m_text.constData(), &City, m_towns.data(), m_larges.data(), listCount,
                                      folder.constData())
              : m_functions.TownList(m_text.constData(), &City, m_towns.data(), listCount, folder.constData());
    if (listCode != DicOk)
        raiseCallError(Large ? "WQZsLargeList" : "WQZsTownList", listCode);
    return DicOk;
}

void TAdrsSearch::setCityFields(const TWqzsCity &City, TDicAdrsResult &Result) const
{
    SetDicField(Result.PrefKana, DicFieldText(City.PrefKana));
    SetDicField(Result.Pref, DicFieldText(City.Pref));
    SetDicField(Result.CityKana, DicFieldText(City.CityKana));
    SetDicField(Result.City, DicFieldText(City.City));
    SetDicField(Result.CityCode, DicFieldText(City.CityCode), true);
}
