#include "platform/WriteError.h"

#include "support/RowName.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// Each system error behind a failed write reads as the cause to mend, told
// apart on the folder and on the file where the same number means both.
struct ReasonCase {
    const char *name;
    int systemErrno;
    TWriteTarget target;
    const char16_t *says;
};
void PrintTo(const ReasonCase &c, std::ostream *os) { *os << c.name; }
class WriteErrorReasonTest : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(WriteErrorReasonTest, namesTheCauseToMend)
{
    const QString reason = WriteErrorReason(GetParam().systemErrno, GetParam().target);
    EXPECT_EQ(reason, QString::fromUtf16(GetParam().says));
}

const char16_t kFolderRights[] =
    u"ファイルのあるフォルダーに書き込む権限がありません。フォルダーに書き込めるように設定してから、やり直してください。";
const char16_t kFileReadOnly[] =
    u"ファイルが読み取り専用のため、書き込めません。ファイルの読み取り専用の設定を外してから、やり直してください。";
const char16_t kReadOnlyDisk[] =
    u"ディスクが読み取り専用のため、書き込めません。ディスクの書き込み禁止を解除してから、やり直してください。";
const char16_t kFull[] = u"ディスクの空き容量が足りません。不要なファイルを削除してから、やり直してください。";
const char16_t kInUse[] = u"ほかのプログラムかほかの画面がファイルを使用中です。使用が終わるのを待ってから、やり直してください。";

INSTANTIATE_TEST_SUITE_P(
    Errors, WriteErrorReasonTest,
    ::testing::Values(
        ReasonCase{"folderWithoutRights", EACCES, TWriteTarget::Folder, kFolderRights},
        ReasonCase{"folderRefusingItsOwner", EPERM, TWriteTarget::Folder, kFolderRights},
        ReasonCase{"fileWithoutRights", EACCES, TWriteTarget::File, kFileReadOnly},
        ReasonCase{"fileRefusingItsOwner", EPERM, TWriteTarget::File, kFileReadOnly},
        ReasonCase{"readOnlyDiskAtTheFolder", EROFS, TWriteTarget::Folder, kReadOnlyDisk},
        ReasonCase{"readOnlyDiskAtTheFile", EROFS, TWriteTarget::File, kReadOnlyDisk},
        ReasonCase{"diskFull", ENOSPC, TWriteTarget::File, kFull},
        ReasonCase{"diskFullMakingAName", ENOSPC, TWriteTarget::Folder, kFull},
        ReasonCase{"quotaSpent", EDQUOT, TWriteTarget::File, kFull},
        ReasonCase{"fileBusy", EBUSY, TWriteTarget::Folder, kInUse},
        ReasonCase{"programRunning", ETXTBSY, TWriteTarget::File, kInUse},
        ReasonCase{"fileLocked", EAGAIN, TWriteTarget::File, kInUse},
        ReasonCase{"fileTooLargeForTheDisk", EFBIG, TWriteTarget::File,
                   u"ファイルが大きすぎるため、このディスクには書き込めません。"},
        ReasonCase{"folderGone", ENOENT, TWriteTarget::Folder, u"ファイルまたはそのフォルダーが見つかりません。"},
        ReasonCase{"failingDevice", EIO, TWriteTarget::File,
                   u"ディスクの読み書きでエラーが発生しました。ディスクやネットワークの接続を確かめてください。"},
        ReasonCase{"anythingElse", EINVAL, TWriteTarget::File, u"ファイルに書き込めませんでした。"}),
    rowName);

} // namespace
