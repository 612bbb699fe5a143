#pragma once
// The two places where a finished item download needs the user: handing its result over to
// whoever owns the items, and asking what to do about a failure. The download scheduler thread
// calls both synchronously; the front end (GUI or command line) installs its implementations.

#include "sites/ItemInfo.h"

#include <string>

class CItem;

class IItemResultTarget
{
public:
    virtual ~IItemResultTarget() = default;
    // Applies `info` to `item` (which may no longer be held by any document, or be null) and
    // returns only when that is done; `info` is not touched by the caller meanwhile.
    virtual void DeliverItemResult(CItem* item, CItemInfo& info) = 0;
};

class IErrorQuestion
{
public:
    virtual ~IErrorQuestion() = default;
    enum Answer { kRetry = 1, kIgnore = 2, kAbort = 3 };
    // Shows `message` with Abort, Retry and Ignore and returns the answer.
    virtual int AskAbortRetryIgnore(const std::string& message) = 0;
};

// Process-wide hooks; nullptr removes them. Without a result target results are dropped (as
// when there is no main window); without an error question every failure is ignored.
void SetItemResultTarget(IItemResultTarget* target);
IItemResultTarget* ItemResultTarget();
void SetErrorQuestion(IErrorQuestion* question);
IErrorQuestion* ErrorQuestion();
