#include "logic/update_texts.h"

#include "startup/format_text.h"
#include "startup/lang_table.h"
#include "startup/text.h"
#include "startup/xml_path.h"

#include <windows.h>

std::wstring DownloadFilePath(const std::wstring& folder, uint32_t crc, uint64_t size) {
    return FormatText(L"%s\\tmp\\%08X.%I64u", folder.c_str(), unsigned(crc), (unsigned long long)size);
}

std::wstring LauncherDownloadPath(const std::wstring& folder, const std::string& version, uint64_t size) {
    return folder + L"\\tmp\\Launcher.exe." + Utf8ToWide(version) + L"." + std::to_wstring(size);
}

bool ExtractLicenceText(const std::string& body, std::wstring& text) {
    tinyxml2::XMLDocument doc;
    std::string licence;
    if (doc.Parse(body.c_str(), body.size()) != tinyxml2::XML_SUCCESS || !doc.RootElement() ||
        !XmlText(doc.RootElement(), "LICENSE/text()", licence) || licence.empty())
        return false;
    for (const auto& [from, to] : {std::make_pair(std::string("<br/>"), std::string("\n")),
                                   std::make_pair(std::string("&nbsp;"), std::string(" "))}) {
        for (size_t at = 0; (at = licence.find(from, at)) != std::string::npos; at += to.size())
            licence.replace(at, from.size(), to);
    }
    text = Utf8ToWide(licence);
    return true;
}

std::wstring NetSystemText(unsigned long code) {
    if (!code) return {};
    wchar_t text[2048];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  GetModuleHandleW(L"wininet.dll"), code, 0, text, 2048, nullptr);
    if (length >= 2 && text[length - 2] == L'\r' && text[length - 1] == L'\n') length -= 2;
    return std::wstring(text, length);
}

std::wstring NetErrorText(int kind, unsigned long code, int status, const std::string& body,
                          const std::wstring& systemText) {
    // The runtime update's download names itself, whatever broke it.
    if (!systemText.empty()) {
        return FormatText(L"%s\n%s: %d\n%s: %d\n \n%s:\n%s", GetString(kind == 2 ? 115 : 26).c_str(),
                          GetString(27).c_str(), status,
                          GetString(28).c_str(), int(code), GetString(29).c_str(), systemText.c_str());
    }
    const bool maintenance = status == 502 || status == 503;
    const std::wstring text = kind == 2                        ? GetString(115)
                              : !body.empty() && !maintenance ? Utf8ToWide(body)
                                                              : GetString(26);
    return FormatText(L"%s\n%s: %d\n%s: %d", text.c_str(), GetString(27).c_str(), status, GetString(28).c_str(),
                      int(code));
}

ProgressFigures ComputeProgress(uint64_t bytesDone, uint64_t bytesToDownload, bool newLauncherKnown,
                                uint64_t unpackedKb, uint64_t totalSize) {
    ProgressFigures f;
    f.doneKb = double(bytesDone) / 1024;
    f.totalKb = bytesToDownload ? double(bytesToDownload) / 1024 : f.doneKb;
    f.downloading = f.doneKb < f.totalKb || newLauncherKnown;
    if (f.downloading) {
        f.percent = f.totalKb > 0 ? f.doneKb * 100 / f.totalKb : 100;
    } else {
        const uint64_t totalKb = totalSize / 1024;
        f.wholePercent = totalKb ? int(unpackedKb * 100 / totalKb) : 100;
    }
    return f;
}
