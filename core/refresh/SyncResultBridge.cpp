#include "core/refresh/SyncResultBridge.h"

#include <utility>

CSyncResultBridge::CSyncResultBridge(ApplyFunction applyResult, std::function<void()> wakeOwner)
    : apply(std::move(applyResult)), wake(std::move(wakeOwner))
{
}

CSyncResultBridge::~CSyncResultBridge()
{
    Close();
}

void CSyncResultBridge::DeliverItemResult(CItem* item, CItemInfo& info)
{
    // Runs on the download scheduler thread; the owner's thread applies it.
    Handover handover{item, &info};
    std::unique_lock guard(lock);
    if (closed)
        return;
    pending.push_back(&handover);
    arrived.notify_all();
    if (wake) {
        guard.unlock();
        wake();
        guard.lock();
    }
    applied.wait(guard, [&] { return handover.done; });
}

int CSyncResultBridge::ApplyPending()
{
    // Runs on the owner's thread, the only one that touches items.
    int count = 0;
    std::unique_lock guard(lock);
    while (!pending.empty()) {
        Handover* handover = pending.front();
        pending.pop_front();
        // The scheduler stays blocked in DeliverItemResult until `done`, so the record may be
        // used without the lock.
        guard.unlock();
        if (apply)
            apply(handover->item, *handover->info);
        guard.lock();
        handover->done = true;
        applied.notify_all();
        ++count;
    }
    return count;
}

int CSyncResultBridge::WaitAndApply(std::chrono::milliseconds timeout)
{
    {
        std::unique_lock guard(lock);
        arrived.wait_for(guard, timeout, [&] { return !pending.empty() || closed; });
    }
    return ApplyPending();
}

void CSyncResultBridge::Close()
{
    std::lock_guard guard(lock);
    closed = true;
    for (Handover* handover : pending)
        handover->done = true;
    pending.clear();
    applied.notify_all();
    arrived.notify_all();
}
