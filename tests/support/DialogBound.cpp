#include "support/DialogBound.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QProgressDialog>
#include <QTimer>

namespace {

// The window a test waits on now: the modal one, or a menu run modally.
QWidget *waitedOn()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

} // namespace

DialogBound::DialogBound() = default;
DialogBound::~DialogBound() = default;

void DialogBound::OnTestStart(const ::testing::TestInfo &)
{
    m_watched = nullptr;
    m_waitedMs = 0;
    m_expired = false;
    m_timer = std::make_unique<QTimer>();
    m_timer->setInterval(TickMs);
    // Only the loops that run count: a test busy between two answers (or
    // a dialog's slot working for a while) adds one tick, not its time.
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { tick(); });
    m_timer->start();
}

void DialogBound::OnTestEnd(const ::testing::TestInfo &)
{
    m_timer.reset();
    m_watched = nullptr;
}

void DialogBound::tick()
{
    QWidget *now = waitedOn();
    if (now != m_watched.data()) {
        m_watched = now;
        m_waitedMs = 0;
        return;
    }
    if (!now || qobject_cast<QProgressDialog *>(now))
        return;
    m_waitedMs += TickMs;
    if (m_waitedMs < (m_expired ? TickMs : BoundMs))
        return;
    if (!m_expired)
        ADD_FAILURE() << "the " << now->metaObject()->className() << " \"" << qPrintable(now->windowTitle())
                      << "\" (" << qPrintable(now->objectName()) << ") waited " << BoundMs / 1000
                      << " s for an answer that never came; it was closed so the test could end";
    m_expired = true;
    m_waitedMs = 0;
    m_watched = nullptr;
    if (auto *dialog = qobject_cast<QDialog *>(now))
        dialog->reject();
    else
        now->close();
}
