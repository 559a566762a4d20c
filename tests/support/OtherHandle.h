#pragma once

#include "core/DBInfo.h"
#include "platform/Table.h"

// A second handle on a table's file, as another window or another copy of
// the program holds it. While it lives, a handle waits only WaitMs for the
// file's lock, so a test sees a lock held too long as a refused save rather
// than as a stall.
class OtherHandle
{
public:
    explicit OtherHandle(const TTable &Of, int WaitMs = 100) : m_wait(TTable::BusyWaitMs)
    {
        table.SetTableName(Of.TableName());
        table.SetPassword(TablePassword);
        table.Open();
        TTable::BusyWaitMs = WaitMs;
    }
    ~OtherHandle() { TTable::BusyWaitMs = m_wait; }
    OtherHandle(const OtherHandle &) = delete;
    OtherHandle &operator=(const OtherHandle &) = delete;

    TTable table;

private:
    int m_wait;
};
