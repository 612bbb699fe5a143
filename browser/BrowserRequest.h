#pragma once
// Requests to a running web browser over its browser-control conversation: "WWW_ListWindows",
// "WWW_GetWindowInfo", "WWW_OpenURL" and "WWW_Activate" (the topics Netscape-compatible
// browsers answer). The search window uses them to open search results in a known browser
// window and to follow what that window shows.
//
// The transport sits behind IBrowserConversations. Only Windows has one (DDE); elsewhere the
// transport connects to nothing, every request fails quietly, and the search window opens its
// results through OpenInBrowser instead.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The platform's client side of browser conversations. Conversation handles are non-zero.
class IBrowserConversations
{
public:
    using Conversation = std::uintptr_t;
    virtual ~IBrowserConversations() = default;

    // Whether conversations can ever take place on this platform.
    virtual bool Exists() const = 0;
    // Starts the client; false when the transport cannot start.
    virtual bool Initialize() = 0;
    // The conversation service named by the system for the default browser's "open" command
    // (on Windows: HKCR\http\shell\open\ddeexec\Application); empty when none is named.
    virtual std::string DefaultBrowserService() = 0;
    // 0 when no server answers for (service, topic).
    virtual Conversation Connect(const std::string& service, const std::string& topic) = 0;
    // A synchronous request for `item` in text format; false when no data came within `timeoutMs`.
    virtual bool Request(Conversation conversation, const std::string& item, int timeoutMs, std::string& data) = 0;
    virtual void Disconnect(Conversation conversation) = 0;
    virtual void Uninitialize() = 0;
};

// This platform's transport: one that has no browser conversations.
std::unique_ptr<IBrowserConversations> MakePlatformBrowserConversations();

// The client: service detection, the conversation cache (one conversation per topic) and
// the request. User-interface thread only.
class CBrowserRequester
{
public:
    static constexpr int kRequestTimeoutMs = 1000;

    // `reportError` shows a message ("DDE Initialization Failed"); it may be empty.
    explicit CBrowserRequester(IBrowserConversations& transport,
                               std::function<void(const std::string&)> reportError = {});
    ~CBrowserRequester();
    CBrowserRequester(const CBrowserRequester&) = delete;
    CBrowserRequester& operator=(const CBrowserRequester&) = delete;

    // True when the browser answered; the reply data goes to *reply and its length in bytes
    // to *replyLength when they are given.
    bool Request(const std::string& topic, const std::string& item, std::string* reply = nullptr,
                 std::size_t* replyLength = nullptr);
    // The transport's notice that the browser closed `conversation`: the next request for its
    // topic connects again.
    void OnDisconnected(IBrowserConversations::Conversation conversation);
    // Disconnects every cached conversation and ends the client (program exit).
    void Shutdown();

    bool ConversationsExist() const { return transport.Exists(); }
    const std::string& BrowserService() const { return browserService; }
    std::size_t CachedConversationCount() const { return cache.size(); }

    // The service for a registry value: "IExplore" when empty, "NETSCAPE" for "NSSHELL" in any case.
    static std::string ServiceForApplication(const std::string& application);

private:
    struct CachedConversation
    {
        IBrowserConversations::Conversation conversation;
        std::string topic;
    };
    IBrowserConversations& transport;
    std::function<void(const std::string&)> reportError;
    std::vector<CachedConversation> cache;
    std::string browserService;
    bool initialized = false;
};

// The process-wide requester, on the platform's transport unless a test installed another.
CBrowserRequester& TheBrowserRequester();
// Installs `transport` (nullptr: the platform's) for the process-wide requester, shutting the
// previous one down. `reportError` as for CBrowserRequester.
void SetBrowserConversations(IBrowserConversations* transport,
                             std::function<void(const std::string&)> reportError = {});
bool BrowserRequest(const std::string& topic, const std::string& item, std::string* reply = nullptr,
                    std::size_t* replyLength = nullptr);
// Whether the process-wide requester can ever reach a browser.
bool BrowserConversationsExist();
void ShutdownBrowserRequests();

// The window identifiers of a "WWW_ListWindows" reply: 32-bit values up to the first 0 (or
// the end of the data; a trailing partial value is ignored).
std::vector<std::int32_t> ParseWindowList(const std::string& reply);
// The page address in a "WWW_GetWindowInfo" reply: the text between the first two double
// quotes when the reply starts with one, else the text before the first comma, else the reply.
std::string UrlFromWindowInfo(const std::string& reply);
// Whether a "WWW_GetWindowInfo" reply belongs to the window showing page file `pagePath` or
// titled `title` (case-insensitive, backslashes read as slashes).
bool WindowInfoMatches(const std::string& reply, const std::string& pagePath, const std::string& title);
