#pragma once
// Access to eBay's APIs with the user's own developer keyset: the keys (from the environment or
// a private file), the application token made from them, and the user agent for live hosts.

#include <ctime>
#include <mutex>
#include <string>

struct EbayApiKeys
{
    std::string clientId;     // the keyset's App ID
    std::string clientSecret; // the keyset's Cert ID
};

// SettingsDirectory() + "/ebay-keys": two lines, "client-id=..." and "client-secret=...".
std::string EbayApiKeysPath();
// LOTWARDEN_EBAY_CLIENT_ID and LOTWARDEN_EBAY_CLIENT_SECRET when both are set, else the keys
// file. False when neither gives both keys.
bool LoadEbayApiKeys(EbayApiKeys& keys);

// Counts one API call of `keys` against the day's budget (UTC days), shared by every Lotwarden
// program through SettingsDirectory() + "/ebay-calls". The budget is 5,000 calls a day, or
// LOTWARDEN_EBAY_CALLS_PER_DAY. False, with the reason for the user, once it is spent.
bool SpendEbayApiCall(const EbayApiKeys& keys, std::string& failure);

// "Lotwarden/<version> (+<home page>)": what live hosts see of us.
std::string LiveUserAgent();

// The application token (client-credentials grant) shared by every marketplace row. It is kept
// until a minute before it expires and fetched again after a 401; it is never written out.
class CEbayApiTokens
{
public:
    // A valid token for `keys` from `baseUrl`'s token endpoint; false with a message.
    bool Get(const std::string& baseUrl, const EbayApiKeys& keys, std::string& token, std::string& error);
    // The token `token` was refused: the next Get asks for a new one (unless it was renewed).
    void Invalidate(const std::string& token);

private:
    std::mutex lock; // held while a token is fetched, so that one request serves all
    std::string kept;
    std::string keptFor; // base URL and client id the kept token belongs to
    std::time_t expires = 0;
};

CEbayApiTokens& TheEbayApiTokens();
