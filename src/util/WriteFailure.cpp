#include "util/WriteFailure.h"

#include "util/MsgBoxPos.h"

#include <QDir>

void ShowWriteFailure(QWidget *Owner, const QString &What, const QString &Path, const QString &Reason)
{
    QString text = What + QStringLiteral("をファイルに保存できませんでした  \r\n") + QDir::toNativeSeparators(Path) +
                   QStringLiteral("  ");
    if (!Reason.isEmpty())
        text += QStringLiteral("\r\n\r\n") + Reason;
    ShowMessageBoxAt(Owner, text, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}
