#include "browser/BrowserRequest.h"

#include "core/StringTable.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr int kStrDdeInitFailed = 63;

// The transport of platforms without browser conversations: it starts, but nobody answers.
class CNoBrowserConversations : public IBrowserConversations
{
public:
    bool Exists() const override { return false; }
    bool Initialize() override { return true; }
    std::string DefaultBrowserService() override { return {}; }
    Conversation Connect(const std::string&, const std::string&) override { return 0; }
    bool Request(Conversation, const std::string&, int, std::string&) override { return false; }
    void Disconnect(Conversation) override {}
    void Uninitialize() override {}
};

std::string Folded(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '\\')
            c = '/';
    }
    return out;
}
} // namespace

std::unique_ptr<IBrowserConversations> MakePlatformBrowserConversations()
{
    return std::make_unique<CNoBrowserConversations>();
}

CBrowserRequester::CBrowserRequester(IBrowserConversations& conversations,
                                     std::function<void(const std::string&)> errorReporter)
    : transport(conversations), reportError(std::move(errorReporter))
{
}

CBrowserRequester::~CBrowserRequester()
{
    Shutdown();
}

std::string CBrowserRequester::ServiceForApplication(const std::string& application)
{
    if (application.empty())
        return "IExplore";
    if (Folded(application) == "nsshell")
        return "NETSCAPE";
    return application;
}

bool CBrowserRequester::Request(const std::string& topic, const std::string& item, std::string* reply,
                                std::size_t* replyLength)
{
    if (!initialized) {
        if (!transport.Initialize()) {
            if (reportError)
                reportError(LoadResString(kStrDdeInitFailed));
            return false;
        }
        initialized = true;
    }
    if (browserService.empty())
        browserService = ServiceForApplication(transport.DefaultBrowserService());
    if (browserService.empty())
        return false;

    auto cached = std::find_if(cache.begin(), cache.end(),
                               [&](const CachedConversation& entry) { return entry.topic == topic; });
    IBrowserConversations::Conversation conversation = 0;
    if (cached != cache.end()) {
        conversation = cached->conversation;
    } else {
        conversation = transport.Connect(browserService, topic);
        if (conversation == 0)
            return false;
        cache.push_back({conversation, topic});
    }

    std::string data;
    if (!transport.Request(conversation, item, kRequestTimeoutMs, data))
        return false;
    if (replyLength)
        *replyLength = data.size();
    if (reply)
        *reply = std::move(data);
    return true;
}

void CBrowserRequester::OnDisconnected(IBrowserConversations::Conversation conversation)
{
    cache.erase(std::remove_if(cache.begin(), cache.end(),
                               [&](const CachedConversation& entry) { return entry.conversation == conversation; }),
                cache.end());
}

void CBrowserRequester::Shutdown()
{
    for (const CachedConversation& entry : cache)
        transport.Disconnect(entry.conversation);
    cache.clear();
    if (initialized) {
        transport.Uninitialize();
        initialized = false;
    }
}

namespace
{
struct ProcessRequester
{
    std::unique_ptr<IBrowserConversations> platform = MakePlatformBrowserConversations();
    std::unique_ptr<CBrowserRequester> requester = std::make_unique<CBrowserRequester>(*platform);
};

ProcessRequester& Process()
{
    static ProcessRequester process;
    return process;
}
} // namespace

CBrowserRequester& TheBrowserRequester()
{
    return *Process().requester;
}

void SetBrowserConversations(IBrowserConversations* transport, std::function<void(const std::string&)> reportError)
{
    ProcessRequester& process = Process();
    process.requester.reset();
    process.requester =
        std::make_unique<CBrowserRequester>(transport ? *transport : *process.platform, std::move(reportError));
}

bool BrowserRequest(const std::string& topic, const std::string& item, std::string* reply, std::size_t* replyLength)
{
    return TheBrowserRequester().Request(topic, item, reply, replyLength);
}

bool BrowserConversationsExist()
{
    return TheBrowserRequester().ConversationsExist();
}

void ShutdownBrowserRequests()
{
    TheBrowserRequester().Shutdown();
}

std::vector<std::int32_t> ParseWindowList(const std::string& reply)
{
    std::vector<std::int32_t> windows;
    for (std::size_t at = 0; at + sizeof(std::int32_t) <= reply.size(); at += sizeof(std::int32_t)) {
        std::int32_t id = 0;
        std::memcpy(&id, reply.data() + at, sizeof id);
        if (id == 0)
            break;
        windows.push_back(id);
    }
    return windows;
}

std::string UrlFromWindowInfo(const std::string& reply)
{
    if (!reply.empty() && reply[0] == '"') {
        const std::size_t close = reply.find('"', 1);
        return close == std::string::npos ? reply.substr(1) : reply.substr(1, close - 1);
    }
    const std::size_t comma = reply.find(',');
    return comma == std::string::npos ? reply : reply.substr(0, comma);
}

bool WindowInfoMatches(const std::string& reply, const std::string& pagePath, const std::string& title)
{
    const std::string info = Folded(reply);
    const std::string path = Folded(pagePath);
    const std::string name = Folded(title);
    return (!name.empty() && info.find(name) != std::string::npos) ||
           (!path.empty() && info.find(path) != std::string::npos);
}
