#include "util/WriteFailure.h"

#include "util/MsgBoxPos.h"

#include "platform/IniFile.h"
#include "platform/UnreadableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <algorithm>
#include <functional>

namespace {

// What could not be saved, the file and the cause.
QString notSavedText(const QString &What, const QString &Path, const QString &Reason)
{
    QString text = What + QStringLiteral("をファイルに保存できませんでした  \r\n") + QDir::toNativeSeparators(Path) +
                   QStringLiteral("  ");
    if (!Reason.isEmpty())
        text += QStringLiteral("\r\n\r\n") + Reason;
    return text;
}

// Runs Show on the user-interface thread: at once there, else once that
// thread is free again.
void onUserInterfaceThread(const std::function<void()> &Show)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        Show();
    else
        QMetaObject::invokeMethod(app, Show, Qt::QueuedConnection);
}

} // namespace

void ShowWriteFailure(QWidget *Owner, const QString &What, const QString &Path, const QString &Reason)
{
    ShowMessageBoxAt(Owner, notSavedText(What, Path, Reason), ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

void ShowUnreadableSettings(const QString &Path, const QString &KeptAs)
{
    QString text = QStringLiteral("設定ファイルを読み込めませんでした  \r\n") + QDir::toNativeSeparators(Path) +
                   QStringLiteral("  \r\n\r\n");
    if (KeptAs.isEmpty())
        text += QStringLiteral("このファイルは移動できなかったため、そのまま残して上書きしません  \r\n");
    else
        text += QStringLiteral("読み込めなかったファイルは次の名前で残しました  \r\n") + QDir::toNativeSeparators(KeptAs) +
                QStringLiteral("  \r\n\r\n");
    text += QStringLiteral("既定の設定を使います  ");
    ShowMessageBoxAt(nullptr, text, ProductCaption(), MB_ICONWARNING, mbpSystem, 0, 0);
}

void ShowDamagedSettings(const QString &Path, const QString &KeptAs, const QStringList &Entries)
{
    // Entries read with the value the program wrote say so themselves.
    QString text = QStringLiteral("設定ファイルがこのプログラムの書いたとおりではありません"
                                  "（ほかで変更されたか、壊れています）  \r\n") +
                   QDir::toNativeSeparators(Path) + QStringLiteral("  \r\n\r\n");
    if (Entries.isEmpty()) {
        text += QStringLiteral("項目はすべてファイルに書かれているとおりに読み込みました  \r\n\r\n");
    } else {
        text += QStringLiteral("確かめてほしい項目：  \r\n");
        for (const QString &entry : Entries)
            text += QStringLiteral("　") + entry + QStringLiteral("  \r\n");
        // Only where some entry went to its default does the box speak of defaults.
        const bool allRestored = std::all_of(Entries.begin(), Entries.end(), [](const QString &entry) {
            return entry.endsWith(RestoredEntrySuffix());
        });
        text += allRestored
                    ? QStringLiteral("\r\nほかの項目はファイルに書かれているとおりに読み込みました  \r\n\r\n")
                    : QStringLiteral("\r\n読み込めなかった項目には既定の値を使い、ほかの項目はファイルに書かれているとおりに"
                                     "読み込みました  \r\n\r\n");
    }
    if (KeptAs.isEmpty())
        text += QStringLiteral("元のファイルを残せなかったため、このファイルには上書きしません  ");
    else
        text += QStringLiteral("元のファイルは次の名前で残しました  \r\n") + QDir::toNativeSeparators(KeptAs) + QStringLiteral("  ");
    ShowMessageBoxAt(nullptr, text, ProductCaption(), MB_ICONWARNING, mbpSystem, 0, 0);
}

void ShowSettingsNotSaved(const QString &Path, const QString &Reason)
{
    QString text = notSavedText(QStringLiteral("設定"), Path, Reason);
    text += QStringLiteral("\r\n\r\nこのファイルは変更せずにそのまま残します。"
                           "ウィンドウの位置など、このあと変わる設定も保存されません  ");
    ShowMessageBoxAt(nullptr, text, ProductCaption(), MB_ICONWARNING, mbpSystem, 0, 0);
}

void InstallUnreadableSettingsNotice()
{
    SetUnreadableFileNotice([](const QString &path, const QString &keptAs, const QString &) {
        onUserInterfaceThread([path, keptAs] { ShowUnreadableSettings(path, keptAs); });
    });
    SetDamagedEntriesNotice([](const QString &path, const QString &keptAs, const QStringList &entries) {
        onUserInterfaceThread([path, keptAs, entries] { ShowDamagedSettings(path, keptAs, entries); });
    });
}

void InstallSettingsNotSavedNotice()
{
    SetSettingsNotSavedNotice([](const QString &path, const QString &reason) {
        onUserInterfaceThread([path, reason] { ShowSettingsNotSaved(path, reason); });
    });
}
