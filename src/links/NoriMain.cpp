#include "links/NoriMain.h"

#include "core/Env.h"
#include "links/MapSearch.h"
#include "links/NoriSel.h"
#include "links/RoutePrograms.h"
#include "links/RouteWindowsCommon.h"
#include "links/StationIndex.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/EnterKey.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("NORIKAE START STATION");
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
    // Three were asked for: more would pass a chosen row off as a found one.
    const int count = qMin(Server.NodeCount(), NorikaeNearCount);
    std::vector<TNearNode> nodes;
    for (int i = 0; i < count; ++i) {
        QString name;
        QString other;
        TNearNode node;
        Server.GetNodeInfo(i, name, other, node.Latitude, node.Longitude);
        // Kept whole: the name is what the route program looks the
        // destination up by, and a cut one names no station (or another).
        node.Name = name;
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

// ---- The front end window

TNorikaeMain::TNorikaeMain(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("NorikaeMain"));
    setWindowTitle(QStringLiteral("乗換案内"));

    auto *nearBox = new QGroupBox(QStringLiteral("到着駅（住所の最寄り駅）"), this);
    lvNear = MakeStationList(nearBox, "lvNear", {QStringLiteral("駅名"), QStringLiteral("距離（ｍ）"), QStringLiteral("方角")},
                      {160, 80, 50});
    lvNear->setMinimumWidth(310);
    lvNear->setFixedHeight(110);
    bbtnNear = MakeRouteButton(nearBox, "bbtnNear", QStringLiteral("駅選択..."));
    bbtnMap = MakeRouteButton(nearBox, "bbtnMap", QStringLiteral("地図"));
    auto *nearButtons = new QVBoxLayout;
    nearButtons->addWidget(bbtnNear);
    nearButtons->addWidget(bbtnMap);
    nearButtons->addStretch();
    auto *nearRow = new QHBoxLayout(nearBox);
    nearRow->addWidget(lvNear, 1);
    nearRow->addLayout(nearButtons);

    const TStartBox start = MakeStartBox(this, {QStringLiteral("駅名")}, {160});
    lvStart = start.List;
    bbtnStart = start.Button;

    btnStartUp = MakeRouteButton(this, "btnStartUp", QStringLiteral("探索開始"));
    btnCancel = MakeRouteButton(this, "btnCancel", QStringLiteral("閉じる"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnStartUp);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(nearBox);
    main->addWidget(start.Box);
    main->addLayout(buttons);

    lvNear->installEventFilter(this);
    lvStart->installEventFilter(this);
    connect(lvNear, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    connect(lvStart, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    connect(bbtnNear, &QPushButton::clicked, this, [this] { ChooseStation(0); });
    connect(bbtnStart, &QPushButton::clicked, this, [this] { ChooseStation(1); });
    connect(bbtnMap, &QPushButton::clicked, this, &TNorikaeMain::bbtnMapClick);
    connect(btnStartUp, &QPushButton::clicked, this, &TNorikaeMain::btnStartUpClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateButtons();    // Enter in the lists leads to 検索開始 (or 駅選択): Return there presses it.
    PressFocusedButtonOnEnter(this);
}

TNorikaeMain::~TNorikaeMain() = default;

bool TNorikaeMain::InitRailServ()
{
    m_server = OpenRailServ(parentWidget() ? parentWidget() : this, RoutePrograms());
    return m_server != nullptr;
}

void TNorikaeMain::SetHelpContexts(int Picker, int ProAtlas, int MapFan)
{
    m_helpContexts = {Picker, ProAtlas, MapFan};
}

void TNorikaeMain::SetPoint(qint32 Latitude, qint32 Longitude)
{
    m_pointLatitude = Latitude;
    m_pointLongitude = Longitude;
}

void TNorikaeMain::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    if (m_shown)
        return;
    m_shown = true;
    FormShow();
}

void TNorikaeMain::FormShow()
{
    if (m_server && m_pointLatitude != 0 && m_pointLongitude != 0) {
        try {
            m_nodes = NorikaeNearNodes(*m_server, m_pointLatitude, m_pointLongitude);
        } catch (const ERouteServerError &) {
            m_nodes.clear();
            ShowMessageBoxAt(this, NorikaeStartFailedMessage, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        }
        if (m_nodes.empty()) {
            ShowMessageBoxAt(this, QStringLiteral("半径10km以内に駅は見つかりませんでした  "), ProductCaption(),
                             MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        } else {
            for (const TNearNode &node : m_nodes) {
                const std::array<QString, 3> texts = NorikaeNearRowTexts(node);
                lvNear->addTopLevelItem(new QTreeWidgetItem({texts[0], texts[1], texts[2]}));
            }
            lvNear->setCurrentItem(lvNear->topLevelItem(0));
        }
    }
    m_nearChoice = {};
    m_startStation = ReadNorikaeStartStation(TMemIniFile(SettingsFileName()));
    ShowStartStation();
    UpdateButtons();
    (lvNear->topLevelItemCount() > 0 ? static_cast<QWidget *>(lvNear) : btnCancel)->setFocus();
}

void TNorikaeMain::ShowStartStation()
{
    ShowStartRow(lvStart, {m_startStation.Station.trimmed()});
}

int TNorikaeMain::SelectedRow(QTreeWidget *List) const
{
    return SelectedStationRow(List);
}

void TNorikaeMain::UpdateButtons()
{
    btnStartUp->setEnabled(m_server && SelectedRow(lvNear) >= 0 && SelectedRow(lvStart) >= 0);
    const int row = SelectedRow(lvNear);
    bbtnMap->setEnabled(row >= 0 && row < int(m_nodes.size()));
}

void TNorikaeMain::ChooseStation(int Tag)
{
    TNorikaeSelectStation picker(this);
    {
        TWaitCursor hourglass;
        if (!picker.Init())
            return;
        CenterFormOnOwner(&picker, this);
        picker.setProperty("HelpContext", m_helpContexts[0]);
        picker.SetRecord(Tag == 1 ? m_startStation : m_nearChoice);
    }
    if (picker.exec() == QDialog::Accepted) {
        if (Tag == 1) {
            m_startStation = picker.Record();
            ShowStartStation();
        } else {
            m_nearChoice = picker.Record();
            // Only one chosen row, after the stations found.
            const int found = qMin(int(m_nodes.size()), NorikaeNearCount);
            if (lvNear->topLevelItemCount() == found + 1)
                delete lvNear->takeTopLevelItem(found);
            lvNear->addTopLevelItem(new QTreeWidgetItem({m_nearChoice.Station.trimmed(), QString(), QString()}));
            lvNear->setCurrentItem(lvNear->topLevelItem(lvNear->topLevelItemCount() - 1));
        }
    }
    UpdateButtons();
    (Tag == 1 ? lvStart : lvNear)->setFocus();
}

void TNorikaeMain::btnStartUpClick()
{
    const int row = SelectedRow(lvNear);
    if (!m_server || row < 0 || SelectedRow(lvStart) < 0)
        return;
    TWaitCursor hourglass;
    if (!StartNorikaeSearch(*m_server, m_startStation, NorikaeDestination(m_nodes, row, m_nearChoice))) {
        ShowMessageBoxAt(this, NorikaeStartFailedMessage, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return;
    }
    TMemIniFile ini(SettingsFileName());
    WriteNorikaeStartStation(ini, m_startStation);
    QString error;
    if (!ini.UpdateFile(&error))
        ShowMessageBoxAt(this, error, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

void TNorikaeMain::bbtnMapClick()
{
    const int row = SelectedRow(lvNear);
    // The chosen row has no position.
    if (row < 0 || row >= int(m_nodes.size()))
        return;
    ShowStationOnChosenMap(this, m_nodes[size_t(row)].Latitude, m_nodes[size_t(row)].Longitude, m_programDir);
}

bool TNorikaeMain::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Watched == lvNear)
                lvStart->setFocus();
            else
                (m_startStation.Station.trimmed().isEmpty() ? bbtnStart : btnStartUp)->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}
