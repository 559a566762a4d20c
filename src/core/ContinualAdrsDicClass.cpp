#include "core/ContinualAdrsDicClass.h"

#include "core/DicFrame.h"
#include "core/WqmtadWrapper.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"

#include <QFile>

namespace
{

const QString kLibraryName = QStringLiteral("WQZsCnv.dll");

} // namespace

TContinualAdrsSearch::TContinualAdrsSearch(const QString &LibFolder, const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder))
{
    static constexpr const char *kEntryPoints[] = {"WQZSCAdrs"};
    m_library = LoadDicClassLibrary<EWQZsCnvErro>(kLibraryName, kEntryPoints, m_libFolder, m_functions);
    WarnIfDicDataUnusable(m_dataFolder);
}

TContinualAdrsSearch::TContinualAdrsSearch(const TWqzscnvFunctions &Functions, const QString &LibFolder,
                                           const QString &DataFolder)
    : m_libFolder(DicClassFolder(LibFolder)), m_dataFolder(DicClassFolder(DataFolder)), m_functions(Functions)
{
}

TContinualAdrsSearch::~TContinualAdrsSearch()
{
    if (m_holdsWqmtad)
        FreeWqmtad();
}

int TContinualAdrsSearch::Search(const QString &Text)
{
    const QString text = TrimBlanks(Text);
    if (text.isEmpty())
        throw EContinualAdrsSearchError(QStringLiteral("検索住所が未入力です"));
    m_text = Cp932::encode(text);

    m_built = false;
    m_builtWithDetail = false;
    m_found = TWqzscnvResult{};
    const int code = m_functions.Adrs(m_text.constData(), &m_found, QFile::encodeName(m_dataFolder).constData());
    if (code != DicOk && code != DicCityOnly && code != DicWrongInput && code != DicNotFound)
        throw EWQZsCnvErro(DicCallErrorText(QStringLiteral("WQZSCAdrs"), kLibraryName, code));
    return code;
}

const TDicAdrsShortResult *TContinualAdrsSearch::GetAddress(bool Detail)
{
    if (m_built && (!Detail || m_builtWithDetail))
        return &m_result;

    m_result = TDicAdrsShortResult{};
    SetDicField(m_result.Postcode, FormatDicPostcode(DicFieldText(m_found.Postcode)));
    SetDicField(m_result.PrefKana, DicFieldText(m_found.PrefKana));
    SetDicField(m_result.Pref, DicFieldText(m_found.Pref));
    SetDicField(m_result.CityKana, DicFieldText(m_found.CityKana));
    SetDicField(m_result.City, DicFieldText(m_found.City));
    SetDicField(m_result.TownKana, DicFieldText(m_found.TownKana));
    SetDicField(m_result.Town, DicFieldText(m_found.Town));
    SetDicField(m_result.CityCode, DicFieldText(m_found.CityCode), true);
    SetDicField(m_result.TownCode, DicFieldText(m_found.TownCode), true);

    if (Detail) {
        m_builtWithDetail = true;
        if (!m_wqmtadTried) {
            // One attempt per object: a conversion of many records shows the
            // load error box once, not once per record.
            m_wqmtadTried = true;
            m_holdsWqmtad = LoadWqmtad(m_libFolder) == 0;
        }
        CompleteDicDetail(m_result, m_dataFolder, true);
    }
    m_built = true;
    return &m_result;
}
