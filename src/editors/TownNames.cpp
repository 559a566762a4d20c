#include "editors/TownNames.h"

#include "core/DicResult.h"
#include "core/Env.h"
#include "core/PosDicClass.h"
#include "platform/Cp932.h"

#include <QHash>

#include <memory>

namespace {

struct TTownCache
{
    QString LibFolder;
    QString DataFolder;
    std::unique_ptr<TPosSearch> Search;
    bool Tried = false;
    QHash<QString, TPostcodeTowns> Towns;
};

// The towns of the postcode's rows: a large office's or a post-office box's
// own postcode has no town row, only its office rows, each naming the town
// the office lies in.
TPostcodeTowns lookUp(TPosSearch &Search, const QString &Digits)
{
    TPostcodeTowns result;
    if (Search.SearchPostcode(Digits) != 0)
        return result;
    int townRows = 0;
    int officeRows = 0;
    const auto collect = [&](int City, int Kind) {
        if (Search.SearchTown(City, Kind) != 0)
            return;
        for (int town = 0; town < Search.GetTownCount(); ++town) {
            const QString name = Cp932::decode(DicFieldText(Search.GetTown(town)->Town)).trimmed();
            if (!name.isEmpty() && !result.Towns.contains(name))
                result.Towns << name;
        }
    };
    for (int city = 0; city < Search.GetCityCount(); ++city) {
        const auto *entry = Search.GetCity(city);
        townRows += entry->TownCount;
        officeRows += entry->LargeCount;
        if (entry->TownCount > 0)
            collect(city, 0);
        if (entry->LargeCount > 0)
            collect(city, 1);
    }
    result.OwnNumber = townRows == 0 && officeRows > 0;
    // A city's representative number ends in 00 and its rows name no town;
    // a village's one number for all of it ("一円") names none either, but
    // ends otherwise.
    result.Representative =
        townRows > 0 && officeRows == 0 && result.Towns.isEmpty() && Digits.endsWith(QLatin1String("00"));
    return result;
}

} // namespace

TTownNameLookup DictionaryTownNames(const QString &LibFolder, const QString &DataFolder)
{
    auto cache = std::make_shared<TTownCache>();
    cache->LibFolder = LibFolder;
    cache->DataFolder = DataFolder;
    return [cache](const QString &Postcode) -> TPostcodeTowns {
        // Full-width digits are the same postcode, as the barcode reads it.
        QString digits;
        for (const QChar c : Postcode.normalized(QString::NormalizationForm_KC))
            if (c >= u'0' && c <= u'9')
                digits += c;
        if (digits.size() != 7)
            return {};
        if (const auto known = cache->Towns.constFind(digits); known != cache->Towns.cend())
            return *known;
        if (!cache->Tried) {
            cache->Tried = true;
            try {
                cache->Search = std::make_unique<TPosSearch>(cache->LibFolder, cache->DataFolder);
            } catch (const Exception &) {
                cache->Search.reset();
            }
        }
        TPostcodeTowns towns;
        if (cache->Search) {
            try {
                towns = lookUp(*cache->Search, digits);
            } catch (const Exception &) {
                towns = {};
            }
        }
        cache->Towns.insert(digits, towns);
        return towns;
    };
}

TTownNameLookup ProgramTownNames()
{
    return DictionaryTownNames(AppPath, AppPath + QStringLiteral("Dic/"));
}
