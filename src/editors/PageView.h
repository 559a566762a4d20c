#pragma once

#include "editors/LayoutDoc.h"

#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

// The editor's page: one piece of the layout's paper at the editor's zoom
// with its frames and items (the items draw themselves through the same
// calls as on the printer), the selected item outlined with its handles.
// A press anywhere inside an item selects the topmost one there; dragging
// it moves it, dragging one of its handles (an edge or corner) resizes it.
// The view changes only the rectangles; the owner records each finished
// drag for undo.
class TPageView : public QWidget
{
    Q_OBJECT

public:
    TPageView(TLayoutDocument &Document, QWidget *Parent);

    // Space around the page, screen pixels.
    static constexpr int Margin = 16;
    // Smallest width and height an item is resized to, page pixels.
    static constexpr int MinItemSize = 8;

    [[nodiscard]] double Zoom() const { return m_zoom; }
    // Clamped to 0.25 .. 4.
    void SetZoom(double Value);
    // -1 when nothing is selected.
    [[nodiscard]] int Selected() const { return m_selected; }
    void SetSelected(int Index);
    // Call after the document's paper or items were replaced.
    void DocumentChanged();
    // The screen point of a page pixel.
    [[nodiscard]] QPoint ToScreen(QPoint PagePixel) const;
    // True while the mouse holds an item.
    [[nodiscard]] bool IsDragging() const { return m_dragging; }
    // Ends a drag as the release would (a changed rectangle is reported
    // through ItemGeometryChanged); nothing without one. Any command (a
    // shortcut, a menu, a dialog) runs after it, so none runs mid-drag.
    void EndDrag();

    QSize sizeHint() const override;

    // The resolution the print lays its texts out at: the page decides at it
    // which additional lines the record shown leaves out and where a line it
    // moves stands, as the print and the print wizard decide it (a text's
    // length differs a little at the screen's 96 dpi, and with it whether a
    // line finds room). UntoldPrinterDpi until the editor tells its printer's.
    std::function<TDeviceDpi()> PrintedResolution;
    static constexpr TDeviceDpi UntoldPrinterDpi{600, 600};

    // An additional line the record shown moves into free room, and where
    // the page last drew it: it is picked and framed there.
    struct TMovedLine {
        size_t Index;
        TScreenRect Shown;
        TPageRect Page; // where it stands on the page, in page pixels
    };
    [[nodiscard]] const std::vector<TMovedLine> &MovedLines() const { return m_movedLines; }

signals:
    // A drag ended with the item's rectangle changed.
    void ItemGeometryChanged(int Index, TPageRect Before, TPageRect After);
    void SelectionChanged();
    // A double click on an item: the editor opens its settings.
    void ItemDoubleClicked(int Index);

protected:
    void paintEvent(QPaintEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    // While dragging: a key, a shortcut or a window opening ends the drag
    // before the command it starts.
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    // Picking: a press or double click, not a pointer passing over.
    [[nodiscard]] int itemAt(QPoint Pos, bool Picking = true) const;
    // Pos lies on one of the handles of the item Index.
    [[nodiscard]] bool onHandle(int Index, QPoint Pos) const;
    // Whether item Index can never print on this paper (the bars on a piece
    // too small for them): the page neither frames it nor lets it be picked.
    [[nodiscard]] bool neverPrints(size_t Index) const;
    // Where the page shows item Index when the record moves it, or null.
    [[nodiscard]] const TScreenRect *movedRect(size_t Index) const;
    // Forgets a drag whose item or items changed under it, recording nothing.
    void dropDrag();
    // The additional lines the record shown leaves out, and the page places
    // of those it moves, decided at the printer's resolution (PrintedResolution);
    // the document is laid out for the screen again afterwards. During a
    // run, whose texts stand laid out for the printer, they are decided as
    // they stand.
    struct TAdditionPrint {
        std::vector<int> LeftOut;
        std::vector<std::pair<size_t, TPageRect>> Moved;
    };
    [[nodiscard]] TAdditionPrint decideAdditions() const;

    TLayoutDocument &m_document;
    double m_zoom = 1.0;
    int m_selected = -1;
    std::vector<TMovedLine> m_movedLines;
    bool m_dragging = false;
    THitZone m_zone;
    QPoint m_pressPos;
    TPageRect m_startRect;
    // What a move drags: the item's own rectangle, or for a line the record
    // moves, the place the page shows it at (it is dropped where the user
    // sees it go, not moved along from its box in the layout).
    TPageRect m_dragFrom;
    QSize m_backPaper;
    double m_backZoom = 0;
};
