#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

class QPushButton;
class QTreeWidget;
class TMemIniFile;

// The logic of the Norikae Annai (乗換案内) route search and its station
// picker. The route program is driven through its automation servers, seen
// here through IRailServ and INorikaeAnnai; a failed call of theirs throws
// ERouteServerError. Positions are thousandths of an arc-second, as in the
// records.

class ERouteServerError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// "RailServ.Control" and "RailServ.MNNodeDetector" together.
class IRailServ
{
public:
    virtual ~IRailServ() = default;
    [[nodiscard]] virtual QString JrailPath() = 0;
    virtual void DetectNearNodes(int Max, qint32 Latitude, qint32 Longitude, int RadiusMetres) = 0;
    [[nodiscard]] virtual int NodeCount() = 0;
    virtual void GetNodeInfo(int Index, QString &Name, QString &Other, qint32 &Latitude, qint32 &Longitude) = 0;
    virtual void SetHKensakuEki(int Index, const QString &Value) = 0;
    virtual void SetHKensakuRosen(int Index, const QString &Value) = 0;
    virtual void DoKensaku() = 0;
};

// "NorikaeDllSDK100.NorikaeAnnai" and its station-candidate object.
class INorikaeAnnai
{
public:
    virtual ~INorikaeAnnai() = default;
    [[nodiscard]] virtual int Init(const QString &A, const QString &B, const QString &C) = 0; // negative: failed
    virtual void GetEkiKouho(const QString &Text) = 0;
    [[nodiscard]] virtual int EkiKouhoCount() = 0;
    [[nodiscard]] virtual QString EkiKouhoList(int Index) = 0;
};

// A station the detector found, with its distance and direction from the
// searched point.
struct TNearNode
{
    qint32 Latitude = 0;
    qint32 Longitude = 0;
    QString Name; // whole, as the detector gives it
    qint32 Distance = 0;
    qint32 Direction = 0;
};

// The station record of this front end and its picker.
struct TNorikaeSelectStInfo
{
    QString Name;    // the search text typed in the picker
    qint32 Index = 0; // the chosen candidate row
    QString Station; // the chosen station, what the route program receives
    bool operator==(const TNorikaeSelectStInfo &) const = default;
};

inline constexpr int NorikaeNearCount = 3;
inline constexpr int NorikaeSearchRadius = 10000;

// ---- Settings: [NORIKAE START STATION]
[[nodiscard]] TNorikaeSelectStInfo ReadNorikaeStartStation(const TMemIniFile &Ini);
void WriteNorikaeStartStation(TMemIniFile &Ini, const TNorikaeSelectStInfo &Station);

// ---- The front end
// The route program is there when its data path is not empty; a failing
// server counts as missing.
[[nodiscard]] bool InitRailServ(IRailServ &Server);
// At most three stations within 10 km, in the detector's order, each with
// StationDistance and StationDirection from the point. Throws
// ERouteServerError when the detector fails.
[[nodiscard]] std::vector<TNearNode> NorikaeNearNodes(IRailServ &Server, qint32 Latitude, qint32 Longitude);
// "駅名", "距離（ｍ）" ("%-8d") and "方角" of a found station.
[[nodiscard]] std::array<QString, 3> NorikaeNearRowTexts(const TNearNode &Node);
// The destination of the selected row: a found station's name, or the
// station chosen in the picker for the row after them.
[[nodiscard]] QString NorikaeDestination(const std::vector<TNearNode> &Nodes, int Row,
                                         const TNorikaeSelectStInfo &NearChoice);
// Hands departure and destination to the route program and lets it search;
// false when one of its calls failed (nothing is to be saved then).
[[nodiscard]] bool StartNorikaeSearch(IRailServ &Server, const TNorikaeSelectStInfo &Start,
                                      const QString &Destination);

// ---- The picker
// Init with "", "9.99", ""; false when it failed.
[[nodiscard]] bool InitNorikaeAnnai(INorikaeAnnai &Server);
// The candidates for a search text, trimmed, in the server's order.
[[nodiscard]] QStringList NorikaeCandidates(INorikaeAnnai &Server, const QString &Text);
// The row the picker selects at show: the remembered one when it exists,
// else the first; -1 for an empty list.
[[nodiscard]] int NorikaePickerRow(qint32 Index, int Count);
// OK in the picker.
[[nodiscard]] TNorikaeSelectStInfo NorikaePickerChoice(const QString &NameText, int Row, const QString &Candidate);

// ---- The front end window

// The Norikae Annai front end "乗換案内": the stations nearest a record with
// their distance and direction, a remembered departure station, and 探索開始,
// which hands both stations to the route program. The record form creates
// it, opens the route program's server with InitRailServ and only then
// shows it modally.
class TNorikaeMain : public QDialog
{
    Q_OBJECT

public:
    explicit TNorikaeMain(QWidget *Owner = nullptr);
    ~TNorikaeMain() override;

    // False after the message that the route program is not installed.
    [[nodiscard]] bool InitRailServ();
    void SetProgramDir(const QString &Folder) { m_programDir = Folder; }
    // Picker, ProAtlas 2002 and MapFan help contexts.
    void SetHelpContexts(int Picker, int ProAtlas, int MapFan);
    // The searched point in thousandths of an arc-second (0, 0: none).
    void SetPoint(qint32 Latitude, qint32 Longitude);

    [[nodiscard]] const TNorikaeSelectStInfo &StartStation() const { return m_startStation; }
    [[nodiscard]] const TNorikaeSelectStInfo &NearChoice() const { return m_nearChoice; }
    [[nodiscard]] const std::vector<TNearNode> &Nodes() const { return m_nodes; }

    // Tag 0 picks the destination, 1 the departure station.
    void ChooseStation(int Tag);
    void btnStartUpClick();
    void bbtnMapClick();

    QTreeWidget *lvNear = nullptr;
    QTreeWidget *lvStart = nullptr;
    QPushButton *btnStartUp = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *bbtnNear = nullptr;
    QPushButton *bbtnMap = nullptr;
    QPushButton *bbtnStart = nullptr;

protected:
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void FormShow();
    void ShowStartStation();
    void UpdateButtons();
    [[nodiscard]] int SelectedRow(QTreeWidget *List) const;

    std::unique_ptr<IRailServ> m_server;
    QString m_programDir;
    std::array<int, 3> m_helpContexts{};
    qint32 m_pointLatitude = 0;
    qint32 m_pointLongitude = 0;
    std::vector<TNearNode> m_nodes;
    TNorikaeSelectStInfo m_nearChoice;
    TNorikaeSelectStInfo m_startStation;
    bool m_shown = false;
};
