#pragma once

#include <QWidget>

class QPainter;
class QRect;
class QTimer;

// The title card painted on the splash window; any painter (screen, test
// image) draws the same card into Bounds.
void PaintSplashCard(QPainter &Painter, const QRect &Bounds);

// The splash window shown while the program starts: 512 x 400 pixels at
// 96 dpi (scaled with the screen), centred, without frame or caption. It
// closes itself 2500 ms after it was shown and deletes itself; SplashForm is
// set while it exists, so start-up can wait for it to go.
class TSplashForm : public QWidget
{
    Q_OBJECT

public:
    explicit TSplashForm(QWidget *Owner = nullptr);
    ~TSplashForm() override;

    static constexpr int DesignWidth = 512;
    static constexpr int DesignHeight = 400;
    static constexpr int SplashInterval = 2500; // ms

    [[nodiscard]] QTimer *tmrSplash() const { return m_tmrSplash; }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void tmrSplashTimer();

    QTimer *m_tmrSplash = nullptr;
};

// The splash window while it exists, else null.
extern TSplashForm *SplashForm;
