#include "update/cud_document.h"

#include "update/cud_cipher.h"

#include <tinyxml2.h>

#include <cctype>
#include <cstring>

using tinyxml2::XMLElement;

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// A comma-separated location list; an absent attribute allows everyone.
bool LocationAllows(const XMLElement* e, const char* name, const std::string& upperValue) {
    const char* list = e->Attribute(name);
    if (!list) return true;
    std::string rest = list;
    for (;;) {
        const size_t comma = rest.find(',');
        if (Upper(Trim(rest.substr(0, comma))) == upperValue) return true;
        if (comma == std::string::npos) return false;
        rest.erase(0, comma + 1);
    }
}

// Texts of the first URL child and every following sibling; empty ones skipped.
std::vector<std::string> ReadUrls(const XMLElement* list) {
    std::vector<std::string> urls;
    if (!list) return urls;
    for (const XMLElement* e = list->FirstChildElement("URL"); e; e = e->NextSiblingElement()) {
        const char* text = e->GetText();
        if (text && *text) urls.push_back(text);
    }
    return urls;
}

// The Face element with the given id among the first Face and its following siblings.
const XMLElement* FindFace(const XMLElement* root, const std::string& id) {
    for (const XMLElement* e = root->FirstChildElement("Face"); e; e = e->NextSiblingElement()) {
        const char* faceId = e->Attribute("id");
        if (faceId && id == faceId) return e;
    }
    return nullptr;
}

bool AskLoginUrl(const XMLElement* root) {
    const XMLElement* first = root->FirstChildElement("Face");
    const char* value = first ? first->Attribute("askLoginURL") : nullptr;
    return value && std::strcmp(value, "true") == 0;
}

void ReadSelection(const XMLElement* root, CudSelection& selection) {
    if (const XMLElement* location = root->FirstChildElement("Location")) {
        if (const char* country = location->Attribute("country")) selection.country = country;
        if (const char* city = location->Attribute("city")) selection.city = city;
    }
    if (const XMLElement* e = root->FirstChildElement("SelectedURL"); e && e->GetText()) selection.SelectedURL = e->GetText();
    if (const XMLElement* e = root->FirstChildElement("LastKnownGoodURL"); e && e->GetText())
        selection.LastKnownGoodURL = e->GetText();
}

const XMLElement* Root(tinyxml2::XMLDocument& doc, const std::string& text) {
    if (doc.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS) return nullptr;
    return doc.FirstChildElement("ClientUpdateData");
}

}  // namespace

std::string CudText(const std::string& bytes, const std::string& keyText) {
    std::string text;
    if (CudIsPlain(bytes) || !CudDecipher(keyText, bytes, text)) text = bytes;
    return text;
}

bool ReadFirstCudFace(const XMLElement& root, CudFace& face) {
    const XMLElement* faceElement = root.FirstChildElement("Face");
    const char* id = faceElement ? faceElement->Attribute("id") : nullptr;
    if (!id) return false;
    face.id = id;
    face.askLoginURL = AskLoginUrl(&root);
    face.LoginURLs = ReadUrls(faceElement->FirstChildElement("LoginURLs"));
    face.DataUpdateURLs = ReadUrls(faceElement->FirstChildElement("DataUpdateURLs"));
    return true;
}

bool ReadCudDocument(const std::string& text, CudFace* face, CudSelection* selection) {
    tinyxml2::XMLDocument doc;
    const XMLElement* root = Root(doc, text);
    const XMLElement* faceElement = root && face ? FindFace(root, face->id) : nullptr;
    if (!root || (face && !faceElement)) return false;
    if (face) {
        face->askLoginURL = AskLoginUrl(root);
        face->LoginURLs = ReadUrls(faceElement->FirstChildElement("LoginURLs"));
        face->DataUpdateURLs = ReadUrls(faceElement->FirstChildElement("DataUpdateURLs"));
    }
    if (selection) ReadSelection(root, *selection);
    return true;
}

bool ReadIncomingCud(const std::string& text, const CudSelection& location, CudFace& face) {
    tinyxml2::XMLDocument doc;
    const XMLElement* root = Root(doc, text);
    const XMLElement* faceElement = root ? FindFace(root, face.id) : nullptr;
    if (!faceElement) return false;
    face.askLoginURL = AskLoginUrl(root);
    face.DataUpdateURLs = ReadUrls(faceElement->FirstChildElement("DataUpdateURLs"));
    face.LoginURLs.clear();
    const std::string country = Upper(location.country), city = Upper(location.city);
    for (const XMLElement* list = faceElement->FirstChildElement("LoginURLs"); list;
         list = list->NextSiblingElement("LoginURLs")) {
        if (LocationAllows(list, "country", country) && LocationAllows(list, "city", city)) {
            face.LoginURLs = ReadUrls(list);
            break;
        }
    }
    return true;
}
