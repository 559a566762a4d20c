#include "core/Splash.h"

#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

TSplashForm *SplashForm = nullptr;

void PaintSplashCard(QPainter &Painter, const QRect &Bounds)
{
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient background(Bounds.topLeft(), Bounds.bottomLeft());
    background.setColorAt(0.0, QColor(0x1F, 0x4E, 0x8C));
    background.setColorAt(1.0, QColor(0x0B, 0x24, 0x48));
    Painter.fillRect(Bounds, background);

    // A light band across the lower third carries the subtitle.
    const int h = Bounds.height();
    const QRect band(Bounds.left(), Bounds.top() + h * 2 / 3, Bounds.width(), h / 6);
    Painter.fillRect(band, QColor(0xEF, 0xFF, 0xDF));

    QFont title = Painter.font();
    title.setPixelSize(qMax(1, h / 8));
    title.setBold(true);
    Painter.setFont(title);
    Painter.setPen(Qt::white);
    const QRect titleRect(Bounds.left(), Bounds.top() + h / 4, Bounds.width(), h / 4);
    Painter.drawText(titleRect, Qt::AlignCenter, ProductCaption());

    QFont subtitle = Painter.font();
    subtitle.setPixelSize(qMax(1, h / 20));
    subtitle.setBold(false);
    Painter.setFont(subtitle);
    Painter.setPen(QColor(0x0B, 0x24, 0x48));
    Painter.drawText(band, Qt::AlignCenter, QStringLiteral("宛名・住所録"));

    Painter.setPen(QColor(0xFF, 0xFF, 0xFF, 0xB0));
    const QRect footer(Bounds.left(), Bounds.bottom() - h / 8, Bounds.width(), h / 10);
    Painter.drawText(footer, Qt::AlignCenter, QStringLiteral("Version 19.0"));
    Painter.restore();
}

TSplashForm::TSplashForm(QWidget *Owner)
    : QWidget(Owner, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SplashForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Designed at 96 dpi; grows with the screen's resolution.
    setFixedSize(ScaleForDpi(DesignWidth, true), ScaleForDpi(DesignHeight, true));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    m_tmrSplash = new QTimer(this);
    m_tmrSplash->setObjectName(QStringLiteral("tmrSplash"));
    m_tmrSplash->setInterval(SplashInterval);
    m_tmrSplash->setSingleShot(true);
    connect(m_tmrSplash, &QTimer::timeout, this, &TSplashForm::tmrSplashTimer);
    SplashForm = this;
}

TSplashForm::~TSplashForm()
{
    if (SplashForm == this)
        SplashForm = nullptr;
}

void TSplashForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_tmrSplash->start();
}

void TSplashForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintSplashCard(painter, rect());
}

void TSplashForm::tmrSplashTimer()
{
    close();
}
