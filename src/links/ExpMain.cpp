#include "links/ExpMain.h"

#include "links/MapSearch.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"

namespace {

const QString kStartSection = QStringLiteral("EXPERT START STATION");
const QString kSearchSection = QStringLiteral("EXPERT STATION SEARCH");

// A text cut to the width of the program's fixed field, never inside a
// double-byte character.
QString fitField(const QString &Text, int Bytes)
{
    const QString trimmed = Text.trimmed();
    if (Cp932::byteLength(trimmed) <= Bytes)
        return trimmed;
    return Cp932::decode(Cp932::truncated(Cp932::encode(trimmed), Bytes)).trimmed();
}

QString withDelimiter(const QString &Folder)
{
    if (Folder.isEmpty() || Folder.endsWith(QLatin1Char('/')) || Folder.endsWith(QLatin1Char('\\')))
        return Folder;
    return Folder + QLatin1Char('/');
}

} // namespace

const std::array<QString, ExpertConditionCount> ExpertConditionKeys = {
    QStringLiteral("FirstTrainSt"), QStringLiteral("LeavingStRide"),  QStringLiteral("Transfers"),
    QStringLiteral("WalkingAmongSt"), QStringLiteral("JRRailway"), QStringLiteral("LimitedExpress"),
    QStringLiteral("Airway")};

const std::array<qint32, ExpertConditionCount> ExpertConditionMaximum = {1, 1, 2, 2, 2, 2, 2};

TExpertSelectStInfo ReadExpertStartStation(const TMemIniFile &Ini)
{
    TExpertSelectStInfo s;
    s.Latitude = Ini.ReadInteger(kStartSection, QStringLiteral("Latitude"), 0);
    s.Longitude = Ini.ReadInteger(kStartSection, QStringLiteral("Longitude"), 0);
    s.KickCode = fitField(Ini.ReadString(kStartSection, QStringLiteral("KickCode"), QString()), ExpertKickCodeBytes);
    s.StNameKj = fitField(Ini.ReadString(kStartSection, QStringLiteral("StNameKj"), QString()), ExpertNameBytes);
    s.StNameKn = fitField(Ini.ReadString(kStartSection, QStringLiteral("StNameKn"), QString()), ExpertNameBytes);
    s.Through = Ini.ReadInteger(kStartSection, QStringLiteral("Through"), 0);
    s.KanaIndex = Ini.ReadInteger(kStartSection, QStringLiteral("KanaIndex"), -1);
    s.ListIndex = Ini.ReadInteger(kStartSection, QStringLiteral("ListIndex"), 0);
    s.Kana = Ini.ReadString(kStartSection, QStringLiteral("Kana"), QString());
    return s;
}

void WriteExpertStartStation(TMemIniFile &Ini, const TExpertSelectStInfo &Station)
{
    Ini.WriteInteger(kStartSection, QStringLiteral("Latitude"), Station.Latitude);
    Ini.WriteInteger(kStartSection, QStringLiteral("Longitude"), Station.Longitude);
    Ini.WriteString(kStartSection, QStringLiteral("KickCode"), Station.KickCode.trimmed());
    Ini.WriteString(kStartSection, QStringLiteral("StNameKj"), Station.StNameKj.trimmed());
    Ini.WriteString(kStartSection, QStringLiteral("StNameKn"), Station.StNameKn.trimmed());
    Ini.WriteInteger(kStartSection, QStringLiteral("Through"), Station.Through);
    Ini.WriteInteger(kStartSection, QStringLiteral("KanaIndex"), Station.KanaIndex);
    Ini.WriteInteger(kStartSection, QStringLiteral("ListIndex"), Station.ListIndex);
    Ini.WriteString(kStartSection, QStringLiteral("Kana"), Station.Kana.trimmed());
}

TExpertSearchCondition ReadExpertSearchCondition(const TMemIniFile &Ini, const QDateTime &Now)
{
    TExpertSearchCondition c;
    for (int i = 0; i < ExpertConditionCount; ++i) {
        const qint32 value = Ini.ReadInteger(kSearchSection, ExpertConditionKeys[size_t(i)], 0);
        // Read as unsigned: a negative value is as far out of range as a large one.
        c.Values[size_t(i)] = quint32(value) <= quint32(ExpertConditionMaximum[size_t(i)]) ? value : 0;
    }
    const QString date = Ini.ReadString(kSearchSection, QStringLiteral("RideDate"), QString()).trimmed();
    const QDate day = date.size() == 8 ? QDate::fromString(date, QStringLiteral("yyyyMMdd")) : QDate();
    // A day counts from its midnight, so a date of today is already past.
    if (day.isValid() && day > Now.date())
        c.RideDate = date;
    return c;
}

void WriteExpertSearchCondition(TMemIniFile &Ini, const TExpertSearchCondition &Condition)
{
    for (int i = 0; i < ExpertConditionCount; ++i)
        Ini.WriteInteger(kSearchSection, ExpertConditionKeys[size_t(i)], Condition.Values[size_t(i)]);
    Ini.WriteString(kSearchSection, QStringLiteral("RideDate"), Condition.RideDate.trimmed());
}

TExpertSelectStInfo ExpertStationOf(const TStation &Station, qint32 Distance, qint32 Direction)
{
    TExpertSelectStInfo s;
    s.Latitude = ToMapFanUnits(Station.Latitude);
    s.Longitude = ToMapFanUnits(Station.Longitude);
    s.KickCode = fitField(Station.KickCode, ExpertKickCodeBytes);
    s.StNameKj = fitField(Station.Name, ExpertNameBytes);
    s.StNameKn = fitField(Station.Kana, ExpertNameBytes);
    s.Distance = Distance;
    s.Direction = Direction;
    s.Through = Station.Through;
    s.KanaIndex = -1;
    return s;
}

TExpertNearResult ExpertNearStations(const IStationIndex &Index, qint32 Latitude, qint32 Longitude)
{
    TExpertNearResult result;
    for (const TNearStation &near : Index.Nearest(FromMapFanUnits(Latitude), FromMapFanUnits(Longitude),
                                                  ExpertSearchRadius, ExpertNearCount))
        result.Stations.push_back(ExpertStationOf(near.Station, near.Distance, near.Direction));
    result.Code = result.Stations.empty() ? ExpertNothingFound : ExpertFound;
    return result;
}

TExpertLineResult ExpertLineList(const IStationIndex &Index, qint32 Through)
{
    const std::optional<QStringList> lines = Index.LinesOf(Through);
    if (!lines)
        return {};
    TExpertLineResult result{ExpertFound, {}};
    for (const QString &line : *lines)
        result.Lines << line.trimmed();
    return result;
}

std::array<QString, 4> ExpertNearRowTexts(const TExpertSelectStInfo &Station)
{
    if (Station.Direction == ExpertChosenStation)
        return {Station.StNameKj.trimmed(), Station.StNameKn.trimmed(), QString(), QString()};
    return {Station.StNameKj.trimmed(), Station.StNameKn.trimmed(), QString::asprintf("%-8d", int(Station.Distance)),
            DirectionName(Station.Direction)};
}

void ExpertAppendChoice(std::vector<TExpertSelectStInfo> &Rows, const TExpertSelectStInfo &Choice)
{
    if (!Rows.empty() && Rows.back().Direction == ExpertChosenStation)
        Rows.pop_back();
    TExpertSelectStInfo row = Choice;
    row.Direction = ExpertChosenStation;
    Rows.push_back(row);
}

const std::array<TExpertKanaRow, 10> ExpertKanaRows = {{
    {QStringLiteral("あ行"), 177, 181},
    {QStringLiteral("か行"), 182, 186},
    {QStringLiteral("さ行"), 187, 191},
    {QStringLiteral("た行"), 192, 196},
    {QStringLiteral("な行"), 197, 201},
    {QStringLiteral("は行"), 202, 206},
    {QStringLiteral("ま行"), 207, 211},
    {QStringLiteral("や行"), 212, 214},
    {QStringLiteral("ら行"), 215, 219},
    {QStringLiteral("わ行"), 220, 220},
}};

QString ExpertKanaLetter(int Code)
{
    // Shift-JIS single bytes 0xA1-0xDF are the half-width katakana U+FF61-U+FF9F.
    if (Code < 0xA1 || Code > 0xDF)
        return {};
    return QString(QChar(char16_t(0xFF61 + (Code - 0xA1))));
}

std::vector<TExpertSelectStInfo> ExpertRowSearch(const IStationIndex &Index, int Row)
{
    std::vector<TExpertSelectStInfo> found;
    if (Row < 0 || Row >= int(ExpertKanaRows.size()))
        return found;
    const TExpertKanaRow &row = ExpertKanaRows[size_t(Row)];
    for (int code = row.First; code <= row.Last; ++code)
        for (const TStation &s : Index.ByKanaPrefix(ExpertKanaLetter(code)))
            found.push_back(ExpertStationOf(s));
    return found;
}

std::vector<TExpertSelectStInfo> ExpertNameSearch(const IStationIndex &Index, const QString &Text)
{
    std::vector<TExpertSelectStInfo> found;
    const QString key = Text.trimmed().left(ExpertNameBytes);
    if (key.isEmpty())
        return found;
    for (const TStation &s : Index.ByKanaPrefix(key))
        found.push_back(ExpertStationOf(s));
    return found;
}

int ExpertPickerKanaRow(qint32 KanaIndex)
{
    return KanaIndex >= 0 && KanaIndex < int(ExpertKanaRows.size()) ? KanaIndex : 0;
}

void ExpertTakePickerChoice(TExpertSelectStInfo &Record, const TExpertSelectStInfo &Entry, int KanaRow, int ListRow,
                            const QString &NameText)
{
    Record.Latitude = Entry.Latitude;
    Record.Longitude = Entry.Longitude;
    Record.KickCode = Entry.KickCode;
    Record.StNameKj = Entry.StNameKj;
    Record.StNameKn = Entry.StNameKn;
    Record.Distance = Entry.Distance;
    Record.Direction = Entry.Direction;
    Record.Through = Entry.Through;
    Record.KanaIndex = KanaRow;
    Record.ListIndex = ListRow;
    Record.Kana = NameText.trimmed();
}

bool ExpertCanStart(bool HasNearRows, bool HasLineRows, const TExpertSelectStInfo &Start)
{
    return HasNearRows && HasLineRows && !Start.KickCode.trimmed().isEmpty();
}

QString ExpertKickParameters(const TExpertSearchCondition &Condition, const TExpertSelectStInfo &Start,
                             const TExpertSelectStInfo &Destination, const QDate &Today)
{
    QString date = Condition.RideDate.trimmed();
    if (date.isEmpty())
        date = Today.toString(QStringLiteral("yyyyMMdd"));
    QString conditions;
    for (const qint32 value : Condition.Values)
        conditions += QString::number(value % 10);
    return QStringLiteral("-d") + date + QStringLiteral(" -c") + conditions + QLatin1Char(' ')
           + Start.KickCode.trimmed() + QLatin1Char(' ') + Destination.KickCode.trimmed();
}

TCommand ExpertKickCommand(const QString &ProgramFolder, const QString &Parameters)
{
    const QString program = withDelimiter(ProgramFolder) + ExpertStarterName;
    const QStringList arguments = Parameters.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return {program, arguments, JoinCommandLine(program, true, {Parameters}), QString()};
}

TCommand ExpertQuitCommand(const QString &ProgramFolder)
{
    const QString program = withDelimiter(ProgramFolder) + ExpertStarterName;
    return {program, {QStringLiteral("-q")}, JoinCommandLine(program, true, {QStringLiteral("-q")}), QString()};
}
