#include "url_components.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <vector>

namespace {

constexpr DWORD kPartArea = 2084;
constexpr char kHttpPrefix[] = "http://";
constexpr size_t kHttpPrefixLength = 7;

// InternetCreateUrlA over the given parts; empty on failure.
std::string BuildUrl(const std::string& schemeText, int scheme, const std::string& host, uint16_t port,
                      const std::string& user, const std::string& password, const std::string& pathAndQuery) {
    URL_COMPONENTSA uc{};
    uc.dwStructSize = sizeof(uc);
    // A URL cracked without scheme is built as http and loses the prefix.
    const bool unknown = scheme < 0 || schemeText.empty();
    uc.lpszScheme = const_cast<char*>(unknown ? "http" : schemeText.c_str());
    uc.nScheme = unknown ? INTERNET_SCHEME_HTTP : INTERNET_SCHEME(scheme);
    uc.lpszHostName = const_cast<char*>(host.c_str());
    uc.nPort = port;
    if (!user.empty()) uc.lpszUserName = const_cast<char*>(user.c_str());
    if (!password.empty()) uc.lpszPassword = const_cast<char*>(password.c_str());
    if (!pathAndQuery.empty()) uc.lpszUrlPath = const_cast<char*>(pathAndQuery.c_str());
    DWORD size = 0;
    InternetCreateUrlA(&uc, 0, nullptr, &size);
    if (!size) return {};
    std::vector<char> out(size + 1);
    size = DWORD(out.size());
    if (!InternetCreateUrlA(&uc, 0, out.data(), &size)) return {};
    std::string url(out.data());
    if (unknown && url.compare(0, kHttpPrefixLength, kHttpPrefix) == 0) url.erase(0, kHttpPrefixLength);
    return url;
}

}  // namespace

void CUrlComponents::Clear() {
    full_.clear();
    schemeText_.clear();
    scheme_ = 0;
    host_.clear();
    port_ = 0;
    user_.clear();
    password_.clear();
    path_.clear();
    arguments_.clear();
    query_.clear();
    separator_ = '?';
    queryDirty_ = false;
    fullDirty_ = false;
}

bool CUrlComponents::Crack(const std::string& url, bool& hasHost, unsigned long& error) {
    char scheme[kPartArea], host[kPartArea], user[kPartArea], password[kPartArea], path[kPartArea],
        extra[kPartArea];
    URL_COMPONENTSA uc{};
    uc.dwStructSize = sizeof(uc);
    uc.lpszScheme = scheme;
    uc.dwSchemeLength = kPartArea;
    uc.lpszHostName = host;
    uc.dwHostNameLength = kPartArea;
    uc.lpszUserName = user;
    uc.dwUserNameLength = kPartArea;
    uc.lpszPassword = password;
    uc.dwPasswordLength = kPartArea;
    uc.lpszUrlPath = path;
    uc.dwUrlPathLength = kPartArea;
    uc.lpszExtraInfo = extra;
    uc.dwExtraInfoLength = kPartArea;
    if (!InternetCrackUrlA(url.c_str(), DWORD(url.size()), 0, &uc)) {
        error = GetLastError();
        return false;
    }
    error = 0;
    hasHost = uc.dwHostNameLength != 0;
    schemeText_.assign(scheme, uc.dwSchemeLength);
    scheme_ = uc.nScheme;
    host_.assign(host, uc.dwHostNameLength);
    port_ = uc.nPort;
    user_.assign(user, uc.dwUserNameLength);
    password_.assign(password, uc.dwPasswordLength);
    path_.assign(path, uc.dwUrlPathLength);
    if (!path_.empty() && path_.back() == '/') path_.pop_back();
    const std::string extraInfo(extra, uc.dwExtraInfoLength);
    if (!extraInfo.empty()) AddArguments(extraInfo.c_str());
    return true;
}

bool CUrlComponents::Parse(const char* url) {
    Clear();
    if (!url || !*url) return true;
    const std::string text(url);
    if (text.size() > kMaxUrl) return false;
    bool hasHost = false;
    unsigned long error = 0;
    if (Crack(text, hasHost, error) && hasHost) {
        fullDirty_ = true;
        return true;
    }
    if (error == 0 || error == ERROR_INTERNET_UNRECOGNIZED_SCHEME) {
        Clear();
        // Wine cracks "http:///path" without a host where Windows refuses
        // it as an invalid URL; both mean the URL was a bare path.
        if (Crack(kHttpPrefix + text, hasHost, error) && !hasHost) error = ERROR_INTERNET_INVALID_URL;
        if (!error) {
            scheme_ = kSchemeUnknown;
            schemeText_.clear();
            fullDirty_ = true;
            return true;
        }
        if (error == ERROR_INTERNET_INVALID_URL) {
            Clear();
            if (Crack(std::string(kHttpPrefix) + "0" + text, hasHost, error)) {
                host_.clear();
                port_ = 0;
                scheme_ = kSchemePartial;
                schemeText_.clear();
                fullDirty_ = true;
                return true;
            }
        }
    }
    Clear();
    return false;
}

void CUrlComponents::AddArguments(const char* query) {
    if (!query || !*query) return;
    const std::string text(query);
    if (arguments_.empty() && (text[0] == '?' || text[0] == '#')) separator_ = text[0];
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("?#&", start);
        if (end == std::string::npos) end = text.size();
        const std::string pair = text.substr(start, end - start);
        if (!pair.empty()) {
            const size_t eq = pair.find('=');
            if (eq == std::string::npos)
                arguments_[pair].clear();
            else
                arguments_[pair.substr(0, eq)] = pair.substr(eq + 1);
        }
        start = end + 1;
    }
    queryDirty_ = fullDirty_ = true;
}

void CUrlComponents::AddArgument(const std::string& name, const std::string& value) {
    arguments_[name] = value;
    queryDirty_ = fullDirty_ = true;
}

void CUrlComponents::SetArguments(const std::map<std::string, std::string>& arguments) {
    arguments_ = arguments;
    if (arguments_.empty()) query_.clear();
    queryDirty_ = fullDirty_ = true;
}

void CUrlComponents::Merge(const CUrlComponents& context, bool mergeArguments) {
    if (context.host_.empty()) return;
    schemeText_ = context.schemeText_;
    scheme_ = context.scheme_;
    host_ = context.host_;
    port_ = context.port_;
    user_ = context.user_;
    password_ = context.password_;
    path_ = context.path_ + path_;
    if (mergeArguments) {
        for (const auto& a : context.arguments_)
            if (arguments_.emplace(a.first, a.second).second) queryDirty_ = true;
    }
    fullDirty_ = true;
}

const std::string& CUrlComponents::Query() {
    if (!queryDirty_) return query_;
    query_.clear();
    char separator = separator_;
    for (const auto& a : arguments_) {
        query_ += separator;
        query_ += a.first;
        if (!a.second.empty()) query_ += "=" + a.second;
        separator = '&';
    }
    if (query_.size() >= kPartArea) query_.resize(kPartArea - 1);
    queryDirty_ = false;
    return query_;
}

std::string CUrlComponents::PathAndQuery() { return path_ + Query(); }

const std::string& CUrlComponents::FullUrl() {
    if (!fullDirty_) return full_;
    if (scheme_ == kSchemePartial || host_.empty())
        full_ = PathAndQuery();
    else
        full_ = BuildUrl(schemeText_, scheme_, host_, port_, user_, password_, PathAndQuery());
    fullDirty_ = false;
    return full_;
}

std::string CUrlComponents::BaseUrl() const {
    if (schemeText_.empty() && host_.empty()) return {};
    return BuildUrl(schemeText_, scheme_, host_, port_, user_, password_, {});
}
