#include "widgets/RecordRun.h"

#include "util/MsgBoxPos.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressDialog>

int TRecordRun::ShowAfterMs = 400;
int TRecordRun::ServeEveryMs = 50;
int TRecordRun::QuietCommitRetries = 1;

TRecordRun::TRecordRun(QWidget *Owner, TTable &Table, const QString &Label, int Total)
    : m_owner(Owner), m_table(Table), m_label(Label), m_total(Total)
{
    m_started.start();
}

TRecordRun::~TRecordRun()
{
    if (m_arrowCursor)
        QApplication::restoreOverrideCursor();
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
        // Nothing else may be started while the run holds the table.
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->setAutoReset(false);
        m_progress->setAutoClose(false);
        m_progress->setMinimumDuration(0);
        QObject::connect(m_progress.get(), &QProgressDialog::canceled, [this] { m_cancelled = true; });
        m_progress->setValue(m_done);
        m_progress->show();
        m_shownOnce = true;
        // The cancel button takes the normal pointer over the caller's hourglass.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        m_arrowCursor = true;
    }
    if (m_progress)
        m_progress->setValue(m_done);
    QCoreApplication::processEvents();
}

bool TRecordRun::Commit(QString *Error)
{
    if (m_arrowCursor)
        QApplication::restoreOverrideCursor();
    m_arrowCursor = false;
    if (m_progress)
        m_progress->hide();
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
    return written;
}
