#include "sites/EbayApiAccess.h"

#include "core/StringTable.h"
#include "core/Version.h"
#include "platform/IniSettingsStore.h"

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr const char* kTokenPath = "/identity/v1/oauth2/token";
constexpr const char* kTokenBody =
    "grant_type=client_credentials&scope=https%3A%2F%2Fapi.ebay.com%2Foauth%2Fapi_scope";
constexpr std::size_t kMaxTokenAnswer = 64 * 1024;
constexpr std::time_t kRenewBefore = 60; // seconds before expiry when a kept token is replaced
constexpr long kDefaultCallsPerDay = 5000;

std::string Trimmed(std::string text)
{
    const char* blanks = " \t\r\n";
    text.erase(0, std::min(text.find_first_not_of(blanks), text.size()));
    text.erase(text.find_last_not_of(blanks) + 1);
    return text;
}

size_t KeepAnswer(char* data, size_t size, size_t count, void* user)
{
    auto* body = static_cast<std::string*>(user);
    if (body->size() + size * count > kMaxTokenAnswer)
        return 0;
    body->append(data, size * count);
    return size * count;
}

// The token request itself: a form POST with Basic authorisation made by libcurl from the keys.
bool PostWithCurl(const std::string& url, const EbayApiKeys& keys, long& status, std::string& body,
                  std::string& error)
{
    CURL* easy = curl_easy_init();
    if (easy == nullptr) {
        error = "libcurl could not start";
        return false;
    }
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded");
    const std::string agent = LiveUserAgent();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_USERNAME, keys.clientId.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, keys.clientSecret.c_str());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, kTokenBody);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, KeepAnswer);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, static_cast<void*>(&body));
    const CURLcode result = curl_easy_perform(easy);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
    if (result != CURLE_OK) {
        error = curl_easy_strerror(result);
        return false;
    }
    return true;
}

} // namespace

std::string EbayApiKeysPath()
{
    return SettingsDirectory() + "/ebay-keys";
}

bool LoadEbayApiKeys(EbayApiKeys& keys)
{
    const char* id = std::getenv("LOTWARDEN_EBAY_CLIENT_ID");
    const char* secret = std::getenv("LOTWARDEN_EBAY_CLIENT_SECRET");
    if (id != nullptr && *id != '\0' && secret != nullptr && *secret != '\0') {
        keys = {id, secret};
        return true;
    }
    const std::string path = EbayApiKeysPath();
    std::ifstream file(path);
    if (!file)
        return false;
    EbayApiKeys read;
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = Trimmed(line.substr(0, equals));
        if (name == "client-id")
            read.clientId = Trimmed(line.substr(equals + 1));
        else if (name == "client-secret")
            read.clientSecret = Trimmed(line.substr(equals + 1));
    }
    if (read.clientId.empty() || read.clientSecret.empty())
        return false;
    keys = std::move(read);
    return true;
}

bool SpendEbayApiCall(const EbayApiKeys& keys, std::string& failure)
{
    long perDay = kDefaultCallsPerDay;
    if (const char* configured = std::getenv("LOTWARDEN_EBAY_CALLS_PER_DAY"); configured && *configured) {
        char* end = nullptr;
        const long value = std::strtol(configured, &end, 10);
        if (end != nullptr && *end == '\0' && value >= 0)
            perDay = value;
    }
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::tm fields{};
    gmtime_r(&now, &fields);
    std::strftime(today, sizeof today, "%Y-%m-%d", &fields);

    std::error_code ignored;
    std::filesystem::create_directories(SettingsDirectory(), ignored);
    const std::string path = SettingsDirectory() + "/ebay-calls";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) {
        if (fd >= 0)
            close(fd);
        return true; // a count that cannot be kept does not stop the refresh
    }
    // One line a keyset: "DAY CLIENT-ID COUNT"; other days' lines are dropped.
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0 && text.size() < 1 << 20;)
        text.append(chunk, static_cast<std::size_t>(n));
    std::string kept;
    long used = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fieldsOf(line);
        std::string day, id;
        long count = 0;
        if (!(fieldsOf >> day >> id >> count) || day != today)
            continue;
        if (id == keys.clientId)
            used = count;
        else
            kept += line + "\n";
    }
    const bool allowed = used < perDay;
    if (allowed)
        ++used;
    kept += std::string(today) + " " + keys.clientId + " " + std::to_string(used) + "\n";
    if (ftruncate(fd, 0) == 0)
        (void)!pwrite(fd, kept.data(), kept.size(), 0);
    close(fd); // lets the lock go
    if (!allowed)
        failure = FormatText(LoadResString(210), {std::to_string(perDay)});
    return allowed;
}

std::string LiveUserAgent()
{
    return std::string("Lotwarden/") + Version::ProductVersion +
           " (+https://www.ashgrove.example/lotwarden/)";
}

bool CEbayApiTokens::Get(const std::string& baseUrl, const EbayApiKeys& keys, std::string& token,
                         std::string& error)
{
    std::lock_guard guard(lock);
    const std::string owner = baseUrl + "\n" + keys.clientId;
    const std::time_t now = std::time(nullptr);
    if (!kept.empty() && keptFor == owner && now + kRenewBefore < expires) {
        token = kept;
        return true;
    }
    kept.clear();
    long status = 0;
    std::string body;
    if (!PostWithCurl(baseUrl + kTokenPath, keys, status, body, error)) {
        error = FormatText(LoadResString(211), {error});
        return false;
    }
    const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
    if (status != 200) {
        // eBay's OAuth errors: {"error":"invalid_client","error_description":"client authentication failed"}
        std::string reason = "HTTP " + std::to_string(status);
        if (answer.is_object() && answer.contains("error_description") &&
            answer["error_description"].is_string())
            reason += ": " + answer["error_description"].get<std::string>();
        error = FormatText(LoadResString(211), {reason});
        return false;
    }
    if (!answer.is_object() || !answer.contains("access_token") || !answer["access_token"].is_string() ||
        answer["access_token"].get<std::string>().empty()) {
        error = FormatText(LoadResString(211), {"no access_token in the answer"});
        return false;
    }
    long lifetime = 7200;
    if (answer.contains("expires_in") && answer["expires_in"].is_number_integer())
        lifetime = answer["expires_in"].get<long>();
    kept = answer["access_token"].get<std::string>();
    keptFor = owner;
    expires = now + lifetime;
    token = kept;
    return true;
}

void CEbayApiTokens::Invalidate(const std::string& token)
{
    std::lock_guard guard(lock);
    if (token == kept)
        kept.clear();
}

CEbayApiTokens& TheEbayApiTokens()
{
    static CEbayApiTokens tokens;
    return tokens;
}
