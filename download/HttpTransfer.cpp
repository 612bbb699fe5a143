// One transfer thread: fetches a download's URL with libcurl into its temporary file.
//
// Status of a transfer: 0 body stored; 1 not started (bad URL, no session, file not opened);
// 2 network failure (no connect, time-out, connection lost, cancelled); 3 HTTP failure (a status
// other than 200, the request not sent, the body not stored in full or too large).

#include "download/CurlSession.h"
#include "download/DownItem.h"
#include "download/DownloadTuning.h"
#include "download/ProxyCredentials.h"
#include "download/QueueInternal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <strings.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)";

// Lets one transfer at a time ask for proxy credentials and send its request again with them.
// Never held together with the queue lock.
std::mutex dialogLock;

struct ProxyLogin
{
    std::string user;
    std::string password;
    bool operator==(const ProxyLogin&) const = default;
};

std::string ProxyWithoutLogin(const std::string& proxy);

// The credentials given for each proxy (as configured) during this run.
std::mutex loginsLock;
std::map<std::string, ProxyLogin> knownLogins;

bool KnownLogin(const std::string& proxy, ProxyLogin& login)
{
    std::lock_guard lock(loginsLock);
    const auto it = knownLogins.find(proxy);
    if (it == knownLogins.end())
        return false;
    login = it->second;
    return true;
}

void RememberLogin(const std::string& proxy, const ProxyLogin& login)
{
    std::lock_guard lock(loginsLock);
    knownLogins[proxy] = login;
}

// The proxy's own address replaces the configured one, so that credentials written into the
// proxy variable do not take precedence over the ones given.
void SendLogin(CURL* easy, const std::string& proxy, const ProxyLogin& login)
{
    curl_easy_setopt(easy, CURLOPT_PROXY, ProxyWithoutLogin(proxy).c_str());
    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, login.user.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, login.password.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
}

struct TransferContext
{
    CurlSession* session = nullptr;
    int fd = -1;
    std::int64_t written = 0;
    std::int64_t discarded = 0; // bytes of error pages read and dropped
    std::int64_t maxBytes = 0;
    bool tooLarge = false;
    bool writeFailed = false;
    long retryAfter = -1; // the current answer's Retry-After in seconds
    // Held while a request is sent again with proxy credentials; let go as soon as its answer's
    // headers are in, so that the next transfer may ask while this body is still arriving.
    std::unique_lock<std::mutex>* dialog = nullptr;
};

long ResponseCode(CURL* easy)
{
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user)
{
    auto* context = static_cast<TransferContext*>(user);
    const size_t length = size * count;
    // The body of an error page is not kept (only a 200 answer fills the file), but it is
    // held to the same size limit, so that an endless error page cannot hold a transfer.
    if (ResponseCode(context->session->easy) != 200) {
        context->discarded += static_cast<std::int64_t>(length);
        if (context->discarded > context->maxBytes) {
            context->tooLarge = true;
            return 0;
        }
        return length;
    }
    if (context->written + static_cast<std::int64_t>(length) > context->maxBytes) {
        context->tooLarge = true;
        return 0;
    }
    size_t done = 0;
    while (done < length) {
        ssize_t n = write(context->fd, data + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            context->writeFailed = true;
            return 0;
        }
        done += static_cast<size_t>(n);
    }
    context->written += static_cast<std::int64_t>(length);
    return length;
}

// Retry-After as seconds from now: delta-seconds or an HTTP date; -1 when unreadable.
long RetryAfterSeconds(std::string value)
{
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
        value.pop_back();
    value.erase(0, std::min(value.find_first_not_of(' '), value.size()));
    if (!value.empty() && value.find_first_not_of("0123456789") == std::string::npos)
        return value.size() > 9 ? 999999999L : std::stol(value);
    const time_t when = curl_getdate(value.c_str(), nullptr);
    if (when < 0)
        return -1;
    const time_t now = time(nullptr);
    return when > now ? static_cast<long>(when - now) : 0L;
}

size_t ReadHeader(char* data, size_t size, size_t count, void* user)
{
    auto* context = static_cast<TransferContext*>(user);
    const size_t length = size * count;
    const std::string_view line(data, length);
    if (line.starts_with("HTTP/"))
        context->retryAfter = -1; // a new answer (after a redirect or a proxy's 407)
    else if (line.size() > 12 && strncasecmp(data, "Retry-After:", 12) == 0)
        context->retryAfter = RetryAfterSeconds(std::string(line.substr(12)));
    const bool blankLine = length <= 2 && (length == 0 || data[0] == '\r' || data[0] == '\n');
    if (blankLine && context->dialog && context->dialog->owns_lock()) {
        const long code = ResponseCode(context->session->easy);
        if (code >= 200 && code != 407)
            context->dialog->unlock();
    }
    return length;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<CurlSession*>(user)->closed ? 1 : 0;
}

// Empties the file for a new attempt. An empty file is left alone: truncating makes ext4 write
// the next body out at close (its guard for files replaced by truncation), and then deleting
// the file waits for that write and, on volumes mounted with discard, for the discard.
bool ResetFile(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    if (st.st_size != 0 && ftruncate(fd, 0) != 0)
        return false;
    return lseek(fd, 0, SEEK_SET) == 0;
}

// Runs the request once on the session's own multi handle, so that closing the session wakes
// the wait at once instead of at libcurl's next progress call.
CURLcode PerformOnce(CurlSession& session)
{
    if (session.closed)
        return CURLE_ABORTED_BY_CALLBACK;
    if (curl_multi_add_handle(session.multi, session.easy) != CURLM_OK)
        return CURLE_FAILED_INIT;
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    while (!session.closed) {
        int active = 0;
        if (curl_multi_perform(session.multi, &active) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        if (active == 0) {
            result = CURLE_GOT_NOTHING;
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(session.multi, &left)) {
                if (message->msg == CURLMSG_DONE)
                    result = message->data.result;
            }
            break;
        }
        curl_multi_poll(session.multi, nullptr, 0, 1000, nullptr);
    }
    curl_multi_remove_handle(session.multi, session.easy);
    if (session.closed)
        return CURLE_ABORTED_BY_CALLBACK;
    return result;
}

// Waits `ms`, ending early when the session is closed.
void Pause(CurlSession& session, long ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!session.closed) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        curl_multi_poll(session.multi, nullptr, 0, static_cast<int>(left.count()), nullptr);
    }
}

// A refused connection is tried again a few times, a second apart, like a dial-up era client.
CURLcode PerformWithRetries(CurlSession& session, TransferContext& context,
                            const DownloadTuning& tuning)
{
    for (int attempt = 0;; ++attempt) {
        if (!ResetFile(context.fd)) {
            context.writeFailed = true;
            return CURLE_WRITE_ERROR;
        }
        context.written = 0;
        const CURLcode result = PerformOnce(session);
        if (result != CURLE_COULDNT_CONNECT || attempt >= tuning.connectRetries || session.closed)
            return result;
        Pause(session, tuning.connectRetryDelayMs);
    }
}

int StatusOf(CURLcode result, const TransferContext& context)
{
    if (context.session->closed)
        return 2;
    switch (result) {
    case CURLE_OK:
        return 0;
    case CURLE_WRITE_ERROR:
    case CURLE_SEND_ERROR:
        return 3;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
    case CURLE_FAILED_INIT:
    case CURLE_OUT_OF_MEMORY:
        return 1;
    default:
        return 2;
    }
}

std::string ProxyFor(const std::string& scheme)
{
    // libcurl's own order: the scheme's variable (lower case only for http), then all_proxy.
    const char* names[] = {scheme == "https" ? "https_proxy" : "http_proxy",
                           scheme == "https" ? "HTTPS_PROXY" : nullptr, "all_proxy", "ALL_PROXY"};
    for (const char* name : names) {
        if (!name)
            continue;
        if (const char* value = std::getenv(name); value && *value)
            return value;
    }
    return {};
}

// The proxy as the user should see it: without a user name or password written into it.
std::string ProxyWithoutLogin(const std::string& proxy)
{
    const std::size_t scheme = proxy.find("://");
    const std::size_t hostStart = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t at = proxy.find('@', hostStart);
    if (at == std::string::npos || proxy.find('/', hostStart) < at)
        return proxy;
    return proxy.substr(0, hostStart) + proxy.substr(at + 1);
}

// Splits the URL like the platform's URL parser: an http or https URL with a host, else none.
bool CheckUrl(const std::string& url, std::string& scheme)
{
    CURLU* handle = curl_url();
    if (!handle)
        return false;
    bool ok = curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
    char* part = nullptr;
    if (ok && curl_url_get(handle, CURLUPART_SCHEME, &part, 0) == CURLUE_OK) {
        scheme = part;
        curl_free(part);
        ok = scheme == "http" || scheme == "https";
    } else {
        ok = false;
    }
    part = nullptr;
    if (ok && curl_url_get(handle, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
        ok = part[0] != '\0';
        curl_free(part);
    } else {
        ok = false;
    }
    curl_url_cleanup(handle);
    return ok;
}

struct SessionDeleter
{
    void operator()(CurlSession* session) const
    {
        if (session->easy)
            curl_easy_cleanup(session->easy);
        if (session->multi)
            curl_multi_cleanup(session->multi);
        delete session;
    }
};
using SessionPtr = std::unique_ptr<CurlSession, SessionDeleter>;

struct HeaderList
{
    curl_slist* list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
};

struct FileHandle
{
    int fd = -1;
    ~FileHandle()
    {
        if (fd >= 0)
            close(fd);
    }
};

bool Configure(CURL* easy, const std::string& url, const std::string& userAgent, const DownloadTuning& tuning,
               TransferContext& context, CurlSession& session, curl_slist* headers)
{
    bool ok = true;
    auto set = [&](CURLoption option, auto value) { ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK; };
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_USERAGENT, userAgent.empty() ? kUserAgent : userAgent.c_str());
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, 10L);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_CONNECTTIMEOUT_MS, tuning.connectTimeoutMs);
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, tuning.stallTimeoutSec);
    set(CURLOPT_HTTPHEADER, headers);
    set(CURLOPT_WRITEFUNCTION, WriteBody);
    set(CURLOPT_WRITEDATA, static_cast<void*>(&context));
    set(CURLOPT_HEADERFUNCTION, ReadHeader);
    set(CURLOPT_HEADERDATA, static_cast<void*>(&context));
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, Progress);
    set(CURLOPT_XFERINFODATA, static_cast<void*>(&session));
    return ok;
}

int Transfer(CDownItem* download, SessionPtr& session)
{
    download->httpStatus = 0;
    download->retryAfterSeconds = -1;
    if (!download->PrepareRequest())
        return 1;
    const std::string url = download->url;
    std::string scheme;
    if (!CheckUrl(url, scheme))
        return 1;
    const DownloadTuning tuning = GetDownloadTuning();

    {
        SessionPtr created(new (std::nothrow) CurlSession);
        if (!created)
            return 1;
        created->multi = curl_multi_init();
        created->easy = curl_easy_init();
        if (!created->multi || !created->easy)
            return 1;
        session = std::move(created);
        std::lock_guard lock(DownloadQueueLock());
        download->session = session.get();
        if (download->cancelRequested)
            session->closed = true;
    }

    if (download->delayBeforeRequestMs > 0) {
        Pause(*session, download->delayBeforeRequestMs);
        if (session->closed)
            return 2;
    }

    FileHandle file;
    file.fd = open(download->localFile.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (file.fd < 0)
        return 1;

    TransferContext context;
    context.session = session.get();
    context.fd = file.fd;
    context.maxBytes = tuning.maxBodyBytes;

    HeaderList headers;
    // Always from the server: neither a proxy nor any cache on the way may answer for it.
    std::vector<std::string> lines = {"Cache-Control: no-cache", "Pragma: no-cache"};
    lines.insert(lines.end(), download->requestHeaders.begin(), download->requestHeaders.end());
    for (const std::string& header : lines) {
        curl_slist* grown = curl_slist_append(headers.list, header.c_str());
        if (!grown)
            return 1;
        headers.list = grown;
    }
    if (!Configure(session->easy, url, download->userAgent, tuning, context, *session, headers.list))
        return 1;
    // Credentials already given for this proxy go with the first request.
    const std::string proxy = ProxyFor(scheme);
    ProxyLogin sent;
    if (!proxy.empty() && KnownLogin(proxy, sent))
        SendLogin(session->easy, proxy, sent);

    CURLcode result = PerformWithRetries(*session, context, tuning);
    long code = result == CURLE_OK ? ResponseCode(session->easy) : 0;
    if (result != CURLE_OK) {
        long connectCode = 0;
        curl_easy_getinfo(session->easy, CURLINFO_HTTP_CONNECTCODE, &connectCode);
        if (connectCode == 407)
            code = 407;
    }

    if (code == 407 && !session->closed) {
        std::unique_lock dialog(dialogLock);
        if (session->closed)
            return 2;
        // Another transfer may have been given new credentials while this one waited; only
        // when none are known, or the ones just sent were refused, is the user asked.
        ProxyLogin login;
        if (!KnownLogin(proxy, login) || login == sent) {
            IProxyCredentialsProvider* asked = download->proxyCredentials;
            if (!asked || !asked->AskProxyCredentials(ProxyWithoutLogin(proxy), login.user, login.password))
                return 3;
            RememberLogin(proxy, login);
        }
        SendLogin(session->easy, proxy, login);
        context.dialog = &dialog;
        context.tooLarge = context.writeFailed = false;
        context.discarded = 0;
        result = PerformWithRetries(*session, context, tuning);
        context.dialog = nullptr;
        if (dialog.owns_lock())
            dialog.unlock();
        code = result == CURLE_OK ? ResponseCode(session->easy) : 0;
    }

    download->httpStatus = code;
    download->retryAfterSeconds = context.retryAfter;
    if (context.tooLarge || context.writeFailed)
        return 3;
    if (result != CURLE_OK)
        return StatusOf(result, context);
    if (session->closed)
        return 2;
    return code == 200 ? 0 : 3;
}

} // namespace

void ForgetProxyCredentials()
{
    std::lock_guard lock(loginsLock);
    knownLogins.clear();
}

void InitHttpTransfers()
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

void RunTransferThread(CDownItem* download)
{
    pthread_setname_np(pthread_self(), "lw-transfer");
    SessionPtr session;
    const int status = Transfer(download, session);
    // Unregisters the session and ends the transfer in one step; from here on nobody can reach
    // the session through the download, and the download may be deleted at any moment.
    EndTransfer(download, status, session.get());
}
