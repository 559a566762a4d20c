#include "widgets/RecordRun.h"

#include "util/MsgBoxPos.h"
#include "widgets/InputHoldBack.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSet>
#include <QTimer>

#include <optional>

int TRecordRun::ShowAfterMs = 400;
int TRecordRun::ServeEveryMs = 50;
int TRecordRun::QuietCommitRetries = 1;

namespace {

int g_running = 0;

// The nearest widget a receiver belongs to (an action or a shortcut: the
// widget that holds it), else nullptr.
const QWidget *widgetOf(const QObject *receiver)
{
    for (const QObject *object = receiver; object; object = object->parent()) {
        if (object->isWidgetType())
            return static_cast<const QWidget *>(object);
    }
    return nullptr;
}

// Closes Window once no run owns the input and no other modal window (the
// command's own closing box, its dialog) is up over it.
void closeWhenFree(const QPointer<QWidget> &Window)
{
    if (!Window)
        return;
    QWidget *modal = QApplication::activeModalWidget();
    if (TRecordRun::Running() || (modal && modal != Window)) {
        QTimer::singleShot(50, Window, [Window] { closeWhenFree(Window); });
        return;
    }
    Window->close();
}

} // namespace

TRunRecords TakeTableRecords(TTable &Table)
{
    TRunRecords records;
    const QString index = Table.IndexName();
    if (!index.isEmpty())
        Table.SetIndexName(QString());
    records.reserve(Table.RecordCount());
    for (Table.First(); !Table.Eof(); Table.Next())
        records << TRunRecord{Table.FieldByName(QStringLiteral("RecNo")).AsInteger(), -1};
    if (!index.isEmpty())
        Table.SetIndexName(index);
    return records;
}

bool FindRunRecord(TTable &Table, qint32 RecNo)
{
    if (!Table.IndexName().isEmpty())
        Table.SetIndexName(QString());
    return Table.FindKey({QVariant(RecNo)});
}

// Holds back the user's input to every window that existed when the run
// began. An application-wide filter sees each event before its receiver
// does, whichever window it is meant for, also the shortcuts of actions.
class TRecordRun::TInputGuard
{
public:
    explicit TInputGuard(TRecordRun &Run)
    {
        for (const QWidget *window : QApplication::topLevelWidgets())
            m_before.insert(window);
        m_holdBack.emplace([this](const QObject *Watched) { return HeldBack(Watched); },
                           [&Run](QWidget *Window) { Run.AskToClose(Window); });
        ++g_running;
    }
    ~TInputGuard() { --g_running; }
    TInputGuard(const TInputGuard &) = delete;
    TInputGuard &operator=(const TInputGuard &) = delete;

private:
    // Meant for a window that was there before the run (or for nothing
    // that has a window).
    [[nodiscard]] bool HeldBack(const QObject *Watched) const
    {
        const QWidget *widget = widgetOf(Watched);
        return !widget || m_before.contains(widget->window());
    }

    QSet<const QWidget *> m_before;
    std::optional<TInputHoldBack> m_holdBack;
};

TRecordRun::TRecordRun(QWidget *Owner, TTable &Table, const QString &Label, int Total)
    : m_owner(Owner), m_table(Table), m_label(Label), m_total(Total)
{
    m_started.start();
}

TRecordRun::~TRecordRun()
{
    ReleaseInput();
}

bool TRecordRun::Running()
{
    return g_running > 0;
}

bool TRecordRun::Begin(QString *Error)
{
    try {
        m_batch.emplace(m_table);
    } catch (const ETableError &error) {
        if (Error)
            *Error = error.Message();
        return false;
    }
    m_guard = std::make_unique<TInputGuard>(*this);
    return true;
}

bool TRecordRun::Next()
{
    ++m_done;
    const qint64 now = m_started.elapsed();
    if (now - m_lastServed >= ServeEveryMs) {
        m_lastServed = now;
        Serve();
    }
    return !m_cancelled && m_batch && !m_batch->Lost();
}

void TRecordRun::Serve()
{
    if (!m_progress && m_started.elapsed() >= ShowAfterMs && m_done < m_total) {
        m_progress = std::make_unique<QProgressDialog>(m_label, QStringLiteral("キャンセル"), 0, m_total, m_owner);
        m_progress->setObjectName(QStringLiteral("RecordRunProgress"));
        m_progress->setWindowTitle(ProductCaption());
        // Not modal: the run holds back every other window's input itself,
        // and a modal dialog would drop a close of the main window unasked.
        m_progress->setAutoReset(false);
        m_progress->setAutoClose(false);
        m_progress->setMinimumDuration(0);
        QObject::connect(m_progress.get(), &QProgressDialog::canceled, [this] { m_cancelled = true; });
        // Escape hides a dialog without its cancel signal: it cancels too.
        QObject::connect(m_progress.get(), &QDialog::rejected, [this] { m_cancelled = true; });
        m_progress->setValue(m_done);
        m_progress->show();
        m_progress->raise();
        m_progress->activateWindow();
        m_shownOnce = true;
        // The cancel button takes the normal pointer over the caller's hourglass.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        m_arrowCursor = true;
    }
    if (m_progress)
        m_progress->setValue(m_done);
    QCoreApplication::processEvents();
}

bool TRecordRun::AskToClose(QWidget *Window)
{
    if (!m_cancelled) {
        QWidget *over = m_progress && m_progress->isVisible() ? m_progress.get() : Window;
        if (ShowMessageBoxAt(over, QStringLiteral("データを処理しています  \r\n処理を中止して閉じますか？  "),
                             ProductCaption(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner, 0, 0)
            != IDYES)
            return false;
        // As the cancel button: the run stops after the record in hand.
        m_cancelled = true;
    }
    m_closeAfter << QPointer<QWidget>(Window);
    return true;
}

void TRecordRun::HideProgress()
{
    if (m_arrowCursor)
        QApplication::restoreOverrideCursor();
    m_arrowCursor = false;
    if (m_progress)
        m_progress->hide();
}

void TRecordRun::ReleaseInput()
{
    HideProgress();
    if (!m_guard)
        return;
    m_guard.reset();
    // The windows whose close was asked close once the command is over.
    for (const QPointer<QWidget> &window : std::as_const(m_closeAfter)) {
        if (window)
            QTimer::singleShot(0, window, [window] { closeWhenFree(window); });
    }
    m_closeAfter.clear();
}

bool TRecordRun::Commit(QString *Error)
{
    HideProgress();
    QString error;
    bool written = false;
    if (m_batch) {
        // Another program reading the book holds the commit off past the busy
        // wait: tried again QuietCommitRetries times by itself, then as often
        // as the user wants; only giving up throws the run away.
        int quietTries = QuietCommitRetries;
        while (!(written = m_batch->Commit(&error)) && m_batch->Busy()) {
            if (quietTries-- > 0)
                continue;
            const QString text =
                QStringLiteral("ほかのプログラムかほかの画面がファイル %1 を使用中のため、"
                               "この処理の変更を書き込めません  \r\n\r\n"
                               "再試行すると、もう一度書き込みます  \r\n"
                               "キャンセルすると、この処理の変更をすべて取り消します  ")
                    .arg(QFileInfo(m_table.TableName()).fileName());
            const int answer = ShowMessageBoxAt(m_owner, text, ProductCaption(), MB_RETRYCANCEL | MB_ICONWARNING,
                                                mbpCenterOnOwner, 0, 0);
            if (answer != IDRETRY) {
                m_batch.reset(); // rolls the run back
                error = QStringLiteral("書き込みを取りやめたため、この処理のデータは1件も書き込まれていません。") +
                        error;
                break;
            }
        }
    }
    if (Error)
        *Error = error;
    // The input comes back once the run's writes are settled, the user's
    // answer to a busy book included.
    ReleaseInput();
    return written;
}
