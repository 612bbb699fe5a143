#pragma once
// Who answers a proxy's demand for a user name and password (HTTP 407). The desktop program
// shows a dialog, the command-line program uses the credentials it was given, tests use a
// stand-in. Transfers ask one at a time: a second transfer that meets a 407 waits until the
// first question is answered and its request sent again.

#include <string>

class IProxyCredentialsProvider
{
public:
    virtual ~IProxyCredentialsProvider() = default;
    // Called on a transfer thread. `proxy` names the proxy as configured (may be empty when
    // unknown). Returns false when the user declines; the download then fails with status 3.
    virtual bool AskProxyCredentials(const std::string& proxy, std::string& user,
                                     std::string& password) = 0;
};

// Not owned; must outlive every transfer that may ask it. nullptr: a 407 fails with status 3.
void SetProxyCredentialsProvider(IProxyCredentialsProvider* provider);
IProxyCredentialsProvider* GetProxyCredentialsProvider();
