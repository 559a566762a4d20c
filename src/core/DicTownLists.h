#pragma once

#include "core/DicFrame.h"
#include "core/DicResult.h"
#include "platform/dic/DicApi.h"

#include <QString>

#include <cstddef>
#include <vector>

// The lists of a search from cities down to towns, shared by the address and
// the postcode search: the cities found, the towns (Kind 0) or large offices
// with their towns (any other Kind) of the current city, and the address
// record built from one of them. TCity and TTown are the library's entries
// (TTown with Postcode, TownKana, Town and TownCode); reading an empty list
// raises TError. A search class fills the city list itself and the town
// lists in searchTowns, and writes the city's part of the record in
// setCityFields.
template <class TCity, class TTown, class TError>
class TDicTownLists
{
public:
    virtual ~TDicTownLists() = default;
    TDicTownLists(const TDicTownLists &) = delete;
    TDicTownLists &operator=(const TDicTownLists &) = delete;

    // Towns (Kind 0) or large offices (any other Kind) of city CityIndex.
    // The current city and kind again answer as the library did for them
    // (0 with the lists standing, or 4 or 8 with them empty) without a
    // library call. 4 for an index outside the city list; otherwise what
    // searchTowns answers. After an exception the lists are empty and the
    // next call asks the library again.
    [[nodiscard]] int SearchTown(int CityIndex, int Kind)
    {
        if (CityIndex == m_cityIndex && Kind == m_kind && m_townAnswer >= 0)
            return m_townAnswer;
        const TCity *city = GetCity(CityIndex);
        if (city == nullptr)
            return DicWrongInput;
        m_cityIndex = CityIndex;
        m_kind = Kind;
        m_townAnswer = -1;
        m_towns.clear();
        m_larges.clear();
        int answer = DicOk;
        try {
            answer = searchTowns(*city, Kind != 0);
        } catch (...) {
            m_towns.clear();
            m_larges.clear();
            throw;
        }
        if (answer != DicOk) {
            // Nothing found is no list, now or when asked again.
            m_towns.clear();
            m_larges.clear();
        }
        m_townAnswer = answer;
        return answer;
    }

    [[nodiscard]] int GetCityCount() const { return static_cast<int>(m_cities.size()); }
    [[nodiscard]] int GetTownCount() const { return static_cast<int>(m_towns.size()); }
    [[nodiscard]] int GetLargeCount() const { return static_cast<int>(m_larges.size()); }
    // Entry I of a list; nullptr outside a non-empty list. An empty list
    // raises TError.
    [[nodiscard]] const TCity *GetCity(int I) const
    {
        return DicListEntry<TError>(m_cities, I, QStringLiteral("市区郡町村検索の結果がありません"));
    }
    [[nodiscard]] const TTown *GetTown(int I) const
    {
        return DicListEntry<TError>(m_towns, I, QStringLiteral("町大字検索の結果がありません"));
    }
    [[nodiscard]] const TDicLarge *GetLarge(int I) const
    {
        return DicListEntry<TError>(m_larges, I, QStringLiteral("大口事業所検索の結果がありません"));
    }

    // The address of town (or large office) Index of the current city; -1
    // gives the city alone. With Detail (and Index >= 0) the detail library
    // completes it: texts only for a town, coordinates for both kinds.
    // nullptr for an index outside a non-empty list.
    [[nodiscard]] const TDicAdrsResult *GetAddress(int Index, bool Detail)
    {
        const TCity *city = GetCity(m_cityIndex);
        if (city == nullptr)
            return nullptr;
        const TTown *town = nullptr;
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
        setCityFields(*city, m_result);
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
        if (Detail && Index >= 0)
            CompleteDicDetailOnce(m_result, m_libFolder, m_dataFolder, !largeKind);
        return &m_result;
    }

    [[nodiscard]] const QString &LibFolder() const { return m_libFolder; }
    [[nodiscard]] const QString &DataFolder() const { return m_dataFolder; }

protected:
    TDicTownLists(const QString &LibFolder, const QString &DataFolder)
        : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder))
    {
    }

    // Fills the town list (and, for Large, the large-office list) of City
    // from the library; both lists are empty on entry. Returns 0 or the
    // library's 4 or 8.
    [[nodiscard]] virtual int searchTowns(const TCity &City, bool Large) = 0;
    // The city's fields (prefecture, city, their readings, city code).
    virtual void setCityFields(const TCity &City, TDicAdrsResult &Result) const = 0;

    // Size zero-filled town (and large-office) lists for the library to fill.
    void sizeTownLists(std::size_t Size, bool Large)
    {
        m_towns.assign(Size, TTown{});
        if (Large)
            m_larges.assign(Size, TDicLarge{});
    }
    // No city is current and no list answers.
    void clearLists()
    {
        m_cities.clear();
        m_towns.clear();
        m_larges.clear();
        m_cityIndex = -1;
        m_kind = -1;
        m_townAnswer = -1;
    }

    QString m_libFolder;
    QString m_dataFolder;
    std::vector<TCity> m_cities;
    std::vector<TTown> m_towns;
    std::vector<TDicLarge> m_larges;

private:
    TDicAdrsResult m_result{};
    int m_cityIndex = -1;
    int m_kind = -1;
    int m_townAnswer = -1; // the answer for the current city and kind; -1 before one
};
