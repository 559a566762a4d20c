#include "links/NoriSel.h"

#include "links/RouteWindowsCommon.h"
#include "links/RoutePrograms.h"
#include "util/MsgBoxPos.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TNorikaeSelectStation::TNorikaeSelectStation(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("NorikaeSelectStation"));
    setWindowTitle(QStringLiteral("駅選択"));
    edName = new QLineEdit(this);
    edName->setObjectName(QStringLiteral("edName"));
    edName->setMaxLength(22);
    lvStation = new QTreeWidget(this);
    lvStation->setObjectName(QStringLiteral("lvStation"));
    lvStation->setHeaderLabels({QStringLiteral("駅名")});
    lvStation->setRootIsDecorated(false);
    lvStation->header()->setSectionResizeMode(QHeaderView::Fixed);
    lvStation->setColumnWidth(0, 240);
    lvStation->setMinimumSize(280, 220);
    QHBoxLayout *buttons = MakeOkCancelRow(this, btnOK, btnCancel);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("駅名（ひらがな）："), this));
    nameRow->addWidget(edName, 1);
    auto *main = new QVBoxLayout(this);
    main->addLayout(nameRow);
    main->addWidget(lvStation);
    main->addLayout(buttons);
    edName->installEventFilter(this);
    lvStation->installEventFilter(this);
    connect(lvStation, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (item && item->isSelected())
            btnOKClick();
    });
    connect(btnOK, &QPushButton::clicked, this, &TNorikaeSelectStation::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TNorikaeSelectStation::~TNorikaeSelectStation() = default;

bool TNorikaeSelectStation::Init()
{
    m_server = RoutePrograms().CreateNorikaeAnnai();
    if (m_server && InitNorikaeAnnai(*m_server))
        return true;
    m_server.reset();
    ShowMessageBoxAt(parentWidget() ? parentWidget() : this, NorikaeStartFailedMessage, ProductCaption(),
                     MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    return false;
}

void TNorikaeSelectStation::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    if (m_shown)
        return;
    m_shown = true;
    if (!m_record.Name.isEmpty()) {
        edName->setText(m_record.Name);
        Search();
    }
    const int row = NorikaePickerRow(m_record.Index, lvStation->topLevelItemCount());
    if (row >= 0)
        lvStation->setCurrentItem(lvStation->topLevelItem(row));
}

void TNorikaeSelectStation::Search()
{
    lvStation->clear();
    m_candidates.clear();
    if (!m_server)
        return;
    try {
        m_candidates = NorikaeCandidates(*m_server, edName->text());
    } catch (const ERouteServerError &) {
        ShowMessageBoxAt(this, NorikaeStartFailedMessage, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    }
    for (const QString &candidate : std::as_const(m_candidates))
        lvStation->addTopLevelItem(new QTreeWidgetItem({candidate}));
    if (lvStation->topLevelItemCount() > 0) {
        lvStation->setCurrentItem(lvStation->topLevelItem(0));
        lvStation->setFocus();
    }
}

void TNorikaeSelectStation::btnOKClick()
{
    const int row = SelectedStationRow(lvStation);
    if (row < 0 || row >= m_candidates.size()) {
        reject();
        return;
    }
    m_record = NorikaePickerChoice(edName->text(), row, m_candidates[row]);
    accept();
}

bool TNorikaeSelectStation::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Watched == edName) {
                if (edName->text().trimmed().isEmpty())
                    btnCancel->setFocus();
                else
                    Search();
            } else {
                QTreeWidgetItem *item = lvStation->currentItem();
                (item && item->isSelected() ? btnOK : btnCancel)->setFocus();
            }
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}
