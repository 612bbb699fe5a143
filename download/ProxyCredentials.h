#pragma once
// Who answers a proxy's demand for a user name and password (HTTP 407). The desktop program
// shows a dialog, the command-line program explains how to give them, tests use a stand-in.
// The engine asks once per proxy and keeps the answer for the rest of the run: every later
// transfer through that proxy sends it at once, and the question comes again only when the
// proxy refuses what was given. Transfers ask one at a time.

#include <string>

class IProxyCredentialsProvider
{
public:
    virtual ~IProxyCredentialsProvider() = default;
    // Called on a transfer thread. `proxy` names the proxy as configured, without any
    // credentials written into it. Returns false when the user declines; the download then
    // fails with status 3.
    virtual bool AskProxyCredentials(const std::string& proxy, std::string& user, std::string& password) = 0;
};

// Forgets every proxy's credentials (tests).
void ForgetProxyCredentials();
