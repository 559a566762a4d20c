#pragma once

// The disk faults a save through SafeFile meets most often, with the cause
// the user is told for each: a folder the user may not write, a read-only
// disk, a full disk. Writers' tests run their own save under each and look
// for the cause in what the window says.
#include "platform/SafeFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>

struct SaveFaultCase {
    const char *name;
    SafeFile::Step step;
    int systemErrno;
    const char16_t *cause;
};

inline void PrintTo(const SaveFaultCase &c, std::ostream *os) { *os << c.name; }

inline auto SaveFaultCases()
{
    return ::testing::Values(SaveFaultCase{"folderNotWritable", SafeFile::Step::CreateTemporary, EACCES,
                                           u"ファイルのあるフォルダーに書き込む権限がありません。"},
                             SaveFaultCase{"readOnlyDisk", SafeFile::Step::CreateTemporary, EROFS,
                                           u"ディスクが読み取り専用のため、書き込めません。"},
                             SaveFaultCase{"diskFull", SafeFile::Step::WriteTemporary, ENOSPC,
                                           u"ディスクの空き容量が足りません。"});
}

inline std::string SaveFaultName(const ::testing::TestParamInfo<SaveFaultCase> &Info) { return Info.param.name; }

// The case's step fails with its error number while this lives.
class ScopedSaveFault
{
public:
    explicit ScopedSaveFault(const SaveFaultCase &Case)
    {
        SafeFile::setFailureHook([step = Case.step](SafeFile::Step s) { return s == step; }, Case.systemErrno);
    }
    ~ScopedSaveFault() { SafeFile::setFailureHook({}); }
    ScopedSaveFault(const ScopedSaveFault &) = delete;
    ScopedSaveFault &operator=(const ScopedSaveFault &) = delete;
};
