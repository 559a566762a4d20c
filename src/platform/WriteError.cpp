#include "platform/WriteError.h"

#include <cerrno>

bool IsDiskFullError(int systemErrno)
{
    return systemErrno == ENOSPC || systemErrno == EDQUOT;
}

QString WriteErrorReason(int systemErrno, TWriteTarget target)
{
    if (IsDiskFullError(systemErrno))
        return QStringLiteral("ディスクの空き容量が足りません。不要なファイルを削除してから、やり直してください。");
    switch (systemErrno) {
    case EROFS:
        // The whole disk (a CD, a write-protected stick, a file system the
        // system mounted read-only): no setting of the file or folder helps.
        return QStringLiteral("ディスクが読み取り専用のため、書き込めません。"
                              "ディスクの書き込み禁止を解除してから、やり直してください。");
    case EACCES:
    case EPERM:
        if (target == TWriteTarget::Folder)
            return QStringLiteral("ファイルのあるフォルダーに書き込む権限がありません。"
                                  "フォルダーに書き込めるように設定してから、やり直してください。");
        return QStringLiteral("ファイルが読み取り専用のため、書き込めません。"
                              "ファイルの読み取り専用の設定を外してから、やり直してください。");
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return QStringLiteral("ほかのプログラムかほかの画面がファイルを使用中です。"
                              "使用が終わるのを待ってから、やり直してください。");
    case EEXIST:
        // A name checked free was taken before the move (another program):
        // what it put there is not replaced.
        return QStringLiteral("同じ名前のファイルかフォルダーがほかのプログラムで作られたため、書き込みませんでした。"
                              "確かめてから、やり直してください。");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎるため、このディスクには書き込めません。");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("ファイルまたはそのフォルダーが見つかりません。");
    case ENOMEM:
        return QStringLiteral("メモリが足りません。ほかのプログラムを終了してから、やり直してください。");
    case EIO:
        return QStringLiteral("ディスクの読み書きでエラーが発生しました。ディスクやネットワークの接続を確かめてください。");
    default:
        return QStringLiteral("ファイルに書き込めませんでした。");
    }
}
