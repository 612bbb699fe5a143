#pragma once
// Hands finished item results from the download scheduler thread to the thread that owns the
// document, synchronously: the scheduler waits until its result has been applied, so the
// record is never touched by two threads at once and items are only ever changed by their
// owner. lotwarden pumps it from its main thread; the desktop program is woken to pump it from
// its event loop.

#include "sites/ItemInfo.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class CItem;

class CSyncResultBridge
{
public:
    // `apply` runs on the owner's thread, inside ApplyPending or WaitAndApply.
    using ApplyFunction = std::function<void(CItem* item, CItemInfo& info)>;

    // `wakeOwner`, when given, is called on the scheduler thread each time a result waits, so
    // that an owner with an event loop can come and call ApplyPending.
    explicit CSyncResultBridge(ApplyFunction applyResult, std::function<void()> wakeOwner = {});
    ~CSyncResultBridge(); // closes
    CSyncResultBridge(const CSyncResultBridge&) = delete;
    CSyncResultBridge& operator=(const CSyncResultBridge&) = delete;

    // Scheduler thread: queues the result, wakes the owner and waits until the owner has
    // applied it, or until the bridge is closed (the result is then dropped).
    void DeliverItemResult(CItem* item, CItemInfo& info);

    // Owner thread: applies every result handed over so far; returns how many.
    int ApplyPending();
    // Owner thread: waits up to `timeout` for a result, then applies what has come.
    int WaitAndApply(std::chrono::milliseconds timeout);
    // Owner thread: from now on results are dropped and no scheduler waits any longer.
    void Close();

private:
    struct Handover
    {
        CItem* item;
        CItemInfo* info;
        bool done = false;
    };

    ApplyFunction apply;
    std::function<void()> wake;
    std::mutex lock;
    std::condition_variable arrived; // the owner waits on it for a result
    std::condition_variable applied; // schedulers wait on it for their result to be applied
    std::deque<Handover*> pending;
    bool closed = false;
};
