#pragma once
// A URL split into its parts, with the query kept as a map ordered by
// name: a name occurs once and the query is always emitted sorted. Parsing
// goes through WinINet's URL cracker. Not thread-safe; one owner at a time.

#include <cstdint>
#include <map>
#include <string>

class CUrlComponents {
public:
    // WinINet scheme numbers, and the two this class adds.
    static constexpr int kSchemeHttp = 3;
    static constexpr int kSchemeHttps = 4;
    static constexpr int kSchemeUnknown = -1;  // host/path without scheme
    static constexpr int kSchemePartial = -2;  // a path without host
    static constexpr size_t kMaxUrl = 2076;

    // Empty or null is accepted as empty; false refuses the URL (left empty).
    bool Parse(const char* url);
    void Clear();
    // Parses name=value pairs separated by '?', '#' or '&' into the map.
    void AddArguments(const char* query);
    void AddArgument(const std::string& name, const std::string& value = {});
    // Replaces the arguments (the query is rebuilt on demand).
    void SetArguments(const std::map<std::string, std::string>& arguments);
    // Takes the context's server and puts its path in front of ours; with
    // mergeArguments the context's arguments we lack are added.
    void Merge(const CUrlComponents& context, bool mergeArguments);

    const std::string& FullUrl();
    // Scheme, host, port and credentials only; empty without scheme and host.
    std::string BaseUrl() const;
    // The WinINet object name: path followed by the built query.
    std::string PathAndQuery();
    const std::string& Query();

    const std::string& schemeText() const { return schemeText_; }
    int scheme() const { return scheme_; }
    const std::string& host() const { return host_; }
    uint16_t port() const { return port_; }
    const std::string& user() const { return user_; }
    const std::string& password() const { return password_; }
    const std::string& path() const { return path_; }
    const std::map<std::string, std::string>& arguments() const { return arguments_; }
    char separator() const { return separator_; }
    bool empty() const { return host_.empty() && path_.empty() && arguments_.empty(); }

private:
    bool Crack(const std::string& url, bool& hasHost, unsigned long& error);

    std::string full_;
    std::string schemeText_;
    int scheme_ = 0;
    std::string host_;
    uint16_t port_ = 0;
    std::string user_;
    std::string password_;
    std::string path_;
    std::map<std::string, std::string> arguments_;
    std::string query_;
    char separator_ = '?';
    bool queryDirty_ = false;
    bool fullDirty_ = false;
};
