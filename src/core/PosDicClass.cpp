#include "core/PosDicClass.h"

#include "core/DicFrame.h"
#include "platform/Cp932.h"
#include "util/StrFunc.h"

#include <QFile>

#include <algorithm>

namespace {

const QString kLibraryName = QStringLiteral("Wqzplst.dll");
} // namespace

TPosSearch::TPosSearch(const QString &LibFolder, const QString &DataFolder) : TDicTownLists(LibFolder, DataFolder)
{
    static constexpr const char *kEntryPoints[] = {"WQZPLSTFirst",      "WQZPLSTCityList", "WQZPLSTTownList",
                                                   "WQZPLSTLgTownList", "WQZPLSTClose",    "WQZPLSTPost"};
    m_library = LoadDicClassLibrary<EWqzplstError>(kLibraryName, kEntryPoints, m_libFolder, m_functions);
    WarnIfDicDataUnusable(m_dataFolder);
}

TPosSearch::TPosSearch(const TWqzplstFunctions &Functions, const QString &LibFolder, const QString &DataFolder)
    : TDicTownLists(LibFolder, DataFolder), m_functions(Functions)
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

int TPosSearch::searchTowns(const TWqzplstCity &City, bool Large)
{
    const int count = Large ? City.LargeCount : City.TownCount;
    if (count <= 0)
        return DicNotFound;

    sizeTownLists(static_cast<std::size_t>(count), Large);
    const int code = Large ? m_functions.LgTownList(m_handle, &City, m_towns.data(), m_larges.data(), 0, count)
                           : m_functions.TownList(m_handle, &City, m_towns.data(), 0, count);
    if (code == DicNotFound) {
        // Zero-filled entries are no result.
        m_towns.clear();
        m_larges.clear();
        return code;
    }
    if (code != DicOk)
        raiseCallError(Large ? "WQZPLSTLgTownList" : "WQZPLSTTownList", code);
    return DicOk;
}

void TPosSearch::setCityFields(const TWqzplstCity &City, TDicAdrsResult &Result) const
{
    // The city entry holds prefecture and city together, reading and name.
    QByteArray pref;
    QByteArray rest;
    SplitPrefectureKana(DicFieldText(City.Kana), pref, rest);
    SetDicField(Result.PrefKana, pref);
    SetDicField(Result.CityKana, rest);
    SplitPrefecture(DicFieldText(City.Name), pref, rest);
    SetDicField(Result.Pref, pref);
    SetDicField(Result.City, rest);
    SetDicField(Result.CityCode, DicFieldText(City.CityCode), true);
}
