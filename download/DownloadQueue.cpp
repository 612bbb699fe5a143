#include "download/DownloadQueue.h"

#include "download/CurlSession.h"
#include "download/DownItem.h"
#include "download/DownloadTuning.h"
#include "download/QueueInternal.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include <pthread.h>

namespace {

struct QueueState
{
    std::mutex lock;
    std::vector<CDownItem*> waiting;
    std::vector<CDownItem*> running;
    bool schedulerRunning = false;
    CDownItem* finishing = nullptr;
    std::thread scheduler;
    // Transfer threads that have ended (or are just returning), joined later in a batch so
    // that the scheduler never waits for a thread to be given the processor again.
    std::vector<std::thread> endedThreads;

    // Wakes the scheduler between passes: a transfer ended, a download was queued or cancelled.
    std::condition_variable wake;
    bool wakeRequested = false;
    std::condition_variable schedulerEnded;

    std::mutex tuningLock;
    DownloadTuning tuning;
};

// Never destroyed: a program that exits without StopAllDownloads must not destroy a queue that
// live threads still use.
QueueState& Queue()
{
    static QueueState* state = new QueueState;
    return *state;
}

std::atomic<int> failThreadStarts{0};
std::once_flag httpInit;

void JoinAll(std::vector<std::thread>& threads)
{
    for (std::thread& thread : threads)
        thread.join();
    threads.clear();
}

bool IsKind(CDownItem* download, const std::type_info* kind)
{
    return kind == nullptr || typeid(*download) == *kind;
}

void WakeSchedulerLocked(QueueState& q)
{
    q.wakeRequested = true;
    q.wake.notify_one();
}

bool CancelLocked(QueueState& q, const std::type_info* kind)
{
    if (!q.schedulerRunning)
        return false;
    bool marked = false;
    for (auto* list : {&q.waiting, &q.running}) {
        for (CDownItem* download : *list) {
            if (IsKind(download, kind)) {
                download->cancelRequested = true;
                marked = true;
            }
        }
    }
    if (marked)
        WakeSchedulerLocked(q);
    return marked;
}

// Called with the queue lock held. Moves `download` (or, with nullptr, the first waiting
// download whose kind is below its limit) to the running list and starts its transfer thread.
// The thread is created with the lock released, so that the new thread (which takes the lock at
// once) does not find it held by its own creator; this is safe because only the scheduler
// thread starts, hands over and deletes downloads and touches `workerThread`. A thread that
// cannot be started ends the download at once with status 1, so the scheduler reports it like
// any failed transfer instead of keeping it running for ever.
bool StartTransfer(QueueState& q, std::unique_lock<std::mutex>& lock, CDownItem* download)
{
    try {
        q.running.reserve(q.running.size() + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!download) {
        // Kinds found at their limit in this pass; a later download of another kind may start.
        std::vector<const std::type_info*> full;
        for (auto it = q.waiting.begin(); it != q.waiting.end(); ++it) {
            const std::type_info& kind = typeid(**it);
            if (std::any_of(full.begin(), full.end(), [&](auto* k) { return *k == kind; }))
                continue;
            const auto runningOfKind =
                std::count_if(q.running.begin(), q.running.end(),
                              [&](CDownItem* r) { return typeid(*r) == kind; });
            if (runningOfKind < (*it)->GetMaxSimultaneous()) {
                download = *it;
                q.waiting.erase(it);
                break;
            }
            full.push_back(&kind);
        }
        if (!download)
            return false;
    }
    q.running.push_back(download);
    download->transferEnded = false;
    download->session = nullptr;

    lock.unlock();
    std::thread thread;
    if (failThreadStarts.load() > 0 && failThreadStarts.fetch_sub(1) > 0) {
        // left empty: the start failed
    } else {
        try {
            thread = std::thread(RunTransferThread, download);
        } catch (const std::system_error&) {
        }
    }
    const bool started = thread.joinable();
    download->workerThread = std::move(thread);
    lock.lock();
    if (!started) {
        download->downloadStatus = 1;
        download->transferEnded = true;
        WakeSchedulerLocked(q);
    }
    return true;
}

// Under the queue lock. Removes cancelled downloads, closes the sessions of cancelled running
// transfers and hands over the first ended transfer. Returns whether work is left; the
// scheduler flag takes the answer under the same lock, so nothing queued meanwhile is missed.
bool TakeFinishedLocked(QueueState& q, CDownItem*& handed)
{
    handed = nullptr;
    for (size_t i = q.waiting.size(); i-- > 0;) {
        if (q.waiting[i]->cancelRequested) {
            delete q.waiting[i];
            q.waiting.erase(q.waiting.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    for (CDownItem* download : q.running) {
        if (download->cancelRequested && download->session) {
            // The transfer thread still owns the handles; closing makes its wait end now.
            CloseCurlSession(*download->session);
            download->session = nullptr;
        }
    }
    for (size_t i = q.running.size(); i-- > 0;) {
        CDownItem* download = q.running[i];
        if (download->cancelRequested && download->transferEnded) {
            if (download->workerThread.joinable())
                q.endedThreads.push_back(std::move(download->workerThread));
            delete download;
            q.running.erase(q.running.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    for (auto it = q.running.begin(); it != q.running.end(); ++it) {
        if ((*it)->transferEnded) {
            handed = *it;
            q.running.erase(it);
            q.finishing = handed;
            if (handed->workerThread.joinable())
                q.endedThreads.push_back(std::move(handed->workerThread));
            break;
        }
    }
    const bool workLeft = handed || !q.waiting.empty() || !q.running.empty();
    if (!workLeft) {
        // These threads take no lock after ending their transfer, so they cannot block here.
        JoinAll(q.endedThreads);
    }
    q.schedulerRunning = workLeft;
    if (!workLeft)
        q.schedulerEnded.notify_all();
    return workLeft;
}

// On the scheduler thread, without the queue lock: parse, ask, deliver, restart or delete.
void FinishDownload(QueueState& q, CDownItem* download)
{
    bool fetchAgain = false;
    if (download->downloadStatus == 0)
        download->downloadStatus = download->OnDownloaded(fetchAgain);
    int answer = 0;
    if (download->downloadStatus != 0)
        answer = download->OnError();

    std::unique_lock lock(q.lock);
    q.finishing = nullptr;
    if (answer == 1 || fetchAgain) {
        download->downloadStatus = 0;
        if (StartTransfer(q, lock, download))
            return;
        lock.unlock();
        delete download; // no room left to run it again
        return;
    }
    if (answer == 3) {
        CancelLocked(q, &typeid(*download));
        lock.unlock();
    } else {
        lock.unlock();
        if (answer != 2)
            download->OnComplete();
    }
    delete download;
}

void SchedulerMain()
{
    pthread_setname_np(pthread_self(), "lw-downloads");
    QueueState& q = Queue();
    for (;;) {
        CDownItem* handed = nullptr;
        {
            std::lock_guard lock(q.lock);
            q.wakeRequested = false;
            if (!TakeFinishedLocked(q, handed))
                return;
        }
        bool idle = true;
        if (handed) {
            FinishDownload(q, handed);
            idle = false;
        }
        std::unique_lock lock(q.lock);
        if (StartTransfer(q, lock, nullptr))
            idle = false;
        // Joins the threads of finished transfers when idle, or the older ones of a long list
        // (long since gone); the newest may still be freeing their handles.
        if (idle || q.endedThreads.size() >= 64) {
            const size_t keep = idle ? 0 : 16;
            std::vector<std::thread> ended(std::make_move_iterator(q.endedThreads.begin()),
                                           std::make_move_iterator(q.endedThreads.end() - static_cast<std::ptrdiff_t>(keep)));
            q.endedThreads.erase(q.endedThreads.begin(), q.endedThreads.end() - static_cast<std::ptrdiff_t>(keep));
            lock.unlock();
            JoinAll(ended);
            lock.lock();
        }
        if (idle) {
            const long idleMs = GetDownloadTuning().idlePassMs;
            q.wake.wait_for(lock, std::chrono::milliseconds(idleMs), [&] { return q.wakeRequested; });
        }
    }
}

} // namespace

std::mutex& DownloadQueueLock()
{
    return Queue().lock;
}

void EndTransfer(CDownItem* download, int status, CurlSession* session)
{
    QueueState& q = Queue();
    {
        std::lock_guard lock(q.lock);
        if (session && download->session == session)
            download->session = nullptr;
        download->downloadStatus = status;
        download->transferEnded = true;
        q.wakeRequested = true;
    }
    q.wake.notify_one();
}

DownloadTuning GetDownloadTuning()
{
    QueueState& q = Queue();
    std::lock_guard lock(q.tuningLock);
    return q.tuning;
}

void SetDownloadTuning(const DownloadTuning& tuning)
{
    QueueState& q = Queue();
    std::lock_guard lock(q.tuningLock);
    q.tuning = tuning;
}

void FailTransferThreadStartsForTesting(int count)
{
    failThreadStarts = count;
}

bool QueueDownload(CDownItem* download, const std::string& url)
{
    if (!download)
        return false;
    std::call_once(httpInit, InitHttpTransfers);
    QueueState& q = Queue();
    std::lock_guard lock(q.lock);
    try {
        download->url = url;
        q.waiting.push_back(download);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!q.schedulerRunning) {
        // A previous scheduler has left its loop (it dropped the flag in its last pass under
        // this lock) and takes no lock again, so joining it here cannot block for long.
        if (q.scheduler.joinable())
            q.scheduler.join();
        try {
            q.scheduler = std::thread(SchedulerMain);
        } catch (const std::system_error&) {
            q.waiting.pop_back();
            return false;
        }
        q.schedulerRunning = true;
    }
    WakeSchedulerLocked(q);
    return true;
}

bool CancelDownloads(const std::type_info* kind)
{
    QueueState& q = Queue();
    std::lock_guard lock(q.lock);
    return CancelLocked(q, kind);
}

bool CancelMatching(const std::type_info& kind, const CItem* item, bool keep)
{
    QueueState& q = Queue();
    std::lock_guard lock(q.lock);
    if (!q.schedulerRunning)
        return false;
    bool marked = false;
    for (auto* list : {&q.waiting, &q.running}) {
        for (CDownItem* download : *list) {
            // Every download is asked, so that with keep false each one lets go of the item.
            if (typeid(*download) == kind && download->IsForItem(item, keep)) {
                download->cancelRequested = true;
                marked = true;
            }
        }
    }
    if (marked)
        WakeSchedulerLocked(q);
    return marked;
}

bool HasDownloadFor(const std::type_info& kind, const CItem* item, bool keep)
{
    QueueState& q = Queue();
    std::lock_guard lock(q.lock);
    if (!q.schedulerRunning)
        return false;
    for (auto* list : {&q.waiting, &q.running}) {
        for (CDownItem* download : *list) {
            if (typeid(*download) == kind && download->IsForItem(item, keep))
                return true;
        }
    }
    return false;
}

int CountDownloads(const std::type_info& kind)
{
    QueueState& q = Queue();
    std::lock_guard lock(q.lock);
    if (!q.schedulerRunning)
        return 0;
    int count = 0;
    for (auto* list : {&q.waiting, &q.running})
        for (CDownItem* download : *list)
            count += typeid(*download) == kind ? 1 : 0;
    if (q.finishing && typeid(*q.finishing) == kind)
        ++count;
    return count;
}

bool IsQueueActive()
{
    QueueState& q = Queue();
    std::lock_guard lock(q.lock);
    return q.schedulerRunning;
}

void StopAllDownloads()
{
    QueueState& q = Queue();
    std::unique_lock lock(q.lock);
    if (q.scheduler.get_id() == std::this_thread::get_id()) {
        // Called from a download's own operation: the scheduler cannot end while it waits here.
        CancelLocked(q, nullptr);
        return;
    }
    while (q.schedulerRunning) {
        CancelLocked(q, nullptr);
        q.schedulerEnded.wait_for(lock, std::chrono::milliseconds(100));
    }
    std::thread scheduler = std::move(q.scheduler);
    lock.unlock();
    if (scheduler.joinable())
        scheduler.join();
}
