#pragma once

#include "directory/SchExport.h"
#include "platform/dic/DicApi.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>
#include <vector>

// The directory search's worker. TSearchThread lives on its own QThread and
// runs one request at a time (a result page, or a count of the hits); the
// results come back as queued signals carrying values, so the window never
// reads the worker's state. TSearchThreadHost owns the thread and the worker,
// clears the stop flag before it queues a run, and on destruction stops the
// run, quits the thread and waits for it.
//
// Paging: the hits of all conditions flow into one sequence of pages of the
// first condition's block size. The worker keeps the read state (condition,
// library position and the hits read beyond the last full page) always in
// step: a block the library returns, also one cut short by a stop, is taken
// whole, and a failed call restores the position. So a page once read is
// cached and never read again, a stop only pauses the reading, and running
// the same page again continues exactly where the stop left off.

enum class TSearchMove { New, Next, Prior, Again };

struct TSearchPage {
    int Code = 0;        // 0 a page, 1 no hit, 100 stopped, else the library's failure
    int PageNo = 0;      // 1-based
    bool FirstPage = true;
    bool LastPage = true;
    std::vector<TAreaSearchHit> Hits;
};

struct TSearchCount {
    int Code = 0;
    int Count = 0;
};

// An export of every hit of the conditions. The worker opens the file (new,
// or appended to) and writes the header line first when asked.
struct TExportRequest {
    QString FileName;
    bool Append = false;
    bool Header = true;
    TExportColumns Columns = DefaultExportColumns();
};

// Code: the library's (0 done, 1 no hit, 100 stopped, else a failure), or
// ExportFileFailed when the file could not be opened or written (FileError
// then says why). Lines written stay in the file in every case.
constexpr int ExportFileFailed = -1;
// A hit's full record could not be read (FileError names the hit): the file
// is left as it was, no line is kept.
constexpr int ExportRecordFailed = -2;
struct TExportResult {
    int Code = 0;
    int Lines = 0;
    int Hits = 0;
    QString FileError;
};

class TSearchThread : public QObject {
    Q_OBJECT
public:
    explicit TSearchThread(QObject *Parent = nullptr);
    ~TSearchThread() override;

    // Runs on the worker thread.
    void SetConditions(const std::vector<TAreaSearchCondition> &Conditions);
    void SearchPage(TSearchMove Move);
    // Counts with its own copy of the conditions, so the pages read so far stay.
    void CountHits(std::vector<TAreaSearchCondition> Conditions);
    // Exports with its own copy of the conditions, like a count.
    void ExportFile(std::vector<TAreaSearchCondition> Conditions, const TExportRequest &Request);

    // How many library calls this worker made (for tests and measurements).
    [[nodiscard]] int LibraryCalls() const { return m_libraryCalls; }

signals:
    void SearchProgress();
    void SearchDone(const TSearchPage &Page);
    void CountDone(const TSearchCount &Count);
    void ExportDone(const TExportResult &Result);

private:
    void reset();
    void nextCondition();
    void takeHits(const TAreaSearchHit *Hits, int Count);
    [[nodiscard]] bool pageKnown(int PageNo) const;
    [[nodiscard]] int blockSize() const;

    std::vector<TAreaSearchCondition> m_conditions;
    int m_pageNo = 0;
    std::size_t m_condIndex = 0;
    TAreaSearchPosition m_position{};
    std::vector<TAreaSearchHit> m_carry;
    std::vector<std::vector<TAreaSearchHit>> m_cache;
    bool m_allRead = false;
    int m_libraryCalls = 0;
    bool m_loaded = false;
};

class TSearchThreadHost : public QObject {
    Q_OBJECT
public:
    explicit TSearchThreadHost(QObject *Parent = nullptr);
    ~TSearchThreadHost() override;

    // Each queues one run; the last condition list given is used by a
    // New search and by a count.
    void Search(const std::vector<TAreaSearchCondition> &Conditions);
    void MovePage(TSearchMove Move);
    void Count(const std::vector<TAreaSearchCondition> &Conditions);
    void Export(const std::vector<TAreaSearchCondition> &Conditions, const TExportRequest &Request);
    // Asks the running call to end; the run then reports Code 100.
    void Stop();

    [[nodiscard]] bool Busy() const { return m_busy; }
    [[nodiscard]] TSearchThread *Worker() const { return m_worker; }

signals:
    void SearchDone(const TSearchPage &Page);
    void CountDone(const TSearchCount &Count);
    void ExportDone(const TExportResult &Result);

private:
    void queue(std::function<void(TSearchThread *)> Run);

    QThread m_thread;
    TSearchThread *m_worker = nullptr;
    bool m_busy = false;
};
