#include "util/WriteFailure.h"

#include "util/MsgBoxPos.h"

#include "platform/IniFile.h"
#include "platform/UnreadableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

void ShowWriteFailure(QWidget *Owner, const QString &What, const QString &Path, const QString &Reason)
{
    QString text = What + QStringLiteral("をファイルに保存できませんでした  \r\n") + QDir::toNativeSeparators(Path) +
                   QStringLiteral("  ");
    if (!Reason.isEmpty())
        text += QStringLiteral("\r\n\r\n") + Reason;
    ShowMessageBoxAt(Owner, text, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
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

void ShowSettingsNotSaved(const QString &Path, const QString &Reason)
{
    QString text = QStringLiteral("設定をファイルに保存できませんでした  \r\n") + QDir::toNativeSeparators(Path) +
                   QStringLiteral("  ");
    if (!Reason.isEmpty())
        text += QStringLiteral("\r\n\r\n") + Reason;
    text += QStringLiteral("\r\n\r\nこのファイルは変更せずにそのまま残します。"
                           "ウィンドウの位置など、このあと変わる設定も保存されません  ");
    ShowMessageBoxAt(nullptr, text, ProductCaption(), MB_ICONWARNING, mbpSystem, 0, 0);
}

void InstallUnreadableSettingsNotice()
{
    SetUnreadableFileNotice([](const QString &path, const QString &keptAs, const QString &) {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread())
            ShowUnreadableSettings(path, keptAs);
        else
            QMetaObject::invokeMethod(app, [path, keptAs] { ShowUnreadableSettings(path, keptAs); }, Qt::QueuedConnection);
    });
}

void InstallSettingsNotSavedNotice()
{
    SetSettingsNotSavedNotice([](const QString &path, const QString &reason) {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread())
            ShowSettingsNotSaved(path, reason);
        else
            QMetaObject::invokeMethod(app, [path, reason] { ShowSettingsNotSaved(path, reason); }, Qt::QueuedConnection);
    });
}
