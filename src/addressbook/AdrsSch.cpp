#include "addressbook/AdrsSch.h"

#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/HisInfo.h"
#include "core/Inquiry.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/CheckedCaption.h"
#include "widgets/TntStdCtrls.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace {

const QString IniSection = QStringLiteral("ADRS SCH");
const QString IniViewType = QStringLiteral("ViewType");
const QString PatternFileName = QStringLiteral("Search.ptn");
constexpr int PatternNameBytes = 30;
constexpr int FirstYear = 2013; // the year lists run from here down to 1995
constexpr int YearCount = 19;

enum TInputKind { ikText = 0, ikHistory = 1, ikChoice = 2, ikMonth = 3 };

bool IsNameItem(int item)
{
    return item == 13 || (item >= 17 && item <= 21);
}

// Items whose typed text loses its hyphens: the telephone numbers and the postcode.
bool DropsHyphens(int item)
{
    return item == 1 || item == 3 || item == 5 || item == 6 || item == 7;
}

// Items typed with the input method in hiragana; the others start with it closed.
bool TypesHiragana(int item)
{
    return item == 8 || item == 10 || IsNameItem(item) || (item >= 22 && item <= 26) || item == 30;
}

QStringList ChoiceList(int item)
{
    switch (item) {
    case 2:
        return {QStringLiteral("代表")};
    case 9:
        return {QStringLiteral("個人"), QStringLiteral("会社")};
    case 31:
        return QStringList(SymbolMarks.begin(), SymbolMarks.end());
    default:
        return {};
    }
}

QString ItemCaption(int item)
{
    if (item < 0 || item >= int(WordFilterItems.size()))
        return {};
    if (item >= 22 && item <= 29 && !KeywordNames[size_t(item - 21)].isEmpty())
        return KeywordNames[size_t(item - 21)];
    return WordFilterItems[size_t(item)].Caption;
}

// Calls a handler for Enter pressed in the widgets it watches; a handler that
// returns true has used the key.
class TEnterFilter : public QObject
{
public:
    TEnterFilter(QObject *parent, std::function<bool(QWidget *)> handler)
        : QObject(parent), m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && watched->isWidgetType())
                return m_handler(static_cast<QWidget *>(watched));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(QWidget *)> m_handler;
};

} // namespace

struct TAddressSearch::Impl {
    explicit Impl(TAddressSearch *dialog) : q(dialog) {}

    void Build();
    void ApplyView();
    void FillItemCombo();
    void SetupEditingArea(int item);
    bool BuildCondition(TNarrowDownItem &item) const;
    void LoadIntoEditingArea(const TNarrowDownItem &item);
    void RefillList();
    QStringList RowTexts(const TNarrowDownItem &item) const;
    void UpdateButtons();
    void UpdateColours();
    QList<int> SelectedRows() const;
    void SelectOnly(int row);

    void Add();
    void Update();
    void Delete();
    void ClearList();
    void ViewPattern();
    void SavePattern();
    void DeletePattern();
    void RefillPatternCombo();
    // Saves the patterns; a failure is told with its cause.
    void WritePatterns();
    QByteArray PatternName() const;
    int PatternIndex(const QByteArray &name) const;

    bool HandleEnter(QWidget *w);
    void FocusNext(QWidget *from);
    int Message(const QString &text, unsigned flags) const
    {
        return ShowMessageBoxAt(q, text, ProductCaption(), flags, mbpCenterOnOwner, 0, 0);
    }

    TAddressSearch *q;
    int ViewType = 0;
    int ShownItem = -1;
    QList<TNarrowDownItem> Working;
    QList<TSearchPattern> Patterns;
    // The patterns as the dialog last read or saved them: a save puts only
    // what changed since into the file.
    QList<TSearchPattern> SavedPatterns;

    QWidget *pnlPattern = nullptr;
    TTntComboBox *cbxPattern = nullptr;
    QPushButton *bbtnViewPattern = nullptr;
    QPushButton *bbtnSavePattern = nullptr;
    QPushButton *bbtnDeletePattern = nullptr;

    QWidget *pnlEdit = nullptr;
    TTntComboBox *cbxItem = nullptr;
    TTntEdit *edtContent = nullptr;
    TTntEdit *edtContentTnt = nullptr;
    TTntComboBox *cbxContentRW = nullptr;
    TByteLimitValidator *ContentRWLimit = nullptr;
    TTntComboBox *cbxContentRO = nullptr;
    QWidget *pnlMonth = nullptr;
    TTntComboBox *cbxFromYear = nullptr;
    TTntComboBox *cbxFromMonth = nullptr;
    TTntComboBox *cbxToYear = nullptr;
    TTntComboBox *cbxToMonth = nullptr;
    QLabel *lblCondition = nullptr;
    TTntComboBox *cbxCondition = nullptr;
    QCheckBox *chkNotCondition = nullptr;

    QWidget *pnlList = nullptr;
    QTreeWidget *lvCondition = nullptr;
    QPushButton *bbtnAdd = nullptr;
    QPushButton *bbtnUpdate = nullptr;
    QPushButton *bbtnDelete = nullptr;
    QPushButton *bbtnClear = nullptr;

    QWidget *pnlAndOr = nullptr;
    QRadioButton *rbAnd = nullptr;
    QRadioButton *rbOr = nullptr;

    QWidget *pnlButtons = nullptr;
    QPushButton *btnViewSwitch = nullptr;
    QPushButton *btnView = nullptr;
    QPushButton *btnClear = nullptr;
    QPushButton *btnCancel = nullptr;
};

namespace {

template <typename T> T *Named(T *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QPushButton *Button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = Named(new QPushButton(caption, parent), name);
    b->setAutoDefault(false);
    return b;
}

TTntComboBox *ListCombo(QWidget *parent, const char *name)
{
    auto *c = Named(new TTntComboBox(parent), name);
    c->SetStyle(TComboBoxStyle::csDropDownList);
    return c;
}

} // namespace

void TAddressSearch::Impl::Build()
{
    auto *root = new QVBoxLayout(q);
    root->setSizeConstraint(QLayout::SetFixedSize);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // Patterns.
    pnlPattern = Named(new QWidget(q), "pnlPattern");
    {
        auto *row = new QHBoxLayout(pnlPattern);
        row->addWidget(new QLabel(QStringLiteral("パターン名"), pnlPattern));
        cbxPattern = Named(new TTntComboBox(pnlPattern), "cbxPattern");
        cbxPattern->setValidator(new TByteLimitValidator(PatternNameBytes, cbxPattern));
        cbxPattern->setInsertPolicy(QComboBox::NoInsert);
        cbxPattern->setMinimumWidth(ScaleForDpi(200, true));
        row->addWidget(cbxPattern, 1);
        bbtnViewPattern = Button(pnlPattern, "bbtnViewPattern", QStringLiteral("表示"));
        bbtnSavePattern = Button(pnlPattern, "bbtnSavePattern", QStringLiteral("保存"));
        bbtnDeletePattern = Button(pnlPattern, "bbtnDeletePattern", QStringLiteral("削除"));
        row->addWidget(bbtnViewPattern);
        row->addWidget(bbtnSavePattern);
        row->addWidget(bbtnDeletePattern);
    }
    root->addWidget(pnlPattern);

    // Editing area.
    pnlEdit = Named(new QWidget(q), "pnlEdit");
    {
        auto *grid = new QHBoxLayout(pnlEdit);
        auto *itemBox = new QVBoxLayout;
        itemBox->addWidget(new QLabel(QStringLiteral("項目"), pnlEdit));
        cbxItem = ListCombo(pnlEdit, "cbxItem");
        itemBox->addWidget(cbxItem);
        grid->addLayout(itemBox);

        auto *contentBox = new QVBoxLayout;
        contentBox->addWidget(new QLabel(QStringLiteral("内容"), pnlEdit));
        auto *contentRow = new QHBoxLayout;
        edtContent = Named(new TTntEdit(pnlEdit), "edtContent");
        edtContentTnt = Named(new TTntEdit(pnlEdit), "edtContentTnt");
        cbxContentRW = Named(new TTntComboBox(pnlEdit), "cbxContentRW");
        cbxContentRW->setInsertPolicy(QComboBox::NoInsert);
        ContentRWLimit = new TByteLimitValidator(0, cbxContentRW);
        cbxContentRW->setValidator(ContentRWLimit);
        cbxContentRO = ListCombo(pnlEdit, "cbxContentRO");
        pnlMonth = Named(new QWidget(pnlEdit), "pnlMonth");
        auto *monthRow = new QHBoxLayout(pnlMonth);
        monthRow->setContentsMargins(0, 0, 0, 0);
        cbxFromYear = ListCombo(pnlMonth, "cbxFromYear");
        cbxFromMonth = ListCombo(pnlMonth, "cbxFromMonth");
        cbxToYear = ListCombo(pnlMonth, "cbxToYear");
        cbxToMonth = ListCombo(pnlMonth, "cbxToMonth");
        monthRow->addWidget(cbxFromYear);
        monthRow->addWidget(cbxFromMonth);
        monthRow->addWidget(new QLabel(QStringLiteral("～"), pnlMonth));
        monthRow->addWidget(cbxToYear);
        monthRow->addWidget(cbxToMonth);
        for (QWidget *w : {static_cast<QWidget *>(edtContent), static_cast<QWidget *>(edtContentTnt),
                           static_cast<QWidget *>(cbxContentRW), static_cast<QWidget *>(cbxContentRO), pnlMonth}) {
            w->setMinimumWidth(ScaleForDpi(260, true));
            contentRow->addWidget(w);
        }
        contentBox->addLayout(contentRow);
        grid->addLayout(contentBox, 1);

        auto *modeBox = new QVBoxLayout;
        lblCondition = Named(new QLabel(QStringLiteral("条件"), pnlEdit), "lblCondition");
        modeBox->addWidget(lblCondition);
        auto *modeRow = new QHBoxLayout;
        cbxCondition = ListCombo(pnlEdit, "cbxCondition");
        cbxCondition->addItems({QStringLiteral("前方一致"), QStringLiteral("あいまい"), QStringLiteral("後方一致")});
        cbxCondition->setCurrentIndex(0);
        chkNotCondition = Named(new QCheckBox(QStringLiteral("以外を検索"), pnlEdit), "chkNotCondition");
        modeRow->addWidget(cbxCondition);
        modeRow->addWidget(chkNotCondition);
        modeBox->addLayout(modeRow);
        grid->addLayout(modeBox);
    }
    root->addWidget(pnlEdit);

    // Conditions.
    pnlList = Named(new QWidget(q), "pnlList");
    {
        auto *row = new QHBoxLayout(pnlList);
        lvCondition = Named(new QTreeWidget(pnlList), "lvCondition");
        lvCondition->setColumnCount(3);
        lvCondition->setHeaderLabels({QStringLiteral("項目名"), QStringLiteral("内容"), QStringLiteral("条件")});
        lvCondition->setRootIsDecorated(false);
        lvCondition->setUniformRowHeights(true);
        lvCondition->setSelectionMode(QAbstractItemView::ExtendedSelection);
        lvCondition->setSelectionBehavior(QAbstractItemView::SelectRows);
        lvCondition->setEditTriggers(QAbstractItemView::NoEditTriggers);
        lvCondition->header()->setSectionsMovable(false);
        lvCondition->setColumnWidth(0, ScaleForDpi(110, true));
        lvCondition->setColumnWidth(1, ScaleForDpi(250, true));
        lvCondition->setColumnWidth(2, ScaleForDpi(80, true));
        lvCondition->setMinimumSize(ScaleForDpi(470, true), ScaleForDpi(180, true));
        row->addWidget(lvCondition, 1);
        auto *buttons = new QVBoxLayout;
        bbtnAdd = Button(pnlList, "bbtnAdd", QStringLiteral("追加"));
        bbtnUpdate = Button(pnlList, "bbtnUpdate", QStringLiteral("変更"));
        bbtnDelete = Button(pnlList, "bbtnDelete", QStringLiteral("削除"));
        bbtnClear = Button(pnlList, "bbtnClear", QStringLiteral("クリア"));
        for (QPushButton *b : {bbtnAdd, bbtnUpdate, bbtnDelete, bbtnClear})
            buttons->addWidget(b);
        buttons->addStretch(1);
        auto *note = new QLabel(QStringLiteral("※条件は１０件まで\n指定できます"), pnlList);
        buttons->addWidget(note);
        row->addLayout(buttons);
    }
    root->addWidget(pnlList);

    pnlAndOr = Named(new QWidget(q), "pnlAndOr");
    {
        auto *row = new QHBoxLayout(pnlAndOr);
        rbAnd = Named(new QRadioButton(QStringLiteral("すべて一致"), pnlAndOr), "rbAnd");
        rbOr = Named(new QRadioButton(QStringLiteral("いずれかが一致"), pnlAndOr), "rbOr");
        rbAnd->setChecked(true);
        row->addWidget(rbAnd);
        row->addWidget(rbOr);
        row->addStretch(1);
    }
    root->addWidget(pnlAndOr);

    pnlButtons = Named(new QWidget(q), "pnlButtons");
    {
        auto *row = new QHBoxLayout(pnlButtons);
        btnViewSwitch = Button(pnlButtons, "btnViewSwitch", QString());
        btnView = Button(pnlButtons, "btnView", QStringLiteral("絞り込む"));
        btnClear = Button(pnlButtons, "btnClear", QStringLiteral("絞り込みの解除"));
        btnCancel = Button(pnlButtons, "btnCancel", QStringLiteral("キャンセル"));
        row->addWidget(btnViewSwitch);
        row->addStretch(1);
        row->addWidget(btnView);
        row->addWidget(btnClear);
        row->addWidget(btnCancel);
    }
    root->addWidget(pnlButtons);

    // Month lists.
    for (TTntComboBox *year : {cbxFromYear, cbxToYear}) {
        for (int i = 0; i < YearCount; ++i)
            year->addItem(QStringLiteral("%1年").arg(FirstYear - i), FirstYear - i);
        year->setMaxVisibleItems(YearCount);
    }
    for (TTntComboBox *month : {cbxFromMonth, cbxToMonth}) {
        for (int m = 1; m <= 12; ++m)
            month->addItem(QStringLiteral("%1月").arg(m), m);
        month->setMaxVisibleItems(12);
    }

    FillItemCombo();

    // Signals.
    QObject::connect(cbxItem, &QComboBox::currentIndexChanged, q, [this](int index) {
        if (index != ShownItem)
            SetupEditingArea(index);
    });
    QObject::connect(bbtnAdd, &QPushButton::clicked, q, [this] { Add(); });
    QObject::connect(bbtnUpdate, &QPushButton::clicked, q, [this] { Update(); });
    QObject::connect(bbtnDelete, &QPushButton::clicked, q, [this] { Delete(); });
    QObject::connect(bbtnClear, &QPushButton::clicked, q, [this] { ClearList(); });
    QObject::connect(bbtnViewPattern, &QPushButton::clicked, q, [this] { ViewPattern(); });
    QObject::connect(bbtnSavePattern, &QPushButton::clicked, q, [this] { SavePattern(); });
    QObject::connect(bbtnDeletePattern, &QPushButton::clicked, q, [this] { DeletePattern(); });
    QObject::connect(lvCondition, &QTreeWidget::itemSelectionChanged, q, [this] { UpdateButtons(); });
    QObject::connect(lvCondition, &QTreeWidget::itemDoubleClicked, q, [this](QTreeWidgetItem *row, int) {
        const int index = lvCondition->indexOfTopLevelItem(row);
        if (index >= 0 && index < Working.size())
            LoadIntoEditingArea(Working[index]);
    });
    QObject::connect(rbAnd, &QRadioButton::toggled, q, [this] { UpdateColours(); });
    QObject::connect(chkNotCondition, &QCheckBox::toggled, q, [this] { UpdateColours(); });
    QObject::connect(btnView, &QPushButton::clicked, q, [this] {
        if (ViewType == 0) {
            Working.clear();
            TNarrowDownItem item;
            if (BuildCondition(item))
                Working.append(item);
            RefillList();
        }
        q->accept();
    });
    QObject::connect(btnClear, &QPushButton::clicked, q, [this] {
        Working.clear();
        RefillList();
        q->accept();
    });
    QObject::connect(btnCancel, &QPushButton::clicked, q, &QDialog::reject);
    QObject::connect(btnViewSwitch, &QPushButton::clicked, q, [this] {
        ViewType = ViewType == 0 ? 1 : 0;
        ApplyView();
    });

    auto *enter = new TEnterFilter(q, [this](QWidget *w) { return HandleEnter(w); });
    for (QWidget *w : q->findChildren<QWidget *>())
        if (w->focusPolicy() != Qt::NoFocus)
            w->installEventFilter(enter);

    UpdateColours();
}

void TAddressSearch::Impl::FillItemCombo()
{
    cbxItem->clear();
    for (int i = 0; i < int(WordFilterItems.size()); ++i)
        cbxItem->addItem(ItemCaption(i));
    cbxItem->setMaxVisibleItems(int(WordFilterItems.size()));
}

void TAddressSearch::Impl::ApplyView()
{
    const bool advanced = ViewType == 1;
    pnlPattern->setVisible(advanced);
    pnlList->setVisible(advanced);
    pnlAndOr->setVisible(advanced);
    q->setWindowTitle(advanced ? QStringLiteral("絞り込み - 高度な設定") : QStringLiteral("絞り込み"));
    q->setProperty("HelpContext", advanced ? 37 : 36);
    btnViewSwitch->setText(advanced ? QStringLiteral("通常の設定方法に戻す") : QStringLiteral("高度な設定方法に切り替える"));
    q->adjustSize();
    CenterFormOnOwner(q, q->parentWidget());
}

void TAddressSearch::Impl::SetupEditingArea(int item)
{
    ShownItem = item;
    if (item < 0 || item >= int(WordFilterItems.size()))
        return;
    const TWordFilterItem &info = WordFilterItems[size_t(item)];
    const int kind = info.InputKind;
    const bool name = IsNameItem(item);
    edtContent->setVisible(kind == ikText && !name);
    edtContentTnt->setVisible(kind == ikText && name);
    cbxContentRW->setVisible(kind == ikHistory);
    cbxContentRO->setVisible(kind == ikChoice);
    pnlMonth->setVisible(kind == ikMonth);
    cbxCondition->setVisible(kind == ikText || kind == ikHistory);
    lblCondition->setVisible(kind != ikMonth);
    chkNotCondition->setVisible(kind == ikChoice);

    const Qt::InputMethodHints hints = TypesHiragana(item) ? Qt::ImhNone : Qt::ImhPreferLatin;
    switch (kind) {
    case ikText:
        if (name) {
            // Names are typed as wide text; their limit counts UTF-16 units.
            edtContentTnt->clear();
            edtContentTnt->SetMaxLength(info.MaxLength > 0 ? info.MaxLength : 32767);
            edtContentTnt->setInputMethodHints(hints);
        } else {
            edtContent->clear();
            edtContent->SetMaxLengthBytes(info.MaxLength);
            edtContent->setInputMethodHints(hints);
        }
        break;
    case ikHistory: {
        cbxContentRW->clear();
        cbxContentRW->setEditText(QString());
        ContentRWLimit->SetMaxBytes(info.MaxLength);
        cbxContentRW->setInputMethodHints(hints);
        THistoryData *history = nullptr;
        if (DMMurven19 != nullptr) {
            if (item == 11)
                history = DMMurven19->DptmntHistory();
            else if (item == 12)
                history = DMMurven19->PostHistory();
            else if (item >= 27 && item <= 29)
                history = DMMurven19->KeywordHistory(item - 26);
        }
        if (history != nullptr)
            for (int i = 0; i < history->GetCount(); ++i)
                cbxContentRW->addItem(Cp932::decode(history->GetText(i)));
        cbxContentRW->setEditText(QString());
        break;
    }
    case ikChoice:
        cbxContentRO->clear();
        cbxContentRO->addItems(ChoiceList(item));
        cbxContentRO->setCurrentIndex(0);
        chkNotCondition->setChecked(false);
        break;
    case ikMonth:
        cbxFromYear->setCurrentIndex(YearCount - 1);
        cbxFromMonth->setCurrentIndex(0);
        cbxToYear->setCurrentIndex(0);
        cbxToMonth->setCurrentIndex(11);
        break;
    default:
        break;
    }
}

bool TAddressSearch::Impl::BuildCondition(TNarrowDownItem &item) const
{
    item = TNarrowDownItem{};
    item.Item = cbxItem->currentIndex();
    if (item.Item < 0 || item.Item >= int(WordFilterItems.size()))
        return false;
    const int kind = WordFilterItems[size_t(item.Item)].InputKind;
    switch (kind) {
    case ikText:
    case ikHistory:
        if (kind == ikHistory)
            item.Value = Cp932::encode(cbxContentRW->currentText());
        else if (IsNameItem(item.Item))
            item.Value = EncodeUnicodeField(edtContentTnt->text());
        else
            item.Value = Cp932::encode(edtContent->text());
        if (DropsHyphens(item.Item))
            item.Value.replace("-", "");
        item.Kind = 0;
        break;
    case ikChoice:
        item.Kind = 1;
        item.Value1 = cbxContentRO->currentIndex();
        break;
    case ikMonth:
        item.Kind = 11;
        item.Value1 = cbxFromYear->currentData().toInt() * 100 + cbxFromMonth->currentData().toInt();
        item.Value2 = cbxToYear->currentData().toInt() * 100 + cbxToMonth->currentData().toInt();
        if (item.Value2 < item.Value1)
            std::swap(item.Value1, item.Value2);
        break;
    default:
        return false;
    }
    const bool modeShown = kind == ikText || kind == ikHistory;
    if (!item.Value.isEmpty() && modeShown) {
        item.Match = cbxCondition->currentIndex();
        item.Negate = false;
    } else {
        item.Match = -1;
        item.Negate = kind == ikChoice && chkNotCondition->isChecked();
    }
    return !Working.contains(item);
}

void TAddressSearch::Impl::LoadIntoEditingArea(const TNarrowDownItem &item)
{
    if (item.Item < 0 || item.Item >= int(WordFilterItems.size()))
        return;
    cbxItem->setCurrentIndex(item.Item);
    if (ShownItem != item.Item)
        SetupEditingArea(item.Item);
    switch (WordFilterItems[size_t(item.Item)].InputKind) {
    case ikText:
        if (IsNameItem(item.Item))
            edtContentTnt->setText(DecodeUnicodeField(item.Value));
        else
            edtContent->setText(Cp932::decode(item.Value));
        break;
    case ikHistory:
        cbxContentRW->setEditText(Cp932::decode(item.Value));
        break;
    case ikChoice:
        cbxContentRO->setCurrentIndex(item.Value1);
        break;
    case ikMonth:
        cbxFromYear->setCurrentIndex(cbxFromYear->findData(item.Value1 / 100));
        cbxFromMonth->setCurrentIndex(cbxFromMonth->findData(item.Value1 % 100));
        cbxToYear->setCurrentIndex(cbxToYear->findData(item.Value2 / 100));
        cbxToMonth->setCurrentIndex(cbxToMonth->findData(item.Value2 % 100));
        break;
    default:
        break;
    }
    cbxCondition->setCurrentIndex(item.Match >= 0 && item.Match <= 2 ? item.Match : 0);
    chkNotCondition->setChecked(item.Negate);
}

QStringList TAddressSearch::Impl::RowTexts(const TNarrowDownItem &item) const
{
    QString content;
    if (item.Kind == 0) {
        content = IsNameItem(item.Item) ? DecodeUnicodeField(item.Value) : Cp932::decode(item.Value);
        if (content.isEmpty())
            content = QStringLiteral("＜空白＞");
    } else if (item.Kind == 1) {
        content = ChoiceList(item.Item).value(item.Value1);
    } else if (item.Kind == 11) {
        content = QString::asprintf("%.4d年%.2d月～%.4d年%.2d月", item.Value1 / 100, item.Value1 % 100,
                                    item.Value2 / 100, item.Value2 % 100);
    }
    QString mode;
    if (item.Match >= 0 && item.Match <= 2)
        mode = cbxCondition->itemText(item.Match);
    else if (item.Negate)
        mode = QStringLiteral("以外");
    return {ItemCaption(item.Item), content, mode};
}

void TAddressSearch::Impl::RefillList()
{
    lvCondition->clear();
    for (const TNarrowDownItem &item : Working)
        lvCondition->addTopLevelItem(new QTreeWidgetItem(RowTexts(item)));
    UpdateButtons();
}

QList<int> TAddressSearch::Impl::SelectedRows() const
{
    QList<int> rows;
    for (int i = 0; i < lvCondition->topLevelItemCount(); ++i)
        if (lvCondition->topLevelItem(i)->isSelected())
            rows.append(i);
    return rows;
}

void TAddressSearch::Impl::SelectOnly(int row)
{
    lvCondition->clearSelection();
    QTreeWidgetItem *item = lvCondition->topLevelItem(row);
    if (item == nullptr)
        return;
    lvCondition->setCurrentItem(item);
    item->setSelected(true);
    lvCondition->scrollToItem(item);
    lvCondition->setFocus();
}

void TAddressSearch::Impl::UpdateButtons()
{
    const int count = int(Working.size());
    const int selected = int(SelectedRows().size());
    bbtnSavePattern->setEnabled(count > 0);
    bbtnAdd->setEnabled(count < MaxNarrowDownItems);
    bbtnUpdate->setEnabled(selected == 1);
    bbtnDelete->setEnabled(selected > 0);
    bbtnClear->setEnabled(count > 0);
}

void TAddressSearch::Impl::UpdateColours()
{
    for (QAbstractButton *button :
         {static_cast<QAbstractButton *>(rbAnd), static_cast<QAbstractButton *>(rbOr),
          static_cast<QAbstractButton *>(chkNotCondition)})
        PaintCheckedCaption(button);
}

void TAddressSearch::Impl::Add()
{
    if (Working.size() >= MaxNarrowDownItems)
        return;
    TNarrowDownItem item;
    if (!BuildCondition(item))
        return;
    Working.append(item);
    lvCondition->addTopLevelItem(new QTreeWidgetItem(RowTexts(item)));
    SelectOnly(int(Working.size()) - 1);
    UpdateButtons();
}

void TAddressSearch::Impl::Update()
{
    if (Working.isEmpty()) {
        cbxItem->setFocus();
        return;
    }
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty()) {
        lvCondition->setFocus();
        return;
    }
    if (rows.size() != 1)
        return;
    TNarrowDownItem item;
    if (!BuildCondition(item))
        return;
    const int row = rows.first();
    Working[row] = item;
    const QStringList texts = RowTexts(item);
    QTreeWidgetItem *line = lvCondition->topLevelItem(row);
    for (int c = 0; c < texts.size(); ++c)
        line->setText(c, texts[c]);
    UpdateButtons();
}

void TAddressSearch::Impl::Delete()
{
    const QList<int> rows = SelectedRows();
    if (!rows.isEmpty()) {
        for (int i = int(rows.size()) - 1; i >= 0; --i) {
            Working.removeAt(rows[i]);
            delete lvCondition->takeTopLevelItem(rows[i]);
        }
        SelectOnly(std::min(rows.first(), int(Working.size()) - 1));
    }
    if (Working.isEmpty())
        cbxItem->setFocus();
    UpdateButtons();
}

void TAddressSearch::Impl::ClearList()
{
    Working.clear();
    RefillList();
}

QByteArray TAddressSearch::Impl::PatternName() const
{
    // Blanks are the characters up to the space; a full-width space is kept.
    const QString text = cbxPattern->currentText();
    QStringView name(text);
    while (!name.isEmpty() && name.front().unicode() <= 0x20)
        name = name.sliced(1);
    while (!name.isEmpty() && name.back().unicode() <= 0x20)
        name.chop(1);
    return Cp932::encode(name);
}

int TAddressSearch::Impl::PatternIndex(const QByteArray &name) const
{
    for (int i = 0; i < Patterns.size(); ++i)
        if (Patterns[i].Name == name)
            return i;
    return -1;
}

void TAddressSearch::Impl::ViewPattern()
{
    const QByteArray name = PatternName();
    if (name.isEmpty()) {
        Message(QStringLiteral("表示したいパターン名を入力してください  "), MB_ICONINFORMATION);
        cbxPattern->setFocus();
        return;
    }
    const int index = PatternIndex(name);
    if (index < 0) {
        Message(QStringLiteral("指定したパターン名は保存されていません  "), MB_ICONINFORMATION);
        return;
    }
    cbxPattern->setCurrentIndex(index);
    q->SetCondition(Patterns[index].Condition);
}

void TAddressSearch::Impl::SavePattern()
{
    const QByteArray name = PatternName();
    if (name.isEmpty()) {
        Message(QStringLiteral("保存するにはパターン名を入力してください  "), MB_ICONINFORMATION);
        cbxPattern->setFocus();
        return;
    }
    TNarrowDownCondition condition;
    q->GetCondition(condition);
    const int index = PatternIndex(name);
    if (index >= 0) {
        Patterns[index].Condition = condition;
    } else {
        // Search.ptn counts its patterns in one byte.
        if (Patterns.size() >= MaxSearchPatterns) {
            Message(QStringLiteral("パターンは%1件まで保存できます  ").arg(MaxSearchPatterns), MB_ICONINFORMATION);
            cbxPattern->setFocus();
            return;
        }
        Patterns.append({name, condition});
    }
    WritePatterns();
    RefillPatternCombo();
}

void TAddressSearch::Impl::DeletePattern()
{
    const QByteArray name = PatternName();
    if (name.isEmpty()) {
        Message(QStringLiteral("削除したいパターン名を入力してください  "), MB_ICONINFORMATION);
        return;
    }
    if (Message(QStringLiteral("選択しているパターンを削除します  \r\nよろしいですか？  "),
                MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const int index = PatternIndex(name);
    if (index < 0)
        return;
    Patterns.removeAt(index);
    WritePatterns();
    RefillPatternCombo();
    cbxPattern->setFocus();
}

void TAddressSearch::Impl::WritePatterns()
{
    QString error;
    // Another program with the same data folder may have saved patterns
    // since the dialog read them: they stay, and the dialog lists them too.
    QList<TSearchPattern> saved;
    if (SaveSearchPatternChanges(DataPath + PatternFileName, SavedPatterns, Patterns, saved, &error)) {
        Patterns = saved;
        SavedPatterns = std::move(saved);
    } else {
        Message(QStringLiteral("パターンが保存できませんでした  ") +
                    (error.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + error),
                MB_ICONERROR);
    }
}

void TAddressSearch::Impl::RefillPatternCombo()
{
    const QString kept = cbxPattern->currentText();
    cbxPattern->blockSignals(true);
    cbxPattern->clear();
    for (const TSearchPattern &pattern : Patterns)
        cbxPattern->addItem(Cp932::decode(pattern.Name));
    const int index = cbxPattern->findText(kept, Qt::MatchExactly | Qt::MatchCaseSensitive);
    cbxPattern->setCurrentIndex(index);
    if (index < 0)
        cbxPattern->setEditText(kept);
    cbxPattern->blockSignals(false);
    bbtnViewPattern->setEnabled(!Patterns.isEmpty());
    bbtnDeletePattern->setEnabled(!Patterns.isEmpty());
}

void TAddressSearch::Impl::FocusNext(QWidget *from)
{
    QWidget *next = from->nextInFocusChain();
    while (next != from) {
        const bool canFocus = next->isVisibleTo(q) && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus) &&
                              next->focusProxy() == nullptr && !from->isAncestorOf(next);
        if (canFocus)
            break;
        next = next->nextInFocusChain();
    }
    next->setFocus(Qt::TabFocusReason);
}

bool TAddressSearch::Impl::HandleEnter(QWidget *w)
{
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        button->click();
        return true;
    }
    if (w == cbxPattern) {
        cbxItem->setFocus();
        return true;
    }
    if (w == rbAnd || w == rbOr) {
        btnView->setFocus();
        return true;
    }
    if (w == lvCondition) {
        (rbAnd->isChecked() ? rbAnd : rbOr)->setFocus();
        return true;
    }
    if ((w == cbxCondition || w == chkNotCondition) && ViewType == 0) {
        btnView->setFocus();
        return true;
    }
    if (w == cbxItem || w == edtContent || w == edtContentTnt || w == cbxContentRW || w == cbxContentRO ||
        pnlMonth->isAncestorOf(w) || w == cbxCondition || w == chkNotCondition) {
        FocusNext(w);
        return true;
    }
    return false;
}

TAddressSearch::TAddressSearch(QWidget *Owner) : QDialog(Owner), d(std::make_unique<Impl>(this))
{
    setObjectName(QStringLiteral("AddressSearch"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    d->Build();
    const TMemIniFile ini(SettingsFileName());
    d->ViewType = ini.ReadInteger(IniSection, IniViewType, 0) == 1 ? 1 : 0;
    d->Patterns = ReadSearchPatterns(DataPath + PatternFileName);
    d->SavedPatterns = d->Patterns;
    d->RefillPatternCombo();
    d->cbxItem->setCurrentIndex(0);
    if (d->ShownItem != 0)
        d->SetupEditingArea(0);
    d->UpdateButtons();
    d->ApplyView();
}

TAddressSearch::~TAddressSearch()
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(IniSection, IniViewType, d->ViewType);
    // The view type is a convenience; losing it is named once a run.
    ini.UpdateFileOrTellOnce();
}

void TAddressSearch::SetCondition(const TNarrowDownCondition &Condition)
{
    d->Working = Condition.Items;
    d->RefillList();
    (Condition.MatchAll ? d->rbAnd : d->rbOr)->setChecked(true);
    d->UpdateButtons();
    if (!d->Working.isEmpty())
        d->LoadIntoEditingArea(d->Working.first());
    d->btnClear->setEnabled(!d->Working.isEmpty());
}

void TAddressSearch::GetCondition(TNarrowDownCondition &Condition) const
{
    Condition.Items = d->Working;
    Condition.MatchAll = d->rbAnd->isChecked();
}
