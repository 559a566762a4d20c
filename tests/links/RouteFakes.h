#pragma once

#include "StationFixture.h"
#include "links/MapPrograms.h"
#include "links/NoriMain.h"
#include "links/RoutePrograms.h"
#include "links/StationIndex.h"

#include <QList>
#include <QPair>

#include <memory>
#include <utility>

// The route program's rail server over the station fixture: the detector
// answers from a TMemoryStationIndex, the search records what it was given.
class TFakeRailServ : public IRailServ
{
public:
    QString JrailPath() override
    {
        if (failPath)
            throw ERouteServerError("JrailPath");
        return path;
    }
    void DetectNearNodes(int Max, qint32 Latitude, qint32 Longitude, int RadiusMetres) override
    {
        detected = {Max, RadiusMetres};
        nodes = index.Nearest(Latitude, Longitude, RadiusMetres, Max);
    }
    int NodeCount() override { return int(nodes.size()); }
    void GetNodeInfo(int Index, QString &Name, QString &Other, qint32 &Latitude, qint32 &Longitude) override
    {
        const TStation &s = nodes.at(size_t(Index)).Station;
        Name = s.Name;
        Other = s.Kana;
        Latitude = s.Latitude;
        Longitude = s.Longitude;
    }
    void SetHKensakuEki(int Index, const QString &Value) override { eki << qMakePair(Index, Value); }
    void SetHKensakuRosen(int Index, const QString &Value) override { rosen << qMakePair(Index, Value); }
    void DoKensaku() override
    {
        if (failSearch)
            throw ERouteServerError("DoKensaku");
        ++searches;
    }

    TMemoryStationIndex index{fixture::Stations()};
    QString path = QStringLiteral("C:\\Norikae\\Data");
    bool failPath = false;
    bool failSearch = false;
    QPair<int, int> detected;
    std::vector<TNearStation> nodes;
    QList<QPair<int, QString>> eki;
    QList<QPair<int, QString>> rosen;
    int searches = 0;
};

// The picker's server: candidates are the fixture's names that begin with
// the search text.
class TFakeNorikaeAnnai : public INorikaeAnnai
{
public:
    int Init(const QString &A, const QString &B, const QString &C) override
    {
        initArguments = {A, B, C};
        return initResult;
    }
    void GetEkiKouho(const QString &Text) override
    {
        candidates.clear();
        for (const TStation &s : fixture::Stations())
            if (!Text.isEmpty() && s.Name.startsWith(Text))
                candidates << QStringLiteral(" ") + s.Name + QStringLiteral(" ");
    }
    int EkiKouhoCount() override { return int(candidates.size()); }
    QString EkiKouhoList(int Index) override { return candidates.value(Index); }

    int initResult = 0;
    QStringList initArguments;
    QStringList candidates;
};

// A map view that records the request it was given in Given and answers
// Result as the position chosen.
class TRecordingMapView : public IMapView
{
public:
    explicit TRecordingMapView(TMapSearchParams &Given, std::pair<qint32, qint32> Result = {0, 0})
        : m_given(Given), m_result(Result)
    {
    }
    void SetProgramDir(const QString &) override {}
    void SetParentWnd(QWidget *) override {}
    void CenterOnOwner(QWidget *, int) override {}
    TMapFixUp SetSearchParams(const TMapSearchParams &Params) override
    {
        m_given = Params;
        return TMapFixUp::ByPosition;
    }
    int ShowModal() override { return 1; }
    std::pair<qint32, qint32> GetResult() const override { return m_result; }

private:
    TMapSearchParams &m_given;
    std::pair<qint32, qint32> m_result;
};

// The route programs over the station fixture: the Ekispert library opens,
// the Norikae Annai servers answer (each kept so the test can look at what
// it was told).
class TFixturePrograms : public IRoutePrograms
{
public:
    TExpertStationLibrary OpenExpertStations(const QString &, const QString &) override
    {
        TExpertStationLibrary library;
        library.Code = LibraryLoaded;
        library.Index = std::make_unique<TMemoryStationIndex>(fixture::Stations());
        return library;
    }
    std::unique_ptr<IRailServ> CreateRailServ() override
    {
        auto server = std::make_unique<TFakeRailServ>();
        server->failSearch = failSearch;
        railServ = server.get();
        return server;
    }
    std::unique_ptr<INorikaeAnnai> CreateNorikaeAnnai() override
    {
        auto server = std::make_unique<TFakeNorikaeAnnai>();
        server->initResult = annaiInit;
        return server;
    }
    TFakeRailServ *railServ = nullptr;
    bool failSearch = false;
    int annaiInit = 0;
};
