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
// file. False when neither gives both keys. A keys file that others may read is still used;
// `warning` then says so in one line (else it is left empty).
bool LoadEbayApiKeys(EbayApiKeys& keys, std::string& warning);
// Writes the keys file with mode 0600 (through a new file renamed over the old one).
bool SaveEbayApiKeys(const EbayApiKeys& keys, std::string& error);

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
