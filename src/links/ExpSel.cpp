#include "links/ExpSel.h"

#include "links/RouteWindowsCommon.h"
#include "util/StrFunc.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QString ExpertKanaKey(const QString &Text)
{
    QString katakana = Text.trimmed();
    // ぁ (U+3041) .. ゖ (U+3096) lie 0x60 below their katakana.
    for (QChar &c : katakana)
        if (c.unicode() >= 0x3041 && c.unicode() <= 0x3096)
            c = QChar(char16_t(c.unicode() + 0x60));
    return ToHalfWidthW(katakana);
}

TExpertSelectStation::TExpertSelectStation(const IStationIndex &Index, QWidget *Owner)
    : QDialog(Owner), m_index(Index)
{
    setObjectName(QStringLiteral("ExpertSelectStation"));
    setWindowTitle(QStringLiteral("駅選択"));
    m_highlight = m_normal = palette().color(QPalette::WindowText);

    rbName = new QRadioButton(QStringLiteral("読みで検索"), this);
    rbName->setObjectName(QStringLiteral("rbName"));
    rbKana = new QRadioButton(QStringLiteral("行で検索"), this);
    rbKana->setObjectName(QStringLiteral("rbKana"));
    auto *modes = new QButtonGroup(this);
    modes->addButton(rbName, 0);
    modes->addButton(rbKana, 1);
    edName = new QLineEdit(this);
    edName->setObjectName(QStringLiteral("edName"));
    edName->setMaxLength(ExpertNameBytes);
    cbxKana = new QComboBox(this);
    cbxKana->setObjectName(QStringLiteral("cbxKana"));
    for (const TExpertKanaRow &row : ExpertKanaRows)
        cbxKana->addItem(row.Caption);
    lvStation = new QTreeWidget(this);
    lvStation->setObjectName(QStringLiteral("lvStation"));
    lvStation->setHeaderLabels({QStringLiteral("駅名"), QStringLiteral("カナ")});
    lvStation->setRootIsDecorated(false);
    lvStation->setColumnWidth(0, 160);
    lvStation->setMinimumSize(340, 240);
    QHBoxLayout *buttons = MakeOkCancelRow(this, btnOK, btnCancel);

    auto *search = new QGridLayout;
    search->addWidget(rbName, 0, 0);
    search->addWidget(edName, 0, 1);
    search->addWidget(rbKana, 1, 0);
    search->addWidget(cbxKana, 1, 1);
    auto *main = new QVBoxLayout(this);
    main->addLayout(search);
    main->addWidget(lvStation);
    main->addLayout(buttons);

    for (QWidget *w : std::initializer_list<QWidget *>{edName, cbxKana, rbName, rbKana, lvStation})
        w->installEventFilter(this);
    connect(rbName, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            NameSearch();
        PaintModes();
    });
    connect(rbKana, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RowSearch();
        PaintModes();
    });
    connect(cbxKana, &QComboBox::currentIndexChanged, this, [this](int row) { KanaRowChosen(row); });
    connect(lvStation, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (item && item->isSelected())
            btnOKClick();
    });
    connect(btnOK, &QPushButton::clicked, this, &TExpertSelectStation::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TExpertSelectStation::SetColors(const QColor &Highlight, const QColor &Normal)
{
    m_highlight = Highlight;
    m_normal = Normal;
    PaintModes();
}

void TExpertSelectStation::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    if (m_shown)
        return;
    m_shown = true;
    m_loading = true;
    edName->setText(m_record.Kana.trimmed());
    const int row = ExpertPickerKanaRow(m_record.KanaIndex);
    m_kanaRow = row;
    cbxKana->setCurrentIndex(row);
    m_loading = false;
    QRadioButton *mode = m_record.Kana.trimmed().isEmpty() ? rbKana : rbName;
    if (mode->isChecked()) // already on: its search runs anyway
        mode == rbName ? NameSearch() : RowSearch();
    else
        mode->setChecked(true);
    if (m_record.ListIndex >= 0 && lvStation->topLevelItemCount() > m_record.ListIndex) {
        QTreeWidgetItem *item = lvStation->topLevelItem(m_record.ListIndex);
        lvStation->setCurrentItem(item);
        lvStation->scrollToItem(item);
        lvStation->setFocus();
    }
}

void TExpertSelectStation::KanaRowChosen(int Row)
{
    if (Row < 0)
        return;
    if (rbKana->isChecked() && Row == m_kanaRow)
        return;
    m_kanaRow = Row;
    if (m_loading)
        return;
    if (!rbKana->isChecked())
        rbKana->setChecked(true); // which searches
    else
        RowSearch();
}

void TExpertSelectStation::NameSearch()
{
    m_entries = ExpertNameSearch(m_index, ExpertKanaKey(edName->text()));
    FillList();
}

void TExpertSelectStation::RowSearch()
{
    m_entries = ExpertRowSearch(m_index, m_kanaRow < 0 ? 0 : m_kanaRow);
    FillList();
}

void TExpertSelectStation::FillList()
{
    lvStation->clear();
    for (const TExpertSelectStInfo &entry : m_entries)
        lvStation->addTopLevelItem(new QTreeWidgetItem({entry.StNameKj, entry.StNameKn}));
    if (lvStation->topLevelItemCount() > 0)
        lvStation->setCurrentItem(lvStation->topLevelItem(0));
}

void TExpertSelectStation::PaintModes()
{
    for (QRadioButton *button : {rbName, rbKana}) {
        QPalette p = button->palette();
        p.setColor(QPalette::WindowText, button->isChecked() ? m_highlight : m_normal);
        button->setPalette(p);
    }
}

void TExpertSelectStation::btnOKClick()
{
    const int row = SelectedStationRow(lvStation);
    if (row < 0 || row >= int(m_entries.size())) {
        reject();
        return;
    }
    ExpertTakePickerChoice(m_record, m_entries[size_t(row)], m_kanaRow < 0 ? 0 : m_kanaRow, row, edName->text());
    accept();
}

bool TExpertSelectStation::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(Watched, Event);
    const int key = static_cast<QKeyEvent *>(Event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QDialog::eventFilter(Watched, Event);
    if (Watched == edName) {
        if (!edName->text().trimmed().isEmpty()) {
            if (!rbName->isChecked())
                rbName->setChecked(true); // which searches
            else
                NameSearch();
            if (lvStation->topLevelItemCount() > 0)
                lvStation->setFocus();
        } else {
            (rbKana->isChecked() ? static_cast<QWidget *>(rbKana) : cbxKana)->setFocus();
        }
        return true;
    }
    if (Watched == lvStation) {
        const QTreeWidgetItem *item = lvStation->currentItem();
        (item && item->isSelected() ? btnOK : btnCancel)->setFocus();
        return true;
    }
    focusNextChild();
    return true;
}
