#include "widgets/PrintToggle.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QToolButton>

#include <algorithm>

namespace {

// A printer on a Side x Side square: the paper going in at the top, the body,
// the printed sheet coming out at the bottom.
void drawPrinter(QPainter &p, qreal Side)
{
    const qreal u = Side / 16.0;
    p.setPen(QPen(QColor(40, 40, 40), std::max<qreal>(1.0, u)));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4 * u, 1.5 * u, 8 * u, 4.5 * u));         // paper in
    p.setBrush(QColor(110, 110, 120));
    p.drawRoundedRect(QRectF(1.5 * u, 6 * u, 13 * u, 6 * u), u, u); // body
    p.setBrush(QColor(90, 200, 90));
    p.drawEllipse(QPointF(12 * u, 8 * u), 0.8 * u, 0.8 * u);     // lamp
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4 * u, 10 * u, 8 * u, 4.5 * u));           // sheet out
    p.setPen(QPen(QColor(40, 40, 40), std::max<qreal>(1.0, u * 0.6)));
    p.drawLine(QPointF(5.5 * u, 12 * u), QPointF(10.5 * u, 12 * u));
    p.drawLine(QPointF(5.5 * u, 13.3 * u), QPointF(9 * u, 13.3 * u));
}

void drawCross(QPainter &p, qreal Side)
{
    const qreal u = Side / 16.0;
    p.setPen(QPen(QColor(220, 0, 0), 2.2 * u, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.2 * u, 1.2 * u, 13.6 * u, 13.6 * u));
    p.drawLine(QPointF(3.3 * u, 12.7 * u), QPointF(12.7 * u, 3.3 * u));
}

QPixmap picture(int Side, bool Prints)
{
    QPixmap pixmap(Side, Side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (Prints) {
        drawPrinter(p, Side);
    } else {
        p.setOpacity(0.55); // the printer recedes behind the cross
        drawPrinter(p, Side);
        p.setOpacity(1.0);
        drawCross(p, Side);
    }
    return pixmap;
}

} // namespace

QIcon PrintToggleIcon()
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48}) {
        icon.addPixmap(picture(side, true), QIcon::Normal, QIcon::On);
        icon.addPixmap(picture(side, false), QIcon::Normal, QIcon::Off);
    }
    return icon;
}

void MakePrintToggle(QToolButton *Button)
{
    if (!Button)
        return;
    Button->setCheckable(true);
    Button->setIcon(PrintToggleIcon());
    Button->setIconSize(QSize(16, 16));
    Button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}
