#include "addressbook/InputList.h"

#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/HisInfo.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/EnterKey.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

QPushButton *makeButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

// The list box row keeps the entry's CP932 bytes, so an entry that does not
// survive a round trip through wide text is written back unchanged.
constexpr int BytesRole = Qt::UserRole;

} // namespace

TInputList::TInputList(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("InputList"));
    setWindowTitle(QStringLiteral("入力リストの編集"));
    setProperty("HelpContext", 19); // shares its manual page with the copy items

    tabctlInputList = new QTabBar(this);
    tabctlInputList->setObjectName(QStringLiteral("tabctlInputList"));
    tabctlInputList->setExpanding(false);
    for (const QString &caption : {QStringLiteral(" 部署 "), QStringLiteral(" 役職 "), QStringLiteral(" 敬称 ")})
        tabctlInputList->addTab(caption);
    for (std::size_t keyword = 6; keyword <= 8; ++keyword)
        tabctlInputList->addTab(QLatin1Char(' ') + KeywordNames[keyword] + QLatin1Char(' '));
    tabctlInputList->installEventFilter(this);

    edtName = new TTntEdit(this);
    edtName->setObjectName(QStringLiteral("edtName"));
    edtName->SetMaxLengthBytes(MaxLengths[0]);
    edtName->installEventFilter(this);

    lbxList = new QListWidget(this);
    lbxList->setObjectName(QStringLiteral("lbxList"));
    lbxList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbxList->installEventFilter(this);
    connect(lbxList, &QListWidget::itemSelectionChanged, this, &TInputList::UpdateButtons);
    connect(lbxList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        edtName->SetText(item->text());
        FocusName();
    });

    bbtnAdd = makeButton(QStringLiteral("追加"), QStringLiteral("bbtnAdd"), this);
    bbtnUpdate = makeButton(QStringLiteral("変更"), QStringLiteral("bbtnUpdate"), this);
    bbtnDelete = makeButton(QStringLiteral("削除"), QStringLiteral("bbtnDelete"), this);
    bbtnUp = makeButton(QStringLiteral("上"), QStringLiteral("bbtnUp"), this);
    bbtnDown = makeButton(QStringLiteral("下"), QStringLiteral("bbtnDown"), this);
    btnOk = makeButton(QStringLiteral("OK"), QStringLiteral("btnOk"), this);
    btnCancel = makeButton(QStringLiteral("キャンセル"), QStringLiteral("btnCancel"), this);
    for (QPushButton *b : {bbtnAdd, bbtnUpdate, bbtnDelete, bbtnUp, bbtnDown})
        b->setAutoDefault(false);
    connect(bbtnAdd, &QPushButton::clicked, this, &TInputList::bbtnAddClick);
    connect(bbtnUpdate, &QPushButton::clicked, this, &TInputList::bbtnUpdateClick);
    connect(bbtnDelete, &QPushButton::clicked, this, &TInputList::bbtnDeleteClick);
    connect(bbtnUp, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(bbtnDown, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    connect(btnOk, &QPushButton::clicked, this, &TInputList::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TInputList::reject);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(edtName, 1);
    for (QPushButton *b : {bbtnAdd, bbtnUpdate, bbtnDelete})
        nameRow->addWidget(b);
    auto *side = new QVBoxLayout;
    side->addWidget(bbtnUp);
    side->addWidget(bbtnDown);
    side->addStretch();
    auto *body = new QHBoxLayout;
    body->addWidget(lbxList, 1);
    body->addLayout(side);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabctlInputList);
    layout->addLayout(nameRow);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    resize(ScaleForDpi(420, true), ScaleForDpi(380, true));

    LoadList(m_kind);
    UpdateButtons();
    connect(tabctlInputList, &QTabBar::currentChanged, this, &TInputList::TabChanged);
    // Return on 追加, 変更 or 削除 does that, never OK behind it.
    PressFocusedButtonOnEnter(this);
}

TInputList::~TInputList() = default;

void TInputList::SetListKind(int Kind)
{
    if (Kind < 0 || Kind >= KindCount)
        return;
    tabctlInputList->setCurrentIndex(Kind);
    edtName->SetMaxLengthBytes(MaxLengths[static_cast<std::size_t>(Kind)]);
}

quint8 TInputList::GetChangedLists() const
{
    quint8 mask = 0;
    for (int kind = 0; kind < KindCount; ++kind) {
        if (m_kinds[static_cast<std::size_t>(kind)].Changed)
            mask |= static_cast<quint8>(1U << kind);
    }
    return mask;
}

THistoryData *TInputList::History(int kind) const
{
    if (!DMMurven19)
        return nullptr;
    switch (kind) {
    case lkDepartment:
        return DMMurven19->DptmntHistory();
    case lkPost:
        return DMMurven19->PostHistory();
    case lkHonorific:
        return DMMurven19->HonorHistory();
    default:
        return DMMurven19->KeywordHistory(kind - lkKeyword6 + 1);
    }
}

QList<QByteArray> TInputList::ListEntries() const
{
    QList<QByteArray> entries;
    entries.reserve(lbxList->count());
    for (int row = 0; row < lbxList->count(); ++row)
        entries.append(lbxList->item(row)->data(BytesRole).toByteArray());
    return entries;
}

QList<int> TInputList::SelectedRows() const
{
    QList<int> rows;
    for (int row = 0; row < lbxList->count(); ++row) {
        if (lbxList->item(row)->isSelected())
            rows.append(row);
    }
    return rows;
}

QByteArray TInputList::NameBytes() const { return Cp932::encode(TrimBlanks(edtName->GetText())); }

bool TInputList::AnyChanged() const { return GetChangedLists() != 0; }

void TInputList::SetEntries(const QList<QByteArray> &entries, const QList<int> &selected)
{
    lbxList->clear();
    for (const QByteArray &entry : entries) {
        auto *item = new QListWidgetItem(Cp932::decode(entry));
        item->setData(BytesRole, entry);
        lbxList->addItem(item);
    }
    int current = -1;
    for (int row : selected) {
        if (row < 0 || row >= lbxList->count())
            continue;
        lbxList->item(row)->setSelected(true);
        if (current < 0)
            current = row;
    }
    if (current >= 0)
        lbxList->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    UpdateButtons();
}

void TInputList::LoadList(int kind)
{
    const TKindState &state = m_kinds[static_cast<std::size_t>(kind)];
    if (state.Items) {
        SetEntries(*state.Items, state.Selected);
        return;
    }
    QList<QByteArray> entries;
    if (THistoryData *history = History(kind)) {
        for (int i = 0; i < history->GetCount(); ++i)
            entries.append(history->GetText(i));
    }
    SetEntries(entries, state.Selected);
}

void TInputList::StoreKind(int kind)
{
    TKindState &state = m_kinds[static_cast<std::size_t>(kind)];
    state.NameText = edtName->GetText();
    state.Items = ListEntries();
    state.Selected = SelectedRows();
}

void TInputList::TabChanged(int index)
{
    if (index < 0 || index >= KindCount || index == m_kind)
        return;
    StoreKind(m_kind);
    m_kind = index;
    const TKindState &state = m_kinds[static_cast<std::size_t>(index)];
    edtName->SetMaxLengthBytes(MaxLengths[static_cast<std::size_t>(index)]);
    edtName->SetText(state.NameText);
    LoadList(index);
    FocusName();
}

void TInputList::MarkChanged()
{
    TKindState &state = m_kinds[static_cast<std::size_t>(m_kind)];
    state.Changed = true;
    state.Saved = false;
}

void TInputList::UpdateButtons()
{
    const QList<int> selected = SelectedRows();
    bbtnUp->setEnabled(!selected.isEmpty() && !selected.contains(0));
    bbtnDown->setEnabled(!selected.isEmpty() && !selected.contains(lbxList->count() - 1));
}

void TInputList::FocusName()
{
    edtName->setFocus();
    edtName->end(false);
}

void TInputList::ShowInfo(const QString &text)
{
    ShowMessageBoxAt(this, text, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
}

void TInputList::bbtnAddClick()
{
    const QByteArray name = NameBytes();
    if (name.isEmpty()) {
        ShowInfo(QStringLiteral("名称を入力してください  "));
        FocusName();
        return;
    }
    QList<QByteArray> entries = ListEntries();
    if (entries.contains(name)) {
        ShowInfo(QStringLiteral("既に同じ名称が登録されています  "));
        FocusName();
        return;
    }
    entries.prepend(name);
    SetEntries(entries, {0});
    MarkChanged();
    edtName->SetText(QString());
    FocusName();
}

void TInputList::bbtnUpdateClick()
{
    const QByteArray name = NameBytes();
    if (name.isEmpty()) {
        ShowInfo(QStringLiteral("名称を入力してください  "));
        FocusName();
        return;
    }
    const QList<int> selected = SelectedRows();
    if (selected.size() != 1) {
        ShowInfo(selected.isEmpty() ? QStringLiteral("変更するデータを選択してください  ")
                                    : QStringLiteral("変更するデータを１件だけ選択してください  "));
        lbxList->setFocus();
        return;
    }
    QList<QByteArray> entries = ListEntries();
    // The selected entry may keep its own text; only the others must differ.
    for (int row = 0; row < entries.size(); ++row) {
        if (row != selected.first() && entries[row] == name) {
            ShowInfo(QStringLiteral("既に同じ名称が登録されています  "));
            FocusName();
            return;
        }
    }
    entries[selected.first()] = name;
    SetEntries(entries, selected);
    MarkChanged();
    edtName->SetText(QString());
    FocusName();
}

void TInputList::bbtnDeleteClick()
{
    const QList<int> selected = SelectedRows();
    if (selected.isEmpty())
        return;
    QList<QByteArray> entries = ListEntries();
    for (auto it = selected.crbegin(); it != selected.crend(); ++it)
        entries.removeAt(*it);
    SetEntries(entries, {});
    MarkChanged();
    FocusName();
}

// A block of selected entries moves one place up (step -1) or down (+1);
// nothing moves when a selected entry already sits at that end.
void TInputList::MoveSelected(int step)
{
    QList<QByteArray> entries = ListEntries();
    const int count = static_cast<int>(entries.size());
    QList<bool> marked(count, false);
    for (int row : SelectedRows())
        marked[row] = true;
    const int edge = step < 0 ? 0 : count - 1;
    if (count == 0 || !marked.contains(true) || marked[edge])
        return;
    const int first = step < 0 ? 1 : count - 2;
    for (int row = first; row >= 0 && row < count; row -= step) {
        if (marked[row]) {
            entries.swapItemsAt(row, row + step);
            marked.swapItemsAt(row, row + step);
        }
    }
    QList<int> selected;
    for (int row = 0; row < count; ++row) {
        if (marked[row])
            selected.append(row);
    }
    SetEntries(entries, selected);
    MarkChanged();
}

void TInputList::accept()
{
    QStringList failures;
    {
        TWaitCursor wait;
        StoreKind(m_kind);
        for (int kind = 0; kind < KindCount; ++kind) {
            TKindState &state = m_kinds[static_cast<std::size_t>(kind)];
            THistoryData *history = History(kind);
            if (!state.Changed || state.Saved || !state.Items || !history)
                continue;
            // Time stamps count down from the list's length, so the newest
            // entry is the first one shown. An entry the history held keeps
            // its time: the save then takes it as left unchanged here, and
            // one another program deleted meanwhile stays deleted.
            std::vector<std::pair<QByteArray, double>> held;
            for (int i = 0; i < history->GetCount(); ++i)
                held.emplace_back(history->GetText(i), history->GetWhen(i));
            history->Clear();
            const auto count = state.Items->size();
            for (qsizetype i = 0; i < count; ++i) {
                const QByteArray &text = state.Items->at(i);
                const auto was = std::find_if(held.begin(), held.end(), [&](const auto &h) { return h.first == text; });
                history->Add(text, was != held.end() ? was->second : static_cast<double>(count - i));
            }
            try {
                state.Saved = history->Save();
                if (!state.Saved)
                    failures << history->FileName();
            } catch (const Exception &e) {
                failures << e.Message();
            }
        }
    }
    if (!failures.isEmpty()) {
        ShowMessageBoxAt(this, failures.join(QStringLiteral("\r\n")), ProductCaption(), MB_ICONERROR,
                         mbpCenterOnOwner, 0, 0);
        return;
    }
    QDialog::accept();
}

void TInputList::reject()
{
    QStringList lines;
    for (int kind = 0; kind < KindCount; ++kind) {
        const TKindState &state = m_kinds[static_cast<std::size_t>(kind)];
        if (state.Changed && !state.Saved)
            lines << tabctlInputList->tabText(kind) + QStringLiteral("  ");
    }
    if (!lines.isEmpty()) {
        lines << QStringLiteral("以上のリストが変更されています  ")
              << QStringLiteral("このままキャンセルすると変更内容が破棄されますが  ") << QStringLiteral("よろしいですか？  ");
        if (ShowMessageBoxAt(this, lines.join(QStringLiteral("\r\n")), ProductCaption(),
                             MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner, 0, 0)
            != IDYES)
            return;
    }
    QDialog::reject();
}

void TInputList::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterFormOnOwner(this, parentWidget());
    FocusName();
}

bool TInputList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtName && IsEnterKeyPress(event)) {
        if (!edtName->GetText().isEmpty())
            bbtnAddClick();
        else if (AnyChanged())
            btnOk->setFocus();
        else
            btnCancel->setFocus();
        return true;
    }
    if (watched == lbxList && IsEnterKeyPress(event)) {
        FocusName();
        return true;
    }
    if (watched == tabctlInputList && event->type() == QEvent::Wheel) {
        // Wheel down steps to the next tab, up to the previous one, wrapping
        // at either end; the bar's own non-wrapping wheel step never runs.
        const auto *wheel = static_cast<QWheelEvent *>(event);
        const int delta = wheel->angleDelta().y();
        if (tabctlInputList->tabAt(wheel->position().toPoint()) >= 0 && delta != 0) {
            const int next = (tabctlInputList->currentIndex() + (delta < 0 ? 1 : KindCount - 1)) % KindCount;
            tabctlInputList->setCurrentIndex(next);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
