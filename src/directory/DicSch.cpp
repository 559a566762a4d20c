#include "directory/DicSch.h"

#include "core/AdrsDicClass.h"
#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/KykbnDicClass.h"
#include "core/Main.h"
#include "core/PosDicClass.h"
#include "core/Wqarea17Wrapper.h"
#include "core/WqhypWrapper.h"
#include "directory/SchArea.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/EnterKey.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

const QColor kErrorColor(128, 0, 0);
const QColor kCheckedColor(0, 0, 255);
const QString kNotFound = QStringLiteral("該当する住所は見つかりませんでした。");
const QString kOnlyDigits = QStringLiteral("半角の数字とハイフン以外は無効です。");
const QString kOnlyHyphens = QStringLiteral("ハイフンのみは無効です。");
const QString kTelPrompt = QStringLiteral("検索する電話番号を入力してください。");

// The longest telephone number the directory and the area codes know.
constexpr int kMaxPhoneDigits = 11;

QByteArray trimmedField(const char *field, std::size_t size)
{
    return QByteArray(field, static_cast<qsizetype>(strnlen(field, size))).trimmed();
}

// Text trimmed and cut to Bytes without splitting a double-byte character.
QByteArray cutField(const QByteArray &text, int bytes)
{
    return Cp932::truncated(text.trimmed(), bytes);
}

void paintCaption(QAbstractButton *button, bool highlighted)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::WindowText, highlighted ? kCheckedColor : QApplication::palette().color(QPalette::WindowText));
    palette.setColor(QPalette::ButtonText, highlighted ? kCheckedColor : QApplication::palette().color(QPalette::ButtonText));
    button->setPalette(palette);
}

QTreeWidget *makeList(QWidget *parent, const QString &name)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformRowHeights(true);
    return list;
}

// The directory regions a number's second digit chooses, in search order.
std::vector<int> regionsOfSecondDigit(char digit)
{
    switch (digit) {
    case '1': return {1};
    case '2': return {2, 4, 1};
    case '3': return {3};
    case '4': return {3, 2, 4};
    case '5': return {4, 5};
    case '6': return {5};
    case '7': return {5, 4};
    case '8': return {6};
    case '9': return {7};
    default: return {};
    }
}

} // namespace

TDicSearch::TDicSearch(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("DicSearch"));
    setWindowTitle(QStringLiteral("検索"));
    resize(565, 485);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);

    auto *outer = new QVBoxLayout(this);
    pgctlDicSch = new QStackedWidget(this);
    pgctlDicSch->setObjectName(QStringLiteral("pgctlDicSch"));
    tabstSearch = new QWidget(pgctlDicSch);
    tabstSearch->setObjectName(QStringLiteral("tabstSearch"));
    auto *searchLayout = new QVBoxLayout(tabstSearch);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    pgctlDicType = new QTabWidget(tabstSearch);
    pgctlDicType->setObjectName(QStringLiteral("pgctlDicType"));
    searchLayout->addWidget(pgctlDicType);
    pgctlDicSch->addWidget(tabstSearch);

    buildTab(TabTel, QStringLiteral("電話番号検索"), kTelPrompt, QStringLiteral("電話番号検索"), 13);
    buildTab(TabPos, QStringLiteral("郵便番号検索"), QStringLiteral("検索する郵便番号を入力してください。"),
             QStringLiteral("郵便番号検索"), 8);
    buildTab(TabAdrs, QStringLiteral("住所検索"), QStringLiteral("検索する住所を入力してください。"),
             QStringLiteral("住所検索"), 200);
    buildListPage();
    outer->addWidget(pgctlDicSch);

    auto *buttons = new QHBoxLayout;
    btnPrior = new QPushButton(QStringLiteral("戻る"), this);
    btnPrior->setObjectName(QStringLiteral("btnPrior"));
    btnPrior->setAutoDefault(false);
    btnPrior->hide();
    btnDecision = new QPushButton(QStringLiteral("決定"), this);
    btnDecision->setObjectName(QStringLiteral("btnDecision"));
    btnDecision->setAutoDefault(false);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    buttons->addWidget(btnPrior);
    buttons->addStretch();
    buttons->addWidget(btnDecision);
    buttons->addWidget(btnCancel);
    outer->addLayout(buttons);

    // Enter on a focused button presses it (Enter in the telephone list
    // brings the user to 決定), and nowhere else presses a button.
    for (QPushButton *button : {btnPrior, btnDecision, btnCancel})
        button->installEventFilter(this);
    connect(btnPrior, &QPushButton::clicked, this, &TDicSearch::priorClicked);
    connect(btnDecision, &QPushButton::clicked, this, &TDicSearch::decision);
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(2); });
    connect(pgctlDicType, &QTabWidget::currentChanged, this, &TDicSearch::tabChanged);
    pgctlDicType->tabBar()->installEventFilter(this);
    for (QTreeWidget *list : {m_tabs[0].cities, m_tabs[0].towns, m_tabs[1].cities, m_tabs[1].towns, m_tabs[2].cities,
                              m_tabs[2].towns, lvTelList})
        connect(list, &QTreeWidget::itemSelectionChanged, this, [this, list] { keepSelection(list); });
    pgctlDicSch->setCurrentWidget(tabstSearch);
    tabChanged();
    // The search buttons beside the edits take Return when focused too.
    PressFocusedButtonOnEnter(this);
}

TDicSearch::~TDicSearch() = default;

void TDicSearch::buildTab(int Index, const QString &Caption, const QString &Prompt, const QString &Hint, int MaxLength)
{
    static const char *const prefixes[] = {"Tel", "Pos", "Adrs"};
    const QString p = QLatin1String(prefixes[Index]);
    TTab &tab = m_tabs[static_cast<std::size_t>(Index)];
    tab.defaultPrompt = Prompt;
    tab.page = new QWidget(pgctlDicType);
    tab.page->setObjectName(QStringLiteral("tabst%1Sch").arg(p));
    auto *layout = new QVBoxLayout(tab.page);

    tab.prompt = new QLabel(Prompt, tab.page);
    tab.prompt->setObjectName(QStringLiteral("lbl%1Sch").arg(p));
    layout->addWidget(tab.prompt);

    auto *editRow = new QHBoxLayout;
    tab.edit = new QLineEdit(tab.page);
    tab.edit->setObjectName(QStringLiteral("edt%1Sch").arg(p));
    tab.edit->setMaxLength(MaxLength);
    if (Index == TabTel) {
        QFont bold = tab.edit->font();
        bold.setBold(true);
        bold.setPixelSize(19);
        tab.edit->setFont(bold);
    }
    // Digits only: no composition in the number edits.
    tab.edit->setAttribute(Qt::WA_InputMethodEnabled, Index == TabAdrs);
    tab.search = new QToolButton(tab.page);
    tab.search->setObjectName(QStringLiteral("bbtn%1Sch").arg(p));
    tab.search->setText(QStringLiteral("検索"));
    tab.search->setToolTip(Hint);
    editRow->addWidget(tab.edit, 1);
    editRow->addWidget(tab.search);
    layout->addLayout(editRow);
    if (Index == TabTel) {
        chkSaveTel = new QCheckBox(QStringLiteral("検索した番号の市外局番を保存する"), tab.page);
        chkSaveTel->setObjectName(QStringLiteral("chkSaveTel"));
        layout->addWidget(chkSaveTel);
        connect(chkSaveTel, &QCheckBox::toggled, this, [this](bool on) {
            paintCaption(chkSaveTel, on);
            if (isVisible())
                m_tabs[TabTel].edit->setFocus();
        });
    }

    layout->addWidget(new QLabel(QStringLiteral("検索結果一覧："), tab.page));
    tab.cities = makeList(tab.page, QStringLiteral("lv%1City").arg(p));
    tab.cities->setHeaderHidden(true);
    tab.cities->setColumnCount(1);
    layout->addWidget(tab.cities, 1);

    auto *viewRow = new QHBoxLayout;
    viewRow->addWidget(new QLabel(QStringLiteral("表示カナ："), tab.page));
    tab.kana = new QComboBox(tab.page);
    tab.kana->setObjectName(QStringLiteral("cbx%1ViewKana").arg(p));
    tab.kana->addItems({QStringLiteral("すべて"), QStringLiteral("あ行"), QStringLiteral("か行"), QStringLiteral("さ行"),
                        QStringLiteral("た行"), QStringLiteral("な行"), QStringLiteral("は行"), QStringLiteral("ま行"),
                        QStringLiteral("や行"), QStringLiteral("ら行"), QStringLiteral("わ行")});
    tab.kana->setMaxVisibleItems(11);
    viewRow->addWidget(tab.kana);
    if (Index != TabTel) {
        viewRow->addSpacing(16);
        viewRow->addWidget(new QLabel(QStringLiteral("表示種類："), tab.page));
        tab.viewTown = new QRadioButton(QStringLiteral("町大字一覧"), tab.page);
        tab.viewTown->setObjectName(QStringLiteral("rb%1ViewTown").arg(p));
        tab.viewLarge = new QRadioButton(QStringLiteral("大口事業所等名一覧"), tab.page);
        tab.viewLarge->setObjectName(QStringLiteral("rb%1ViewOhguchi").arg(p));
        auto *group = new QButtonGroup(tab.page);
        group->addButton(tab.viewTown, 0);
        group->addButton(tab.viewLarge, 1);
        tab.viewTown->setChecked(true);
        paintCaption(tab.viewTown, true);
        viewRow->addWidget(tab.viewTown);
        viewRow->addWidget(tab.viewLarge);
        tab.viewTown->installEventFilter(this);
        tab.viewLarge->installEventFilter(this);
        connect(group, &QButtonGroup::idClicked, this, [this, Index](int) { viewTypeClicked(Index); });
    }
    viewRow->addStretch();
    layout->addLayout(viewRow);

    tab.towns = makeList(tab.page, QStringLiteral("lv%1Town").arg(p));
    tab.towns->setHeaderLabels({QStringLiteral("〒"), QString(), QStringLiteral("住所")});
    tab.towns->setColumnWidth(0, 76);
    tab.towns->setColumnWidth(1, 28);
    tab.towns->setColumnWidth(2, 360);
    layout->addWidget(tab.towns, 2);

    pgctlDicType->addTab(tab.page, Caption);
    // The city and town lists of the postcode and address searches have a
    // manual page of their own.
    if (Index != TabTel) {
        for (QWidget *w : {static_cast<QWidget *>(tab.cities), static_cast<QWidget *>(tab.kana),
                           static_cast<QWidget *>(tab.viewTown), static_cast<QWidget *>(tab.viewLarge),
                           static_cast<QWidget *>(tab.towns)})
            w->setProperty("HelpContext", 25);
    }

    for (QWidget *w : {static_cast<QWidget *>(tab.edit), static_cast<QWidget *>(tab.cities),
                       static_cast<QWidget *>(tab.kana), static_cast<QWidget *>(tab.towns)})
        w->installEventFilter(this);
    connect(tab.search, &QToolButton::clicked, this, [this, Index] {
        if (Index == TabTel)
            (void)PhoneSearch();
        else if (Index == TabPos)
            postcodeSearch();
        else
            addressSearch();
    });
    connect(tab.cities, &QTreeWidget::itemSelectionChanged, this, [this, Index] { citySelected(Index); });
    connect(tab.kana, &QComboBox::activated, this, [this, Index](int item) {
        TTab &t = m_tabs[static_cast<std::size_t>(Index)];
        if (item == t.kanaFilter)
            return;
        t.kanaFilter = item;
        if (!t.cities->selectedItems().isEmpty())
            buildTownList(Index);
    });
    connect(tab.towns, &QTreeWidget::itemDoubleClicked, this, [this, Index] {
        if (m_tabs[static_cast<std::size_t>(Index)].towns->topLevelItemCount() > 0)
            decide();
    });
}

void TDicSearch::buildListPage()
{
    tabstTelList = new QWidget(pgctlDicSch);
    tabstTelList->setObjectName(QStringLiteral("tabstTelList"));
    auto *layout = new QVBoxLayout(tabstTelList);
    lblTelList1 = new QLabel(tabstTelList);
    lblTelList1->setObjectName(QStringLiteral("lblTelList1"));
    auto *lblTelList2 = new QLabel(QStringLiteral("確定したいデータをリストから選択してください。"), tabstTelList);
    lblTelList2->setObjectName(QStringLiteral("lblTelList2"));
    layout->addWidget(lblTelList1);
    layout->addWidget(lblTelList2);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("検索番号："), tabstTelList));
    pnlSchTel = new QLabel(tabstTelList);
    pnlSchTel->setObjectName(QStringLiteral("pnlSchTel"));
    pnlSchTel->setFrameShape(QFrame::Panel);
    pnlSchKey = new QLabel(tabstTelList);
    pnlSchKey->setObjectName(QStringLiteral("pnlSchKey"));
    pnlSchKey->setFrameShape(QFrame::Panel);
    row->addWidget(pnlSchTel);
    row->addWidget(pnlSchKey);
    row->addStretch();
    layout->addLayout(row);
    lvTelList = makeList(tabstTelList, QStringLiteral("lvTelList"));
    lvTelList->setHeaderLabels({QStringLiteral("種類"), QStringLiteral("名称"), QString()});
    lvTelList->setColumnWidth(0, 88);
    lvTelList->setColumnWidth(1, 300);
    lvTelList->setColumnWidth(2, 108);
    lvTelList->installEventFilter(this);
    layout->addWidget(lvTelList, 1);
    connect(lvTelList, &QTreeWidget::itemDoubleClicked, this, [this] { decide(); });
    connect(lvTelList, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem *> items = lvTelList->selectedItems();
        if (!items.isEmpty())
            m_selectedHit = lvTelList->indexOfTopLevelItem(items.front());
    });
    pgctlDicSch->addWidget(tabstTelList);
}

void TDicSearch::SetSearchOptions(std::uint8_t TabMask, bool UseBookLookup, bool ShowSaveTel)
{
    pgctlDicType->setTabVisible(TabTel, (TabMask & 0x03) != 0);
    pgctlDicType->setTabVisible(TabPos, (TabMask & 0x04) != 0);
    pgctlDicType->setTabVisible(TabAdrs, (TabMask & 0x08) != 0);
    m_useDirectory = (TabMask & 0x01) != 0;
    m_useBookLookup = UseBookLookup;
    chkSaveTel->setVisible(ShowSaveTel);
}

int TDicSearch::StartSearch(int Kind, const QString &Text)
{
    if (Kind < TabTel || Kind > TabAdrs)
        return 9;
    QString text = Text;
    if (Kind != TabAdrs) {
        const QByteArray bytes = Cp932::encode(Text);
        text = FilterNumberChars(bytes, nckDigits).isEmpty()
                   ? QString()
                   : QString::fromLatin1(FilterNumberChars(bytes, nckDigits | nckHyphen));
    }
    pgctlDicType->setCurrentIndex(Kind);
    m_tabs[static_cast<std::size_t>(Kind)].edit->setText(text);
    tabChanged();
    int code = 0;
    if (text.isEmpty()) {
        if (!chkSaveTel->isHidden())
            LoadSavedAreaCode();
    } else if (Kind == TabTel) {
        code = PhoneSearch();
    } else {
        m_tabs[static_cast<std::size_t>(Kind)].search->click();
    }
    return m_decided ? 1 : code;
}

void TDicSearch::tabChanged()
{
    static constexpr int helpContexts[] = {24, 26, 27};
    const int index = std::max(0, pgctlDicType->currentIndex());
    ResultKind = index;
    TabHelpContext = helpContexts[index];
    setProperty("HelpContext", TabHelpContext);
}

int TDicSearch::ShowModal()
{
    const int answer = ModalRunner ? ModalRunner(*this) : exec();
    return answer == 1 ? 1 : 2;
}

void TDicSearch::setPrompt(int Tab, const QString &Text, bool Error)
{
    QLabel *label = m_tabs[static_cast<std::size_t>(Tab)].prompt;
    label->setText(Text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Error ? kErrorColor : QApplication::palette().color(QPalette::WindowText));
    label->setPalette(palette);
}

bool TDicSearch::checkNumberInput(int Tab, QByteArray &Digits)
{
    TTab &tab = m_tabs[static_cast<std::size_t>(Tab)];
    const QString trimmed = tab.edit->text().trimmed();
    const auto refuse = [&](const QString &text, bool error) {
        setPrompt(Tab, text, error);
        tab.edit->setFocus();
        return false;
    };
    if (trimmed.isEmpty())
        return refuse(tab.defaultPrompt, false);
    const QByteArray bytes = Cp932::encode(trimmed);
    if (bytes != FilterNumberChars(bytes, nckDigits | nckHyphen))
        return refuse(kOnlyDigits, true);
    Digits = FilterNumberChars(bytes, nckDigits);
    if (Digits.isEmpty())
        return refuse(kOnlyHyphens, true);
    return true;
}

void TDicSearch::postcodeSearch()
{
    TTab &tab = m_tabs[TabPos];
    QByteArray digits;
    if (!checkNumberInput(TabPos, digits))
        return;
    int rc = 8;
    try {
        const TWaitCursor wait;
        if (!m_pos)
            m_pos = std::make_unique<TPosSearch>(AppPath, AppPath + QStringLiteral("Dic/"));
        QString formatted;
        // Longer than a postcode is a wrong postcode, not a search.
        rc = digits.size() > 7 ? 4 : m_pos->SearchPostcode(QString::fromLatin1(digits), &formatted);
        if (rc == 0) {
            tab.edit->setText(formatted.trimmed());
            QStringList captions;
            for (int i = 0; i < m_pos->GetCityCount(); ++i)
                captions << Cp932::decode(trimmedField(m_pos->GetCity(i)->Name, sizeof m_pos->GetCity(i)->Name));
            fillCities(TabPos, captions);
        }
    } catch (const Exception &e) {
        showDictionaryError(e.Message());
        rc = 9;
    }
    showSearchOutcome(TabPos, rc, QStringLiteral("入力した郵便番号に誤りがあります。"));
}

void TDicSearch::addressSearch()
{
    TTab &tab = m_tabs[TabAdrs];
    const QString text = tab.edit->text().trimmed();
    if (text.isEmpty() || text.trimmed().remove(QChar(0x3000)).isEmpty()) {
        setPrompt(TabAdrs, tab.defaultPrompt, false);
        tab.edit->setFocus();
        return;
    }
    int rc = 8;
    try {
        const TWaitCursor wait;
        if (!m_adrs)
            m_adrs = std::make_unique<TAdrsSearch>(AppPath, AppPath + QStringLiteral("Dic/"));
        rc = m_adrs->SearchAddress(text);
        if (rc == 0) {
            QStringList captions;
            for (int i = 0; i < m_adrs->GetCityCount(); ++i) {
                const TWqzsCity *city = m_adrs->GetCity(i);
                captions << Cp932::decode(trimmedField(city->Pref, sizeof city->Pref)
                                          + trimmedField(city->City, sizeof city->City));
            }
            fillCities(TabAdrs, captions);
        }
    } catch (const Exception &e) {
        showDictionaryError(e.Message());
        rc = 9;
    }
    showSearchOutcome(TabAdrs, rc, QStringLiteral("入力した住所に誤りがあります。"));
}

// After a postcode or address search: a wrong entry (4) or nothing found (8)
// is told on the tab's prompt and the lists emptied; a success moves on to
// the cities found.
void TDicSearch::showSearchOutcome(int Tab, int Rc, const QString &WrongText)
{
    TTab &tab = m_tabs[static_cast<std::size_t>(Tab)];
    if (Rc == 4)
        setPrompt(Tab, WrongText, true);
    else if (Rc == 8)
        setPrompt(Tab, kNotFound, true);
    if (Rc != 0) {
        tab.cities->clear();
        tab.towns->clear();
    } else if (isVisible()) {
        tab.cities->setFocus();
    }
}

void TDicSearch::fillCities(int Tab, const QStringList &Captions)
{
    TTab &tab = m_tabs[static_cast<std::size_t>(Tab)];
    tab.cityIndex = -1;
    {
        const QSignalBlocker block(tab.cities);
        tab.cities->clear();
        for (const QString &caption : Captions)
            tab.cities->addTopLevelItem(new QTreeWidgetItem(QStringList{caption}));
    }
    if (tab.cities->topLevelItemCount() == 0)
        return;
    // The towns shown first are those of the first city that has any: a
    // short postcode (three digits) also reaches cities that hold only
    // large offices under it, or only their city-wide entry, and those sort
    // first; their empty town list would tell the user that nothing was
    // found while the towns sought stand under the next city.
    int first = 0;
    while (first < tab.cities->topLevelItemCount() && !cityListsTowns(Tab, first))
        ++first;
    if (first == tab.cities->topLevelItemCount())
        first = 0;
    tab.cities->setCurrentItem(tab.cities->topLevelItem(first));
    tab.cities->topLevelItem(first)->setSelected(true);
    citySelected(Tab);
}

bool TDicSearch::cityListsTowns(int Tab, int City)
{
    try {
        const std::vector<TTownRow> rows = townRows(Tab, City);
        const int filter = m_tabs[static_cast<std::size_t>(Tab)].kanaFilter;
        return std::any_of(rows.begin(), rows.end(),
                           [filter](const TTownRow &row) { return townRowShown(row, filter); });
    } catch (const Exception &) {
        // The town list of this city tells the error when it is built.
        return true;
    }
}

bool TDicSearch::townRowShown(const TTownRow &Row, int KanaFilter)
{
    if (Row.kana.trimmed().isEmpty() && Row.address.trimmed().isEmpty())
        return false;
    return PassesKanaFilter(Row.kana, KanaFilter);
}

void TDicSearch::citySelected(int Tab)
{
    TTab &tab = m_tabs[static_cast<std::size_t>(Tab)];
    const QList<QTreeWidgetItem *> items = tab.cities->selectedItems();
    if (items.isEmpty())
        return;
    const int index = tab.cities->indexOfTopLevelItem(items.front());
    if (index == tab.cityIndex)
        return;
    tab.cityIndex = index;
    buildTownList(Tab);
}

std::vector<TDicSearch::TTownRow> TDicSearch::townRows(int Tab, int City)
{
    std::vector<TTownRow> rows;
    const bool large = Tab != TabTel && m_tabs[static_cast<std::size_t>(Tab)].viewLarge->isChecked();
    const auto fromLists = [&](auto &search) {
        if (search.SearchTown(City, large ? 1 : 0) != 0)
            return;
        for (int i = 0; i < search.GetTownCount(); ++i) {
            const auto *town = search.GetTown(i);
            TTownRow row{trimmedField(town->Postcode, sizeof town->Postcode),
                         trimmedField(town->TownKana, sizeof town->TownKana),
                         trimmedField(town->Town, sizeof town->Town), {}};
            if (large) {
                const TDicLarge *office = search.GetLarge(i);
                row.office = trimmedField(office->Name, sizeof office->Name);
            }
            rows.push_back(std::move(row));
        }
    };
    if (Tab == TabTel && m_kykbn) {
        if (m_kykbn->SearchTown(City) != 0)
            return rows;
        for (int i = 0; i < m_kykbn->GetTownCount(); ++i) {
            const TWqtelTown *town = m_kykbn->GetTown(i);
            rows.push_back({trimmedField(town->Postcode, sizeof town->Postcode),
                            trimmedField(town->KanaHead, sizeof town->KanaHead),
                            trimmedField(town->Town, sizeof town->Town), {}});
        }
    } else if (Tab == TabPos && m_pos) {
        fromLists(*m_pos);
    } else if (Tab == TabAdrs && m_adrs) {
        fromLists(*m_adrs);
    }
    return rows;
}

void TDicSearch::buildTownList(int Tab)
{
    TTab &tab = m_tabs[static_cast<std::size_t>(Tab)];
    std::vector<TTownRow> rows;
    try {
        const TWaitCursor wait;
        rows = townRows(Tab, tab.cityIndex);
    } catch (const Exception &e) {
        tab.towns->clear();
        showDictionaryError(e.Message());
        return;
    }
    tab.towns->setUpdatesEnabled(false);
    tab.towns->clear();
    QString previousMark;
    const bool large = tab.viewLarge && tab.viewLarge->isChecked();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TTownRow &row = rows[i];
        if (!townRowShown(row, tab.kanaFilter))
            continue;
        const QString mark = KanaMark(row.kana);
        QStringList columns{PostcodeCaption(row.postcode), mark == previousMark ? QString() : mark,
                            Cp932::decode(row.address)};
        previousMark = mark;
        if (large)
            columns << Cp932::decode(row.office);
        auto *item = new QTreeWidgetItem(columns);
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        tab.towns->addTopLevelItem(item);
    }
    tab.towns->setUpdatesEnabled(true);
    if (tab.towns->topLevelItemCount() == 0) {
        setPrompt(Tab, kNotFound, true);
        return;
    }
    QString prompt;
    if (Tab == TabPos) {
        prompt = QStringLiteral("郵便番号検索結果から住所を選択してください。");
    } else if (Tab == TabAdrs) {
        prompt = QStringLiteral("住所検索結果から住所を選択してください。");
    } else {
        if (m_useDirectory)
            prompt = m_directoryNotShown ? QStringLiteral("該当するデータは表示できません。")
                                         : QStringLiteral("該当するデータは見つかりませんでした。");
        prompt += QStringLiteral("局番検索結果から住所を選択してください。");
    }
    setPrompt(Tab, prompt, false);
    tab.towns->setCurrentItem(tab.towns->topLevelItem(0));
    tab.towns->topLevelItem(0)->setSelected(true);
}

void TDicSearch::viewTypeClicked(int Tab)
{
    TTab &tab = m_tabs[static_cast<std::size_t>(Tab)];
    const bool large = tab.viewLarge->isChecked();
    paintCaption(tab.viewTown, !large);
    paintCaption(tab.viewLarge, large);
    if (large && tab.towns->columnCount() == 3) {
        tab.towns->setColumnCount(4);
        tab.towns->headerItem()->setText(3, QStringLiteral("大口事業所等名"));
        tab.towns->setColumnWidth(2, 190);
        tab.towns->setColumnWidth(3, 190);
    } else if (!large && tab.towns->columnCount() == 4) {
        tab.towns->setColumnCount(3);
        tab.towns->setColumnWidth(2, 380);
    }
    if (!tab.cities->selectedItems().isEmpty())
        buildTownList(Tab);
}

QString TDicSearch::PostcodeCaption(const QByteArray &Postcode)
{
    const QString text = QString::fromLatin1(Postcode);
    if (text.size() == 5 || text.size() == 7)
        return text.left(3) + QLatin1Char('-') + text.mid(3, 4);
    return text;
}

bool TDicSearch::PassesKanaFilter(const QByteArray &Reading, int Filter)
{
    static constexpr unsigned char ranges[11][2] = {{0, 0},       {0xB1, 0xB5}, {0xB6, 0xBA}, {0xBB, 0xBF},
                                                    {0xC0, 0xC4}, {0xC5, 0xC9}, {0xCA, 0xCE}, {0xCF, 0xD3},
                                                    {0xD4, 0xD6}, {0xD7, 0xDB}, {0xDC, 0xDC}};
    if (Filter <= 0 || Filter > 10)
        return true;
    if (Reading.isEmpty())
        return false;
    const auto b = static_cast<unsigned char>(Reading.front());
    return b >= ranges[Filter][0] && b <= ranges[Filter][1];
}

QString TDicSearch::KanaMark(const QByteArray &Reading)
{
    static const QString half = QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ");
    static const QString hiragana = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん");
    const QString text = Cp932::decode(Reading);
    if (text.isEmpty())
        return {};
    const qsizetype at = half.indexOf(text.front());
    return at >= 0 ? QString(hiragana.at(at)) : QString(text.front());
}

QWidget *TDicSearch::messageOwner()
{
    return isVisible() ? this : m_ownerHandle;
}

void TDicSearch::showDictionaryError(const QString &Text)
{
    ShowMessageBoxAt(messageOwner(), Text, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

void TDicSearch::decide()
{
    if (pgctlDicSch->currentWidget() == tabstTelList) {
        const QList<QTreeWidgetItem *> items = lvTelList->selectedItems();
        m_selectedHit = items.isEmpty() ? -1 : lvTelList->indexOfTopLevelItem(items.front());
        btnDecision->click();
        return;
    }
    if (ResultKind == drkBookRecord || ResultKind == drkDirectory) {
        if (m_hitCount != 1) {
            showListPage();
            return;
        }
        m_selectedHit = 0;
    }
    btnDecision->click();
}

void TDicSearch::decision()
{
    if (!buildResult())
        return;
    m_decided = true;
    done(1);
}

bool TDicSearch::buildResult()
{
    m_result = TDicSearchResult{};
    switch (ResultKind) {
    case drkPhone:
    case drkPostcode:
    case drkAddress:
        return buildDictionaryResult(ResultKind);
    case drkDirectory:
        if (m_selectedHit < 0 || m_selectedHit >= static_cast<int>(m_telRecords.size()))
            return false;
        buildDirectoryResult(m_telRecords[static_cast<std::size_t>(m_selectedHit)]);
        return true;
    default:
        return true;
    }
}

bool TDicSearch::buildDictionaryResult(int Tab)
{
    TTab &tab = m_tabs[static_cast<std::size_t>(Tab)];
    if (tab.cities->topLevelItemCount() == 0 || tab.towns->topLevelItemCount() == 0)
        return false;
    const QList<QTreeWidgetItem *> selected = tab.towns->selectedItems();
    const int entry = selected.isEmpty() ? -1 : selected.front()->data(0, Qt::UserRole).toInt();
    TDicSearchResult &r = m_result;
    try {
        const TWaitCursor wait;
        if (Tab == TabTel) {
            const TDicTelAdrsResult *a = m_kykbn ? m_kykbn->GetAddress(entry, true) : nullptr;
            if (!a)
                return false;
            r.Private = true;
            r.Phone = cutField(trimmedField(a->Phone, sizeof a->Phone), TDicSearchResult::PhoneBytes);
            r.Postcode = cutField(trimmedField(a->Postcode, sizeof a->Postcode), TDicSearchResult::PostcodeBytes);
            r.Prefecture = cutField(trimmedField(a->Pref, sizeof a->Pref), TDicSearchResult::PrefectureBytes);
            r.City = cutField(trimmedField(a->City, sizeof a->City), TDicSearchResult::CityBytes);
            r.Town = cutField(trimmedField(a->Town, sizeof a->Town), TDicSearchResult::TownBytes);
            r.AddressKana = cutField(trimmedField(a->PrefKana, sizeof a->PrefKana)
                                         + trimmedField(a->CityKana, sizeof a->CityKana)
                                         + trimmedField(a->TownKana, sizeof a->TownKana),
                                     TDicSearchResult::AddressKanaBytes);
            r.CityCode = cutField(trimmedField(a->CityCode, sizeof a->CityCode), TDicSearchResult::CityCodeBytes);
            r.TownCode = cutField(trimmedField(a->TownCode, sizeof a->TownCode), TDicSearchResult::TownCodeBytes);
            r.Latitude = a->Latitude;
            r.Longitude = a->Longitude;
            return true;
        }
        const TDicAdrsResult *a = Tab == TabPos ? (m_pos ? m_pos->GetAddress(entry, true) : nullptr)
                                                : (m_adrs ? m_adrs->GetAddress(entry, true) : nullptr);
        if (!a)
            return false;
        r.Postcode = cutField(trimmedField(a->Postcode, sizeof a->Postcode), TDicSearchResult::PostcodeBytes);
        r.Prefecture = cutField(trimmedField(a->Pref, sizeof a->Pref), TDicSearchResult::PrefectureBytes);
        r.City = cutField(trimmedField(a->City, sizeof a->City), TDicSearchResult::CityBytes);
        r.Town = cutField(trimmedField(a->Town, sizeof a->Town), TDicSearchResult::TownBytes);
        r.AddressKana = cutField(trimmedField(a->PrefKana, sizeof a->PrefKana)
                                     + trimmedField(a->CityKana, sizeof a->CityKana)
                                     + trimmedField(a->TownKana, sizeof a->TownKana),
                                 TDicSearchResult::AddressKanaBytes);
        r.CityCode = cutField(trimmedField(a->CityCode, sizeof a->CityCode), TDicSearchResult::CityCodeBytes);
        r.TownCode = cutField(trimmedField(a->TownCode, sizeof a->TownCode), TDicSearchResult::TownCodeBytes);
        r.Latitude = a->Latitude;
        r.Longitude = a->Longitude;
        const QByteArray office = trimmedField(a->Large, sizeof a->Large);
        r.NameKana = cutField(trimmedField(a->LargeKana, sizeof a->LargeKana), TDicSearchResult::NameKanaBytes);
        r.Private = office.isEmpty();
        r.Name = r.Private ? QByteArray()
                           : cutField(Cp932::encode(ExpandCompanyTypeW(Cp932::decode(office))),
                                      TDicSearchResult::NameBytes);
        return true;
    } catch (const Exception &e) {
        showDictionaryError(e.Message());
        m_result = TDicSearchResult{};
        return false;
    }
}

void TDicSearch::buildDirectoryResult(const TTelRecord &Record)
{
    TDicSearchResult &r = m_result;
    r.Private = Record.ListingKind == 99;
    r.Phone = cutField(trimmedField(Record.Phone, sizeof Record.Phone), TDicSearchResult::PhoneBytes);
    r.PhoneKind = Record.PhoneKind;
    r.Postcode = cutField(Cp932::encode(PostcodeCaption(trimmedField(Record.Postcode, sizeof Record.Postcode))),
                          TDicSearchResult::PostcodeBytes);
    r.Prefecture = cutField(trimmedField(Record.Pref, sizeof Record.Pref), TDicSearchResult::PrefectureBytes);
    r.City = cutField(trimmedField(Record.City, sizeof Record.City), TDicSearchResult::CityBytes);
    r.Town = cutField(trimmedField(Record.Address2a, sizeof Record.Address2a)
                          + trimmedField(Record.Address2b, sizeof Record.Address2b)
                          + trimmedField(Record.Address2c, sizeof Record.Address2c),
                      TDicSearchResult::TownBytes);
    r.AddressKana = cutField(trimmedField(Record.PrefKana, sizeof Record.PrefKana)
                                 + trimmedField(Record.CityKana, sizeof Record.CityKana)
                                 + trimmedField(Record.Address2aKana, sizeof Record.Address2aKana)
                                 + trimmedField(Record.Address2bKana, sizeof Record.Address2bKana)
                                 + trimmedField(Record.Address2cKana, sizeof Record.Address2cKana),
                             TDicSearchResult::AddressKanaBytes);
    const QByteArray codes = trimmedField(Record.Codes, sizeof Record.Codes);
    r.CityCode = cutField(codes.left(5), TDicSearchResult::CityCodeBytes);
    r.TownCode = cutField(codes.mid(5, 6), TDicSearchResult::TownCodeBytes);
    const QByteArray name = trimmedField(Record.Name, sizeof Record.Name);
    // A name may come as wide text in the "@" form. One that code page 932
    // cannot hold stays in that form (whole characters of it), so no
    // character turns into "?" on its way to the form.
    const QString decoded = DecodeUnicodeField(name);
    const QString spelled = r.Private ? decoded : ExpandCompanyTypeW(decoded);
    if (Cp932::canEncode(spelled)) {
        r.Name = cutField(Cp932::encode(spelled), TDicSearchResult::NameBytes);
    } else {
        constexpr qsizetype group = 5; // "@" and four hexadecimal digits a unit
        qsizetype units = std::min<qsizetype>(spelled.size(), TDicSearchResult::NameBytes / group);
        if (units > 0 && units < spelled.size() && spelled.at(units - 1).isHighSurrogate())
            --units;
        r.Name = EncodeUnicodeField(QStringView(spelled).left(units));
    }
    r.NameKana = cutField(trimmedField(Record.NameKana, sizeof Record.NameKana), TDicSearchResult::NameKanaBytes);
    r.PublishMonth = cutField(trimmedField(Record.FirstMonth, sizeof Record.FirstMonth),
                              TDicSearchResult::PublishMonthBytes);
    r.Latitude = static_cast<std::int32_t>(RoundHalfAway(static_cast<long double>(Record.Latitude) * 1000 / 256));
    r.Longitude = static_cast<std::int32_t>(RoundHalfAway(static_cast<long double>(Record.Longitude) * 1000 / 256));
}

qint32 TDicSearch::GetFoundRecNo() const
{
    if (!m_bookSearched || m_selectedHit < 0 || m_selectedHit >= static_cast<int>(m_bookRecNos.size()))
        return -1;
    return m_bookRecNos[static_cast<std::size_t>(m_selectedHit)];
}

void TDicSearch::priorClicked()
{
    pgctlDicSch->setCurrentWidget(tabstSearch);
    tabChanged();
    QLineEdit *edit = m_tabs[static_cast<std::size_t>(pgctlDicType->currentIndex())].edit;
    edit->setCursorPosition(static_cast<int>(edit->text().size()));
    edit->setFocus();
    btnPrior->hide();
}

void TDicSearch::showListPage()
{
    setProperty("HelpContext", ListHelpContext);
    pgctlDicSch->setCurrentWidget(tabstTelList);
    pnlSchTel->setText(m_tabs[TabTel].edit->text());
    pnlSchKey->setText(m_phoneKindText);
    pnlSchKey->setVisible(!m_phoneKindText.isEmpty());
    btnPrior->show();
    const bool book = ResultKind == drkBookRecord;
    lblTelList1->setText(book ? QStringLiteral("アドレス帳に複数のデータが見つかりました。")
                              : QStringLiteral("電話帳データに複数のデータが見つかりました。"));
    lvTelList->setUpdatesEnabled(false);
    lvTelList->clear();
    for (int i = 0; i < m_hitCount; ++i) {
        QStringList columns;
        if (book) {
            const TBookHit &hit = m_bookHits[static_cast<std::size_t>(i)];
            if (hit.Private)
                columns << QStringLiteral("個人") << DecodeUnicodeField(hit.NameText) << QString();
            else
                columns << QStringLiteral("会社") << Cp932::decode(hit.NameText) << DecodeUnicodeField(hit.PersonText);
        } else {
            const TTelRecord &record = m_telRecords[static_cast<std::size_t>(i)];
            columns << (record.ListingKind == 99 ? QStringLiteral("個人") : QStringLiteral("会社"))
                    << DecodeUnicodeField(trimmedField(record.Name, sizeof record.Name)) << QString();
        }
        lvTelList->addTopLevelItem(new QTreeWidgetItem(columns));
    }
    lvTelList->setUpdatesEnabled(true);
    if (lvTelList->topLevelItemCount() > 0) {
        lvTelList->setCurrentItem(lvTelList->topLevelItem(0));
        lvTelList->topLevelItem(0)->setSelected(true);
    }
    lvTelList->setFocus();
}

// ---------------------------------------------------------------------------
// The telephone tab

int TDicSearch::PhoneSearch()
{
    QByteArray digits;
    if (!checkNumberInput(TabTel, digits))
        return 9;
    m_phoneKindText.clear();
    int code = m_useBookLookup ? bookLookup(digits) : 8;
    if (code == 9)
        return 9;
    if (code == 0) {
        ResultKind = drkBookRecord;
        decide();
    } else {
        code = m_useDirectory ? directoryLookup(digits) : 8;
        m_directoryNotShown = code == 2;
        if (code == 0) {
            ResultKind = drkDirectory;
            decide();
        } else {
            ResultKind = drkPhone;
            code = areaCodeLookup(digits);
            if (isVisible() && code == 0)
                m_tabs[TabTel].cities->setFocus();
        }
    }
    if (code != 0) {
        m_tabs[TabTel].cities->clear();
        m_tabs[TabTel].towns->clear();
    } else if (!chkSaveTel->isHidden()) {
        QString area;
        if (chkSaveTel->isChecked()) {
            QByteArray number = Cp932::encode(m_tabs[TabTel].edit->text().trimmed());
            if (CallWqhypGetHyphen(number, QString()) == 0) {
                const qsizetype hyphen = number.indexOf('-');
                area = QString::fromLatin1(hyphen >= 1 ? number.left(hyphen) : number);
            }
        }
        SaveAreaCode(area);
    }
    return 0;
}

int TDicSearch::bookLookup(const QByteArray &Digits)
{
    m_bookHits.clear();
    m_bookRecNos.clear();
    m_bookSearched = true;
    TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
    if (!table || !table->Active())
        return 8;
    static const char *const indexes[] = {"Tel", "Fax", "Portable1", "Portable2"};
    static const char *const kinds[] = {"TEL", "FAX", "携帯１", "携帯２"};
    const QString keptIndex = table->IndexName();
    try {
        for (int i = 0; i < 4 && m_bookHits.empty(); ++i) {
            const QString field = QLatin1String(indexes[i]);
            table->SetIndexName(field);
            table->FindNearest({QVariant(Digits)});
            while (!table->Eof() && table->FieldByName(field).AsBytes().trimmed() == Digits) {
                TBookHit hit;
                hit.Private = table->FieldByName(QStringLiteral("PrivCorp")).AsBoolean();
                const QByteArray name = table->FieldByName(QStringLiteral("NameKanji")).AsBytes().trimmed();
                if (hit.Private) {
                    hit.NameText = name;
                } else {
                    hit.NameText = table->FieldByName(QStringLiteral("CorpKanji")).AsBytes().trimmed();
                    hit.PersonText = name;
                }
                m_bookHits.push_back(hit);
                m_bookRecNos.push_back(table->FieldByName(QStringLiteral("RecNo")).AsInteger());
                table->Next();
            }
            if (!m_bookHits.empty())
                m_phoneKindText = QString::fromUtf8(kinds[i]);
        }
    } catch (const Exception &e) {
        table->SetIndexName(keptIndex);
        showDictionaryError(e.Message());
        return 9;
    }
    table->SetIndexName(keptIndex);
    if (m_bookHits.empty())
        return 8;
    const int answer = ShowMessageBoxAt(messageOwner(),
                                        QStringLiteral("アドレス帳の中に該当するデータが見つかりました  \r\n"
                                                       "このデータを照会しますか？  \r\n\r\n"
                                                       "照会しない場合はDVDを検索します  \r\n\r\n"
                                                       "キャンセルすると検索を中止します  "),
                                        ProductCaption(), MB_ICONQUESTION | MB_YESNOCANCEL, mbpCenterOnOwner, 0, 0);
    if (answer == IDYES) {
        if (isVisible())
            activateWindow();
        m_hitCount = static_cast<std::int32_t>(m_bookHits.size());
        return 0;
    }
    return answer == IDNO ? 8 : 9;
}

int TDicSearch::directoryLookup(const QByteArray &Digits)
{
    // Not a number the directory can hold: no region is asked.
    if (Digits.size() < 2 || Digits.size() > kMaxPhoneDigits)
        return 1;
    std::vector<int> regions;
    for (int region : regionsOfSecondDigit(Digits.at(1))) {
        if (UseArea[static_cast<std::size_t>(region)])
            regions.push_back(region);
    }
    if (regions.empty())
        return 1;
    const TWaitCursor wait;
    if (LoadWqarea17(AppPath) != 0)
        return 1;
    int code = 1;
    m_telRecords.assign(8, TTelRecord{});
    m_hitCount = 0;
    for (int region : regions) {
        // The same folder the directory search reads, with its separators.
        const QString folder = AreaDataFolder(region);
        TTelSearchCondition request{};
        std::memcpy(request.Phone, Digits.constData(), static_cast<std::size_t>(Digits.size()));
        request.Always1 = 1;
        const QByteArray data = QFile::encodeName(folder);
        const QByteArray dic = QFile::encodeName(AreaDicFolder());
        std::memcpy(request.DataFolder, data.constData(), std::min<std::size_t>(data.size(), 255));
        std::memcpy(request.DicFolder, dic.constData(), std::min<std::size_t>(dic.size(), 255));
        std::int32_t count = 0;
        code = CallWqareaTel(request, m_telRecords.data(), count);
        // A count outside 0..8 is never trusted beyond the eight records.
        m_hitCount = std::clamp<std::int32_t>(count, 0, 8);
        if (code == 0) {
            for (TTelRecord &record : m_telRecords) {
                const QByteArray hyphenated = HyphenatePhoneNumber(trimmedField(record.Phone, sizeof record.Phone));
                if (!hyphenated.isEmpty()) {
                    std::memset(record.Phone, 0, sizeof record.Phone);
                    std::memcpy(record.Phone, hyphenated.constData(),
                                std::min<std::size_t>(hyphenated.size(), sizeof record.Phone));
                }
            }
        }
        if (code == 0 && m_hitCount > 0)
            break;
    }
    FreeWqarea17();
    // A region that answers 0 without a record found nothing: the area code
    // dictionary answers instead of an empty list.
    if (code == 0 && m_hitCount == 0)
        code = 1;
    if (code == 0) {
        setPrompt(TabTel, kTelPrompt, false);
        m_tabs[TabTel].edit->setText(QString::fromLatin1(trimmedField(m_telRecords[0].Phone, sizeof m_telRecords[0].Phone)));
    }
    return code;
}

int TDicSearch::areaCodeLookup(const QByteArray &Digits)
{
    TTab &tab = m_tabs[TabTel];
    int code = 8;
    try {
        const TWaitCursor wait;
        if (!m_kykbn)
            m_kykbn = std::make_unique<TKykbnSearch>(AppPath, AppPath + QStringLiteral("Dic/"));
        QString hyphenated;
        code = Digits.size() > kMaxPhoneDigits ? 4 : m_kykbn->SearchPrefix(QString::fromLatin1(Digits), &hyphenated);
        if (code == 0) {
            tab.edit->setText(hyphenated.trimmed());
            QStringList captions;
            for (int i = 0; i < m_kykbn->GetCityCount(); ++i)
                captions << Cp932::decode(trimmedField(m_kykbn->GetCity(i)->Name, sizeof m_kykbn->GetCity(i)->Name));
            fillCities(TabTel, captions);
        }
    } catch (const Exception &e) {
        showDictionaryError(e.Message());
        tab.cities->clear();
        tab.towns->clear();
        return 9;
    }
    if (code == 4)
        setPrompt(TabTel, QStringLiteral("入力した局番に誤りがあります。"), true);
    else if (code == 8)
        setPrompt(TabTel, QStringLiteral("該当する局番は見つかりませんでした。"), true);
    return code;
}

void TDicSearch::LoadSavedAreaCode()
{
    const TMemIniFile ini(DataRoot + QStringLiteral("Kykbn.dat"));
    chkSaveTel->setChecked(ini.ReadBool(QStringLiteral("KYKBN"), QStringLiteral("Save"), false));
    if (chkSaveTel->isChecked()) {
        QLineEdit *edit = m_tabs[TabTel].edit;
        edit->setText(ini.ReadString(QStringLiteral("KYKBN"), QStringLiteral("Tel"), QString()));
        edit->setCursorPosition(static_cast<int>(edit->text().size()));
    }
}

void TDicSearch::SaveAreaCode(const QString &Code)
{
    TMemIniFile ini(DataRoot + QStringLiteral("Kykbn.dat"));
    ini.WriteBool(QStringLiteral("KYKBN"), QStringLiteral("Save"), chkSaveTel->isChecked());
    ini.WriteString(QStringLiteral("KYKBN"), QStringLiteral("Tel"), Code);
    QString error;
    if (!ini.UpdateFile(&error))
        ShowMessageBoxAt(messageOwner(), error, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

// ---------------------------------------------------------------------------
// Keys and focus

bool TDicSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pgctlDicType->tabBar() && event->type() == QEvent::Wheel)
        return wheelOverTabs(event);
    if (IsEnterKeyPress(event)) {
        for (int i = 0; i < 3; ++i) {
            TTab &tab = m_tabs[static_cast<std::size_t>(i)];
            if (watched == tab.edit) {
                tab.search->click();
                return true;
            }
            if (watched == tab.cities) {
                tab.towns->setFocus();
                return true;
            }
            if (watched == tab.viewTown || watched == tab.viewLarge) {
                tab.kana->setFocus();
                return true;
            }
            if (watched == tab.kana) {
                tab.towns->setFocus();
                return true;
            }
            if (watched == tab.towns) {
                decide();
                return true;
            }
        }
        if (watched == lvTelList) {
            btnDecision->setFocus();
            return true;
        }
        for (QPushButton *button : {btnPrior, btnDecision, btnCancel}) {
            if (watched == button) {
                button->click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TDicSearch::wheelOverTabs(QEvent *event)
{
    auto *wheel = static_cast<QWheelEvent *>(event);
    QTabBar *bar = pgctlDicType->tabBar();
    // Only the tabs themselves turn; the bar's empty end does nothing.
    if (bar->tabAt(wheel->position().toPoint()) < 0) {
        m_wheelDelta = 0;
        return true;
    }
    const QPoint angle = wheel->angleDelta();
    m_wheelDelta += angle.y() != 0 ? angle.y() : angle.x();
    // A fine-grained wheel turns a tab per notch, not per event.
    const int steps = m_wheelDelta / QWheelEvent::DefaultDeltasPerStep;
    if (steps == 0)
        return true;
    m_wheelDelta -= steps * QWheelEvent::DefaultDeltasPerStep;
    const int count = pgctlDicType->count();
    int index = pgctlDicType->currentIndex();
    // Wheel up goes back, wheel down forward; tabs hidden by the caller are
    // passed over.
    const int direction = steps > 0 ? -1 : 1;
    for (int n = 0; n < std::abs(steps); ++n) {
        for (int tries = 0; tries < count; ++tries) {
            index = (index + direction + count) % count;
            if (pgctlDicType->isTabVisible(index))
                break;
        }
    }
    pgctlDicType->setCurrentIndex(index);
    tabChanged();
    return true;
}

void TDicSearch::keepSelection(QTreeWidget *List)
{
    // A list with rows always has a selected row: a click beside the rows
    // (or a control-click on the selected one) selects the focused row again,
    // so 決定 always has a town to take.
    if (List->topLevelItemCount() == 0 || !List->selectedItems().isEmpty())
        return;
    QTreeWidgetItem *item = List->currentItem() ? List->currentItem() : List->topLevelItem(0);
    List->setCurrentItem(item);
    item->setSelected(true);
}

void TDicSearch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (pgctlDicSch->currentWidget() == tabstTelList) {
        lvTelList->setFocus();
        return;
    }
    TTab &tab = m_tabs[static_cast<std::size_t>(std::max(0, pgctlDicType->currentIndex()))];
    if (tab.cities->topLevelItemCount() > 0) {
        tab.cities->setFocus();
    } else {
        tab.edit->setCursorPosition(static_cast<int>(tab.edit->text().size()));
        tab.edit->setFocus();
    }
}
