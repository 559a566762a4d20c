#include "addressbook/AdrsListDelegate.h"

#include "addressbook/AdrsListModel.h"
#include "addressbook/AdrsListView.h"

#include <QPainter>

namespace {

// The symbol column's id in the catalogue.
constexpr int SymbolColumnId = 36;

int columnId(const QModelIndex &index)
{
    const auto *model = qobject_cast<const TAddressListModel *>(index.model());
    if (!model || index.column() >= model->ShownColumns().size())
        return -1;
    return model->ColumnRecords()[size_t(model->ShownColumns()[index.column()])].Index;
}

} // namespace

TAddressListDelegate::TAddressListDelegate(TAddressListView *View) : QStyledItemDelegate(View), m_view(View) {}

TAddressListDelegate::~TAddressListDelegate() = default;

void TAddressListDelegate::paint(QPainter *Painter, const QStyleOptionViewItem &Option,
                                 const QModelIndex &Index) const
{
    const bool selected = (Option.state & QStyle::State_Selected) || m_view->InDragRange(Index.row());
    const QPalette &palette = m_view->palette();
    Painter->save();
    Painter->fillRect(Option.rect, selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base));

    QString text = Index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) {
        Painter->restore();
        return;
    }
    const auto *model = qobject_cast<const TAddressListModel *>(Index.model());
    QColor color;
    if (columnId(Index) == SymbolColumnId) {
        // The cache may hold "mark,$BBGGRR"; only the mark is drawn.
        const qsizetype comma = text.indexOf(QLatin1Char(','));
        if (comma >= 0)
            text.truncate(comma);
        color = Index.data(TAddressListModel::SymbolColorRole).value<QColor>();
        if (!color.isValid())
            color = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    } else if (model && !model->SearchWord.isEmpty() && text.contains(model->SearchWord)) {
        color = selected ? QColor(0xFF, 0xFF, 0x00) : QColor(0x00, 0x00, 0xFF);
    } else {
        color = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    }

    // The text starts one margin in and ends two margins before the
    // column's right edge.
    const int margin = TAddressListView::CellMargin();
    const QRect textRect = Option.rect.adjusted(margin, 0, -2 * margin, 0);
    if (textRect.width() <= 0) {
        Painter->restore();
        return;
    }
    const QVariant alignData = Index.data(Qt::TextAlignmentRole);
    const Qt::Alignment horizontal =
        alignData.isValid() ? Qt::Alignment(alignData.toInt()) & Qt::AlignHorizontal_Mask : Qt::AlignLeft;
    Painter->setFont(Option.font);
    Painter->setPen(color);
    const QString shown = Option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
    Painter->drawText(textRect, int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    Painter->restore();
}
