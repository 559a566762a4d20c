#include "directory/NmAdSch.h"

#include "core/Env.h"
#include "core/KanaAdrsDicClass.h"
#include "core/Main.h"
#include "core/OwnFiles.h"
#include "core/Wqarea17Wrapper.h"
#include "core/WqhypWrapper.h"
#include "directory/ChgDisc.h"
#include "directory/HDDInst.h"
#include "directory/EItmSel.h"
#include "directory/SchArea.h"
#include "directory/TntNMDic.h"
#include "platform/Colors.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/SharedIni.h"
#include "platform/UnreadableFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "util/WindowFit.h"
#include "util/WriteFailure.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/EnterKey.h"
#include "widgets/NMDEdit.h"
#include "widgets/TntNMDEdit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QScreen>
#include <QSizePolicy>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

TNameAdrsSearch *NameAdrsSearchWindow = nullptr;

namespace {

const char16_t *const kMatchKinds[] = {u"前方一致", u"あいまい", u"後方一致", u"完全一致"};
const char16_t *const kCategories[] = {u"個人", u"法人", u"両方"};
const char16_t *const kCorpForms[] = {u"指定しない", u"株式", u"有限", u"合資", u"合名", u"相互", u"財団法人", u"社団法人"};
const char16_t *const kKindLetters[] = {u"通", u"Ｆ", u"兼", u"代"};
// Panel widths at 96 dpi; panel 9 takes the rest.
const int kPanelWidths[] = {60, 60, 36, 60, 60, 42, 72, 100, 60, -1, 108, 140};

// The dictionary's prefecture indexes (0-based, in JIS order) of a region;
// 三重県 (index 23) stands with 中部 while 近畿 is not in use.
std::vector<int> prefectureIndexes(int region)
{
    std::vector<int> r;
    auto span = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            r.push_back(i);
    };
    switch (region) {
    case 1: span(0, 6); break;
    case 2: span(7, 13); std::erase(r, 12); break;
    case 3: r.push_back(12); break;
    case 4: span(14, 22); if (!UseArea[5]) r.push_back(23); break;
    case 5: span(23, 29); break;
    case 6: span(30, 38); break;
    case 7: span(39, 46); break;
    default: break;
    }
    return r;
}

// Text cut after the last whole character that fits Max bytes of its
// Shift-JIS form (a character that has none counts as one byte, as the
// condition drops it anyway).
QString cutToBytes(const QString &Text, int Max)
{
    QString out;
    int bytes = 0;
    for (qsizetype i = 0; i < Text.size();) {
        const qsizetype len = Text.at(i).isHighSurrogate() && i + 1 < Text.size() ? 2 : 1;
        const QStringView ch = QStringView(Text).mid(i, len);
        const int n = Cp932::canEncode(ch) ? static_cast<int>(Cp932::encode(ch).size()) : 1;
        if (bytes + n > Max)
            break;
        out += ch;
        bytes += n;
        i += len;
    }
    return out;
}

// The address lists: a row is a heading kana, a tab and a name; the heading
// stands 2 pixels and the name 24 pixels (at 96 dpi) from the left edge, so
// the names line up in one column under their headings.
class TAddressListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *Painter, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        QStyleOptionViewItem option(Option);
        initStyleOption(&option, Index);
        const QString text = option.text;
        option.text.clear();
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &option, Painter, widget);
        const bool enabled = option.state.testFlag(QStyle::State_Enabled);
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QPalette &palette = option.palette;
        const QColor color = selected ? palette.color(enabled ? QPalette::Active : QPalette::Disabled,
                                                      QPalette::HighlightedText)
                             : enabled ? palette.color(QPalette::Active, QPalette::Text)
                                       : palette.color(QPalette::Disabled, QPalette::Text);
        const double scale = widget ? widget->logicalDpiX() / 96.0 : 1.0;
        const qsizetype tab = text.indexOf(u'\t');
        Painter->save();
        Painter->setPen(color);
        const QRect rect = option.rect;
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        if (tab >= 0) {
            Painter->drawText(rect.adjusted(static_cast<int>(2 * scale), 0, 0, 0), flags, text.left(tab));
            Painter->drawText(rect.adjusted(static_cast<int>(24 * scale), 0, 0, 0), flags, text.mid(tab + 1));
        } else {
            Painter->drawText(rect.adjusted(static_cast<int>(2 * scale), 0, 0, 0), flags, text);
        }
        Painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(Option, Index);
        const QString text = Index.data(Qt::DisplayRole).toString();
        const qsizetype tab = text.indexOf(u'\t');
        const double scale = Option.widget ? Option.widget->logicalDpiX() / 96.0 : 1.0;
        size.setWidth(static_cast<int>((tab >= 0 ? 24 : 2) * scale)
                      + Option.fontMetrics.horizontalAdvance(tab >= 0 ? text.mid(tab + 1) : text) + 4);
        return size;
    }
};

QString trimmedText(const char *field, std::size_t size)
{
    return Cp932::decode(QByteArrayView(field, static_cast<qsizetype>(strnlen(field, size)))).trimmed();
}

} // namespace

// ---- the result list -------------------------------------------------------

THitListModel::THitListModel(QObject *Parent) : QAbstractTableModel(Parent) {}

void THitListModel::SetPage(std::vector<TAreaSearchHit> Hits, int FirstNumber)
{
    beginResetModel();
    m_hits = std::move(Hits);
    m_firstNumber = FirstNumber;
    endResetModel();
}

void THitListModel::Clear()
{
    SetPage({}, 1);
}

void THitListModel::SetOmittedAddress(const QString &Text)
{
    if (m_omitted == Text)
        return;
    m_omitted = Text;
    if (!m_hits.empty())
        emit dataChanged(index(0, 4), index(rowCount() - 1, 4), {Qt::DisplayRole});
}

int THitListModel::rowCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : static_cast<int>(m_hits.size());
}

int THitListModel::columnCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : 6;
}

QVariant THitListModel::data(const QModelIndex &Index, int Role) const
{
    if (!Index.isValid() || Index.row() >= rowCount() || Role != Qt::DisplayRole)
        return {};
    const TAreaSearchHit &h = m_hits[static_cast<std::size_t>(Index.row())];
    switch (Index.column()) {
    case 0:
        return QString::number(m_firstNumber + Index.row());
    case 1:
        return trimmedText(h.Phone, sizeof h.Phone);
    case 2:
        return h.PhoneKind == 1 ? QStringLiteral("Fax")
               : h.PhoneKind == 2 ? QStringLiteral("F兼")
               : h.PhoneKind == 3 ? QStringLiteral("代表")
                                  : QString();
    case 3:
        return trimmedText(h.Name, sizeof h.Name);
    case 4: {
        QString address = trimmedText(h.Address, sizeof h.Address);
        if (!m_omitted.isEmpty()) {
            if (const qsizetype at = address.indexOf(m_omitted); at >= 0)
                address.remove(at, m_omitted.size());
        }
        return address;
    }
    case 5: {
        const QString month = trimmedText(h.FirstMonth, sizeof h.FirstMonth);
        return month.size() == 6 ? month.left(4) + u'年' + month.mid(4) + u'月' : month;
    }
    default:
        return {};
    }
}

QVariant THitListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    static const char16_t *const captions[] = {u"No.", u"電話番号", u"区分", u"掲載名", u"住所", u"初期掲載年月"};
    if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole || Section < 0 || Section >= 6)
        return {};
    return QString::fromUtf16(captions[Section]);
}

// ---- the window ------------------------------------------------------------

TNameAdrsSearch::TNameAdrsSearch(QWidget *Parent) : QWidget(Parent, Qt::Window)
{
    setObjectName(QStringLiteral("NameAdrsSearch"));
    setWindowTitle(QStringLiteral("名称住所検索"));
    setProperty("HelpContext", 20);
    setAttribute(Qt::WA_DeleteOnClose);
    try {
        m_dic = std::make_unique<TKanaAdrsSearch>(AppPath, AppPath + QStringLiteral("Dic/"));
        if (m_dic->SearchTdfkn(TKanaAdrsSearch::AllRegions) != 0)
            m_dic.reset();
    } catch (const std::exception &) {
        // Without the address dictionary the lists stay empty and no search can be made.
        m_dic.reset();
    }
    buildUi();
    fillAreaCombo();
    NameAdrsSearchWindow = this;
    readSettings();
    // The conditions of the last run come back, with the history behind them.
    bool currentApart = false;
    const std::vector<TSearchHistoryEntry> saved = ReadSearchHistoryFile(
        SearchHistoryFileName(), HisCount,
        [](int Region) { return Region >= 1 && Region <= AreaCount && UseArea[static_cast<std::size_t>(Region)]; },
        &m_historyBlocked, &currentApart);
    if (!saved.empty()) {
        m_current = saved.front();
        // Conditions the user deleted from the history stay out of it.
        if (HisCount > 0)
            m_history.assign(saved.begin() + (currentApart ? 1 : 0), saved.end());
    }
    m_historyBase = m_history;
    chooseNameEntry();
    fillHistoryCombo();
    if (!saved.empty())
        applyHistoryEntry(m_current);
}

namespace {
const QString kSettingsSection = QStringLiteral("NAMEADRS SEARCH");
// The ends of the message of an export stopped at a hit whose record could not be read.
const QString kExportStopped = QStringLiteral("ファイル出力を中止しました  \r\n");
const QString kFileAsItWas = QStringLiteral("\r\nファイルは出力前のままです  ");
const int kColumnWidths[] = {48, 108, 48, 180, 260, 108};
} // namespace

// Sizes are stored at 96 dpi.
void TNameAdrsSearch::readSettings()
{
    const TMemIniFile ini(SettingsFileName());
    const double scale = logicalDpiX() / 96.0;
    resize(static_cast<int>(ini.ReadInteger(kSettingsSection, QStringLiteral("Width"), 960) * scale),
           static_cast<int>(ini.ReadInteger(kSettingsSection, QStringLiteral("Height"), 719) * scale));
    // A window kept where no screen is now (a monitor taken away) comes
    // back centred, as on its first start.
    const QRect available = screen() ? screen()->availableGeometry() : QRect();
    const QPoint kept(static_cast<int>(ini.ReadInteger(kSettingsSection, QStringLiteral("Left"), INT_MIN / 2) * scale),
                      static_cast<int>(ini.ReadInteger(kSettingsSection, QStringLiteral("Top"), INT_MIN / 2) * scale));
    if (available.isValid()) {
        const bool onScreen = std::any_of(QGuiApplication::screens().cbegin(), QGuiApplication::screens().cend(),
                                          [&](const QScreen *s) { return s->availableGeometry().contains(kept); });
        PlaceWindowFrameAt(this, onScreen ? kept
                                          : available.topLeft()
                                                + QPoint((available.width() - width()) / 2,
                                                         (available.height() - height()) / 2));
    }
    m_keptTopHeight = static_cast<int>(ini.ReadInteger(kSettingsSection, QStringLiteral("TopHeight"), 330) * scale);
    m_keptCityWidth = static_cast<int>(ini.ReadInteger(kSettingsSection, QStringLiteral("CityWidth"), 188) * scale);
    chkOmissionAdrs->setChecked(ini.ReadBool(kSettingsSection, QStringLiteral("OmissionAdrs"), true));
    for (int i = 0; i < 6; ++i) {
        const int width = ini.ReadInteger(kSettingsSection, QStringLiteral("HeaderWidth%1").arg(i + 1), kColumnWidths[i]);
        lvResult->setColumnWidth(i, static_cast<int>((width < 1 ? kColumnWidths[i] : width) * scale));
    }
    m_exportFile = ini.ReadString(kSettingsSection, QStringLiteral("ExportFile"), QString());
    m_exportColumns = ParseExportColumns(ini.ReadString(kSettingsSection, QStringLiteral("ExportItemIndex"), QString()),
                                         ini.ReadString(kSettingsSection, QStringLiteral("ExportItemExport"), QString()));
}

void TNameAdrsSearch::writeSettings()
{
    TMemIniFile ini(SettingsFileName());
    const double scale = 96.0 / logicalDpiX();
    const QPoint corner = WindowFrameTopLeft(this);
    ini.WriteInteger(kSettingsSection, QStringLiteral("Left"), static_cast<int>(corner.x() * scale));
    ini.WriteInteger(kSettingsSection, QStringLiteral("Top"), static_cast<int>(corner.y() * scale));
    ini.WriteInteger(kSettingsSection, QStringLiteral("Width"), static_cast<int>(width() * scale));
    ini.WriteInteger(kSettingsSection, QStringLiteral("Height"), static_cast<int>(height() * scale));
    for (int i = 0; i < 6; ++i)
        ini.WriteInteger(kSettingsSection, QStringLiteral("HeaderWidth%1").arg(i + 1),
                         static_cast<int>(lvResult->columnWidth(i) * scale));
    if (const QList<int> sizes = m_topSplitter->sizes(); !sizes.isEmpty())
        ini.WriteInteger(kSettingsSection, QStringLiteral("TopHeight"), static_cast<int>(sizes.front() * scale));
    if (const QList<int> sizes = m_citySplitter->sizes(); !sizes.isEmpty())
        ini.WriteInteger(kSettingsSection, QStringLiteral("CityWidth"), static_cast<int>(sizes.front() * scale));
    ini.WriteBool(kSettingsSection, QStringLiteral("OmissionAdrs"), chkOmissionAdrs->isChecked());
    ini.WriteString(kSettingsSection, QStringLiteral("ExportFile"), m_exportFile);
    ini.WriteString(kSettingsSection, QStringLiteral("ExportItemIndex"), ExportItemsText(m_exportColumns));
    ini.WriteString(kSettingsSection, QStringLiteral("ExportItemExport"), ExportFlagsText(m_exportColumns));
    QString error;
    if (!ini.UpdateFile(&error))
        ShowWriteFailure(this, QStringLiteral("名称住所検索の設定"), ini.FileName(), error);
}

TNameAdrsSearch::~TNameAdrsSearch()
{
    m_host.reset(); // stops a run, ends the worker's thread and waits for it
    writeSettings();
    if (NameAdrsSearchWindow == this)
        NameAdrsSearchWindow = nullptr;
}

TSearchThreadHost &TNameAdrsSearch::host()
{
    if (!m_host) {
        m_host = std::make_unique<TSearchThreadHost>();
        connect(m_host.get(), &TSearchThreadHost::SearchDone, this, &TNameAdrsSearch::searchDone);
        connect(m_host.get(), &TSearchThreadHost::CountDone, this, &TNameAdrsSearch::countDone);
        connect(m_host.get(), &TSearchThreadHost::ExportDone, this, &TNameAdrsSearch::exportDone);
    }
    return *m_host;
}

void TNameAdrsSearch::buildUi()
{
    const double scale = logicalDpiX() / 96.0;
    auto px = [scale](int Pixels) { return static_cast<int>(Pixels * scale); };
    // Never smaller than the conditions and a few hits need.
    setMinimumSize(px(640), px(440));
    auto *root = new QVBoxLayout(this);
    m_topSplitter = new QSplitter(Qt::Vertical);
    m_topSplitter->setObjectName(QStringLiteral("splTop"));
    m_topSplitter->setChildrenCollapsible(false);
    root->addWidget(m_topSplitter, 1);
    auto *topPanel = new QWidget;
    topPanel->setMinimumHeight(px(245));
    m_topSplitter->addWidget(topPanel);
    auto *top = new QHBoxLayout(topPanel);
    top->setContentsMargins(0, 0, 0, 0);

    auto *conditions = new QGridLayout;
    top->addLayout(conditions, 1);
    int row = 0;
    nmedtName = new TTntNMDEdit;
    nmedtName->setObjectName(QStringLiteral("nmedtName"));
    nmedtName->SetMaxLengthBytes(AreaNameMaxBytes);
    nmcbxName = new TNMDComboBox;
    nmcbxName->setObjectName(QStringLiteral("nmcbxName"));
    nmcbxName->setInsertPolicy(QComboBox::NoInsert);
    nmcbxName->lineEdit()->setValidator(new TByteLimitValidator(AreaNameMaxBytes, nmcbxName));
    nmcbxName->view()->installEventFilter(this);
    auto *names = new QHBoxLayout;
    names->addWidget(nmedtName);
    names->addWidget(nmcbxName);
    conditions->addWidget(new QLabel(QStringLiteral("名称：")), row, 0);
    conditions->addLayout(names, row++, 1, 1, 4);
    m_nameDic = new TNameDicLink(this);
    m_nameDic->Attach(nmedtName, 0, false);
    m_nameDic->Attach(nmcbxName, 1, false);

    auto radios = [&](QButtonGroup *&group, std::initializer_list<std::pair<QRadioButton **, const char *>> list,
                      const char16_t *const *captions) {
        group = new QButtonGroup(this);
        auto *line = new QHBoxLayout;
        int tag = 0;
        for (const auto &[button, name] : list) {
            *button = new QRadioButton(QString::fromUtf16(captions[tag]));
            (*button)->setObjectName(QLatin1String(name));
            group->addButton(*button, tag++);
            line->addWidget(*button);
        }
        line->addStretch();
        return line;
    };
    conditions->addWidget(new QLabel(QStringLiteral("一致：")), row, 0);
    conditions->addLayout(radios(m_matchGroup,
                                 {{&rbFront, "rbFront"}, {&rbAmbiguous, "rbAmbiguous"}, {&rbRear, "rbRear"},
                                  {&rbFull, "rbFull"}},
                                 kMatchKinds),
                          row++, 1, 1, 4);
    conditions->addWidget(new QLabel(QStringLiteral("区分：")), row, 0);
    conditions->addLayout(radios(m_categoryGroup, {{&rbPriv, "rbPriv"}, {&rbCorp, "rbCorp"}, {&rbBoth, "rbBoth"}},
                                 kCategories),
                          row++, 1, 1, 4);
    rbFront->setChecked(true);
    rbBoth->setChecked(true);

    auto *kinds = new QHBoxLayout;
    const char *kindNames[] = {"chkNormal", "chkFax", "chkFaxCombi", "chkMainNumber"};
    const char16_t *kindCaptions[] = {u"通常", u"FAX", u"FAX兼用", u"代表"};
    for (int i = 0; i < 4; ++i) {
        m_kinds[static_cast<std::size_t>(i)] = new QCheckBox(QString::fromUtf16(kindCaptions[i]));
        QCheckBox *box = m_kinds[static_cast<std::size_t>(i)];
        box->setObjectName(QLatin1String(kindNames[i]));
        box->setChecked(true);
        kinds->addWidget(box);
        // The last kind ticked stays ticked: a search needs at least one.
        connect(box, &QCheckBox::toggled, this, [this, box](bool on) {
            if (on)
                return;
            for (QCheckBox *other : m_kinds)
                if (other->isChecked())
                    return;
            box->setChecked(true);
        });
    }
    kinds->addStretch();
    conditions->addWidget(new QLabel(QStringLiteral("種別：")), row, 0);
    conditions->addLayout(kinds, row++, 1, 1, 4);

    cbxCorpDiv = new QComboBox;
    cbxCorpDiv->setObjectName(QStringLiteral("cbxCorpDiv"));
    for (const char16_t *form : kCorpForms)
        cbxCorpDiv->addItem(QString::fromUtf16(form));
    conditions->addWidget(new QLabel(QStringLiteral("法人格：")), row, 0);
    conditions->addWidget(cbxCorpDiv, row++, 1);

    cbxPubFromYear = new QComboBox;
    cbxPubFromYear->setObjectName(QStringLiteral("cbxPubFromYear"));
    cbxPubToYear = new QComboBox;
    cbxPubToYear->setObjectName(QStringLiteral("cbxPubToYear"));
    cbxPubFromMonth = new QComboBox;
    cbxPubFromMonth->setObjectName(QStringLiteral("cbxPubFromMonth"));
    cbxPubToMonth = new QComboBox;
    cbxPubToMonth->setObjectName(QStringLiteral("cbxPubToMonth"));
    cbxPubFromYear->addItem(QStringLiteral("指定しない"), 0);
    for (int year = 2013; year >= 1995; --year) {
        cbxPubFromYear->addItem(QString::number(year) + u'年', year);
        cbxPubToYear->addItem(QString::number(year) + u'年', year);
    }
    for (int month = 1; month <= 12; ++month) {
        cbxPubFromMonth->addItem(QString::number(month) + u'月', month);
        cbxPubToMonth->addItem(QString::number(month) + u'月', month);
    }
    auto *months = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(cbxPubFromYear), static_cast<QWidget *>(cbxPubFromMonth),
                       static_cast<QWidget *>(new QLabel(QStringLiteral("～"))), static_cast<QWidget *>(cbxPubToYear),
                       static_cast<QWidget *>(cbxPubToMonth)})
        months->addWidget(w);
    months->addStretch();
    conditions->addWidget(new QLabel(QStringLiteral("初期掲載：")), row, 0);
    conditions->addLayout(months, row++, 1, 1, 4);

    cbxGetCount = new QComboBox;
    cbxGetCount->setObjectName(QStringLiteral("cbxGetCount"));
    for (int n : {20, 50, 100, 200})
        cbxGetCount->addItem(QStringLiteral("%1 件").arg(n), n);
    conditions->addWidget(new QLabel(QStringLiteral("表示件数：")), row, 0);
    conditions->addWidget(cbxGetCount, row++, 1);
    conditions->setRowStretch(row, 1);

    auto *address = new QVBoxLayout;
    top->addLayout(address, 2);
    cbxArea = new QComboBox;
    cbxArea->setObjectName(QStringLiteral("cbxArea"));
    address->addWidget(cbxArea);
    auto *lists = new QHBoxLayout;
    address->addLayout(lists, 1);
    lbxTdfkn = new QListWidget;
    lbxTdfkn->setObjectName(QStringLiteral("lbxTdfkn"));
    lbxTdfkn->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxCity = new QListWidget;
    lbxCity->setObjectName(QStringLiteral("lbxCity"));
    lbxCity->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxOhaza = new QListWidget;
    lbxOhaza->setObjectName(QStringLiteral("lbxOhaza"));
    lbxOhaza->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lists->addWidget(lbxTdfkn, 1);
    m_citySplitter = new QSplitter(Qt::Horizontal);
    m_citySplitter->setObjectName(QStringLiteral("splCity"));
    m_citySplitter->setChildrenCollapsible(false);
    lbxCity->setMinimumWidth(px(140));
    lbxOhaza->setMinimumWidth(px(140));
    m_citySplitter->addWidget(lbxCity);
    m_citySplitter->addWidget(lbxOhaza);
    lists->addWidget(m_citySplitter, 4);
    for (QListWidget *list : {lbxTdfkn, lbxCity, lbxOhaza})
        list->setItemDelegate(new TAddressListDelegate(list));

    auto *buttons = new QVBoxLayout;
    top->addLayout(buttons);
    auto button = [&](QPushButton *&b, const char *name, const QString &caption) {
        b = new QPushButton(caption);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
    };
    button(bbtnCount, "bbtnCount", QStringLiteral("件数確認"));
    button(bbtnSearch, "bbtnSearch", QStringLiteral("検索"));
    button(bbtnPrior, "bbtnPrior", QStringLiteral("前へ"));
    button(bbtnNext, "bbtnNext", QStringLiteral("次へ"));
    button(bbtnStop, "bbtnStop", QStringLiteral("中断"));
    button(bbtnFileExport, "bbtnFileExport", QStringLiteral("ファイル出力"));
    buttons->addStretch();
    button(bbtnClose, "bbtnClose", QStringLiteral("閉じる"));
    bbtnPrior->setToolTip(QStringLiteral("１つ前のページに戻ります"));
    bbtnNext->setToolTip(QStringLiteral("次のページの検索を行います"));
    bbtnNext->setProperty("Tag", 1);
    bbtnPrior->setEnabled(false);
    bbtnNext->setEnabled(false);
    bbtnStop->setEnabled(false);

    pnlAdrs = new QLabel;
    pnlAdrs->setObjectName(QStringLiteral("pnlAdrs"));
    // Hidden when no address narrows the search, it keeps its room: the
    // buttons beside it would otherwise stretch over the whole bar.
    QSizePolicy keepRoom = pnlAdrs->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    pnlAdrs->setSizePolicy(keepRoom);
    sbtnInquiry = new QPushButton(QStringLiteral("照会"));
    sbtnInquiry->setObjectName(QStringLiteral("sbtnInquiry"));
    sbtnFileExport = new QPushButton(QStringLiteral("選択出力"));
    sbtnFileExport->setObjectName(QStringLiteral("sbtnFileExport"));
    sbtnExportItemSelect = new QPushButton(QStringLiteral("項目設定"));
    sbtnExportItemSelect->setObjectName(QStringLiteral("sbtnExportItemSelect"));
    chkOmissionAdrs = new QCheckBox(QStringLiteral("検索結果の住所は省略して表示する"));
    chkOmissionAdrs->setObjectName(QStringLiteral("chkOmissionAdrs"));
    auto *bottomPanel = new QWidget;
    // The hits and their export have a manual page of their own.
    bottomPanel->setProperty("HelpContext", 21);
    m_topSplitter->addWidget(bottomPanel);
    auto *bottom = new QVBoxLayout(bottomPanel);
    bottom->setContentsMargins(0, 0, 0, 0);
    auto *resultBar = new QHBoxLayout;
    resultBar->addWidget(sbtnInquiry);
    resultBar->addWidget(sbtnFileExport);
    resultBar->addWidget(sbtnExportItemSelect);
    resultBar->addWidget(pnlAdrs, 1);
    resultBar->addWidget(chkOmissionAdrs);
    bottom->addLayout(resultBar);
    lvResult = new QTableView;
    lvResult->setObjectName(QStringLiteral("lvResult"));
    m_model = new THitListModel(lvResult);
    lvResult->setModel(m_model);
    lvResult->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvResult->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvResult->verticalHeader()->hide();
    lvResult->verticalHeader()->setDefaultSectionSize(lvResult->fontMetrics().height() + 6);
    const int widths[] = {48, 108, 48, 180, 260, 108};
    for (int i = 0; i < 6; ++i)
        lvResult->setColumnWidth(i, widths[i]);
    lvResult->setMinimumHeight(px(160));
    lvResult->installEventFilter(this);
    bottom->addWidget(lvResult, 1);

    auto *status = new QStatusBar;
    status->setObjectName(QStringLiteral("stbarInfo"));
    status->setSizeGripEnabled(false);
    for (int i = 0; i < StatusPanelCount; ++i) {
        auto *panel = new QLabel;
        panel->setObjectName(QStringLiteral("stbarInfo%1").arg(i));
        panel->setTextFormat(Qt::PlainText);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAlignment(i == 7 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        if (kPanelWidths[i] > 0)
            panel->setFixedWidth(kPanelWidths[i] * logicalDpiX() / 96);
        status->addWidget(panel, kPanelWidths[i] > 0 ? 0 : 1);
        m_panels[static_cast<std::size_t>(i)] = panel;
    }
    m_panels[0]->setText(QStringLiteral("検索条件："));
    m_panels[10]->setText(QStringLiteral(" 表示ページ： ---"));
    m_panels[11]->setText(QStringLiteral(" 検索総件数： -----"));
    root->addWidget(status);

    m_conditionControls = {nmedtName, nmcbxName, rbFront, rbAmbiguous, rbRear, rbFull, rbPriv, rbCorp, rbBoth, cbxCorpDiv,
                           cbxPubFromYear, cbxPubFromMonth, cbxPubToYear, cbxPubToMonth, cbxGetCount, cbxArea,
                           lbxTdfkn, lbxCity, lbxOhaza};
    for (QCheckBox *box : m_kinds)
        m_conditionControls.push_back(box);

    connect(bbtnSearch, &QPushButton::clicked, this, [this] { startSearch(TSearchMove::New); });
    connect(bbtnNext, &QPushButton::clicked, this, [this] {
        startSearch(bbtnNext->property("Tag").toInt() == 3 ? TSearchMove::Again : TSearchMove::Next);
    });
    connect(bbtnPrior, &QPushButton::clicked, this, [this] { startSearch(TSearchMove::Prior); });
    connect(bbtnCount, &QPushButton::clicked, this, [this] { startCount(); });
    connect(bbtnStop, &QPushButton::clicked, this, [this] {
        if (m_host)
            m_host->Stop();
    });
    connect(bbtnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(sbtnInquiry, &QPushButton::clicked, this, [this] { TakeSelectedHit(); });
    connect(bbtnFileExport, &QPushButton::clicked, this, [this] { startExport(); });
    connect(sbtnFileExport, &QPushButton::clicked, this, [this] { exportSelected(); });
    connect(sbtnExportItemSelect, &QPushButton::clicked, this, [this] { selectExportItems(); });
    connect(lvResult, &QTableView::doubleClicked, this, [this] { TakeSelectedHit(); });
    connect(lvResult, &QTableView::activated, this, [this] { TakeSelectedHit(); });
    // Return in any condition searches, as 検索 does (the name popup takes
    // the keys it needs, Return on a name among them, before the entry sees
    // them).
    connect(nmedtName, &QLineEdit::returnPressed, this, [this] { searchFromConditions(); });
    connect(nmcbxName->lineEdit(), &QLineEdit::returnPressed, this, [this] { searchFromConditions(); });
    for (QWidget *w : m_conditionControls)
        w->installEventFilter(this);
    connect(chkOmissionAdrs, &QCheckBox::toggled, this, [this] { applyOmission(); });
    // Enter on the display option moves on; a focused button takes Return.
    chkOmissionAdrs->installEventFilter(this);
    PressFocusedButtonOnEnter(this);
    // A text set longer than the field (a pasted or kept one) is cut when the entry is left.
    connect(nmedtName, &QLineEdit::editingFinished, this, [this] { cutNameEntries(); });
    connect(nmcbxName->lineEdit(), &QLineEdit::editingFinished, this, [this] { cutNameEntries(); });
    // Only a pick from the dropped-down list applies an entry: leaving the
    // entry with a remembered name typed in also "activates" that item.
    nmcbxName->view()->viewport()->installEventFilter(this);
    connect(nmcbxName, &QComboBox::activated, this, [this](int Index) {
        const bool picked = m_pickedFromList;
        m_pickedFromList = false;
        if (!picked || Index < 0 || Index >= std::ssize(m_history))
            return;
        m_historyIndex = Index;
        applyHistoryEntry(m_history[static_cast<std::size_t>(Index)]);
    });
    connect(m_categoryGroup, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            categoryChanged();
    });
    connect(cbxPubFromYear, &QComboBox::currentIndexChanged, this, [this] { yearChanged(); });
    connect(cbxArea, &QComboBox::currentIndexChanged, this, [this] { fillPrefectures(); });
    connect(lbxTdfkn, &QListWidget::itemSelectionChanged, this, [this] { fillCities(); });
    connect(lbxCity, &QListWidget::itemSelectionChanged, this, [this] { addressListChanged(lbxCity); });
    connect(lbxOhaza, &QListWidget::itemSelectionChanged, this, [this] { addressListChanged(lbxOhaza); });
    categoryChanged();
    yearChanged();
}

void TNameAdrsSearch::showEvent(QShowEvent *Event)
{
    QWidget::showEvent(Event);
    if (m_keptTopHeight > 0) {
        // Only now do the splitters know their lengths.
        layout()->activate();
        // The handle takes its share of the splitter's length.
        const int tall = m_topSplitter->height() - m_topSplitter->handleWidth();
        m_topSplitter->setSizes({m_keptTopHeight, std::max(tall - m_keptTopHeight, 1)});
        const int wide = m_citySplitter->width() - m_citySplitter->handleWidth();
        m_citySplitter->setSizes({m_keptCityWidth, std::max(wide - m_keptCityWidth, 1)});
        m_keptTopHeight = 0;
    }
}

void TNameAdrsSearch::cutNameEntries()
{
    nmedtName->CutToMaxLengthBytes();
    const QString text = nmcbxName->currentText();
    const QString cut = cutToBytes(text, AreaNameMaxBytes);
    if (cut != text)
        nmcbxName->setEditText(cut);
}

void TNameAdrsSearch::searchFromConditions()
{
    // The name as the search will read it, before the entry is left.
    cutNameEntries();
    // 検索 is greyed while a run goes on: Return then does nothing either.
    bbtnSearch->click();
}

void TNameAdrsSearch::applyOmission()
{
    QString omitted = chkOmissionAdrs->isChecked() ? m_addressCaption : QString();
    if (const qsizetype chome = omitted.indexOf(QStringLiteral("（丁目）")); chome >= 0)
        omitted.truncate(chome);
    m_model->SetOmittedAddress(omitted);
    // A checked box shows its caption in blue, as the chosen conditions do.
    QPalette palette = chkOmissionAdrs->palette();
    palette.setColor(QPalette::WindowText, chkOmissionAdrs->isChecked() ? QColor(Qt::blue)
                                                                         : QApplication::palette().color(QPalette::WindowText));
    chkOmissionAdrs->setPalette(palette);
}

void TNameAdrsSearch::UpdateListColor(bool RecordFormShowsHits)
{
    QPalette palette = lvResult->palette();
    palette.setColor(QPalette::Base, ViewBGPaint && RecordFormShowsHits ? ColorToQColor(ViewBGColor)
                                                                        : QApplication::palette().color(QPalette::Base));
    lvResult->setPalette(palette);
    lvResult->viewport()->update();
}

QString TNameAdrsSearch::buildAddressCaption() const
{
    if (m_keys.isEmpty())
        return {};
    const qsizetype level = m_keys.front().size();
    // The name after the heading kana and its tab.
    auto nameOf = [](QListWidget *List) {
        const QList<QListWidgetItem *> chosen = List->selectedItems();
        for (QListWidgetItem *item : chosen)
            if (List->row(item) > 0) // not "指定しない"
                return item->text().section(u'\t', -1).trimmed();
        return QString();
    };
    const QList<QListWidgetItem *> prefs = lbxTdfkn->selectedItems();
    if (level == 2 && m_keys.size() > 1)
        return {};
    QString caption = prefs.isEmpty() ? QString() : prefs.front()->text().trimmed();
    if (level >= 5 && (level > 5 || m_keys.size() == 1))
        caption += nameOf(lbxCity);
    if (level == 8 && m_keys.size() == 1)
        caption += nameOf(lbxOhaza);
    return caption;
}

void TNameAdrsSearch::categoryChanged()
{
    const int category = m_categoryGroup->checkedId();
    const bool corporate = category == 1 || EnableAllKind;
    rbAmbiguous->setEnabled(corporate);
    rbRear->setEnabled(corporate);
    if (!corporate && (rbAmbiguous->isChecked() || rbRear->isChecked()))
        rbFront->setChecked(true);
    cbxCorpDiv->setEnabled(category != 0);
}

void TNameAdrsSearch::yearChanged()
{
    const bool any = cbxPubFromYear->currentData().toInt() != 0;
    cbxPubFromMonth->setEnabled(any);
    cbxPubToYear->setEnabled(any);
    cbxPubToMonth->setEnabled(any);
}

void TNameAdrsSearch::fillAreaCombo()
{
    const QSignalBlocker block(cbxArea);
    cbxArea->clear();
    for (int area = 1; area <= AreaCount; ++area)
        if (UseArea[static_cast<std::size_t>(area)])
            cbxArea->addItem(AreaCaptions[static_cast<std::size_t>(area)], area);
    if (cbxArea->count() > 0)
        cbxArea->setCurrentIndex(0);
    fillPrefectures();
}

bool TNameAdrsSearch::ensureAreaData(int Region)
{
    if (Region >= 1 && Region <= AreaCount && !AreaOnDisk[static_cast<std::size_t>(Region)]
        && !QFileInfo(AreaDataFolder(Region)).isDir()) {
        const QString text = QStringLiteral("ピルカノス2014のDVD-ROMを入れてください  ");
        const QString root = AskForDisc ? AskForDisc(text) : [&] {
            TChangeDisc prompt(this);
            prompt.SetMessage(text);
            prompt.SetDrive(SearchDataPath);
            return prompt.exec() == QDialog::Accepted ? prompt.Drive() : QString();
        }();
        if (root.isEmpty())
            return false;
        if (IsDataDiscRoot(root))
            SearchDataPath = QDir::cleanPath(root);
    }
    return CheckAreaData(Region, this) && CheckAreaDataFile(Region, this);
}

int TNameAdrsSearch::currentRegion() const
{
    return cbxArea->currentData().toInt();
}

void TNameAdrsSearch::fillPrefectures()
{
    {
        const QSignalBlocker block(lbxTdfkn);
        lbxTdfkn->clear();
        if (m_dic) {
            for (int index : prefectureIndexes(currentRegion())) {
                const TWqk1adPref *pref = index < m_dic->GetTdfknCount() ? m_dic->GetTdfkn(index) : nullptr;
                if (pref == nullptr)
                    continue;
                auto *item = new QListWidgetItem(trimmedText(pref->Name, sizeof pref->Name), lbxTdfkn);
                item->setData(Qt::UserRole, QStringLiteral("%1").arg(pref->Number, 2, 10, QLatin1Char('0')));
                item->setData(Qt::UserRole + 1, static_cast<int>(pref->CityCount));
            }
        }
        if (lbxTdfkn->count() > 0)
            lbxTdfkn->item(0)->setSelected(true);
    }
    fillCities();
}

void TNameAdrsSearch::fillCities()
{
    const QSignalBlocker block(lbxCity);
    lbxCity->clear();
    const QList<QListWidgetItem *> prefs = lbxTdfkn->selectedItems();
    if (prefs.size() == 1 && m_dic) {
        new QListWidgetItem(QStringLiteral("指定しない"), lbxCity);
        const int number = prefs.front()->data(Qt::UserRole).toString().toInt();
        try {
            if (m_dic->SearchCity(number, prefs.front()->data(Qt::UserRole + 1).toInt()) == 0) {
                QString lastHead;
                for (int i = 0; i < m_dic->GetCityCount(); ++i) {
                    const TWqk1adCity *city = m_dic->GetCity(i);
                    const QString head = trimmedText(city->Head, sizeof city->Head);
                    auto *item = new QListWidgetItem((head == lastHead ? QString() : head) + u'\t'
                                                         + trimmedText(city->Name, sizeof city->Name),
                                                     lbxCity);
                    lastHead = head;
                    item->setData(Qt::UserRole, trimmedText(city->CityCode, sizeof city->CityCode));
                    item->setData(Qt::UserRole + 1, static_cast<int>(city->OhazaCount));
                }
            }
        } catch (const std::exception &) {
            // The city list stays with "指定しない" alone.
        }
        lbxCity->item(0)->setSelected(true);
    }
    fillOazas();
}

void TNameAdrsSearch::fillOazas()
{
    {
        const QSignalBlocker block(lbxOhaza);
        lbxOhaza->clear();
        QStringList cities;
        for (QListWidgetItem *item : lbxCity->selectedItems())
            if (lbxCity->row(item) > 0)
                cities << item->data(Qt::UserRole).toString();
        if (cities.size() == 1 && lbxTdfkn->selectedItems().size() == 1 && m_dic) {
            new QListWidgetItem(QStringLiteral("指定しない"), lbxOhaza);
            QListWidgetItem *city = lbxCity->selectedItems().front();
            try {
                if (m_dic->SearchOhaza(cities.front(), std::max(city->data(Qt::UserRole + 1).toInt(), 1), true) == 0) {
                    QString lastHead;
                    for (int i = 0; i < m_dic->GetOhazaCount(); ++i) {
                        const TWqk1adOhaza *oaza = m_dic->GetOhaza(i);
                        const QString head = trimmedText(oaza->Head, sizeof oaza->Head);
                        auto *item = new QListWidgetItem((head == lastHead ? QString() : head) + u'\t'
                                                             + trimmedText(oaza->Name, sizeof oaza->Name),
                                                         lbxOhaza);
                        lastHead = head;
                        item->setData(Qt::UserRole,
                                      QString::fromLatin1(oaza->Code, static_cast<qsizetype>(strnlen(oaza->Code, sizeof oaza->Code))));
                    }
                }
            } catch (const std::exception &) {
                // The oaza list stays with "指定しない" alone.
            }
            lbxOhaza->item(0)->setSelected(true);
        }
    }
    updateKeys();
}

void TNameAdrsSearch::addressListChanged(QListWidget *List)
{
    {
        const QSignalBlocker block(List);
        QListWidgetItem *none = List->count() > 0 ? List->item(0) : nullptr;
        const QList<QListWidgetItem *> chosen = List->selectedItems();
        if (chosen.isEmpty()) {
            // Nothing chosen is no choice: the clicked item stays chosen.
            if (QListWidgetItem *current = List->currentItem() ? List->currentItem() : none)
                current->setSelected(true);
        } else if (none && none->isSelected() && chosen.size() > 1) {
            // "指定しない" stands alone: clicked now, it clears the others; else it goes.
            const bool clickedNone = List->currentItem() == none;
            for (QListWidgetItem *item : chosen)
                item->setSelected(clickedNone ? item == none : item != none);
        }
    }
    if (List == lbxCity)
        fillOazas();
    else
        updateKeys();
}

void TNameAdrsSearch::updateKeys()
{
    m_keys.clear();
    const QList<QListWidgetItem *> prefs = lbxTdfkn->selectedItems();
    // In list order, each code once: several chome of one oaza share its code.
    auto chosenCodes = [](QListWidget *list) {
        QStringList codes;
        for (int i = 1; i < list->count(); ++i)
            if (list->item(i)->isSelected())
                codes << list->item(i)->data(Qt::UserRole).toString();
        codes.removeDuplicates();
        return codes;
    };
    const QStringList cities = prefs.size() == 1 ? chosenCodes(lbxCity) : QStringList();
    const QStringList oazas = cities.size() == 1 ? chosenCodes(lbxOhaza) : QStringList();
    if (!oazas.isEmpty()) {
        m_keys = oazas;
        return;
    }
    if (!cities.isEmpty()) {
        m_keys = cities;
        return;
    }
    for (int i = 0; i < lbxTdfkn->count(); ++i)
        if (lbxTdfkn->item(i)->isSelected())
            m_keys << lbxTdfkn->item(i)->data(Qt::UserRole).toString();
}

std::vector<TAreaSearchCondition> TNameAdrsSearch::buildConditions() const
{
    std::vector<TAreaSearchCondition> result;
    const int region = currentRegion();
    const QByteArray name = FilterNameText(NameText());
    unsigned kinds = 0;
    for (std::size_t i = 0; i < m_kinds.size(); ++i)
        if (m_kinds[i]->isChecked())
            kinds |= 1U << i;
    for (const QString &key : m_keys) {
        TAreaSearchCondition c{};
        std::memcpy(c.Name, name.constData(), static_cast<std::size_t>(name.size()));
        const QByteArray k = key.toLatin1();
        std::memcpy(c.AddressKey, k.constData(), std::min<std::size_t>(static_cast<std::size_t>(k.size()), 55));
        c.Category = m_categoryGroup->checkedId();
        c.PhoneKinds = static_cast<std::int32_t>(kinds);
        c.MatchKind = m_matchGroup->checkedId();
        if (cbxPubFromYear->currentData().toInt() != 0)
            SetConditionMonths(c, cbxPubFromYear->currentData().toInt(), cbxPubFromMonth->currentData().toInt(),
                               cbxPubToYear->currentData().toInt(), cbxPubToMonth->currentData().toInt());
        c.CorporateForm = c.Category != 0 ? cbxCorpDiv->currentIndex() : 0;
        c.Continue = 0;
        c.Always1 = 1;
        c.BlockSize = cbxGetCount->currentData().toInt();
        (void)SetFolderField(c.DataFolder, AreaDataFolder(region));
        (void)SetFolderField(c.DicFolder, AreaDicFolder());
        result.push_back(c);
    }
    return result;
}

bool TNameAdrsSearch::validateConditions(int Mode)
{
    if (m_keys.isEmpty() || currentRegion() == 0)
        return false;
    if (EnableVicinage)
        return true;
    if (Mode == 1 && m_keys.size() > 1 && m_keys.front().size() == 2) {
        ShowMessageBoxAt(this, QStringLiteral("複数都道府県を指定したファイル出力はできません  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        return false;
    }
    QByteArray name = FilterNameText(NameText());
    name.replace(' ', QByteArray());
    name.replace(QByteArrayLiteral("\x81\x40"), QByteArray());
    // Corporations may go without a name within a city (an oaza for an export).
    const bool narrowed = Mode == 1 ? m_keys.front().size() == 8 : m_keys.front().size() >= 5;
    if (name.isEmpty() && !(m_categoryGroup->checkedId() == 1 && narrowed)) {
        static const char16_t *const operations[] = {u"件数確認", u"ファイル出力", u"検索"};
        ShowMessageBoxAt(this,
                         QStringLiteral("この条件で") + QString::fromUtf16(operations[Mode])
                             + QStringLiteral("を行うために  \r\n名称が入力されている必要があります  "),
                         ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        nameEntry()->setFocus();
        return false;
    }
    return true;
}

void TNameAdrsSearch::setRunning(bool Running, const QString &Operation)
{
    for (QWidget *w : m_conditionControls)
        w->setEnabled(!Running);
    if (!Running) {
        categoryChanged();
        yearChanged();
    }
    for (QPushButton *b : {bbtnCount, bbtnSearch, bbtnPrior, bbtnNext, bbtnClose, bbtnFileExport, sbtnInquiry,
                           sbtnFileExport, sbtnExportItemSelect})
        b->setEnabled(!Running);
    bbtnStop->setEnabled(Running);
    if (Running) {
        setPanel(6, Operation);
        setPanel(7, QString());
        setPanel(8, QString());
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TNameAdrsSearch::clearResult()
{
    m_model->Clear();
    m_pageNo = -1;
    m_inquiryIndex = -1;
    emit ResultChanged();
    pnlAdrs->clear();
    pnlAdrs->hide();
    setPanel(10, QStringLiteral(" 表示ページ： ---"));
    setPanel(11, QStringLiteral(" 検索総件数： -----"));
}

void TNameAdrsSearch::startSearch(TSearchMove Move)
{
    if (m_run != TRun::None)
        return;
    if (Move == TSearchMove::New) {
        if (!validateConditions(2) || !ensureAreaData(currentRegion()))
            return;
        m_conditions = buildConditions();
        if (m_conditions.empty())
            return;
        m_conditionRegion = currentRegion();
        m_addressCaption = buildAddressCaption();
        m_blockSize = m_conditions.front().BlockSize;
        m_runEntry = entryOf(m_conditions);
    } else if (!ensureAreaData(m_conditionRegion)) {
        return;
    }
    m_newSearch = Move == TSearchMove::New;
    m_run = TRun::Search;
    setRunning(true, QStringLiteral("検索"));
    clearResult();
    if (Move == TSearchMove::New)
        host().Search(m_conditions);
    else
        host().MovePage(Move);
}

void TNameAdrsSearch::startCount()
{
    if (m_run != TRun::None || !validateConditions(0) || !ensureAreaData(currentRegion()))
        return;
    if (ShowMessageBoxAt(this, QStringLiteral("検索条件に該当するデータの総件数を調べます  \r\nよろしいですか？  "),
                         ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)
        != IDYES)
        return;
    const std::vector<TAreaSearchCondition> conditions = buildConditions();
    if (conditions.empty())
        return;
    m_runEntry = entryOf(conditions);
    m_run = TRun::Count;
    setRunning(true, QStringLiteral("件数確認"));
    clearResult();
    host().Count(conditions);
}

void TNameAdrsSearch::showConditionPanels(const TAreaSearchCondition &First)
{
    setPanel(1, QString::fromUtf16(kMatchKinds[std::clamp(First.MatchKind, 0, 3)]));
    setPanel(2, QString::fromUtf16(kCategories[std::clamp(First.Category, 0, 2)]));
    QString kinds;
    for (int i = 0; i < 4; ++i)
        if (First.PhoneKinds & (1 << i))
            kinds += QString::fromUtf16(kKindLetters[i]);
    setPanel(3, kinds);
    setPanel(4, QString::fromUtf16(kCorpForms[std::clamp(First.CorporateForm, 0, 7)]));
}

void TNameAdrsSearch::clearConditionPanels()
{
    for (int i = 1; i <= 4; ++i)
        setPanel(i, QString());
}

void TNameAdrsSearch::searchDone(const TSearchPage &Page)
{
    m_run = TRun::None;
    setRunning(false, QString());
    const TAreaSearchCondition first = m_conditions.empty() ? TAreaSearchCondition{} : m_conditions.front();
    if (Page.Code == AreaResultBlock || Page.Code == AreaResultStopped) {
        std::vector<TAreaSearchHit> hits = Page.Hits;
        for (TAreaSearchHit &h : hits) {
            const QByteArray digits(h.Phone, static_cast<qsizetype>(strnlen(h.Phone, sizeof h.Phone)));
            const QByteArray hyphenated = HyphenatePhoneNumber(digits);
            if (!hyphenated.isEmpty() && hyphenated.size() < static_cast<qsizetype>(sizeof h.Phone)) {
                std::memset(h.Phone, 0, sizeof h.Phone);
                std::memcpy(h.Phone, hyphenated.constData(), static_cast<std::size_t>(hyphenated.size()));
            }
        }
        m_pageNo = Page.PageNo;
        const int firstNumber = (Page.PageNo - 1) * m_blockSize + 1;
        applyOmission();
        m_model->SetPage(std::move(hits), firstNumber);
        pnlAdrs->setText(m_addressCaption);
        pnlAdrs->setVisible(!m_addressCaption.isEmpty());
        m_inquiryIndex = -1;
        emit ResultChanged();
        showConditionPanels(first);
        setPanel(7, QStringLiteral(" 件数： ") + QString::number(Page.Hits.size()));
        setPanel(8, Page.Code == AreaResultStopped ? QStringLiteral("検索中断") : QStringLiteral("検索完了"));
        if (!Page.Hits.empty()) {
            setPanel(10, QStringLiteral(" 表示ページ： ") + QString::number(Page.PageNo));
            setPanel(11, QStringLiteral(" 検索総件数： ") + QString::number(firstNumber - 1 + std::ssize(Page.Hits)));
        }
        lvResult->setFocus();
    } else if (Page.Code == AreaResultNoMore) {
        clearResult();
        clearConditionPanels();
        setPanel(7, QStringLiteral(" 件数： 0"));
        setPanel(8, QStringLiteral("該当無し"));
        ShowMessageBoxAt(this, QStringLiteral("該当するデータが見つかりませんでした  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        nameEntry()->setFocus();
        NameEdit()->selectAll();
    } else {
        clearResult();
        clearConditionPanels();
        setPanel(7, QStringLiteral(" 件数： "));
        setPanel(8, QStringLiteral(" エラー"));
        ShowMessageBoxAt(this, QStringLiteral("名称住所検索エラー  \r\nRC = %1  ").arg(Page.Code), ProductCaption(),
                         MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        bbtnClose->setFocus();
    }
    // After a stop on a later page the next button repeats the stopped page.
    if (m_newSearch && (Page.Code == AreaResultBlock || Page.Code == AreaResultNoMore || Page.Code == AreaResultStopped))
        remember();
    const bool repeat = Page.Code == AreaResultStopped && Page.PageNo > 1;
    bbtnNext->setProperty("Tag", repeat ? 3 : 1);
    bbtnNext->setText(repeat ? QStringLiteral("再検索") : QStringLiteral("次へ"));
    bbtnNext->setToolTip(repeat ? QStringLiteral("中断した検索を再度行います") : QStringLiteral("次のページの検索を行います"));
    const bool paged = Page.Code == AreaResultBlock || Page.Code == AreaResultStopped;
    bbtnPrior->setEnabled(paged && !Page.FirstPage);
    bbtnNext->setEnabled(paged && (!Page.LastPage || repeat));
    if (Page.Code == AreaResultStopped)
        (bbtnNext->isEnabled() ? bbtnNext : bbtnSearch)->setFocus();
    emit RunFinished();
}

void TNameAdrsSearch::countDone(const TSearchCount &Count)
{
    reportRunEnd(true, Count.Code, Count.Count, QStringLiteral("確認完了"),
                 QString::number(Count.Count) + QStringLiteral(" 件のデータが見つかりました  "),
                 QStringLiteral("件数確認エラー  \r\nRC = %1  ").arg(Count.Code));
}

void TNameAdrsSearch::reportRunEnd(bool WindowConditions, int Code, int Count,
                                   const QString &DoneCaption, const QString &DoneText, const QString &ErrorText)
{
    m_run = TRun::None;
    setRunning(false, QString());
    bbtnPrior->setEnabled(false);
    bbtnNext->setEnabled(false);
    // The window's conditions are read once it is enabled again, as the
    // count always showed them; an export shows the ones it ran with.
    const std::vector<TAreaSearchCondition> conditions = WindowConditions ? buildConditions() : m_conditions;
    if (!conditions.empty())
        showConditionPanels(conditions.front());
    setPanel(7, QStringLiteral(" 件数： ") + QString::number(Count));
    QString text;
    unsigned icon = MB_ICONINFORMATION;
    switch (Code) {
    case AreaResultBlock:
        setPanel(8, DoneCaption);
        text = DoneText;
        break;
    case AreaResultNoMore:
        setPanel(8, QStringLiteral("該当無し"));
        text = QStringLiteral("該当するデータが見つかりませんでした  ");
        break;
    case AreaResultStopped:
        setPanel(8, QStringLiteral("検索中断"));
        text = QStringLiteral("中断しました  ");
        break;
    default:
        setPanel(8, QStringLiteral(" エラー"));
        text = ErrorText;
        icon = MB_ICONERROR;
        break;
    }
    if (Code == AreaResultBlock || Code == AreaResultNoMore || Code == AreaResultStopped)
        remember();
    ShowMessageBoxAt(this, text, ProductCaption(), icon, mbpCenterOnOwner, 0, 0);
    emit RunFinished();
}

int TNameAdrsSearch::chooseExportFile()
{
    QString name = m_exportFile;
    bool choose = true;
    if (!name.isEmpty() && QFileInfo(name).dir().exists()) {
        const int answer = ShowMessageBoxAt(this,
                                            QDir::toNativeSeparators(name)
                                                + QStringLiteral("  \r\nへ出力します  \r\n\r\n出力先を変更しますか？  "),
                                            ProductCaption(), MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2,
                                            mbpCenterOnOwner, 0, 0);
        if (answer == IDCANCEL)
            return 9;
        choose = answer == IDYES;
    } else if (!name.isEmpty()) {
        // Its folder has gone: the same file name in the data folder.
        name = DataPath + QFileInfo(name).fileName();
    }
    if (choose) {
        const QString proposal = QFileInfo(name).isFile() ? name : DataPath + QStringLiteral("検索結果");
        name = ExportFileChooser ? ExportFileChooser(proposal)
                                 : QFileDialog::getSaveFileName(
                                       this, QString(), proposal,
                                       QStringLiteral("テキストファイル (*.txt);;CSVファイル (*.csv);;すべてのファイル (*.*)"),
                                       nullptr, QFileDialog::DontConfirmOverwrite); // the window asks: overwrite or append
    }
    name = name.trimmed();
    if (name.isEmpty())
        return 9;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".txt");
    const QString folder = QFileInfo(name).absolutePath();
    if (!QDir().mkpath(folder)) {
        ShowMessageBoxAt(this, QStringLiteral("フォルダーが作成できませんでした  "), ProductCaption(), MB_ICONERROR,
                         mbpCenterOnOwner, 0, 0);
        return 9;
    }
    if (const QString refusal = ProgramFileRefusal(name); !refusal.isEmpty()) {
        ShowMessageBoxAt(this, refusal, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return 9;
    }
    int choice = 0;
    if (QFileInfo(name).isFile()) {
        choice = AskOverwriteOrAppend([this](const QString &Text, unsigned Flags) {
            return ShowMessageBoxAt(this, Text, ProductCaption(), Flags, mbpCenterOnOwner, 0, 0);
        });
        if (choice == 9)
            return 9;
    }
    m_exportFile = name;
    return choice;
}

void TNameAdrsSearch::startExport()
{
    if (m_run != TRun::None || !validateConditions(1) || !ensureAreaData(currentRegion()))
        return;
    if (ShowMessageBoxAt(this,
                         QStringLiteral("検索条件に該当するデータを  \r\nCSV形式でテキストファイルに出力します  \r\n"
                                        "よろしいですか？  "),
                         ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)
        != IDYES)
        return;
    const int choice = chooseExportFile();
    if (choice == 9)
        return;
    m_conditions = buildConditions();
    if (m_conditions.empty())
        return;
    m_conditionRegion = currentRegion();
    m_runEntry = entryOf(m_conditions);
    TExportRequest request;
    request.FileName = m_exportFile;
    request.Append = choice == 1;
    request.Header = choice == 0;
    request.Columns = m_exportColumns;
    m_run = TRun::Export;
    setRunning(true, QStringLiteral("ファイル出力"));
    clearResult();
    host().Export(m_conditions, request);
}

void TNameAdrsSearch::exportDone(const TExportResult &Result)
{
    QString error = QStringLiteral("ファイル出力エラー  \r\nRC = %1  ").arg(Result.Code);
    if (Result.Code == ExportFileFailed)
        error = QStringLiteral("ファイルに出力できませんでした  \r\n") + QDir::toNativeSeparators(m_exportFile)
                + QStringLiteral("  \r\n") + Result.FileError + QStringLiteral("  ");
    else if (Result.Code == ExportRecordFailed)
        error = kExportStopped + Result.FileError + kFileAsItWas;
    reportRunEnd(false, Result.Code, Result.Lines, QStringLiteral("出力完了"),
                 QString::number(Result.Lines) + QStringLiteral(" 件のデータを出力しました  "), error);
}

void TNameAdrsSearch::setPanel(int Panel, const QString &Text)
{
    m_panels[static_cast<std::size_t>(Panel)]->setText(Text);
}

QString TNameAdrsSearch::StatusText(int Panel) const
{
    return Panel >= 0 && Panel < StatusPanelCount ? m_panels[static_cast<std::size_t>(Panel)]->text() : QString();
}

bool TNameAdrsSearch::Running() const
{
    return m_run != TRun::None;
}

int TNameAdrsSearch::GetHitCount() const
{
    return m_model->rowCount();
}

void TNameAdrsSearch::closeEvent(QCloseEvent *Event)
{
    // A run is stopped first; the window closes once it has ended.
    if (Running()) {
        Event->ignore();
        return;
    }
    QWidget::closeEvent(Event);
}

bool TNameAdrsSearch::ShowHitAt(int Index, TTelRecord &Record)
{
    const std::vector<TAreaSearchHit> &hits = m_model->Hits();
    if (Running() || Index < 0 || Index >= std::ssize(hits) || m_conditions.empty()
        || !ensureAreaData(m_conditionRegion))
        return false;
    const TAreaSearchHit &hit = hits[static_cast<std::size_t>(Index)];
    TTelSearchCondition request{};
    int n = 0;
    for (char c : QByteArrayView(hit.Phone, static_cast<qsizetype>(strnlen(hit.Phone, sizeof hit.Phone))))
        if (c >= '0' && c <= '9' && n < 15)
            request.Phone[n++] = c;
    request.Always1 = 1;
    std::memcpy(request.DataFolder, m_conditions.front().DataFolder, sizeof request.DataFolder);
    std::memcpy(request.DicFolder, m_conditions.front().DicFolder, sizeof request.DicFolder);
    // The worker holds the library for the window's life; this call holds it for its own length.
    if (LoadWqarea17(AppPath) != 0)
        return false;
    const int code = CallWqareaTelOne(request, Record, hit.RecordKey);
    FreeWqarea17();
    if (code != 0) {
        ShowMessageBoxAt(this, QStringLiteral("名称住所検索エラー  \r\nRC = %1  ").arg(code), ProductCaption(),
                         MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return false;
    }
    const QByteArray hyphenated = HyphenatePhoneNumber(QByteArray(Record.Phone, static_cast<qsizetype>(strnlen(Record.Phone, sizeof Record.Phone))));
    if (!hyphenated.isEmpty() && hyphenated.size() < static_cast<qsizetype>(sizeof Record.Phone)) {
        std::memset(Record.Phone, 0, sizeof Record.Phone);
        std::memcpy(Record.Phone, hyphenated.constData(), static_cast<std::size_t>(hyphenated.size()));
    }
    m_inquiryIndex = Index;
    lvResult->clearSelection();
    lvResult->selectRow(Index);
    lvResult->scrollTo(m_model->index(Index, 0));
    return true;
}

bool TNameAdrsSearch::ShowFirstHit(TTelRecord &Record)
{
    return ShowHitAt(0, Record);
}

bool TNameAdrsSearch::ShowPriorHit(TTelRecord &Record)
{
    return !IsFirstHit() && ShowHitAt(m_inquiryIndex - 1, Record);
}

bool TNameAdrsSearch::ShowNextHit(TTelRecord &Record)
{
    return !IsLastHit() && ShowHitAt(m_inquiryIndex + 1, Record);
}

bool TNameAdrsSearch::ShowLastHit(TTelRecord &Record)
{
    return ShowHitAt(GetHitCount() - 1, Record);
}

bool TNameAdrsSearch::IsFirstHit() const
{
    return GetHitCount() == 0 || m_inquiryIndex < 1;
}

bool TNameAdrsSearch::IsLastHit() const
{
    return GetHitCount() == 0 || m_inquiryIndex >= GetHitCount() - 1;
}

void TNameAdrsSearch::SetInquiryIndex(int Index)
{
    if (Index >= -1 && Index <= GetHitCount() - 1)
        m_inquiryIndex = Index;
}

void TNameAdrsSearch::TakeSelectedHit()
{
    const QModelIndexList rows = lvResult->selectionModel()->selectedRows();
    const int row = lvResult->currentIndex().isValid() ? lvResult->currentIndex().row()
                    : rows.isEmpty()                   ? -1
                                                       : rows.front().row();
    TTelRecord record{};
    if (row < 0 || (OnConfirmTake && !OnConfirmTake()) || !ShowHitAt(row, record))
        return;
    if (OnTakeHit)
        OnTakeHit(record);
}

TNameAdrsSearch *ShowNameAdrsSearch()
{
    if (NameAdrsSearchWindow == nullptr)
        new TNameAdrsSearch;
    NameAdrsSearchWindow->show();
    NameAdrsSearchWindow->raise();
    NameAdrsSearchWindow->activateWindow();
    return NameAdrsSearchWindow;
}

// ---- name entry and history --------------------------------------------------

QString TNameAdrsSearch::NameText() const
{
    return m_useCombo ? nmcbxName->currentText() : nmedtName->text();
}

void TNameAdrsSearch::SetNameText(const QString &Text)
{
    if (m_useCombo)
        nmcbxName->setEditText(Text);
    else
        nmedtName->setText(Text);
}

QLineEdit *TNameAdrsSearch::NameEdit() const
{
    return m_useCombo ? nmcbxName->lineEdit() : static_cast<QLineEdit *>(nmedtName);
}

QWidget *TNameAdrsSearch::nameEntry() const
{
    return m_useCombo ? static_cast<QWidget *>(nmcbxName) : static_cast<QWidget *>(nmedtName);
}

void TNameAdrsSearch::chooseNameEntry()
{
    const QString text = NameText();
    m_useCombo = HisCount > 0;
    nmcbxName->setVisible(m_useCombo);
    nmedtName->setVisible(!m_useCombo);
    SetNameText(text);
}

void TNameAdrsSearch::fillHistoryCombo()
{
    const QString text = nmcbxName->currentText();
    const QSignalBlocker block(nmcbxName);
    nmcbxName->clear();
    for (const TSearchHistoryEntry &entry : m_history)
        nmcbxName->addItem(Cp932::decode(entry.Name));
    nmcbxName->setCurrentIndex(-1);
    nmcbxName->setEditText(text);
}

TSearchHistoryEntry TNameAdrsSearch::entryOf(const std::vector<TAreaSearchCondition> &Conditions) const
{
    TSearchHistoryEntry entry;
    if (Conditions.empty())
        return entry;
    const TAreaSearchCondition &c = Conditions.front();
    entry.Name = QByteArray(c.Name, static_cast<qsizetype>(strnlen(c.Name, sizeof c.Name)));
    entry.MatchKind = c.MatchKind;
    entry.Category = c.Category;
    entry.PhoneKinds = c.PhoneKinds;
    entry.CorporateForm = c.CorporateForm;
    entry.MonthFrom = QByteArray(c.MonthFrom, static_cast<qsizetype>(strnlen(c.MonthFrom, sizeof c.MonthFrom)));
    entry.MonthTo = QByteArray(c.MonthTo, static_cast<qsizetype>(strnlen(c.MonthTo, sizeof c.MonthTo)));
    entry.BlockSize = c.BlockSize;
    entry.Keys = m_keys;
    entry.KeyLevel = m_keys.isEmpty() ? 0 : static_cast<int>(m_keys.front().size());
    entry.Region = m_keys.isEmpty() ? 0 : currentRegion();
    return entry;
}

void TNameAdrsSearch::remember()
{
    m_current = m_runEntry;
    RememberSearch(m_history, m_runEntry, HisCount);
    m_ranSinceSaved.push_back(m_runEntry);
    m_historyIndex = m_history.empty() ? -1 : 0;
    writeHistory();
    fillHistoryCombo();
}

void TNameAdrsSearch::writeHistory()
{
    // A damaged file that could not be kept aside is not written over.
    if (m_historyBlocked)
        return;
    const QString path = SearchHistoryFileName();
    QString error;
    // The lock is given back before the user is told: a message box runs
    // the event loop, and another save of the file must not wait on it.
    const bool saved = [&] {
        TFileLock lock(path);
        if (!lock.Acquire(SharedFileWaitMs, &error))
            return false;
        // Searches another program on the data folder remembered since this
        // window read the file stay, after this window's own, as room allows.
        // The list becomes this window's once written: after a failed save
        // the others' searches are still theirs, to delete.
        std::vector<TSearchHistoryEntry> written = m_history;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            bool damaged = false;
            bool currentApart = false;
            std::vector<TSearchHistoryEntry> now = ParseSearchHistory(
                file.readAll(), HisCount,
                [](int Region) {
                    return Region >= 1 && Region <= AreaCount && UseArea[static_cast<std::size_t>(Region)];
                },
                &damaged, &currentApart);
            file.close();
            // Damaged by another hand since the window read it: kept aside
            // whole and named, as at reading; one that cannot be moved stays.
            if (damaged && KeepUnreadableFileAside(path, QStringLiteral("damaged or cut short")).isEmpty()) {
                m_historyBlocked = true;
                return true;
            }
            if (!damaged && HisCount > 0) {
                now.erase(now.begin(), now.begin() + (currentApart && !now.empty() ? 1 : 0));
                // A search this window deleted goes; one it ran again is
                // never dropped, whatever the other program did with it.
                const auto holds = [](const std::vector<TSearchHistoryEntry> &list, const TSearchHistoryEntry &entry) {
                    return std::any_of(list.begin(), list.end(),
                                       [&](const TSearchHistoryEntry &e) { return SameSearchConditions(e, entry); });
                };
                std::erase_if(now, [&](const TSearchHistoryEntry &entry) {
                    return holds(m_historyBase, entry) && !holds(m_history, entry);
                });
                // One this window kept as it read it and did not run again
                // is as the other program left it: deleted there, it stays so.
                MergeRecentEntryChanges(now, m_historyBase, m_history, SameSearchConditions,
                                        [&](const TSearchHistoryEntry &, const TSearchHistoryEntry &mine) {
                                            return !holds(m_ranSinceSaved, mine);
                                        });
                if (std::ssize(now) > HisCount)
                    now.resize(static_cast<std::size_t>(HisCount));
                written = std::move(now);
            }
        }
        if (!WriteSearchHistoryFile(path, m_current, written, &error, HisCount > 0))
            return false;
        m_history = std::move(written);
        m_historyBase = m_history;
        m_ranSinceSaved.clear();
        return true;
    }();
    if (!saved)
        ShowWriteFailure(this, QStringLiteral("名称住所検索の検索条件"), path, error);
}

void TNameAdrsSearch::deleteHistoryItem(int Index)
{
    if (Index < 0 || Index >= std::ssize(m_history))
        return;
    const bool last = Index == std::ssize(m_history) - 1;
    m_history.erase(m_history.begin() + Index);
    if (Index == m_historyIndex && last)
        m_historyIndex = -1;
    else if (Index < m_historyIndex)
        --m_historyIndex;
    writeHistory();
    fillHistoryCombo();
    if (nmcbxName->view()->isVisible() && nmcbxName->count() > 0)
        nmcbxName->view()->setCurrentIndex(nmcbxName->model()->index(std::min<int>(Index, nmcbxName->count() - 1), 0));
}

void TNameAdrsSearch::ApplyHistoryCount()
{
    if (HisCount < 1)
        m_history.clear();
    else if (std::ssize(m_history) > HisCount)
        m_history.resize(static_cast<std::size_t>(HisCount));
    if (m_historyIndex >= std::ssize(m_history))
        m_historyIndex = -1;
    chooseNameEntry();
    writeHistory();
    fillHistoryCombo();
}

void TNameAdrsSearch::RefreshAreaSettings()
{
    const int region = currentRegion();
    const QStringList keys = m_keys;
    fillAreaCombo();
    const int index = cbxArea->findData(region);
    if (index >= 0 && index != cbxArea->currentIndex())
        cbxArea->setCurrentIndex(index);
    if (index >= 0 && !keys.isEmpty())
        selectKeys(keys);
}

void TNameAdrsSearch::applyHistoryEntry(const TSearchHistoryEntry &Entry)
{
    SetNameText(Cp932::decode(Entry.Name));
    if (QAbstractButton *category = m_categoryGroup->button(std::clamp(Entry.Category, 0, 2)))
        category->setChecked(true);
    categoryChanged();
    QAbstractButton *match = m_matchGroup->button(std::clamp(Entry.MatchKind, 0, 3));
    (match && match->isEnabled() ? match : rbFront)->setChecked(true);
    const int kinds = (Entry.PhoneKinds & 0xF) == 0 ? 0xF : Entry.PhoneKinds & 0xF;
    for (std::size_t i = 0; i < m_kinds.size(); ++i)
        m_kinds[i]->setChecked(true); // the last one ticked cannot go, so all first
    for (std::size_t i = 0; i < m_kinds.size(); ++i)
        m_kinds[i]->setChecked((kinds & (1 << i)) != 0);
    cbxCorpDiv->setCurrentIndex(std::clamp(Entry.CorporateForm, 0, 7));
    auto setMonth = [](QComboBox *year, QComboBox *month, const QByteArray &text, int none) {
        const int y = text.size() == 6 ? text.left(4).toInt() : 0;
        const int m = text.size() == 6 ? text.mid(4).toInt() : 0;
        const int yi = y > 0 ? year->findData(y) : -1;
        year->setCurrentIndex(yi >= 0 ? yi : none);
        if (m >= 1 && m <= 12)
            month->setCurrentIndex(m - 1);
    };
    setMonth(cbxPubFromYear, cbxPubFromMonth, Entry.MonthFrom, 0);
    if (cbxPubFromYear->currentIndex() > 0)
        setMonth(cbxPubToYear, cbxPubToMonth, Entry.MonthTo, 0);
    yearChanged();
    const int block = cbxGetCount->findData(Entry.BlockSize);
    cbxGetCount->setCurrentIndex(block >= 0 ? block : 0);
    const int region = Entry.Region > 0 ? cbxArea->findData(Entry.Region) : -1;
    if (region >= 0) {
        if (region != cbxArea->currentIndex())
            cbxArea->setCurrentIndex(region);
        selectKeys(Entry.Keys);
    }
}

void TNameAdrsSearch::selectKeys(const QStringList &Keys)
{
    if (Keys.isEmpty())
        return;
    const int level = static_cast<int>(Keys.front().size());
    auto select = [](QListWidget *list, const QStringList &codes) {
        bool any = false;
        {
            const QSignalBlocker block(list);
            for (int i = 0; i < list->count(); ++i) {
                const QString code = list->item(i)->data(Qt::UserRole).toString();
                const bool on = !code.isEmpty() && codes.contains(code);
                list->item(i)->setSelected(on);
                any = any || on;
            }
            if (!any && list->count() > 0)
                list->item(0)->setSelected(true);
            for (int i = 0; i < list->count(); ++i)
                if (list->item(i)->isSelected()) {
                    list->setCurrentItem(list->item(i), QItemSelectionModel::NoUpdate);
                    list->scrollToItem(list->item(i));
                    break;
                }
        }
        return any;
    };
    QStringList prefs;
    for (const QString &key : Keys)
        prefs << key.left(2);
    prefs.removeDuplicates();
    select(lbxTdfkn, level == 2 ? prefs : QStringList{prefs.front()});
    fillCities();
    if (level >= 5) {
        QStringList cities;
        for (const QString &key : Keys)
            cities << key.left(5);
        cities.removeDuplicates();
        select(lbxCity, level == 5 ? cities : QStringList{cities.front()});
        fillOazas();
        if (level == 8) {
            // Several chome of one oaza share its code: all of them are chosen.
            select(lbxOhaza, Keys);
            updateKeys();
        }
    }
}

bool TNameAdrsSearch::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == chkOmissionAdrs && IsEnterKeyPress(Event)) {
        focusNextChild();
        return true;
    }
    const bool nameEntry = Watched == nmedtName || Watched == nmcbxName;
    // The entry keeps the name of the last search: taking the focus from the
    // keyboard or as the window comes up, it selects it, so typing gives a
    // new name instead of adding to the old one. A click puts the caret
    // where it was clicked.
    if (nameEntry && Event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(Event)->reason();
        if (reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason)
            NameEdit()->selectAll();
        return QWidget::eventFilter(Watched, Event);
    }
    // Return in the name entry is the entry's own (the name popup takes it
    // first); in the other conditions it searches.
    if (Event->type() == QEvent::KeyPress && !nameEntry) {
        const auto *key = static_cast<QKeyEvent *>(Event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        auto *widget = qobject_cast<QWidget *>(Watched);
        if (enter && widget && std::find(m_conditionControls.begin(), m_conditionControls.end(), widget)
                                   != m_conditionControls.end()) {
            searchFromConditions();
            return true;
        }
        // Turning the page at the list's ends, as the keys do inside it.
        if (Watched == lvResult && !(key->modifiers() & Qt::ShiftModifier)) {
            const int row = lvResult->currentIndex().row();
            if (key->key() == Qt::Key_PageUp && row == 0 && bbtnPrior->isEnabled()) {
                bbtnPrior->click();
                return true;
            }
            if (key->key() == Qt::Key_PageDown && row >= 0 && row == m_blockSize - 1 && bbtnNext->isEnabled()) {
                bbtnNext->click();
                return true;
            }
        }
    }
    if (Watched == nmcbxName->view()->viewport() && Event->type() == QEvent::MouseButtonRelease)
        m_pickedFromList = true;
    if (Watched == nmcbxName->view() && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            m_pickedFromList = true;
    }
    // Delete on the dropped-down history removes the entry under the cursor.
    if (Watched == nmcbxName->view() && Event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(Event)->key() == Qt::Key_Delete) {
        deleteHistoryItem(nmcbxName->view()->currentIndex().row());
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
}

// ---- export of the selected rows ---------------------------------------------

void TNameAdrsSearch::selectExportItems()
{
    std::optional<TExportItemSelect> dialog;
    {
        const TWaitCursor wait;
        dialog.emplace(this);
        CenterFormOnOwner(&*dialog, this);
        dialog->SetItems(m_exportColumns);
    }
    if (dialog->exec() != QDialog::Accepted)
        return;
    m_exportColumns = dialog->GetItems();
    // Kept at once: the choice holds for the next export even if this window is killed.
    TMemIniFile ini(SettingsFileName());
    ini.WriteString(kSettingsSection, QStringLiteral("ExportItemIndex"), ExportItemsText(m_exportColumns));
    ini.WriteString(kSettingsSection, QStringLiteral("ExportItemExport"), ExportFlagsText(m_exportColumns));
    QString error;
    if (!ini.UpdateFile(&error))
        ShowWriteFailure(this, QStringLiteral("名称住所検索の出力項目"), ini.FileName(), error);
}

void TNameAdrsSearch::exportSelected()
{
    if (Running() || m_conditions.empty())
        return;
    QList<int> rows;
    for (const QModelIndex &index : lvResult->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty() || !ensureAreaData(m_conditionRegion))
        return;
    std::sort(rows.begin(), rows.end());
    if (ShowMessageBoxAt(this,
                         QString::number(rows.size())
                             + QStringLiteral(" 件のデータを  \r\nCSV形式でテキストファイルに出力します  \r\n"
                                              "よろしいですか？  "),
                         ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)
        != IDYES)
        return;
    setPanel(6, QStringLiteral("ファイル出力"));
    const int choice = chooseExportFile();
    if (choice == 9)
        return;
    const TWaitCursor wait;
    TExportFile file;
    int lines = 0;
    QString failure;
    QString unreadable;
    if (!file.Open(m_exportFile, choice == 1, &failure)) {
        if (failure.isEmpty())
            failure = QStringLiteral("開けません");
    } else {
        auto write = [&](const QByteArray &line) { return file.WriteLine(line, &failure); };
        bool ok = choice == 1 || write(BuildHeaderLine(m_exportColumns));
        const bool needsRecord = ExportNeedsRecord(m_exportColumns);
        // The worker holds the library for the window's life; these fetches hold it for their own length.
        const bool loaded = needsRecord && LoadWqarea17(AppPath) == 0;
        const std::vector<TAreaSearchHit> &hits = m_model->Hits();
        for (int row : rows) {
            if (!ok || row >= std::ssize(hits))
                break;
            const TAreaSearchHit &hit = hits[static_cast<std::size_t>(row)];
            const std::optional<TTelRecord> record =
                loaded ? FetchHitRecord(hit, m_conditions.front()) : std::optional<TTelRecord>();
            // A row without the record it needs is never written from the hit alone.
            if (needsRecord && !record) {
                unreadable = UnreadableHitMessage(hit);
                ok = false;
                break;
            }
            const QByteArray line = BuildHitLine(hit, record, m_exportColumns);
            if (line.isEmpty())
                continue;
            ok = write(line);
            if (ok)
                ++lines;
        }
        if (loaded)
            FreeWqarea17();
        // Lines that could not all be written are not kept: the file stays as it was.
        if (!ok)
            file.Abandon();
        else
            ok = file.Finish(&failure);
        if (!ok) {
            lines = 0;
            if (failure.isEmpty() && unreadable.isEmpty())
                failure = QStringLiteral("書き込めません");
        }
    }
    setPanel(7, QStringLiteral(" 件数： ") + QString::number(lines));
    if (!unreadable.isEmpty()) {
        setPanel(8, QStringLiteral(" エラー"));
        ShowMessageBoxAt(this, kExportStopped + unreadable + kFileAsItWas, ProductCaption(), MB_ICONERROR,
                         mbpCenterOnOwner, 0, 0);
        return;
    }
    if (!failure.isEmpty()) {
        setPanel(8, QStringLiteral(" エラー"));
        ShowMessageBoxAt(this,
                         QStringLiteral("ファイルに出力できませんでした  \r\n") + QDir::toNativeSeparators(m_exportFile)
                             + QStringLiteral("  \r\n") + failure + QStringLiteral("  "),
                         ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return;
    }
    setPanel(8, QStringLiteral("出力完了"));
    ShowMessageBoxAt(this, QString::number(lines) + QStringLiteral(" 件のデータを出力しました  "), ProductCaption(),
                     MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
}
