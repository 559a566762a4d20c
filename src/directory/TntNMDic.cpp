#include "directory/TntNMDic.h"

#include "core/Env.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/TntNMDEdit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/Cp932.h"

namespace {

constexpr quint32 VK_RETURN = 13, VK_PRIOR = 33, VK_NEXT = 34, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40;
constexpr int kNamesPerRow = 5;

// The light grey lines along each cell's right and bottom edge.
class TCellLines : public QStyledItemDelegate
{
public:
    TCellLines(const bool &Empty, QObject *parent) : QStyledItemDelegate(parent), m_empty(Empty) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (m_empty)
            return;
        painter->save();
        painter->setPen(QColor(192, 192, 192));
        const QRect r = option.rect.adjusted(0, 0, -1, -1);
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->restore();
    }

private:
    const bool &m_empty;
};

} // namespace

TTntNameDic::TTntNameDic(QWidget *Owner) : QWidget(Owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("TntNameDic"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    resize(421, 191);
    m_dllFolder = AppPath;
    m_dicFolder = AppPath;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 4);
    sgNameList = new QTableWidget(11, 6, this);
    sgNameList->setObjectName(QStringLiteral("sgNameList"));
    sgNameList->setFocusPolicy(Qt::NoFocus);
    sgNameList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgNameList->setSelectionMode(QAbstractItemView::NoSelection);
    sgNameList->horizontalHeader()->hide();
    sgNameList->verticalHeader()->hide();
    sgNameList->setShowGrid(false);
    sgNameList->setItemDelegate(new TCellLines(Empty, sgNameList));
    sgNameList->viewport()->installEventFilter(this);
    sgNameList->setAttribute(Qt::WA_InputMethodEnabled, false);
    layout->addWidget(sgNameList, 1);

    auto *row = new QHBoxLayout;
    lblItem = new QLabel(QStringLiteral("姓名辞書の種類："), this);
    lblItem->setObjectName(QStringLiteral("lblItem"));
    QFont bold = lblItem->font();
    bold.setBold(true);
    lblItem->setFont(bold);
    rbLineage = new QRadioButton(QStringLiteral("姓"), this);
    rbLineage->setObjectName(QStringLiteral("rbLineage"));
    rbFirst = new QRadioButton(QStringLiteral("名"), this);
    rbFirst->setObjectName(QStringLiteral("rbFirst"));
    for (QRadioButton *b : {rbLineage, rbFirst}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->installEventFilter(this);
    }
    auto *group = new QButtonGroup(this);
    group->addButton(rbLineage);
    group->addButton(rbFirst);
    sbtnClose = new QToolButton(this);
    sbtnClose->setObjectName(QStringLiteral("sbtnClose"));
    sbtnClose->setText(QStringLiteral("×"));
    sbtnClose->setFocusPolicy(Qt::NoFocus);
    connect(sbtnClose, &QToolButton::clicked, this, &QWidget::close);
    row->addWidget(lblItem);
    row->addWidget(rbLineage);
    row->addWidget(rbFirst);
    row->addStretch();
    row->addWidget(sbtnClose);
    layout->addLayout(row);

    tmrActive = new QTimer(this);
    tmrActive->setObjectName(QStringLiteral("tmrActive"));
    tmrActive->setInterval(100);
    connect(tmrActive, &QTimer::timeout, this, &TTntNameDic::checkActive);
}

TTntNameDic::~TTntNameDic() = default;

void TTntNameDic::SetFolders(const QString &DllFolder, const QString &DicFolder)
{
    m_dllFolder = DllFolder;
    m_dicFolder = DicFolder;
}

void TTntNameDic::Initialize()
{
    (void)m_library.Load(m_dllFolder);
    sgNameList->horizontalHeader()->setDefaultSectionSize(ScaleForDpi(64, true));
    sgNameList->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    m_row = -1;
    m_column = 1;
    rbLineage->setChecked(true);
    Kind = TNameDicKind::nkLineage;
    paintKindCaptions();
    CurrentColumn = 1;
    Empty = false;
    tmrActive->start();
}

int TTntNameDic::CountCandidates(const QByteArray &ForReading, bool GivenName) const
{
    return m_library.Count(ForReading, GivenName, m_dicFolder);
}

void TTntNameDic::SetNameKind(TNameDicKind NewKind)
{
    if (NewKind == Kind)
        return;
    Kind = NewKind;
    (Kind == TNameDicKind::nkLineage ? rbLineage : rbFirst)->setChecked(true);
    paintKindCaptions();
}

bool TTntNameDic::FillCandidates(int Count)
{
    std::vector<TNameCandidate> candidates;
    if (m_library.List(Reading, Kind == TNameDicKind::nkFirst, Count, m_dicFolder, candidates) != 0) {
        close();
        return false;
    }
    sgNameList->clearContents();
    int row = -1;
    int column = 0;
    int widest = 0;
    QByteArray previous;
    std::vector<std::vector<QString>> cells;
    for (const TNameCandidate &c : candidates) {
        if (row < 0 || c.Reading != previous) {
            cells.emplace_back(kNamesPerRow + 1);
            ++row;
            cells.back()[0] = Cp932::decode(c.Reading);
            previous = c.Reading;
            column = 1;
        } else if (column > kNamesPerRow) {
            cells.emplace_back(kNamesPerRow + 1);
            ++row;
            column = 1;
        }
        cells.back()[static_cast<std::size_t>(column)] = Cp932::decode(c.Kanji);
        widest = std::max(widest, column);
        ++column;
    }
    sgNameList->setRowCount(row + 1);
    sgNameList->setColumnCount(widest + 1);
    for (int r = 0; r <= row; ++r) {
        for (int col = 0; col <= widest; ++col) {
            auto *item = new QTableWidgetItem(cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)]);
            if (col == 0)
                item->setBackground(palette().color(QPalette::Button));
            sgNameList->setItem(r, col, item);
        }
    }
    select(1, -1);
    sgNameList->scrollToTop();
    Empty = false;
    return true;
}

QString TTntNameDic::cell(int Column, int Row) const
{
    if (Row < 0 || Row >= sgNameList->rowCount() || Column < 0 || Column >= sgNameList->columnCount())
        return {};
    const QTableWidgetItem *item = sgNameList->item(Row, Column);
    return item ? item->text() : QString();
}

void TTntNameDic::select(int Column, int Row)
{
    m_column = Column;
    m_row = Row;
    for (int r = 0; r < sgNameList->rowCount(); ++r) {
        for (int c = 1; c < sgNameList->columnCount(); ++c) {
            if (QTableWidgetItem *item = sgNameList->item(r, c))
                item->setBackground(r == Row && c == Column ? palette().color(QPalette::Highlight) : QBrush());
            if (QTableWidgetItem *item = sgNameList->item(r, c))
                item->setForeground(r == Row && c == Column ? palette().color(QPalette::HighlightedText) : QBrush());
        }
    }
    if (Row >= 0)
        sgNameList->scrollToItem(sgNameList->item(Row, 0));
    sgNameList->viewport()->update();
}

int TTntNameDic::visibleRows() const
{
    const int height = sgNameList->verticalHeader()->defaultSectionSize();
    return std::max(1, sgNameList->viewport()->height() / std::max(1, height));
}

void TTntNameDic::moveToRow(int Row)
{
    int column = CurrentColumn;
    while (column > 1 && cell(column, Row).isEmpty())
        --column;
    select(column, Row);
}

void TTntNameDic::choose()
{
    const QString kanji = cell(m_column, m_row);
    if (m_row < 0 || m_column < 1 || kanji.isEmpty())
        return;
    ChosenName = Cp932::encode(kanji);
    for (int r = m_row; r >= 0; --r) {
        if (!cell(0, r).isEmpty()) {
            Reading = Cp932::encode(cell(0, r));
            break;
        }
    }
    QMetaObject::invokeMethod(this, &TTntNameDic::NameChosen, Qt::QueuedConnection);
}

bool TTntNameDic::ConvertKeyDown(quint32 Key)
{
    const int last = sgNameList->rowCount() - 1;
    if (m_row < 0) {
        if ((Key == VK_DOWN || Key == VK_NEXT) && last >= 0) {
            CurrentColumn = 1;
            select(1, 0);
            return true;
        }
        return false;
    }
    switch (Key) {
    case VK_RETURN:
        choose();
        break;
    case VK_LEFT:
        if (m_column > 1) {
            CurrentColumn = m_column - 1;
            select(CurrentColumn, m_row);
        }
        break;
    case VK_RIGHT:
        if (m_column + 1 < sgNameList->columnCount() && !cell(m_column + 1, m_row).isEmpty()) {
            CurrentColumn = m_column + 1;
            select(CurrentColumn, m_row);
        }
        break;
    case VK_UP:
    case VK_PRIOR:
        if (m_row == 0) {
            CurrentColumn = 1;
            select(1, -1);
        } else {
            moveToRow(Key == VK_UP ? m_row - 1 : std::max(0, m_row - visibleRows()));
        }
        break;
    case VK_DOWN:
    case VK_NEXT:
        if (m_row < last)
            moveToRow(Key == VK_DOWN ? m_row + 1 : std::min(last, m_row + visibleRows()));
        break;
    default:
        break;
    }
    sgNameList->viewport()->update();
    return true;
}

void TTntNameDic::kindClicked(TNameDicKind Clicked)
{
    if (Clicked == Kind)
        return;
    const TWaitCursor wait;
    SetNameKind(Clicked);
    const int count = CountCandidates(Reading, Kind == TNameDicKind::nkFirst);
    if (count > 0) {
        (void)FillCandidates(count);
        return;
    }
    Empty = true;
    sgNameList->clearContents();
    sgNameList->setRowCount(0);
    sgNameList->setColumnCount(0);
    m_row = -1;
    m_column = 1;
}

void TTntNameDic::paintKindCaptions()
{
    for (QRadioButton *b : {rbLineage, rbFirst}) {
        QPalette p = b->palette();
        p.setColor(QPalette::WindowText, b->isChecked() ? HighlightColor : QApplication::palette().color(QPalette::WindowText));
        b->setPalette(p);
    }
}

bool TTntNameDic::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == sgNameList->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton)
                return true;
            const QModelIndex index = sgNameList->indexAt(mouse->position().toPoint());
            if (index.isValid() && index.column() >= 1 && !cell(index.column(), index.row()).isEmpty()) {
                CurrentColumn = index.column();
                select(index.column(), index.row());
                if (event->type() == QEvent::MouseButtonDblClick)
                    choose();
            }
            return true;
        }
        case QEvent::Wheel:
        case QEvent::MouseButtonRelease:
            return event->type() == QEvent::Wheel;
        default:
            break;
        }
    } else if (watched == rbLineage || watched == rbFirst) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
                kindClicked(watched == rbLineage ? TNameDicKind::nkLineage : TNameDicKind::nkFirst);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TTntNameDic::checkActive()
{
    // The popup belongs to its form: it goes when the user turns to another
    // window or program, as nothing else would close it then.
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QWidget *active = ActiveWindowProbe ? ActiveWindowProbe() : QApplication::activeWindow();
    if (!active || (owner && active != owner))
        close();
}

// ---------------------------------------------------------------------------
// TNameDicLink

TNameDicLink::TNameDicLink(QWidget *Form) : QObject(Form), m_form(Form)
{
    Form->installEventFilter(this);
}

TNameDicLink::~TNameDicLink()
{
    // An edit that outlives the link must not call into it any more.
    for (auto &[tag, entry] : m_edits)
        entry.Detach();
    ClosePopup();
}

void TNameDicLink::SetReadingEdit(TTntNMDEdit *Edit, TTntEdit *ReadingEdit)
{
    const auto it = m_edits.find(Edit->property("nameDicTag").toInt());
    if (it == m_edits.end() || it->second.Widget != Edit)
        return;
    const QPointer<TTntNMDEdit> edit(Edit);
    it->second.Reading = ReadingEdit;
    it->second.Associate = [edit](TTntEdit *Reading) {
        if (edit)
            edit->SetAssociate(Reading);
    };
    Edit->SetAssociate(ReadingEdit);
}

void TNameDicLink::ClosePopup()
{
    // Forgotten at once: it is deleted only later, and a choice it still
    // announces must not reach an edit.
    if (TTntNameDic *popup = m_popup.data()) {
        m_popup.clear();
        popup->close();
    }
}

void TNameDicLink::convertNeed(int Tag, TNameDicKind Kind, bool Show, const QByteArray &Value)
{
    if (!Show) {
        ClosePopup();
        return;
    }
    if (const auto it = m_edits.find(Tag); it != m_edits.end() && it->second.Reading && it->second.Associate) {
        TTntEdit *reading = it->second.Reading.data();
        it->second.Associate(Kind == TNameDicKind::nkFirst || reading->text().isEmpty() ? reading : nullptr);
    }
    const TWaitCursor wait;
    // A closed popup deletes itself at the next turn of the event loop: one
    // closed in this turn (the focus left the edit, say) is not shown again,
    // or it would vanish with a choice of the user's still to come.
    if (m_popup && !m_popup->isVisible()) {
        disconnect(m_popup.data(), nullptr, this, nullptr);
        m_popup = nullptr;
    }
    if (!m_popup) {
        m_popup = new TTntNameDic(m_form);
        m_popup->SetFolders(AppPath, AppPath + QStringLiteral("Dic/"));
        m_popup->HighlightColor = QColor(0, 0, 255);
        m_popup->Initialize();
        connect(m_popup.data(), &TTntNameDic::NameChosen, this, &TNameDicLink::chosen);
    }
    TNameDicKind kind = m_edits[Tag].AlwaysGiven ? TNameDicKind::nkFirst : Kind;
    if (m_popup->isVisible())
        kind = m_popup->Kind;
    const int count = m_popup->CountCandidates(Value, kind == TNameDicKind::nkFirst);
    if (count < 1) {
        ClosePopup();
        return;
    }
    if (!m_popup->isVisible()) {
        m_popup->SetNameKind(kind);
        m_popup->setProperty("nameDicTag", Tag);
    }
    m_popup->Reading = Value;
    if (!m_popup->FillCandidates(count))
        return;
    if (m_popup) {
        place();
        m_popup->show();
    }
}

void TNameDicLink::chosen()
{
    if (!m_popup || sender() != m_popup.data() || !m_popup->isVisible())
        return;
    const auto it = m_edits.find(m_popup->property("nameDicTag").toInt());
    QWidget *edit = it == m_edits.end() ? nullptr : it->second.Widget.data();
    if (edit)
        it->second.Insert(m_popup->ChosenName, m_popup->Reading, m_popup->Kind != TNameDicKind::nkLineage);
    ClosePopup();
    if (edit)
        edit->setFocus();
}

void TNameDicLink::place()
{
    if (!m_popup)
        return;
    const auto it = m_edits.find(m_popup->property("nameDicTag").toInt());
    if (it == m_edits.end())
        return;
    QWidget *edit = it->second.Widget.data();
    if (!edit)
        return;
    m_popup->move(edit->mapToGlobal(QPoint(0, edit->height())));
}

bool TNameDicLink::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form && event->type() == QEvent::Move && m_popup && m_popup->isVisible())
        place();
    return QObject::eventFilter(watched, event);
}
