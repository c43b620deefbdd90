#pragma once
// The client update data: server (login) URLs, data-update URLs, the
// replacement rules of the shipped copy and the run-time data shared with
// the game client. Starts from the shipped ClientUpdateData element,
// overlays CUD.dat, merges data fetched from a data-update URL, selects the
// server URL and writes everything back to CUD.dat (AES-enciphered unless in
// debug mode). Owned by the logic object and used only on its thread; every
// step is reported through the log callback.

#include "update/cud_document.h"

#include <string>
#include <utility>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

class CUrlSelector {
public:
    using LogCallback = void (*)(void* user, const std::string& text, bool endLine);

    void SetLogCallback(LogCallback callback, void* user) { log_ = callback, logUser_ = user; }
    void SetLogging(bool on) { logging_ = on; }
    void SetKey(const std::string& keyHex) { key_ = keyHex; }

    // True when the face ends up with at least one login URL.
    bool Init(const tinyxml2::XMLElement* shipped, const std::vector<std::string>* predefined,
              const std::wstring& path, bool debug);
    // Reads the file; `face` (its id says which face) and `selection` are
    // filled only when everything asked for was found.
    bool LoadCudFile(const std::wstring& path, CudFace* face, CudSelection* selection);
    // Merges a downloaded CUD document; true when the face changed.
    bool MergeIncoming(const std::string& text);
    bool SelectServerUrl();
    // The selection rule: one step through `list` from `selected`; fails
    // (and restarts the cycle) once every entry was offered.
    static bool SelectNext(const std::vector<std::string>& list, std::string& selected, int& counter);
    bool SetCustomUrl(const std::string& url);
    bool AcceptCustomUrl();
    void DropCustomUrl();
    bool SaveCudFile(bool mergeRunTimeData);
    void DumpCud(const std::string& title);

    bool Encipher(const std::string& text, std::string& out) const;
    bool Decipher(const std::string& data, std::string& out) const;

    // The document as written to CUD.dat (before enciphering).
    std::string BuildDocument() const;

    // Read by the logic directly.
    CudFace face;
    CudSelection selection;
    std::string selectedUpdateURL;
    std::string customURL;
    int counter = 0;
    std::vector<std::pair<std::string, std::string>> replaceRules;
    bool modified = false;
    bool initialized = false;
    bool debug = false;

private:
    void Log(const std::string& text, bool endLine = true) const;
    int ApplyReplaceRules(CudFace& target) const;
    bool MergeFace(const CudFace& incoming);

    std::wstring path_;
    std::string key_;
    bool logging_ = true;
    LogCallback log_ = nullptr;
    void* logUser_ = nullptr;
};
