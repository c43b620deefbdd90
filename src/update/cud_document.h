#pragma once
// Reading the client update data document (ClientUpdateData, kept in
// CUD.dat and downloaded from data-update URLs): a face's server (login)
// and data-update URLs, and the run-time data. Portable; no state, any
// thread. The URL selector (url_selector.h) owns the copy the launcher uses.

#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

struct CudFace {
    std::string id;
    bool askLoginURL = false;
    std::vector<std::string> LoginURLs;
    std::vector<std::string> DataUpdateURLs;
};

struct CudSelection {
    std::string SelectedURL;
    std::string LastKnownGoodURL;
    std::string country = "N/A";
    std::string city = "N/A";
};

// The text of CUD.dat's bytes: deciphered with `keyText` unless they are
// plain or do not decipher, then taken as they are.
std::string CudText(const std::string& bytes, const std::string& keyText);

// The first Face of a ClientUpdateData element (the shipped copy): its
// id, askLoginURL and URLs. False, with `face` unchanged, when that Face
// has no id.
bool ReadFirstCudFace(const tinyxml2::XMLElement& root, CudFace& face);

// A stored document. With `face`, fills it from the Face whose id is
// face->id; with `selection`, overwrites what the document holds of it.
// False, with nothing filled, for text that is no ClientUpdateData
// document or (face asked for) has no such Face.
bool ReadCudDocument(const std::string& text, CudFace* face, CudSelection* selection);

// A downloaded document for the Face `face.id`: askLoginURL, the
// data-update URLs and the first LoginURLs list whose country and city
// lists (comma-separated, any case; absent allows all) admit `location`.
// False, with `face` unchanged, when the document has no such Face.
bool ReadIncomingCud(const std::string& text, const CudSelection& location, CudFace& face);
