#include "editors/PageView.h"

#include "editors/AdditionPlace.h"
#include "items/AdditionRect.h"
#include "items/MetaRect.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>
#include <optional>

TPageView::TPageView(TLayoutDocument &Document, QWidget *Parent) : QWidget(Parent), m_document(Document)
{
    setObjectName(QStringLiteral("pbxPage"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPageView::SetZoom(double Value)
{
    m_zoom = std::clamp(Value, 0.25, 4.0);
    DocumentChanged();
}

void TPageView::SetSelected(int Index)
{
    const int index = Index >= 0 && Index < int(m_document.Items.size()) ? Index : -1;
    if (index == m_selected)
        return;
    // Another item chosen mid-drag (an undo selects the item it moved): the
    // drag's start belongs to the item it held, never to this one.
    dropDrag();
    m_selected = index;
    update();
    emit SelectionChanged();
}

void TPageView::DocumentChanged()
{
    // The items may have been replaced: a drag's item and start are gone,
    // and so are the places the page showed the moved lines at until it is
    // drawn again.
    dropDrag();
    m_movedLines.clear();
    // The background may have been replaced with another page's sizes.
    m_backZoom = 0;
    for (auto &item : m_document.Items)
        item->SetZoom(m_zoom);
    if (m_selected >= int(m_document.Items.size()))
        m_selected = -1;
    updateGeometry();
    resize(sizeHint());
    update();
}

QPoint TPageView::ToScreen(QPoint PagePixel) const
{
    return QPoint(Margin + int(std::lround(PagePixel.x() * m_zoom)), Margin + int(std::lround(PagePixel.y() * m_zoom)));
}

QSize TPageView::sizeHint() const
{
    const QSize piece = m_document.PiecePixels();
    return QSize(int(piece.width() * m_zoom) + 2 * Margin, int(piece.height() * m_zoom) + 2 * Margin);
}

void TPageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    const QSize piece = m_document.PiecePixels();
    const QRect page(Margin, Margin, int(piece.width() * m_zoom), int(piece.height() * m_zoom));
    painter.fillRect(page, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(page.adjusted(0, 0, -1, -1));
    if (m_document.Background.GetKind() != TBackImage::None) {
        // The background keeps its image of the page until the paper or the
        // zoom changes; telling it the same sizes again would redraw it.
        if (m_backPaper != m_document.PieceSize() || m_backZoom != m_zoom) {
            m_backPaper = m_document.PieceSize();
            m_backZoom = m_zoom;
            m_document.Background.SetPaperSize(m_backPaper.width(), m_backPaper.height());
            m_document.Background.SetPageRect(QRect(QPoint(0, 0), piece));
            m_document.Background.SetZoom(m_zoom);
        }
        m_document.Background.Draw(painter, Margin, Margin);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // The page shows the side the layout prints (an envelope's front or
    // back), as the piece prints it for the record shown: without the
    // additional lines the record leaves no room for, and without their
    // frames, which would lie empty over the addressee's text; a line the
    // record moves into the room its texts leave stands where it prints,
    // its frame with it. The frames of the lines kept at home stay the
    // layout's own, where a drag takes hold of them.
    std::vector<int> leftOut;
    m_movedLines.clear();
    LineUpJointNames(m_document);
    LendFreeRoom(m_document);
    const auto isLeftOut = [&leftOut](size_t Index) {
        return std::find(leftOut.begin(), leftOut.end(), int(Index)) != leftOut.end();
    };
    {
        const TAdditionPrint decided = decideAdditions();
        leftOut = decided.LeftOut;
        // The moved lines stand where the print puts them while the page
        // draws, and go back to their own boxes after.
        std::vector<std::pair<size_t, TPageRect>> homes;
        for (const auto &[index, at] : decided.Moved) {
            TDrawRect &line = *m_document.Items[index];
            const TPageRect home = line.GetRect();
            homes.push_back({index, home});
            line.SetRect(at);
            line.SetZoom(m_zoom);
            if (at.Left != home.Left || at.Top != home.Top)
                m_movedLines.push_back({index, line.GetDispRect(), at});
        }
        const auto restore = qScopeGuard([this, &homes] {
            for (const auto &[index, home] : homes)
                m_document.Items[index]->SetRect(home);
        });
        for (size_t i = 0; i < m_document.Items.size(); ++i) {
            TDrawRect &item = *m_document.Items[i];
            item.SetZoom(m_zoom);
            if (!item.IsVisible() || !m_document.OnPrintedSide(i) || isLeftOut(i))
                continue;
            item.Draw(painter, Margin, Margin);
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The frames of the items, so an empty item can still be found; not
    // the bars' on a paper too small for them, which never print there.
    painter.setPen(QPen(QColor(160, 160, 160), 0, Qt::DotLine));
    for (size_t i = 0; i < m_document.Items.size(); ++i) {
        if (!m_document.OnPrintedSide(i) || isLeftOut(i) || neverPrints(i))
            continue;
        const TScreenRect *moved = movedRect(i);
        const TScreenRect r = moved ? *moved : m_document.Items[i]->GetDispRect();
        painter.drawRect(QRect(Margin + r.Left, Margin + r.Top, r.width() - 1, r.height() - 1));
    }
    if (m_selected >= 0) {
        const TScreenRect *moved = movedRect(size_t(m_selected));
        const TScreenRect r = moved ? *moved : m_document.Items[size_t(m_selected)]->GetDispRect();
        const QRect box(Margin + r.Left, Margin + r.Top, r.width() - 1, r.height() - 1);
        painter.setPen(QPen(Qt::blue, 0));
        painter.drawRect(box);
        for (const QPoint p : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()})
            painter.fillRect(QRect(p - QPoint(2, 2), QSize(5, 5)), Qt::blue);
    }
}

int TPageView::itemAt(QPoint Pos, bool Picking) const
{
    // An item is picked anywhere inside its rectangle: a click on its text,
    // not only on the lines its handles sit on. The topmost first: later
    // items are drawn over earlier ones. A sender block edited line by line
    // picks its line when asked whether a point lies inside it; a pointer
    // merely passing over asks its rectangle only, changing nothing.
    // An additional line the page leaves out is not there to be picked: a
    // click on the name beneath it picks the name. The lines left out are
    // worked out only when the point falls on such a line.
    std::optional<std::vector<int>> leftOut;
    for (int i = int(m_document.Items.size()) - 1; i >= 0; --i) {
        if (!m_document.OnPrintedSide(size_t(i)) || neverPrints(size_t(i)))
            continue;
        const TDrawRect &item = *m_document.Items[size_t(i)];
        const int x = Pos.x() - Margin, y = Pos.y() - Margin;
        // A line the record moves is picked where the page shows it.
        const TScreenRect *moved = movedRect(size_t(i));
        const bool inside = moved ? x >= moved->Left && x < moved->Right && y >= moved->Top && y < moved->Bottom
                                  : Picking ? item.PtInRect(x, y) : item.TDrawRect::PtInRect(x, y);
        if (!inside)
            continue;
        if (dynamic_cast<const TAdditionRect *>(&item)) {
            if (!leftOut)
                leftOut = decideAdditions().LeftOut;
            if (std::find(leftOut->begin(), leftOut->end(), i) != leftOut->end())
                continue;
        }
        return i;
    }
    return -1;
}

TPageView::TAdditionPrint TPageView::decideAdditions() const
{
    // Most pieces show no additional line: nothing to decide, nothing laid
    // out again.
    if (std::none_of(m_document.Items.begin(), m_document.Items.end(), [](const auto &Item) {
            return Item->IsVisible() && dynamic_cast<const TAdditionRect *>(Item.get());
        }))
        return {};
    bool forScreen = true;
    for (const auto &item : m_document.Items)
        if (const auto *text = dynamic_cast<const TMetaRect *>(item.get())) {
            forScreen = !text->GetReferenceDevice().HasPrinter;
            break;
        }
    if (forScreen)
        m_document.SetReferenceDevice(
            TReferenceDevice::printer(PrintedResolution ? PrintedResolution() : UntoldPrinterDpi));
    TAdditionPrint out;
    {
        const TRecordAdditionLines additions(m_document);
        out.LeftOut = additions.LeftOut();
        for (const int i : additions.Moved())
            out.Moved.push_back({size_t(i), m_document.Items[size_t(i)]->GetRect()});
    }
    if (forScreen)
        m_document.SetReferenceDevice(TReferenceDevice::screen());
    return out;
}

const TScreenRect *TPageView::movedRect(size_t Index) const
{
    for (const TMovedLine &moved : m_movedLines)
        if (moved.Index == Index)
            return &moved.Shown;
    return nullptr;
}

bool TPageView::neverPrints(size_t Index) const
{
    return m_document.Items[Index]->GetKind() == TDrawRectKind::Barcode && !m_document.BarcodeFitsPaper();
}

bool TPageView::onHandle(int Index, QPoint Pos) const
{
    // A line the record moves stands away from its frame in the layout,
    // where its handles are: it is only dragged, from where it is shown.
    if (movedRect(size_t(Index)))
        return false;
    // The item's cursor says what a drag does there: a size cursor sits on a
    // handle (an edge or corner); items that cannot be resized show none.
    switch (m_document.Items[size_t(Index)]->GetCursor(Pos.x() - Margin, Pos.y() - Margin)) {
    case TItemCursor::SizeNESW:
    case TItemCursor::SizeNS:
    case TItemCursor::SizeNWSE:
    case TItemCursor::SizeWE: return true;
    case TItemCursor::Move:
    case TItemCursor::Default: break;
    }
    return false;
}

void TPageView::mousePressEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    const QPoint pos = Event->position().toPoint();
    // The selected item's handles win over an item lying above it.
    int index = m_selected >= 0 && onHandle(m_selected, pos) ? m_selected : -1;
    if (index < 0)
        index = itemAt(pos);
    SetSelected(index);
    if (index < 0)
        return;
    TDrawRect &item = *m_document.Items[size_t(index)];
    // Off the handles a drag moves the item (an empty zone pair).
    m_zone = onHandle(index, pos) ? item.HitZone(pos.x() - Margin, pos.y() - Margin) : THitZone{};
    m_pressPos = pos;
    m_startRect = item.GetRect();
    m_dragFrom = m_startRect;
    for (const TMovedLine &moved : m_movedLines)
        if (moved.Index == size_t(index))
            m_dragFrom = moved.Page;
    m_dragging = true;
    qApp->installEventFilter(this);
}

void TPageView::mouseMoveEvent(QMouseEvent *Event)
{
    const QPoint pos = Event->position().toPoint();
    if (m_dragging && !(Event->buttons() & Qt::LeftButton)) {
        // The release went elsewhere (a window opened meanwhile).
        EndDrag();
    }
    if (m_dragging && (m_selected < 0 || m_selected >= int(m_document.Items.size())))
        dropDrag();
    if (!m_dragging) {
        const int index = m_selected >= 0 ? m_selected : itemAt(pos, false);
        if (index >= 0)
            setCursor(toCursorShape(m_document.Items[size_t(index)]->GetCursor(pos.x() - Margin, pos.y() - Margin)));
        else
            unsetCursor();
        return;
    }
    const int dx = int(std::lround((pos.x() - m_pressPos.x()) / m_zoom));
    const int dy = int(std::lround((pos.y() - m_pressPos.y()) / m_zoom));
    const bool move = m_zone == THitZone{};
    // Back at the press, the item is where it was.
    TPageRect r = move && (dx != 0 || dy != 0) ? m_dragFrom : m_startRect;
    if (move) {
        r.Left += dx, r.Right += dx, r.Top += dy, r.Bottom += dy;
    } else {
        if (m_zone.x == THitZoneX::Left)
            r.Left = std::min(r.Left + dx, r.Right - MinItemSize);
        if (m_zone.x == THitZoneX::Right)
            r.Right = std::max(r.Right + dx, r.Left + MinItemSize);
        if (m_zone.y == THitZoneY::Top)
            r.Top = std::min(r.Top + dy, r.Bottom - MinItemSize);
        if (m_zone.y == THitZoneY::Bottom)
            r.Bottom = std::max(r.Bottom + dy, r.Top + MinItemSize);
    }
    TDrawRect &item = *m_document.Items[size_t(m_selected)];
    // The item stops at the bounds a saved layout keeps.
    if (item.GetRect() != r && IsItemRectInBounds(r)) {
        item.SetRect(r);
        update();
    }
}

void TPageView::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::LeftButton)
        EndDrag();
}

void TPageView::EndDrag()
{
    if (!m_dragging)
        return;
    dropDrag();
    if (m_selected < 0 || m_selected >= int(m_document.Items.size()))
        return;
    TDrawRect &item = *m_document.Items[size_t(m_selected)];
    if (item.GetRect() != m_startRect) {
        item.Rebuild(true);
        update();
        emit ItemGeometryChanged(m_selected, m_startRect, item.GetRect());
    }
}

void TPageView::dropDrag()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    qApp->removeEventFilter(this);
}

bool TPageView::eventFilter(QObject *Watched, QEvent *Event)
{
    if (!m_dragging)
        return false;
    switch (Event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::KeyPress:
        EndDrag();
        break;
    case QEvent::Show:
        // A menu or a dialog opening takes the mouse; a tooltip does not.
        if (auto *widget = qobject_cast<QWidget *>(Watched);
            widget && widget->isWindow() && widget->windowType() != Qt::ToolTip && widget != window())
            EndDrag();
        break;
    default: break;
    }
    return false;
}

void TPageView::mouseDoubleClickEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    dropDrag();
    const int index = itemAt(Event->position().toPoint());
    if (index >= 0) {
        SetSelected(index);
        emit ItemDoubleClicked(index);
    }
}
