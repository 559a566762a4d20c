#include "links/ExpMain.h"

#include "core/AppSub.h"
#include "core/Env.h"
#include "links/ExpSch.h"
#include "links/ExpSel.h"
#include "links/MapSearch.h"
#include "links/RoutePrograms.h"
#include "links/RouteWindowsCommon.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/EnterKey.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

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

TExpertConditions ReadExpertSearchCondition(const TMemIniFile &Ini, const QDateTime &Now)
{
    TExpertConditions c;
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

void WriteExpertSearchCondition(TMemIniFile &Ini, const TExpertConditions &Condition)
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

bool ExpertIsKickCode(const QString &Code)
{
    const QString code = Code.trimmed();
    return !code.isEmpty() && std::all_of(code.cbegin(), code.cend(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    });
}

bool ExpertCanStart(bool HasNearRows, bool HasLineRows, const TExpertSelectStInfo &Start)
{
    return HasNearRows && HasLineRows && ExpertIsKickCode(Start.KickCode);
}

QStringList ExpertKickArguments(const TExpertConditions &Condition, const TExpertSelectStInfo &Start,
                                const TExpertSelectStInfo &Destination, const QDate &Today)
{
    QString date = Condition.RideDate.trimmed();
    if (date.isEmpty())
        date = Today.toString(QStringLiteral("yyyyMMdd"));
    QString conditions;
    for (const qint32 value : Condition.Values)
        conditions += QString::number(value % 10);
    return {QStringLiteral("-d") + date, QStringLiteral("-c") + conditions, Start.KickCode.trimmed(),
            Destination.KickCode.trimmed()};
}

QString ExpertKickParameters(const TExpertConditions &Condition, const TExpertSelectStInfo &Start,
                             const TExpertSelectStInfo &Destination, const QDate &Today)
{
    return ExpertKickArguments(Condition, Start, Destination, Today).join(QLatin1Char(' '));
}

TCommand ExpertKickCommand(const QString &ProgramFolder, const QStringList &Arguments)
{
    const QString program = withDelimiter(ProgramFolder) + ExpertStarterName;
    return {program, Arguments, JoinCommandLine(program, true, {Arguments.join(QLatin1Char(' '))}), QString()};
}

TCommand ExpertQuitCommand(const QString &ProgramFolder)
{
    const QString program = withDelimiter(ProgramFolder) + ExpertStarterName;
    return {program, {QStringLiteral("-q")}, JoinCommandLine(program, true, {QStringLiteral("-q")}), QString()};
}

// ---- The front end window

namespace {

const QString kStarterFailed = QStringLiteral("駅すぱあとが起動できませんでした  ");
const QString kNoStationNear = QStringLiteral("半径 10km 以内に駅は見つかりませんでした  ");

} // namespace

TExpertMain::TExpertMain(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("ExpertMain"));
    setWindowTitle(QStringLiteral(" 駅すぱあと"));
    m_highlight = m_normal = palette().color(QPalette::WindowText);

    auto *nearBox = new QGroupBox(QStringLiteral("到着駅（住所の最寄り駅）"), this);
    lvNear = MakeStationList(nearBox, "lvNear",
                      {QStringLiteral("駅名"), QStringLiteral("カナ"), QStringLiteral("距離（ｍ）"), QStringLiteral("方角")},
                      {130, 130, 80, 50});
    lvNear->setMinimumWidth(400);
    lvNear->setFixedHeight(110);
    bbtnNear = MakeRouteButton(nearBox, "bbtnNear", QStringLiteral("駅選択..."));
    bbtnMap = MakeRouteButton(nearBox, "bbtnMap", QStringLiteral("地図"));
    lvRailway = MakeStationList(nearBox, "lvRailway", {QStringLiteral("路線")}, {260});
    lvRailway->setFixedHeight(110);
    auto *nearButtons = new QVBoxLayout;
    nearButtons->addWidget(bbtnNear);
    nearButtons->addWidget(bbtnMap);
    nearButtons->addStretch();
    auto *nearGrid = new QGridLayout(nearBox);
    nearGrid->addWidget(lvNear, 0, 0);
    nearGrid->addLayout(nearButtons, 0, 1);
    nearGrid->addWidget(lvRailway, 1, 0);

    const TStartBox start = MakeStartBox(this, {QStringLiteral("駅名"), QStringLiteral("カナ")}, {130, 130});
    lvStart = start.List;
    bbtnStart = start.Button;

    btnCondition = MakeRouteButton(this, "btnCondition", QStringLiteral("探索条件..."));
    btnStartUp = MakeRouteButton(this, "btnStartUp", QStringLiteral("探索開始"));
    btnCancel = MakeRouteButton(this, "btnCancel", QStringLiteral("閉じる"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnCondition);
    buttons->addStretch();
    buttons->addWidget(btnStartUp);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(nearBox);
    main->addWidget(start.Box);
    main->addLayout(buttons);

    for (QWidget *w : std::initializer_list<QWidget *>{lvNear, lvRailway, lvStart})
        w->installEventFilter(this);
    connect(lvNear, &QTreeWidget::currentItemChanged, this, [this] { NearRowChanged(); });
    connect(bbtnNear, &QPushButton::clicked, this, [this] { ChooseStation(0); });
    connect(bbtnStart, &QPushButton::clicked, this, [this] { ChooseStation(1); });
    connect(bbtnMap, &QPushButton::clicked, this, &TExpertMain::bbtnMapClick);
    connect(btnCondition, &QPushButton::clicked, this, &TExpertMain::btnConditionClick);
    connect(btnStartUp, &QPushButton::clicked, this, &TExpertMain::btnStartUpClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateStartButton();    // Enter in the lists leads to 検索開始 (or 駅選択): Return there presses it.
    PressFocusedButtonOnEnter(this);
}

TExpertMain::~TExpertMain()
{
    // A route program started from here is asked to quit with the window.
    if (m_started && LinkServices().Processes)
        (void)LinkServices().Processes->Start(ExpertQuitCommand(m_dllFolder));
}

void TExpertMain::SetFolders(const QString &DllFolder, const QString &DicFolder)
{
    m_dllFolder = DllFolder;
    m_dicFolder = DicFolder;
}

void TExpertMain::SetColors(const QColor &Highlight, const QColor &Normal)
{
    m_highlight = Highlight;
    m_normal = Normal;
}

void TExpertMain::SetHelpContexts(int Picker, int Condition, int ProAtlas, int MapFan)
{
    m_helpContexts = {Picker, Condition, ProAtlas, MapFan};
}

void TExpertMain::SetPoint(qint32 Latitude, qint32 Longitude)
{
    m_pointLatitude = Latitude;
    m_pointLongitude = Longitude;
}

bool TExpertMain::LoadStationLibrary()
{
    m_index = OpenExpertLibrary(parentWidget() ? parentWidget() : this, RoutePrograms(), m_dllFolder, m_dicFolder);
    return m_index != nullptr;
}

void TExpertMain::SetStationIndex(std::unique_ptr<IStationIndex> Index)
{
    m_index = std::move(Index);
}

int TExpertMain::Inform(const QString &Text, const QString &Caption, unsigned Flags)
{
    return ShowMessageBoxAt(this, Text, Caption, Flags, mbpCenterOnOwner, 0, 0);
}

void TExpertMain::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    if (m_shown)
        return;
    m_shown = true;
    FormShow();
}

void TExpertMain::FormShow()
{
    if (m_index && m_pointLatitude != 0 && m_pointLongitude != 0) {
        const TExpertNearResult near = ExpertNearStations(*m_index, m_pointLatitude, m_pointLongitude);
        if (near.Code == ExpertFound) {
            m_nearRows = near.Stations;
            FillNearList(0);
        } else {
            Inform(kNoStationNear, ProductCaption(), MB_ICONINFORMATION);
        }
    }
    m_nearChoice = {};
    const TMemIniFile ini(SettingsFileName());
    m_startStation = ReadExpertStartStation(ini);
    m_searchCondition = ReadExpertSearchCondition(ini, CurrentTimeStamp());
    ShowStartStation();
    UpdateStartButton();
    (lvNear->topLevelItemCount() > 0 ? static_cast<QWidget *>(lvNear) : btnCancel)->setFocus();
}

void TExpertMain::FillNearList(int Select)
{
    lvNear->clear();
    for (const TExpertSelectStInfo &row : m_nearRows) {
        const std::array<QString, 4> texts = ExpertNearRowTexts(row);
        lvNear->addTopLevelItem(new QTreeWidgetItem({texts[0], texts[1], texts[2], texts[3]}));
    }
    if (Select >= 0 && Select < lvNear->topLevelItemCount())
        lvNear->setCurrentItem(lvNear->topLevelItem(Select));
    NearRowChanged();
}

int TExpertMain::SelectedNearRow() const
{
    const int row = SelectedStationRow(lvNear);
    return row >= 0 && row < int(m_nearRows.size()) ? row : -1;
}

void TExpertMain::NearRowChanged()
{
    lvRailway->clear();
    const int row = SelectedNearRow();
    if (row >= 0 && m_index) {
        const TExpertLineResult lines = ExpertLineList(*m_index, m_nearRows[size_t(row)].Through);
        if (lines.Code == ExpertFound) {
            for (const QString &line : lines.Lines)
                lvRailway->addTopLevelItem(new QTreeWidgetItem({line}));
            if (lvRailway->topLevelItemCount() > 0)
                lvRailway->setCurrentItem(lvRailway->topLevelItem(0));
        } else {
            Inform(kNoStationNear, ProductCaption(), MB_ICONINFORMATION);
        }
    }
    UpdateStartButton();
}

void TExpertMain::ShowStartStation()
{
    ShowStartRow(lvStart, {m_startStation.StNameKj.trimmed(), m_startStation.StNameKn.trimmed()});
}

void TExpertMain::UpdateStartButton()
{
    btnStartUp->setEnabled(
        ExpertCanStart(lvNear->topLevelItemCount() > 0, lvRailway->topLevelItemCount() > 0, m_startStation));
}

void TExpertMain::ChooseStation(int Tag)
{
    if (!m_index)
        return;
    TExpertSelectStation picker(*m_index, this);
    {
        TWaitCursor hourglass;
        CenterFormOnOwner(&picker, this);
        picker.setProperty("HelpContext", m_helpContexts[0]);
        picker.SetColors(m_highlight, m_normal);
        picker.SetRecord(Tag == 1 ? m_startStation : m_nearChoice);
    }
    if (picker.exec() == QDialog::Accepted) {
        TWaitCursor hourglass;
        if (Tag == 1) {
            m_startStation = picker.Record();
            ShowStartStation();
        } else {
            m_nearChoice = picker.Record();
            ExpertAppendChoice(m_nearRows, m_nearChoice);
            FillNearList(int(m_nearRows.size()) - 1);
        }
    }
    UpdateStartButton();
    (Tag == 1 ? lvStart : lvNear)->setFocus();
}

void TExpertMain::btnConditionClick()
{
    btnCondition->setEnabled(false);
    {
        TExpertSearchCondition dialog(this);
        CenterFormOnOwner(&dialog, this);
        dialog.setProperty("HelpContext", m_helpContexts[1]);
        dialog.SetColors(m_highlight, m_normal);
        dialog.SetCondition(m_searchCondition);
        if (dialog.exec() == QDialog::Accepted)
            m_searchCondition = dialog.Condition();
    }
    btnCondition->setEnabled(true);
    btnCondition->setFocus();
}

void TExpertMain::btnStartUpClick()
{
    const int row = SelectedNearRow();
    if (row < 0 || !btnStartUp->isEnabled())
        return;
    TWaitCursor hourglass;
    const TExpertSelectStInfo &destination = m_nearRows[size_t(row)];
    const QStringList arguments =
        ExpertKickArguments(m_searchCondition, m_startStation, destination, CurrentTimeStamp().date());
    IProcessRunner *runner = LinkServices().Processes;
    // A destination code from the station data that is no station code is
    // never handed on: it could read as an option of the starter.
    if (!runner || !ExpertIsKickCode(destination.KickCode) ||
        !runner->Start(ExpertKickCommand(m_dllFolder, arguments))) {
        Inform(kStarterFailed, ProductCaption(), MB_ICONWARNING);
        return;
    }
    m_started = true;
    TMemIniFile ini(SettingsFileName());
    WriteExpertStartStation(ini, m_startStation);
    QString error;
    if (!ini.UpdateFile(&error))
        Inform(error, ProductCaption(), MB_ICONERROR);
}

void TExpertMain::bbtnMapClick()
{
    const int row = SelectedNearRow();
    // A station chosen in the picker has no position of its own here.
    if (row < 0 || m_nearRows[size_t(row)].Direction == ExpertChosenStation)
        return;
    const TExpertSelectStInfo &station = m_nearRows[size_t(row)];
    ShowStationOnChosenMap(this, FromMapFanUnits(station.Latitude), FromMapFanUnits(station.Longitude), m_dllFolder);
}

bool TExpertMain::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Watched == lvNear)
                lvRailway->setFocus();
            else
                (m_startStation.KickCode.trimmed().isEmpty() ? bbtnStart : btnStartUp)->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}
