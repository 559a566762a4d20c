#include "core/KykbnDicClass.h"

#include "core/DicFrame.h"
#include "core/WqhypWrapper.h"
#include "platform/Cp932.h"
#include "util/StrFunc.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace
{

const QString kLibraryName = QStringLiteral("Wqtel.dll");

// Closes a town search however SearchTown leaves, so no handle is left open
// behind an exception.
class TTownSearchCloser
{
public:
    TTownSearchCloser(TWQTLTown2Close Close, void *Handle) : m_close(Close), m_handle(Handle) {}
    ~TTownSearchCloser()
    {
        if (m_handle != nullptr)
            m_close(m_handle);
    }
    TTownSearchCloser(const TTownSearchCloser &) = delete;
    TTownSearchCloser &operator=(const TTownSearchCloser &) = delete;

private:
    TWQTLTown2Close m_close;
    void *m_handle;
};

} // namespace

TKykbnSearch::TKykbnSearch(const QString &LibFolder, const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder))
{
    static constexpr const char *kEntryPoints[] = {"WQTLPrefix", "WQTLCity2", "WQTLTown2First",
                                                   "WQTLTown2Close", "WQTLTown2Next", "WQTLTown2Prev"};
    m_library = LoadDicClassLibrary<EWQTelError>(kLibraryName, kEntryPoints, m_libFolder, m_functions);
    WarnIfDicDataUnusable(m_dataFolder);
}

TKykbnSearch::TKykbnSearch(const TWqtelFunctions &Functions, const QString &LibFolder, const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder)), m_functions(Functions)
{
}

TKykbnSearch::~TKykbnSearch() = default;

void TKykbnSearch::raiseCallError(const char *Entry, int Code)
{
    throw EWQTelError(DicCallErrorText(QString::fromLatin1(Entry), kLibraryName, Code));
}

QByteArray TKykbnSearch::hyphenatedPhone() const
{
    // The hyphenation library is held only for this call; when it cannot be
    // loaded the digits stay as they are.
    QByteArray number = m_phone;
    const bool loaded = LoadWqhyp(m_libFolder, m_dataFolder) == 0;
    (void)CallWqhypGetHyphen(number, m_dataFolder);
    if (loaded)
        FreeWqhyp();
    return number;
}

int TKykbnSearch::SearchPrefix(const QString &Phone, QString *PhoneOut)
{
    m_phone = FilterNumberChars(Cp932::encode(Phone), nckDigits);
    if (m_phone.isEmpty())
        throw EKykbnSearchError(QStringLiteral("検索電話番号が未入力です"));

    const QByteArray folder = QFile::encodeName(m_dataFolder);
    std::array<char, WqtelPrefixSize> prefix{};
    std::int16_t count = 0;
    const int code = m_functions.Prefix(m_phone.constData(), prefix.data(), &count, folder.constData());
    if (code == DicWrongInput || code == DicNotFound) {
        // The lists of the previous number must not answer for this one.
        m_cityIndex = -1;
        m_townAnswer = -1;
        m_cities.clear();
        m_towns.clear();
        return code;
    }
    if (code != DicOk)
        raiseCallError("WQTLPrefix", code);

    if (PhoneOut != nullptr)
        *PhoneOut = Cp932::decode(hyphenatedPhone());

    m_cityIndex = -1;
    m_townAnswer = -1;
    m_towns.clear();
    m_cities.assign(WqtelMaxCities, TWqtelCity{});
    const int cityCode = m_functions.City2(m_phone.constData(), m_cities.data(), folder.constData());
    if (cityCode != DicOk)
        raiseCallError("WQTLCity2", cityCode);
    // The library fills at most 20 entries, whatever count it reported.
    m_cities.resize(static_cast<std::size_t>(std::clamp<int>(count, 0, WqtelMaxCities)));
    return DicOk;
}

int TKykbnSearch::SearchTown(int CityIndex)
{
    if (CityIndex == m_cityIndex && m_townAnswer >= 0)
        return m_townAnswer;
    const TWqtelCity *city = GetCity(CityIndex);
    if (city == nullptr)
        return DicWrongInput;

    m_cityIndex = CityIndex;
    m_townAnswer = -1;
    m_towns.clear();
    try {
        m_townAnswer = searchTowns(*city);
    } catch (...) {
        m_towns.clear();
        throw;
    }
    if (m_townAnswer != DicOk)
        m_towns.clear(); // nothing found is no list, now or when asked again
    return m_townAnswer;
}

int TKykbnSearch::searchTowns(const TWqtelCity &City)
{
    const int count = std::max<std::int32_t>(City.TownCount, 0);
    if (count == 0)
        return DicNotFound;
    m_towns.assign(static_cast<std::size_t>(count), TWqtelTown{});

    const QByteArray folder = QFile::encodeName(m_dataFolder);
    std::array<TWqtelTown, WqtelBlockSize> block{};
    std::int32_t status = 0;
    void *handle = m_functions.Town2First(m_phone.constData(), &City, block.data(), &status, folder.constData());
    const TTownSearchCloser closer(m_functions.Town2Close, handle);
    if (status == DicNotFound)
        return DicNotFound;
    if (status != DicBlockLast && status != DicBlockMore)
        raiseCallError("WQTLTown2First", status);

    int copied = 0;
    for (;;) {
        // A block that is not the last is full; the last one holds what is
        // left of the count. Never more than the list has room for.
        const int wanted = status == DicBlockMore ? WqtelBlockSize : count - copied;
        const int take = std::clamp(wanted, 0, std::min(WqtelBlockSize, count - copied));
        std::copy_n(block.begin(), take, m_towns.begin() + copied);
        copied += take;
        // A library announcing more blocks than the count it gave is not
        // followed past a full list.
        if (status != DicBlockMore || copied >= count)
            break;
        block.fill(TWqtelTown{});
        status = m_functions.Town2Next(handle, block.data());
        if (status != DicBlockLast && status != DicBlockMore)
            raiseCallError("WQTLTown2Next", status);
    }
    return DicOk;
}

const TWqtelCity *TKykbnSearch::GetCity(int I) const
{
    return DicListEntry<EKykbnSearchError>(m_cities, I, QStringLiteral("市区郡町村検索の結果がありません"));
}

const TWqtelTown *TKykbnSearch::GetTown(int I) const
{
    return DicListEntry<EKykbnSearchError>(m_towns, I, QStringLiteral("町大字検索の結果がありません"));
}

const TDicTelAdrsResult *TKykbnSearch::GetAddress(int TownIndex, bool Detail)
{
    const TWqtelCity *city = GetCity(m_cityIndex);
    if (city == nullptr)
        return nullptr;
    const TWqtelTown *town = nullptr;
    if (TownIndex >= 0) {
        town = GetTown(TownIndex);
        if (town == nullptr)
            return nullptr;
    }

    m_result = TDicTelAdrsResult{};
    SetDicField(m_result.Phone, hyphenatedPhone());
    QByteArray pref;
    QByteArray cityName;
    SplitPrefecture(DicFieldText(city->Name), pref, cityName);
    SetDicField(m_result.Pref, pref);
    SetDicField(m_result.City, cityName);
    SetDicField(m_result.CityCode, DicFieldText(city->CityCode), true);
    if (town != nullptr) {
        SetDicField(m_result.Postcode, FormatDicPostcode(DicFieldText(town->Postcode)));
        SetDicField(m_result.Town, DicFieldText(town->Town));
        // The combined code is the city code (6) and the town code (6).
        SetDicField(m_result.TownCode, DicFieldText(town->Code).mid(6, 6));
    }

    if (Detail && TownIndex >= 0)
        CompleteDicDetailOnce(m_result, m_libFolder, m_dataFolder, true);
    return &m_result;
}
