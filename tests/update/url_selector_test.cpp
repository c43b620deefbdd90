#include "update/url_selector.h"

#include "common/small_disk.h"
#include "common/temp_folder.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>
#include <windows.h>

namespace {

const char kKey[] = "7D31C0A9E4B2F85617C3D09A2E6B4F81";

std::string Shipped(const std::string& logins, const std::string& extra = "") {
    return "<ClientUpdateData><Face id=\"velomar\"><LoginURLs>" + logins +
           "</LoginURLs><DataUpdateURLs><URL>http://cud/1</URL></DataUpdateURLs></Face>" + extra +
           "</ClientUpdateData>";
}

std::string Urls(std::initializer_list<const char*> urls) {
    std::string s;
    for (const char* u : urls) s += std::string("<URL>") + u + "</URL>";
    return s;
}

class UrlSelector : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        sel.SetKey(kKey);
        sel.SetLogCallback(
            [](void* user, const std::string& text, bool endLine) {
                *static_cast<std::string*>(user) += text + (endLine ? "\n" : "");
            },
            &log);
        cud = path(L"CUD.dat");
    }
    bool Init(const std::string& shipped, const std::vector<std::string>* predefined = nullptr, bool debug = false) {
        doc.Parse(shipped.c_str());
        return sel.Init(doc.RootElement(), predefined, cud, debug);
    }
    std::string Next() {
        if (!sel.SelectServerUrl()) return "fail";
        return sel.selection.SelectedURL;
    }

    CUrlSelector sel;
    tinyxml2::XMLDocument doc;
    std::string log;
    std::wstring cud;
};

}  // namespace

TEST_F(UrlSelector, SelectionCyclesThroughTheListThenReportsDepletion) {
    ASSERT_TRUE(Init(Shipped(Urls({"A", "B", "C"}))));
    EXPECT_EQ("A", Next());
    EXPECT_EQ("B", Next());
    EXPECT_EQ("C", Next());
    EXPECT_EQ("fail", Next());
    EXPECT_NE(std::string::npos, log.find("Selecting server URL: list depleted\n" + std::string(80, '-') + "\n"));
    EXPECT_EQ("", sel.selection.SelectedURL);
    EXPECT_EQ("A", Next());

    std::string selected = "B";
    int counter = 0;
    std::vector<std::string> seen;
    const std::vector<std::string> list{"A", "B", "C"};
    while (CUrlSelector::SelectNext(list, selected, counter)) seen.push_back(selected);
    EXPECT_EQ((std::vector<std::string>{"B", "C", "A"}), seen);
    EXPECT_FALSE(CUrlSelector::SelectNext({}, selected, counter));
}

TEST_F(UrlSelector, PredefinedUrlsReplaceTheShippedListAndAnEmptyListFails) {
    const std::vector<std::string> slot{"http://slot/"};
    ASSERT_TRUE(Init(Shipped(Urls({"A"})), &slot));
    EXPECT_EQ(slot, sel.face.LoginURLs);
    EXPECT_TRUE(sel.modified);

    CUrlSelector empty;
    std::string emptyLog;
    empty.SetLogCallback([](void* u, const std::string& t, bool e) { *static_cast<std::string*>(u) += t + (e ? "\n" : ""); },
                         &emptyLog);
    const std::vector<std::string> none;
    doc.Parse(Shipped("").c_str());
    EXPECT_FALSE(empty.Init(doc.RootElement(), &none, cud, false));
    EXPECT_EQ("\nInitializing CUD... list of predefined server URLs is empty\n", emptyLog);
    doc.Parse("<ClientUpdateData><Face/></ClientUpdateData>");
    EXPECT_FALSE(empty.Init(doc.RootElement(), nullptr, cud, false));
    EXPECT_NE(std::string::npos, emptyLog.find("failed to parse predefined CUD"));
}

TEST_F(UrlSelector, SavedFileIsEncipheredAndKeepsTheSelectionForTheNextRun) {
    ASSERT_TRUE(Init(Shipped(Urls({"A", "B", "C"}))));
    EXPECT_EQ("A", Next());
    EXPECT_EQ("B", Next());
    ASSERT_TRUE(sel.SaveCudFile(false));
    const std::string bytes = ReadFileBytes(cud);
    EXPECT_EQ(0u, bytes.size() % 16);
    EXPECT_NE(0u, bytes.compare(0, 7, "<Client"));
    std::string plain;
    ASSERT_TRUE(sel.Decipher(bytes, plain));
    EXPECT_EQ(sel.BuildDocument(), plain);

    CUrlSelector again;
    again.SetKey(kKey);
    ASSERT_TRUE(again.Init(doc.RootElement(), nullptr, cud, false));
    ASSERT_TRUE(again.SelectServerUrl());
    EXPECT_EQ("B", again.selection.SelectedURL);  // the first selection keeps the stored one
    ASSERT_TRUE(again.SelectServerUrl());
    EXPECT_EQ("C", again.selection.SelectedURL);
}

TEST_F(UrlSelector, DebugModeWritesThePlainDocumentInItsFixedShape) {
    ASSERT_TRUE(Init("<ClientUpdateData><Face id=\"f\" askLoginURL=\"true\"><LoginURLs><URL>A</URL><URL></URL>"
                     "</LoginURLs></Face></ClientUpdateData>",
                     nullptr, true));
    EXPECT_NE(std::string::npos, log.find("\n--- initial CUD data ---\n"));
    ASSERT_TRUE(sel.SelectServerUrl());
    ASSERT_TRUE(sel.SaveCudFile(false));
    const std::string bytes = ReadFileBytes(cud);
    EXPECT_EQ(0u, bytes.compare(0, 18, "<ClientUpdateData>"));
    tinyxml2::XMLDocument written;
    ASSERT_EQ(tinyxml2::XML_SUCCESS, written.Parse(bytes.c_str()));
    const tinyxml2::XMLElement* root = written.RootElement();
    const tinyxml2::XMLElement* face = root->FirstChildElement();
    EXPECT_STREQ("Face", face->Name());
    EXPECT_STREQ("true", face->Attribute("askLoginURL"));
    EXPECT_STREQ("LoginURLs", face->FirstChildElement()->Name());
    EXPECT_EQ(nullptr, face->FirstChildElement("DataUpdateURLs"));  // empty lists are left out
    EXPECT_STREQ("Location", face->NextSiblingElement()->Name());
    EXPECT_STREQ("N/A", face->NextSiblingElement()->Attribute("city"));
    EXPECT_STREQ("A", root->FirstChildElement("SelectedURL")->GetText());
    EXPECT_EQ(nullptr, root->FirstChildElement("LastKnownGoodURL"));

    CUrlSelector reader;  // no key at all: the plain file is read as it is
    CudFace face2;
    face2.id = "f";
    CudSelection s;
    ASSERT_TRUE(reader.LoadCudFile(cud, &face2, &s));
    EXPECT_EQ(std::vector<std::string>{"A"}, face2.LoginURLs);
    EXPECT_TRUE(face2.askLoginURL);
    EXPECT_EQ("A", s.SelectedURL);
}

TEST_F(UrlSelector, DamagedOrForeignFilesLeaveTheShippedDataInForce) {
    for (const std::string& bytes : {std::string("garbage that is not a cipher text"), std::string(""),
                                     std::string(32, '\x7f'), std::string("<Client")}) {
        WriteFileBytes(cud, bytes);
        log.clear();
        CUrlSelector s;
        s.SetLogCallback([](void* u, const std::string& t, bool e) { *static_cast<std::string*>(u) += t + (e ? "\n" : ""); },
                         &log);
        s.SetKey(kKey);
        doc.Parse(Shipped(Urls({"A"})).c_str());
        ASSERT_TRUE(s.Init(doc.RootElement(), nullptr, cud, false));
        EXPECT_EQ(std::vector<std::string>{"A"}, s.face.LoginURLs);
        EXPECT_NE(std::string::npos, log.find("Loading CUD file... failed to parse CUD file\n")) << log;
    }
    WriteFileBytes(cud, "<ClientUpdateData><Face id=\"other\"><LoginURLs><URL>X</URL></LoginURLs></Face>"
                        "<SelectedURL>X</SelectedURL></ClientUpdateData>");
    ASSERT_TRUE(Init(Shipped(Urls({"A"}))));
    EXPECT_EQ(std::vector<std::string>{"A"}, sel.face.LoginURLs);
    EXPECT_EQ("", sel.selection.SelectedURL);  // the whole file is ignored
    DeleteFileW(cud.c_str());
    log.clear();
    CudSelection s;
    EXPECT_FALSE(sel.LoadCudFile(cud, nullptr, &s));
    EXPECT_EQ("Loading CUD file... cannot open CUD file\n", log);
}

TEST_F(UrlSelector, ReplacementRulesRewriteTheLoadedFileAndAreCounted) {
    WriteFileBytes(cud, "<ClientUpdateData><Face id=\"velomar\"><LoginURLs><URL>X</URL><URL>Y</URL><URL>Z</URL>"
                        "<URL>W</URL></LoginURLs></Face></ClientUpdateData>");
    const std::string rules = "<ReplaceURLs><Replace from=\"X\" to=\"Y\"/><Replace from=\"Z\"/>"
                              "<Replace from=\"W\" to=\"V\"/><Replace from=\"Q\" to=\"Q\"/></ReplaceURLs>";
    ASSERT_TRUE(Init(Shipped(Urls({"A"}), rules)));
    EXPECT_EQ(3u, sel.replaceRules.size());  // from equal to to is not a rule
    EXPECT_NE(std::string::npos, log.find("Replacing URLs in loaded CUD file... 3 URLs replaced/removed\n")) << log;
    EXPECT_NE(std::string::npos, log.find("Updating inner CUD by loaded CUD file... URLs updated\n"));
    EXPECT_EQ((std::vector<std::string>{"Y", "V"}), sel.face.LoginURLs);
    EXPECT_EQ(std::vector<std::string>{"http://cud/1"}, sel.face.DataUpdateURLs);  // the file had none
}

TEST_F(UrlSelector, IncomingLoginListsAreChosenByTheStoredLocation) {
    const std::string incoming =
        "<ClientUpdateData><Face id=\"other\"/><Face id=\"velomar\">"
        "<LoginURLs country=\"RU, KZ\"><URL>east</URL></LoginURLs>"
        "<LoginURLs><URL>everyone</URL></LoginURLs></Face></ClientUpdateData>";
    WriteFileBytes(cud, "<ClientUpdateData><Face id=\"velomar\"/><Location country=\"kz\" city=\"x\"/></ClientUpdateData>");
    ASSERT_TRUE(Init(Shipped(Urls({"A"}))));
    EXPECT_EQ("kz", sel.selection.country);
    EXPECT_TRUE(sel.MergeIncoming(incoming));
    EXPECT_EQ(std::vector<std::string>{"east"}, sel.face.LoginURLs);

    CUrlSelector nowhere;
    nowhere.SetKey(kKey);
    doc.Parse(Shipped(Urls({"A"})).c_str());
    ASSERT_TRUE(nowhere.Init(doc.RootElement(), nullptr, L"", false));
    EXPECT_EQ("N/A", nowhere.selection.country);
    EXPECT_TRUE(nowhere.MergeIncoming(incoming));
    EXPECT_EQ(std::vector<std::string>{"everyone"}, nowhere.face.LoginURLs);
}

TEST_F(UrlSelector, IncomingDataEqualOrBrokenChangeNothing) {
    ASSERT_TRUE(Init(Shipped(Urls({"A", "B"}))));
    ASSERT_TRUE(sel.SaveCudFile(false));
    EXPECT_FALSE(sel.modified);
    log.clear();
    EXPECT_FALSE(sel.MergeIncoming(Shipped(Urls({"A", "B"}))));
    EXPECT_EQ("CUD data received\nUpdating CUD by incoming data... no new URLs\n", log);
    EXPECT_FALSE(sel.modified);
    EXPECT_FALSE(sel.MergeIncoming("<ClientUpdateData><Face id=\"velomar\""));
    EXPECT_FALSE(sel.MergeIncoming("not xml"));
    EXPECT_NE(std::string::npos, log.find("\nFailed to parse CUD file\n"));
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), sel.face.LoginURLs);

    log.clear();
    const std::string before = ReadFileBytes(cud);
    EXPECT_FALSE(sel.SaveCudFile(false));
    EXPECT_EQ("Saving CUD file... not modified\n", log);
    EXPECT_EQ(before, ReadFileBytes(cud));

    CUrlSelector fresh;
    EXPECT_FALSE(fresh.MergeIncoming(Shipped(Urls({"C"}))));  // not initialised
}

TEST_F(UrlSelector, CustomUrlIsAcceptedOrDropped) {
    ASSERT_TRUE(Init(Shipped(Urls({"A", "B"}))));
    EXPECT_FALSE(sel.SetCustomUrl("A"));
    EXPECT_NE(std::string::npos, log.find("Setting custom URL: URL already exist\n"));
    EXPECT_EQ("", sel.customURL);
    EXPECT_FALSE(sel.SetCustomUrl(""));

    ASSERT_TRUE(sel.SetCustomUrl("C"));
    EXPECT_EQ("C", sel.selection.SelectedURL);
    EXPECT_FALSE(sel.SelectServerUrl());
    EXPECT_NE(std::string::npos, log.find("cannot select while custom URL is set"));
    ASSERT_TRUE(sel.AcceptCustomUrl());
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), sel.face.LoginURLs);
    EXPECT_EQ(1, sel.counter);
    EXPECT_FALSE(sel.AcceptCustomUrl());  // none pending

    ASSERT_TRUE(sel.SetCustomUrl("D"));
    sel.DropCustomUrl();
    EXPECT_EQ("", sel.selection.SelectedURL);
    EXPECT_EQ("", sel.customURL);
    EXPECT_EQ("A", Next());
}

TEST_F(UrlSelector, SavingWithRunTimeDataTakesTheClientsValues) {
    ASSERT_TRUE(Init(Shipped(Urls({"A"}))));
    ASSERT_TRUE(sel.SelectServerUrl());
    ASSERT_TRUE(sel.SaveCudFile(false));
    // The game client rewrote the run-time data meanwhile (plain form).
    WriteFileBytes(cud, "<ClientUpdateData><Location country=\"UA\" city=\"\"/>"
                        "<LastKnownGoodURL>A</LastKnownGoodURL></ClientUpdateData>");
    sel.modified = true;
    log.clear();
    ASSERT_TRUE(sel.SaveCudFile(true));
    EXPECT_EQ("UA", sel.selection.country);
    EXPECT_EQ("N/A", sel.selection.city);  // empty values are not taken
    EXPECT_EQ("A", sel.selection.LastKnownGoodURL);
    EXPECT_NE(std::string::npos, log.find("Updating RTD... RTD updated\n")) << log;

    CUrlSelector reader;
    reader.SetKey(kKey);
    CudSelection s;
    ASSERT_TRUE(reader.LoadCudFile(cud, nullptr, &s));
    EXPECT_EQ("UA", s.country);
    EXPECT_EQ("A", s.LastKnownGoodURL);
}

TEST_F(UrlSelector, ASaveThatFindsTheDiskFullKeepsTheClientsRunTimeData) {
    const CSmallDisk disk(path(L"disk"), 64);
    ASSERT_TRUE(disk.Mounted());
    cud = path(L"disk\\CUD.dat");
    const std::string stored = "<ClientUpdateData><Face id=\"velomar\"/><Location country=\"UA\" city=\"Kyiv\"/>"
                               "<LastKnownGoodURL>http://login-7/</LastKnownGoodURL></ClientUpdateData>";
    WriteFileBytes(cud, stored);
    std::string many;  // a document larger than the whole disk
    for (int i = 0; i < 4000; ++i) many += "<URL>http://login-" + std::to_string(i) + ".example/</URL>";
    ASSERT_TRUE(Init(Shipped(many)));
    ASSERT_TRUE(disk.Fill(L"filler"));
    log.clear();
    EXPECT_FALSE(sel.SaveCudFile(false));
    EXPECT_EQ("Saving CUD file... CUD file writing failed\n", log);
    EXPECT_TRUE(ReadFileBytes(cud) == stored) << "the stored file was cut";
}
