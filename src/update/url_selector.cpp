#include "update/url_selector.h"

#include "startup/folders.h"
#include "startup/safe_write.h"
#include "update/cud_cipher.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>

using tinyxml2::XMLElement;

namespace {

// CUD.dat is a few kilobytes; anything huge is not ours.
constexpr uint64_t kCudSizeLimit = 64u << 20;

const std::string kDashes(80, '-');

}  // namespace

void CUrlSelector::Log(const std::string& text, bool endLine) const {
    if (logging_ && log_) log_(logUser_, text, endLine);
}

bool CUrlSelector::Encipher(const std::string& text, std::string& out) const {
    return CudEncipher(key_, text, out);
}

bool CUrlSelector::Decipher(const std::string& data, std::string& out) const {
    return CudDecipher(key_, data, out);
}

bool CUrlSelector::Init(const XMLElement* shipped, const std::vector<std::string>* predefined, const std::wstring& path,
                        bool debugMode) {
    Log("");
    Log("Initializing CUD... ", false);
    debug = debugMode;
    if (shipped) {
        if (!ReadFirstCudFace(*shipped, face)) {
            Log("failed to parse predefined CUD");
            return false;
        }
        replaceRules.clear();
        const XMLElement* rules = shipped->FirstChildElement("ReplaceURLs");
        for (const XMLElement* r = rules ? rules->FirstChildElement("Replace") : nullptr; r; r = r->NextSiblingElement()) {
            const char* from = r->Attribute("from");
            const char* to = r->Attribute("to");
            if (from && *from && std::strcmp(from, to ? to : "") != 0) replaceRules.emplace_back(from, to ? to : "");
        }
    }
    if (predefined && !predefined->empty()) face.LoginURLs = *predefined;

    if (!(shipped && predefined && face.LoginURLs.empty())) {
        Log("OK");
        if (!path.empty()) {
            path_ = path;
            CudFace loaded;
            loaded.id = face.id;
            CudSelection loadedSelection = selection;
            if (LoadCudFile(path, &loaded, &loadedSelection)) {
                selection = loadedSelection;
                if (!replaceRules.empty()) {
                    Log("Replacing URLs in loaded CUD file... ", false);
                    Log(std::to_string(ApplyReplaceRules(loaded)) + " URLs replaced/removed");
                }
                Log("Updating inner CUD by loaded CUD file... ", false);
                Log(MergeFace(loaded) ? "URLs updated" : "no new URLs");
            }
        }
    }
    if (face.LoginURLs.empty()) {
        Log("list of predefined server URLs is empty");
        return false;
    }
    if (debug) DumpCud("initial CUD data");
    modified = initialized = true;
    return true;
}

bool CUrlSelector::LoadCudFile(const std::wstring& path, CudFace* target, CudSelection* selectionOut) {
    Log("Loading CUD file... ", false);
    std::string bytes;
    if (!ReadWholeFile(path, bytes, kCudSizeLimit)) {
        Log("cannot open CUD file");
        return false;
    }
    if (!ReadCudDocument(CudText(bytes, key_), target, selectionOut)) {
        Log("failed to parse CUD file");
        return false;
    }
    Log("OK");
    return true;
}

int CUrlSelector::ApplyReplaceRules(CudFace& target) const {
    int changes = 0;
    for (const auto& rule : replaceRules) {
        for (std::vector<std::string>* list : {&target.LoginURLs, &target.DataUpdateURLs}) {
            const auto it = std::find(list->begin(), list->end(), rule.first);
            if (it == list->end()) continue;
            if (rule.second.empty() || std::find(list->begin(), list->end(), rule.second) != list->end())
                list->erase(it);
            else
                *it = rule.second;
            ++changes;
        }
    }
    return changes;
}

bool CUrlSelector::MergeFace(const CudFace& incoming) {
    if (incoming.id != face.id) return false;
    if (incoming.askLoginURL) face.askLoginURL = true;
    bool changed = false;
    if (!incoming.LoginURLs.empty() && incoming.LoginURLs != face.LoginURLs) {
        face.LoginURLs = incoming.LoginURLs;
        changed = true;
    }
    if (!incoming.DataUpdateURLs.empty() && incoming.DataUpdateURLs != face.DataUpdateURLs) {
        face.DataUpdateURLs = incoming.DataUpdateURLs;
        changed = true;
    }
    return changed;
}

bool CUrlSelector::MergeIncoming(const std::string& text) {
    if (!initialized) return false;
    Log("CUD data received");
    if (debug) {
        Log("\n--- incoming CUD data ---");
        Log("");
        Log(text);
        Log("\n--- end CUD data ---\n");
    }
    Log("Updating CUD by incoming data... ", false);
    CudFace incoming;
    incoming.id = face.id;
    if (!ReadIncomingCud(text, selection, incoming)) {
        Log("\nFailed to parse CUD file");
        return false;
    }
    const bool changed = MergeFace(incoming);
    Log(changed ? "OK" : "no new URLs");
    if (changed) {
        modified = true;
        if (debug) DumpCud("current CUD data");
    }
    return changed;
}

bool CUrlSelector::SelectNext(const std::vector<std::string>& list, std::string& selected, int& count) {
    if (list.empty()) {
        count = 0;
        selected.clear();
        return false;
    }
    size_t candidate = 0;
    const auto it = selected.empty() ? list.end() : std::find(list.begin(), list.end(), selected);
    if (it != list.end()) {
        const size_t index = size_t(it - list.begin());
        candidate = count == 0 ? index : (index + 1) % list.size();
    }
    selected = list[candidate];
    if (size_t(++count) > list.size()) {
        count = 0;
        selected.clear();
        return false;
    }
    return true;
}

bool CUrlSelector::SelectServerUrl() {
    if (!initialized) return false;
    Log(kDashes);
    Log("Selecting server URL: ", false);
    if (!customURL.empty()) {
        Log("cannot select while custom URL is set");
        return false;
    }
    const bool ok = SelectNext(face.LoginURLs, selection.SelectedURL, counter);
    Log(!ok ? "list depleted" : debug ? selection.SelectedURL : "OK");
    Log(kDashes);
    modified = true;
    return ok;
}

bool CUrlSelector::SetCustomUrl(const std::string& url) {
    if (!initialized) return false;
    Log(kDashes);
    Log("Setting custom URL: ", false);
    if (url.empty()) {
        Log("URL is empty");
        return false;
    }
    if (std::find(face.LoginURLs.begin(), face.LoginURLs.end(), url) != face.LoginURLs.end()) {
        Log("URL already exist");
        return false;
    }
    selection.SelectedURL = customURL = url;
    counter = 0;
    modified = true;
    Log(debug ? url : "OK");
    Log(kDashes);
    return true;
}

bool CUrlSelector::AcceptCustomUrl() {
    if (!initialized || customURL.empty()) return false;
    Log(kDashes);
    Log("Accepting custom server URL... ", false);
    if (std::find(face.LoginURLs.begin(), face.LoginURLs.end(), customURL) != face.LoginURLs.end()) {
        customURL.clear();
        Log("URL already exist");
        return false;
    }
    face.LoginURLs.push_back(customURL);
    selection.SelectedURL = customURL;
    counter = 1;
    customURL.clear();
    modified = true;
    Log("OK");
    Log(kDashes);
    if (debug) DumpCud("current CUD data");
    return true;
}

void CUrlSelector::DropCustomUrl() {
    if (!initialized || customURL.empty()) return;
    const auto it = std::find(face.LoginURLs.begin(), face.LoginURLs.end(), customURL);
    if (it != face.LoginURLs.end()) {
        face.LoginURLs.erase(it);
        if (counter > 0) --counter;
        modified = true;
    }
    if (selection.SelectedURL == customURL) {
        selection.SelectedURL.clear();
        counter = 0;
        modified = true;
    }
    customURL.clear();
}

std::string CUrlSelector::BuildDocument() const {
    tinyxml2::XMLDocument doc;
    XMLElement* root = doc.NewElement("ClientUpdateData");
    doc.InsertEndChild(root);
    XMLElement* faceElement = root->InsertNewChildElement("Face");
    faceElement->SetAttribute("id", face.id.c_str());
    if (face.askLoginURL) faceElement->SetAttribute("askLoginURL", "true");
    for (const auto& list : {std::make_pair("LoginURLs", &face.LoginURLs),
                             std::make_pair("DataUpdateURLs", &face.DataUpdateURLs)}) {
        if (list.second->empty()) continue;
        XMLElement* e = faceElement->InsertNewChildElement(list.first);
        for (const std::string& url : *list.second) e->InsertNewChildElement("URL")->SetText(url.c_str());
    }
    XMLElement* location = root->InsertNewChildElement("Location");
    location->SetAttribute("country", selection.country.c_str());
    location->SetAttribute("city", selection.city.c_str());
    if (!selection.SelectedURL.empty()) root->InsertNewChildElement("SelectedURL")->SetText(selection.SelectedURL.c_str());
    if (!selection.LastKnownGoodURL.empty())
        root->InsertNewChildElement("LastKnownGoodURL")->SetText(selection.LastKnownGoodURL.c_str());
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    return printer.CStr();
}

bool CUrlSelector::SaveCudFile(bool mergeRunTimeData) {
    if (!initialized || path_.empty()) return false;
    Log("Saving CUD file... ", false);
    if (!modified) {
        Log("not modified");
        return false;
    }
    if (mergeRunTimeData) {
        Log("need to merge RTD");
        CudSelection stored;
        if (LoadCudFile(path_, nullptr, &stored)) {
            Log("Updating RTD... ", false);
            bool any = false;
            for (auto field : {&CudSelection::LastKnownGoodURL, &CudSelection::country, &CudSelection::city}) {
                if (!(stored.*field).empty() && stored.*field != selection.*field) {
                    selection.*field = stored.*field;
                    any = true;
                }
            }
            Log(any ? "RTD updated" : "no new RTD");
        }
    }
    if (face.id.empty()) {
        Log("CUD not initialized properly");
        return false;
    }
    const std::string document = BuildDocument();
    std::string bytes;
    if (debug || key_.empty() || !Encipher(document, bytes)) bytes = document;
    // The file holds the client's run-time data too: a failed write keeps the old one.
    if (!WriteFileSafely(path_, bytes.data(), bytes.size())) {
        Log("CUD file writing failed");
        return false;
    }
    modified = false;
    Log("OK");
    return true;
}

void CUrlSelector::DumpCud(const std::string& title) {
    Log("\n--- " + title + " ---\n");
    Log(BuildDocument());
    Log("\n--- end CUD data ---\n");
}
