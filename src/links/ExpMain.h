#pragma once

#include "links/LinkServices.h"
#include "links/StationIndex.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QString>

#include <array>
#include <memory>
#include <vector>

class QPushButton;
class QTreeWidget;
class TMemIniFile;

// The logic of the Ekispert (駅すぱあと) route search: the stations nearest a
// record, the lines through them, the remembered departure station and search
// conditions, the station picker's searches and the exact command line of
// the route program's starter. The station data comes from an IStationIndex;
// the windows only show what these functions give.

// A station as the Ekispert front end and its picker keep it. Positions are in
// the route program's unit, 1/256 of an arc-second (ToMapFanUnits); texts are
// cut to the widths the program's records have (Shift-JIS bytes).
struct TExpertSelectStInfo
{
    qint32 Latitude = 0; // 0 marks an empty entry
    qint32 Longitude = 0;
    QString KickCode;  // at most 6 bytes
    QString StNameKj;  // at most 22 bytes
    QString StNameKn;  // at most 22 bytes
    qint32 Distance = 0;
    qint32 Direction = 0; // 1-8, or ExpertChosenStation
    qint32 Through = 0;
    // The picker's state, kept with the departure station.
    qint32 KanaIndex = -1;
    qint32 ListIndex = 0;
    QString Kana;
    bool operator==(const TExpertSelectStInfo &) const = default;
};
// The Direction of a station the user chose in the picker.
inline constexpr qint32 ExpertChosenStation = 99;
inline constexpr int ExpertKickCodeBytes = 6;
inline constexpr int ExpertNameBytes = 22;
// The stations the front end looks for: within 10 km, three at most.
inline constexpr qint32 ExpertSearchRadius = 10000;
inline constexpr int ExpertNearCount = 3;

// The seven route-search conditions, in the order of the command line.
enum class TExpertCondition {
    FirstTrainSt = 0,
    LeavingStRide,
    Transfers,
    WalkingAmongSt,
    JRRailway,
    LimitedExpress,
    Airway,
};
inline constexpr int ExpertConditionCount = 7;
extern const std::array<QString, ExpertConditionCount> ExpertConditionKeys;
// The largest value of each condition (the first two have two choices).
extern const std::array<qint32, ExpertConditionCount> ExpertConditionMaximum;

struct TExpertConditions
{
    std::array<qint32, ExpertConditionCount> Values{};
    QString RideDate; // "yyyymmdd" or empty (today)
    bool operator==(const TExpertConditions &) const = default;
};

// ---- Settings
// [EXPERT START STATION]: the departure station (Distance and Direction 0).
[[nodiscard]] TExpertSelectStInfo ReadExpertStartStation(const TMemIniFile &Ini);
void WriteExpertStartStation(TMemIniFile &Ini, const TExpertSelectStInfo &Station);
// [EXPERT STATION SEARCH]: a value outside its range (negative ones too)
// reads as 0; RideDate is kept only when it is a date after Now.
[[nodiscard]] TExpertConditions ReadExpertSearchCondition(const TMemIniFile &Ini, const QDateTime &Now);
void WriteExpertSearchCondition(TMemIniFile &Ini, const TExpertConditions &Condition);

// ---- Station look-ups (codes: 0 found, 8 nothing found)
inline constexpr int ExpertFound = 0;
inline constexpr int ExpertNothingFound = 8;

// An index station as the front end keeps it (units converted, texts cut).
[[nodiscard]] TExpertSelectStInfo ExpertStationOf(const TStation &Station, qint32 Distance = 0, qint32 Direction = 0);

struct TExpertNearResult
{
    int Code = ExpertNothingFound;
    std::vector<TExpertSelectStInfo> Stations; // nearest first, three at most
};
// The stations nearest a point given in the route program's unit.
[[nodiscard]] TExpertNearResult ExpertNearStations(const IStationIndex &Index, qint32 Latitude, qint32 Longitude);

struct TExpertLineResult
{
    int Code = ExpertNothingFound;
    QStringList Lines;
};
[[nodiscard]] TExpertLineResult ExpertLineList(const IStationIndex &Index, qint32 Through);

// The texts of one row of the nearest-station list: name, kana, distance
// ("%-8d") and direction; a chosen station has no distance or direction.
[[nodiscard]] std::array<QString, 4> ExpertNearRowTexts(const TExpertSelectStInfo &Station);

// The list after the user chose Choice in the picker: a chosen row already at
// the end is replaced, found rows stay; the new row is last and marked chosen.
void ExpertAppendChoice(std::vector<TExpertSelectStInfo> &Rows, const TExpertSelectStInfo &Choice);

// ---- The station picker
struct TExpertKanaRow
{
    QString Caption; // "あ行" .. "わ行"
    int First;       // half-width katakana codes (Shift-JIS single bytes)
    int Last;
};
extern const std::array<TExpertKanaRow, 10> ExpertKanaRows;
// The half-width katakana letter of a single-byte code (177 is ｱ).
[[nodiscard]] QString ExpertKanaLetter(int Code);
// Every station of a kana row, letter by letter in increasing order.
[[nodiscard]] std::vector<TExpertSelectStInfo> ExpertRowSearch(const IStationIndex &Index, int Row);
// The stations whose reading begins with the trimmed text (22 characters
// at most); none for an empty text.
[[nodiscard]] std::vector<TExpertSelectStInfo> ExpertNameSearch(const IStationIndex &Index, const QString &Text);
// The kana row the picker opens with: KanaIndex when it is one, else 0.
[[nodiscard]] int ExpertPickerKanaRow(qint32 KanaIndex);
// OK in the picker: the chosen entry replaces the station part of Record and
// the picker's state is kept with it.
void ExpertTakePickerChoice(TExpertSelectStInfo &Record, const TExpertSelectStInfo &Entry, int KanaRow, int ListRow,
                            const QString &NameText);

// ---- Starting the route program
// A station code the starter can be given: half-width letters and digits
// only (after trimming), so that it can never read as an option or as two
// arguments, whatever a settings file or the station data holds.
[[nodiscard]] bool ExpertIsKickCode(const QString &Code);
// The start button counts only with stations, lines and a departure code.
[[nodiscard]] bool ExpertCanStart(bool HasNearRows, bool HasLineRows, const TExpertSelectStInfo &Start);
// "-dYYYYMMDD", "-cNNNNNNN", the departure code and the destination code; the
// date is the condition's ride date, or Today when it has none.
[[nodiscard]] QStringList ExpertKickArguments(const TExpertConditions &Condition, const TExpertSelectStInfo &Start,
                                              const TExpertSelectStInfo &Destination, const QDate &Today);
// The same joined by blanks: "-dYYYYMMDD -cNNNNNNN <departure> <destination>".
[[nodiscard]] QString ExpertKickParameters(const TExpertConditions &Condition, const TExpertSelectStInfo &Start,
                                           const TExpertSelectStInfo &Destination, const QDate &Today);
// The starter in the program folder with those arguments, each passed on
// whole.
[[nodiscard]] TCommand ExpertKickCommand(const QString &ProgramFolder, const QStringList &Arguments);
// Asks a running route program to quit.
[[nodiscard]] TCommand ExpertQuitCommand(const QString &ProgramFolder);
inline const QString ExpertStarterName = QStringLiteral("Exp_kick.exe");
inline const QString ExpertLibraryName = QStringLiteral("Wqstinf.dll");

// ---- The front end window

// The Ekispert front end " 駅すぱあと": the stations nearest a record with the
// lines through the chosen one, a remembered departure station and the
// search conditions; 探索開始 hands the route program's starter its command
// line through the process layer (LinkServices), which reports a starter
// that cannot be started. The record form opens it modally after
// LoadStationLibrary succeeded; the station data stays loaded until the
// window goes.
class TExpertMain : public QDialog
{
    Q_OBJECT

public:
    explicit TExpertMain(QWidget *Owner = nullptr);
    ~TExpertMain() override;

    void SetFolders(const QString &DllFolder, const QString &DicFolder);
    void SetColors(const QColor &Highlight, const QColor &Normal);
    // Picker, condition dialog, ProAtlas 2002 and MapFan help contexts.
    void SetHelpContexts(int Picker, int Condition, int ProAtlas, int MapFan);
    // The searched point in the route program's unit (0, 0: none).
    void SetPoint(qint32 Latitude, qint32 Longitude);
    // Opens the station library of DllFolder; false after the message of a
    // missing or broken library (the window is then not to be shown).
    [[nodiscard]] bool LoadStationLibrary();
    // Tests give the index directly.
    void SetStationIndex(std::unique_ptr<IStationIndex> Index);

    [[nodiscard]] const TExpertSelectStInfo &StartStation() const { return m_startStation; }
    [[nodiscard]] const TExpertSelectStInfo &NearChoice() const { return m_nearChoice; }
    [[nodiscard]] const TExpertConditions &SearchCondition() const { return m_searchCondition; }
    [[nodiscard]] const std::vector<TExpertSelectStInfo> &NearRows() const { return m_nearRows; }
    [[nodiscard]] bool Started() const { return m_started; }

    // Tag 0 picks the destination, 1 the departure station.
    void ChooseStation(int Tag);
    void btnConditionClick();
    void btnStartUpClick();
    void bbtnMapClick();

    QTreeWidget *lvNear = nullptr;
    QTreeWidget *lvRailway = nullptr;
    QTreeWidget *lvStart = nullptr;
    QPushButton *btnCondition = nullptr;
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
    void FillNearList(int Select);
    void NearRowChanged();
    void ShowStartStation();
    void UpdateStartButton();
    [[nodiscard]] int SelectedNearRow() const;
    int Inform(const QString &Text, const QString &Caption, unsigned Flags);

    QString m_dllFolder;
    QString m_dicFolder;
    std::array<int, 4> m_helpContexts{};
    QColor m_highlight;
    QColor m_normal;
    qint32 m_pointLatitude = 0;
    qint32 m_pointLongitude = 0;
    std::unique_ptr<IStationIndex> m_index;
    std::vector<TExpertSelectStInfo> m_nearRows;
    TExpertConditions m_searchCondition;
    TExpertSelectStInfo m_nearChoice;
    TExpertSelectStInfo m_startStation;
    bool m_started = false;
    bool m_shown = false;
};
