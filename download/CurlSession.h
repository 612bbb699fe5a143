#pragma once
// The libcurl state of one running transfer. The transfer thread creates and frees it; while it
// is registered in CDownItem::session (under the queue lock) another thread may close it, which
// makes the transfer's pending network wait end at once with status 2.

#include <atomic>

#include <curl/curl.h>

struct CurlSession
{
    CURLM* multi = nullptr; // one easy handle driven by its own multi handle, so it can be woken
    CURL* easy = nullptr;
    std::atomic<bool> closed{false};
};

// Under the queue lock, while `session` is still registered in its download.
inline void CloseCurlSession(CurlSession& session)
{
    session.closed = true;
    curl_multi_wakeup(session.multi);
}
