#include "directory/SchThred.h"

#include "core/Env.h"
#include "core/Wqarea17Wrapper.h"
#include "directory/SchArea.h"

#include <QFile>
#include <QMetaObject>

#include <algorithm>
#include <cstring>

namespace {

TAreaSearchPosition freshPosition()
{
    TAreaSearchPosition p{};
    p.Words[9] = -1;
    p.EndFlag = -1;
    return p;
}

bool stopRequested()
{
    return SearchStopFlag.load(std::memory_order_acquire);
}

} // namespace

TSearchThread::TSearchThread(QObject *Parent) : QObject(Parent)
{
    m_loaded = LoadWqarea17(AppPath) == 0;
}

TSearchThread::~TSearchThread()
{
    if (m_loaded)
        FreeWqarea17();
}

void TSearchThread::SetConditions(const std::vector<TAreaSearchCondition> &Conditions)
{
    m_conditions = Conditions;
    reset();
}

int TSearchThread::blockSize() const
{
    if (m_conditions.empty())
        return 20;
    return std::clamp(m_conditions.front().BlockSize, 1, 200);
}

void TSearchThread::reset()
{
    m_pageNo = 0;
    m_condIndex = 0;
    m_position = freshPosition();
    m_carry.clear();
    m_cache.clear();
    m_cache.reserve(100);
    m_allRead = m_conditions.empty();
    for (TAreaSearchCondition &c : m_conditions)
        c.Continue = 0;
}

void TSearchThread::nextCondition()
{
    ++m_condIndex;
    m_position = freshPosition();
    if (m_condIndex >= m_conditions.size()) {
        m_allRead = true;
        if (!m_carry.empty()) {
            m_cache.push_back(m_carry);
            m_carry.clear();
        }
    }
}

void TSearchThread::takeHits(const TAreaSearchHit *Hits, int Count)
{
    const auto b = static_cast<std::size_t>(blockSize());
    m_carry.insert(m_carry.end(), Hits, Hits + Count);
    while (m_carry.size() >= b) {
        m_cache.emplace_back(m_carry.begin(), m_carry.begin() + static_cast<std::ptrdiff_t>(b));
        m_carry.erase(m_carry.begin(), m_carry.begin() + static_cast<std::ptrdiff_t>(b));
    }
}

// Page PageNo is complete and whether another page follows it is known.
bool TSearchThread::pageKnown(int PageNo) const
{
    const auto cached = static_cast<int>(m_cache.size());
    return m_allRead || cached > PageNo || (cached == PageNo && !m_carry.empty());
}

void TSearchThread::SearchPage(TSearchMove Move)
{
    switch (Move) {
    case TSearchMove::New:
        reset();
        m_pageNo = 1;
        break;
    case TSearchMove::Next:
        ++m_pageNo;
        break;
    case TSearchMove::Prior:
        m_pageNo = std::max(1, m_pageNo - 1);
        break;
    case TSearchMove::Again:
        m_pageNo = std::max(1, m_pageNo);
        break;
    }

    const int b = blockSize();
    int code = AreaResultBlock;
    std::vector<TAreaSearchHit> block(static_cast<std::size_t>(b));
    while (!pageKnown(m_pageNo)) {
        TAreaSearchCondition &condition = m_conditions[m_condIndex];
        condition.BlockSize = b;
        const TAreaSearchPosition before = m_position;
        std::int32_t count = 0;
        ++m_libraryCalls;
        code = CallWqareaArea(condition, block.data(), count, m_position, AreaSearchLimit, AreaSearchCallback);
        if (code == AreaResultBlock && stopRequested())
            code = AreaResultStopped;
        if (code != AreaResultBlock && code != AreaResultNoMore && code != AreaResultStopped) {
            // Nothing of a failed call is taken: the next run reads the same block again.
            m_position = before;
            break;
        }
        count = std::clamp<std::int32_t>(count, 0, b);
        if (code == AreaResultNoMore)
            count = 0;
        takeHits(block.data(), count);
        if (count > 0)
            emit SearchProgress();
        if (code == AreaResultStopped) {
            condition.Continue = 1;
            break;
        }
        if (code == AreaResultNoMore || m_position.EndFlag != 0)
            nextCondition();
        else
            condition.Continue = 1;
    }

    TSearchPage page;
    page.PageNo = m_pageNo;
    page.FirstPage = m_pageNo == 1;
    const auto index = static_cast<std::size_t>(m_pageNo - 1);
    if (index < m_cache.size())
        page.Hits = m_cache[index];
    else if (index == m_cache.size())
        // The page being filled when the run stopped: the hits read so far.
        page.Hits.assign(m_carry.begin(), m_carry.begin() + std::min<std::ptrdiff_t>(b, std::ssize(m_carry)));
    if (code == AreaResultStopped || (code != AreaResultBlock && code != AreaResultNoMore)) {
        page.Code = code;
        page.LastPage = false;
    } else {
        page.Code = page.Hits.empty() ? AreaResultNoMore : AreaResultBlock;
        page.LastPage = m_allRead && m_cache.size() <= static_cast<std::size_t>(m_pageNo);
    }
    emit SearchDone(page);
}

void TSearchThread::CountHits(std::vector<TAreaSearchCondition> Conditions)
{
    TSearchCount result;
    result.Code = AreaResultNoMore;
    for (TAreaSearchCondition &condition : Conditions) {
        std::int32_t count = 0;
        ++m_libraryCalls;
        result.Code = CallWqareaAreaCount(condition, count, AreaSearchLimit, AreaSearchCallback);
        if (result.Code == AreaResultBlock && stopRequested())
            result.Code = AreaResultStopped;
        result.Count += std::max<std::int32_t>(count, 0);
    }
    if (result.Code == AreaResultNoMore && result.Count > 0)
        result.Code = AreaResultBlock;
    emit CountDone(result);
}

void TSearchThread::ExportFile(std::vector<TAreaSearchCondition> Conditions, const TExportRequest &Request)
{
    TExportResult result;
    result.Code = AreaResultNoMore;
    TExportFile file;
    if (Conditions.empty() || !file.Open(Request.FileName, Request.Append, &result.FileError)) {
        result.Code = ExportFileFailed;
        emit ExportDone(result);
        return;
    }
    bool header = Request.Header;
    const bool needsRecord = ExportNeedsRecord(Request.Columns);
    auto write = [&](const QByteArray &line) {
        if (!file.WriteLine(line, &result.FileError)) {
            result.Code = ExportFileFailed;
            return false;
        }
        return true;
    };
    auto writeHits = [&](const TAreaSearchHit *hits, int count) {
        for (int i = 0; i < count; ++i) {
            if (header) {
                if (!write(BuildHeaderLine(Request.Columns)))
                    return false;
                header = false;
            }
            const std::optional<TTelRecord> record =
                needsRecord ? FetchHitRecord(hits[i], Conditions.front()) : std::nullopt;
            if (needsRecord && !record) {
                result.Code = ExportRecordFailed;
                result.FileError = UnreadableHitMessage(hits[i]);
                return false;
            }
            const QByteArray line = BuildHitLine(hits[i], record, Request.Columns);
            if (line.isEmpty())
                continue;
            if (!write(line))
                return false;
            ++result.Lines;
        }
        return true;
    };

    const int b = std::clamp(Conditions.front().BlockSize, 1, 200);
    std::vector<TAreaSearchHit> block(static_cast<std::size_t>(b));
    TAreaSearchPosition position = freshPosition();
    for (std::size_t index = 0; index < Conditions.size();) {
        TAreaSearchCondition &condition = Conditions[index];
        condition.BlockSize = b;
        std::int32_t count = 0;
        ++m_libraryCalls;
        int code = CallWqareaArea(condition, block.data(), count, position, AreaSearchLimit, AreaSearchCallback);
        if (code == AreaResultBlock && stopRequested())
            code = AreaResultStopped;
        count = std::clamp<std::int32_t>(count, 0, b);
        if (code == AreaResultNoMore) {
            ++index;
            position = freshPosition();
            continue;
        }
        if (code != AreaResultBlock && code != AreaResultStopped) {
            result.Code = code;
            break;
        }
        result.Hits += count;
        emit SearchProgress();
        if (!writeHits(block.data(), count))
            break;
        if (code == AreaResultStopped) {
            result.Code = code;
            break;
        }
        result.Code = AreaResultBlock;
        if (position.EndFlag != 0) {
            ++index;
            position = freshPosition();
        } else {
            condition.Continue = 1;
        }
    }
    if (result.Code == AreaResultNoMore && result.Hits > 0)
        result.Code = AreaResultBlock;
    // Lines that could not all be written are not kept: the file stays as
    // it was. A stop or a library failure keeps the lines written so far.
    // A hit whose record could not be read stops the export and keeps
    // nothing either: its line and the ones after it would be missing.
    if (result.Code == ExportFileFailed || result.Code == ExportRecordFailed)
        file.Abandon();
    else if (!file.Finish(&result.FileError))
        result.Code = ExportFileFailed;
    if (result.Code == ExportFileFailed || result.Code == ExportRecordFailed)
        result.Lines = 0;
    emit ExportDone(result);
}

// ---------------------------------------------------------------------------

TSearchThreadHost::TSearchThreadHost(QObject *Parent) : QObject(Parent)
{
    m_thread.setObjectName(QStringLiteral("SearchThread"));
    m_worker = new TSearchThread;
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &TSearchThread::SearchDone, this, [this](const TSearchPage &page) {
        m_busy = false;
        emit SearchDone(page);
    });
    connect(m_worker, &TSearchThread::CountDone, this, [this](const TSearchCount &count) {
        m_busy = false;
        emit CountDone(count);
    });
    connect(m_worker, &TSearchThread::ExportDone, this, [this](const TExportResult &result) {
        m_busy = false;
        emit ExportDone(result);
    });
    m_thread.start();
}

TSearchThreadHost::~TSearchThreadHost()
{
    Stop();
    m_thread.quit();
    m_thread.wait();
}

void TSearchThreadHost::queue(std::function<void(TSearchThread *)> Run)
{
    m_busy = true;
    // Cleared here, before the run is queued, so a Stop given while it waits
    // in the queue still stops it.
    SearchStopFlag.store(false, std::memory_order_release);
    TSearchThread *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker, Run = std::move(Run)] { Run(worker); }, Qt::QueuedConnection);
}

void TSearchThreadHost::Search(const std::vector<TAreaSearchCondition> &Conditions)
{
    queue([Conditions](TSearchThread *w) {
        w->SetConditions(Conditions);
        w->SearchPage(TSearchMove::New);
    });
}

void TSearchThreadHost::MovePage(TSearchMove Move)
{
    queue([Move](TSearchThread *w) { w->SearchPage(Move); });
}

void TSearchThreadHost::Count(const std::vector<TAreaSearchCondition> &Conditions)
{
    queue([Conditions](TSearchThread *w) { w->CountHits(Conditions); });
}

void TSearchThreadHost::Export(const std::vector<TAreaSearchCondition> &Conditions, const TExportRequest &Request)
{
    queue([Conditions, Request](TSearchThread *w) { w->ExportFile(Conditions, Request); });
}

void TSearchThreadHost::Stop()
{
    SearchStopFlag.store(true, std::memory_order_release);
}
