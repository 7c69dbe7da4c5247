#pragma once
// One request head as the sample site sees it. WinINet talks to us as to a proxy, so the
// target usually arrives in absolute form ("http://www.youtube.com:80/watch?v=x"); engine
// tests that address the server directly use origin form ("/watch?v=x"). Both route alike.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace samplesite {

class HttpRequest {
public:
    // Parses the head up to (not including) the blank line. False when there is no usable
    // request line.
    bool Parse(const std::string& head);

    const std::string& Method() const { return method; }
    const std::string& Target() const { return target; }   // exactly as received
    const std::string& Path() const { return path; }       // "/get_video"
    const std::string& RawQuery() const { return query; }  // without the "?"
    bool IsAbsoluteForm() const { return absoluteForm; }
    // A header's value with blanks trimmed; empty when absent. The name in any letter case.
    std::string Header(const std::string& name) const;

    // The request came inside a TLS tunnel to this host (a CONNECT before it): addresses made
    // from it are https addresses of that host, and the log shows it.
    void SetTunnelHost(const std::string& host) { tunnelHost = host; }
    bool InTunnel() const { return !tunnelHost.empty(); }
    std::string LoggedTarget() const { return InTunnel() ? "https://" + tunnelHost + target : target; }

    // Parameter value, percent-decoded and with blanks trimmed; empty when absent.
    std::string Param(const std::string& name) const;
    bool HasParam(const std::string& name) const;
    // Decimal value of a parameter; `fallback` when absent or not a number.
    std::uint64_t NumberParam(const std::string& name, std::uint64_t fallback) const;

    // The same address without one parameter, in the form the client used, so that a
    // client following a redirect comes back to us the same way it came.
    std::string AddressWithout(const std::string& name) const;
    // The same address over https (the host without its port), without one parameter.
    std::string HttpsAddressWithout(const std::string& name) const;

private:
    void SplitTarget();
    void ParseQuery();
    std::string PathAndQueryWithout(const std::string& name) const;

    std::string method, target, path, query, authority, hostHeader, head, tunnelHost;
    bool absoluteForm = false;
    std::vector<std::pair<std::string, std::string>> params;  // decoded
};

}  // namespace samplesite
