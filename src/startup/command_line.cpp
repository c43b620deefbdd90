#include "command_line.h"

namespace {

bool Contains(const std::wstring& s, const wchar_t* what, size_t* at = nullptr) {
    const size_t pos = s.find(what);
    if (at) *at = pos;
    return pos != std::wstring::npos;
}

// Tail from `from` on, or empty when `from` lies past the end.
std::wstring TailFrom(const std::wstring& s, size_t from) {
    return from < s.size() ? s.substr(from) : std::wstring();
}

// From the first '"' through the next one; through the end when there is
// no second one; the whole tail when there is none at all.
std::wstring FirstQuoted(const std::wstring& s) {
    const size_t open = s.find(L'"');
    if (open == std::wstring::npos) return s;
    const size_t close = s.find(L'"', open + 1);
    if (close == std::wstring::npos) return s.substr(open);
    return s.substr(open, close - open + 1);
}

}  // namespace

CommandLineFlags ParseCommandLine(const std::wstring& tail) {
    CommandLineFlags f;
    if (Contains(tail, L"/assistant")) {
        f.assistant = true;
        return f;
    }
    if (Contains(tail, L"/fast")) {
        f.fast = true;
        return f;
    }
    if (Contains(tail, L"/runByClientCritical")) {
        f.runByClientCritical = true;
        return f;
    }
    if (Contains(tail, L"/runByClient")) {
        f.runByClient = true;
        return f;
    }
    f.restart = Contains(tail, L"/restart");
    f.automatic = Contains(tail, L"/auto");
    if (f.restart || f.automatic) return f;

    size_t at = 0;
    if (Contains(tail, L"/setlongname")) {
        f.runCode = rcSetLongName;
        f.argument = TailFrom(tail, 13);  // the switch opens the line, then one separator
    } else if (Contains(tail, L"/download", &at)) {
        f.runCode = rcDownload;
        f.argument = TailFrom(tail, at + 9 + 1);
    } else if (Contains(tail, L"/crc")) {
        f.runCode = rcCrc;
    } else if (Contains(tail, L"/uninstall")) {
        f.runCode = rcUninstall;
        f.quotedPath = FirstQuoted(tail);
    } else if (Contains(tail, L"/ug", &at)) {
        f.runCode = rcUninstallGuest;
        f.quotedPath = FirstQuoted(tail);
        f.argument = TailFrom(tail, at + 3 + 1 + f.quotedPath.size() + 1);
    } else if (Contains(tail, L"/u", &at)) {
        f.runCode = rcUninstallFrom;
        f.argument = TailFrom(tail, at + 2 + 1);
    }
    return f;
}

const wchar_t* RunCodeLogText(ERunCode code) {
    switch (code) {
    case rcUninstall: return L"CLogic::rcUninstall";
    case rcUninstallFrom: return L"CLogic::rcUninstallFrom";
    default: return L"CLogic::rcNone";
    }
}

const wchar_t* RunModeName(ERunMode mode) {
    switch (mode) {
    case rmInstall: return L"rmInstall";
    case rmUpdate: return L"rmUpdate";
    case rmUninstaller: return L"rmUninstaller";
    case rmDownload: return L"rmDownload";
    case rmSetLongName: return L"rmSetLongName";
    default: return L"rmUnknown";
    }
}
