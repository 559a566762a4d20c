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
    QHash<QString, QStringList> Towns;
};

QStringList lookUp(TPosSearch &Search, const QString &Digits)
{
    QStringList towns;
    if (Search.SearchPostcode(Digits) != 0)
        return towns;
    for (int city = 0; city < Search.GetCityCount(); ++city) {
        if (Search.SearchTown(city, 0) != 0)
            continue;
        for (int town = 0; town < Search.GetTownCount(); ++town) {
            const QString name = Cp932::decode(DicFieldText(Search.GetTown(town)->Town)).trimmed();
            if (!name.isEmpty() && !towns.contains(name))
                towns << name;
        }
    }
    return towns;
}

} // namespace

TTownNameLookup DictionaryTownNames(const QString &LibFolder, const QString &DataFolder)
{
    auto cache = std::make_shared<TTownCache>();
    cache->LibFolder = LibFolder;
    cache->DataFolder = DataFolder;
    return [cache](const QString &Postcode) -> QStringList {
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
        QStringList towns;
        if (cache->Search) {
            try {
                towns = lookUp(*cache->Search, digits);
            } catch (const Exception &) {
                towns.clear();
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
