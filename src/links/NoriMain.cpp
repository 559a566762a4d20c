#include "links/NoriMain.h"

#include "links/StationIndex.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"

namespace {

const QString kSection = QStringLiteral("NORIKAE START STATION");
constexpr int kNameBytes = 32;
constexpr int kPathLength = 260;

} // namespace

TNorikaeSelectStInfo ReadNorikaeStartStation(const TMemIniFile &Ini)
{
    TNorikaeSelectStInfo s;
    s.Name = Ini.ReadString(kSection, QStringLiteral("Name"), QString());
    s.Index = Ini.ReadInteger(kSection, QStringLiteral("Index"), 0);
    s.Station = Ini.ReadString(kSection, QStringLiteral("Station"), QString());
    return s;
}

void WriteNorikaeStartStation(TMemIniFile &Ini, const TNorikaeSelectStInfo &Station)
{
    Ini.WriteString(kSection, QStringLiteral("Name"), Station.Name.trimmed());
    Ini.WriteInteger(kSection, QStringLiteral("Index"), Station.Index);
    Ini.WriteString(kSection, QStringLiteral("Station"), Station.Station.trimmed());
}

bool InitRailServ(IRailServ &Server)
{
    try {
        return !Server.JrailPath().left(kPathLength).trimmed().isEmpty();
    } catch (const ERouteServerError &) {
        return false;
    }
}

std::vector<TNearNode> NorikaeNearNodes(IRailServ &Server, qint32 Latitude, qint32 Longitude)
{
    Server.DetectNearNodes(NorikaeNearCount, Latitude, Longitude, NorikaeSearchRadius);
    const int count = Server.NodeCount();
    std::vector<TNearNode> nodes;
    for (int i = 0; i < count; ++i) {
        QString name;
        QString other;
        TNearNode node;
        Server.GetNodeInfo(i, name, other, node.Latitude, node.Longitude);
        // Cut as the record's field is, never inside a double-byte character.
        node.Name = Cp932::decode(Cp932::truncated(Cp932::encode(name), kNameBytes));
        node.Distance = StationDistance(Latitude, Longitude, node.Latitude, node.Longitude);
        node.Direction = StationDirection(Latitude, Longitude, node.Latitude, node.Longitude);
        nodes.push_back(node);
    }
    return nodes;
}

std::array<QString, 3> NorikaeNearRowTexts(const TNearNode &Node)
{
    return {Node.Name.trimmed(), QString::asprintf("%-8d", int(Node.Distance)), DirectionName(Node.Direction)};
}

QString NorikaeDestination(const std::vector<TNearNode> &Nodes, int Row, const TNorikaeSelectStInfo &NearChoice)
{
    if (Row >= 0 && Row < int(Nodes.size()))
        return Nodes[size_t(Row)].Name.trimmed();
    return NearChoice.Station.trimmed();
}

bool StartNorikaeSearch(IRailServ &Server, const TNorikaeSelectStInfo &Start, const QString &Destination)
{
    try {
        for (int i = 0; i <= 5; ++i) {
            Server.SetHKensakuEki(i, QString());
            Server.SetHKensakuRosen(i, QString());
        }
        Server.SetHKensakuEki(0, Start.Station.trimmed());
        Server.SetHKensakuEki(1, Destination);
        Server.DoKensaku();
    } catch (const ERouteServerError &) {
        return false;
    }
    return true;
}

bool InitNorikaeAnnai(INorikaeAnnai &Server)
{
    try {
        return Server.Init(QString(), QStringLiteral("9.99"), QString()) >= 0;
    } catch (const ERouteServerError &) {
        return false;
    }
}

QStringList NorikaeCandidates(INorikaeAnnai &Server, const QString &Text)
{
    Server.GetEkiKouho(Text);
    QStringList candidates;
    const int count = Server.EkiKouhoCount();
    for (int i = 0; i < count; ++i)
        candidates << Server.EkiKouhoList(i).trimmed();
    return candidates;
}

int NorikaePickerRow(qint32 Index, int Count)
{
    if (Count <= 0)
        return -1;
    return Index >= 0 && Index < Count ? Index : 0;
}

TNorikaeSelectStInfo NorikaePickerChoice(const QString &NameText, int Row, const QString &Candidate)
{
    return {NameText.trimmed(), Row, Candidate.trimmed()};
}
