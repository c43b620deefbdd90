// Writes the seed corpora no project tool makes by itself, with the
// project's own encoders: pipe records, applist.dat, changes.dat, the
// "/setlongname" switch, command lines, the launcher configuration with
// actions, texts taken from the string tables and the theme (drawn by the
// theme tool into <work folder>/theme), sprite sheets, PNG colour types the
// theme does not use, and the CUD document that make_corpus.sh enciphers
// with launcher-tool.
// usage: fuzz_seeds <repository> <corpus folder> <work folder>
#include "gui/theme_values.h"
#include "startup/app_list_record.h"
#include "startup/lso_file.h"
#include "system/assistant_records.h"
#include "system/renaming_parameters.h"
#include "update/changes_list.h"

#include <png.h>
#include <tinyxml2.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path g_corpus;

void Seed(const std::string& harness, const std::string& name, const std::string& bytes) {
    fs::create_directories(g_corpus / harness);
    std::ofstream(g_corpus / harness / name, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// 16-bit little-endian units, the way the harnesses read wide text.
std::string Utf16(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += {char(c & 0xFF), char((c >> 8) & 0xFF)};
    return out;
}

std::wstring Widen(const std::string& utf8) {
    std::wstring out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned c = static_cast<unsigned char>(utf8[i]);
        const int extra = c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        c &= extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0x7F;
        for (int k = 1; k <= extra && i + size_t(k) < utf8.size(); ++k) c = (c << 6) | (utf8[i + k] & 0x3F);
        out += wchar_t(c);
        i += size_t(extra) + 1;
    }
    return out;
}

std::string Print(const tinyxml2::XMLDocument& doc) {
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    return printer.CStr();
}

void PipeRecords() {
    LauncherAssistantData data;
    data.command = eLauncherCmd_Install;
    data.chInstallFolder = u"C:\\Games\\Sample";
    data.chUserName = u"player";
    data.chShortName = u"sample";
    data.chFullName = u"Sample Game";
    data.chIconName = u"Sample";
    data.chRegPath = u"Software\\Sample\\Game";
    data.chLauncherName = u"Launcher.exe";
    data.chTemp = u"C:\\Users\\player\\AppData\\Local\\Temp";
    data.bIconPrograms = true;
    data.iconCount = 1;
    LauncherAssistantIcon icon;
    icon.name = u"Map editor";
    icon.exec = u"editor\\editor.exe";
    icon.action = 1;
    const std::vector<uint8_t> a = EncodeAssistantData(data), b = EncodeAssistantIcon(icon);
    Seed("pipe_records", "install", std::string(a.begin(), a.end()) + std::string(b.begin(), b.end()));
    data.command = eLauncherCmd_SetLongName;
    const std::vector<uint8_t> c = EncodeAssistantData(data);
    Seed("pipe_records", "set_long_name", std::string(c.begin(), c.end()));
}

void AppList() {
    // An "ext" add-on (no name) first, then a program with its shortcut.
    std::vector<AppListRecord> records(2, AppListRecord{});
    SetRecordText(records[0].exec, 261, L"addons\\voice\\setup.exe");
    SetRecordText(records[1].name, 65, L"Map Editor");
    SetRecordText(records[1].exec, 261, L"tools\\Editor.exe");
    Seed("app_list", "programs", AppListBytes(records));
}

void Changes() {
    CChangesList list;
    list.SetVersion({5, 2, 101, 0});
    list.Record(3);
    list.Record(12);
    Seed("changes", "recorded", "1.0-5.2.101" + std::string(1, '\0') + list.Bytes());
    Seed("changes", "open_range", "5.0-" + std::string(1, '\0') + CChangesList().Bytes());
}

void RenamingAndCommandLines() {
    RenamingParameters p;
    p.folder = L"C:\\Games\\Old Game";
    p.newFolder = L"C:\\Games\\New Game";
    p.oldShortName = L"og";
    p.oldFullName = L"Old Game";
    p.oldRegPath = L"Software\\Old";
    p.oldIconName = L"Old Game";
    p.actionId = 3;
    const std::wstring line = RenamingSwitch(p);
    const size_t kept = line.find(L"\"", line.find(L"\"", line.find(L"\"") + 1) + 1);
    Seed("set_long_name", "kept", Utf16(line.substr(kept)));
    Seed("command_line", "set_long_name", Utf16(line));
    Seed("command_line", "uninstall", Utf16(L"/uninstall \"C:\\Users\\player\\Desktop\\Sample Game.lnk\""));
    Seed("command_line", "download", Utf16(L"/download client.pkg /fast"));
    Seed("command_line", "assistant", Utf16(L"/assistant /auto /restart"));
}

void LauncherConfig(const fs::path& repo) {
    tinyxml2::XMLDocument doc;
    const std::string config = ReadFile(repo / "assets/package/config.xml");
    Seed("launcher_config", "package", config);
    if (doc.Parse(config.c_str(), config.size()) != tinyxml2::XML_SUCCESS || !doc.RootElement()) return;
    tinyxml2::XMLElement* common = doc.RootElement()->FirstChildElement("common");
    if (!common) common = doc.RootElement()->InsertNewChildElement("common");
    tinyxml2::XMLElement* actions = common->InsertNewChildElement("ACTIONS");
    tinyxml2::XMLElement* rename = actions->InsertNewChildElement("SETLONGNAME");
    rename->SetAttribute("id", 3);
    rename->SetAttribute("verEnd", "2.0");
    rename->SetAttribute("oldlongname", "Old Game");
    rename->SetAttribute("newlongname", "New Game");
    rename->SetAttribute("oldshortname", "og");
    rename->SetAttribute("newshortname", "ng");
    rename->SetAttribute("oldregpath", "Software\\Old");
    for (const auto& [id, name, to] : {std::make_tuple(5, "data\\old.cfg", "data\\new.cfg"),
                                       std::make_tuple(6, "cache\\", ""), std::make_tuple(7, "readme.txt", "")}) {
        tinyxml2::XMLElement* e = actions->InsertNewChildElement("RENAME");
        e->SetAttribute("id", id);
        e->SetAttribute("name", name);
        if (*to) e->SetAttribute("toname", to);
    }
    tinyxml2::XMLElement* migration = common->InsertNewChildElement("migrations")->InsertNewChildElement("migration");
    for (const char* name : {"shortName", "fullName", "regPath", "iconName"}) {
        migration->InsertNewChildElement(name)->SetText("Old");
    }
    Seed("launcher_config", "actions", Print(doc));
}

// Message texts of the English table: the multi-line ones as they are,
// and one of them marked up the way server messages are (heading,
// paragraph, list, entities).
void RichTexts(const fs::path& repo) {
    std::vector<std::string> entries;
    std::string error;
    if (!ParseStringSource(ReadFile(repo / "assets/strings/en.txt"), entries, error)) return;
    int n = 0;
    for (const std::string& text : entries) {
        if (text.find('\n') == std::string::npos || n == 3) continue;
        Seed("rich_text", "message_" + std::to_string(n++), Utf16(Widen(text)));
        std::string html = "<h1>", line;
        std::istringstream lines(text);
        bool first = true, list = false;
        while (std::getline(lines, line)) {
            if (first) {
                html += line + "</h1><p>&lt;&quot;" + std::to_string(n) + "&quot;&gt;</p>";
                first = false;
            } else if (line.rfind("- ", 0) == 0) {
                html += (list ? "<li>" : "<ul><li>") + line.substr(2) + "</li>";
                list = true;
            } else {
                html += (list ? "</ul><br>" : "<center>") + line + (list ? "" : "</center>");
                list = false;
            }
        }
        Seed("rich_text", "marked_up_" + std::to_string(n), Utf16(Widen(html + (list ? "</ul>" : "") + "<!-- end -->")));
    }
}

// A handful of distinct attribute values of the theme, of every syntax.
void ThemeValues(const fs::path& theme) {
    tinyxml2::XMLDocument doc;
    const std::string text = ReadFile(theme / "config.xml");
    if (doc.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS) return;
    std::set<std::string> kinds;
    std::vector<const tinyxml2::XMLElement*> stack{doc.RootElement()};
    while (!stack.empty()) {
        const tinyxml2::XMLElement* e = stack.back();
        stack.pop_back();
        if (!e) continue;
        for (const tinyxml2::XMLAttribute* a = e->FirstAttribute(); a; a = a->Next()) {
            const std::string value = a->Value();
            int32_t i = 0, x = 0, y = 0, quad[4];
            uint32_t colour = 0;
            float f = 0, fy = 0;
            bool flag = false;
            const char* kind = ParseThemeIntegerQuad(value, quad) ? "quad"
                               : ParseThemeColour(value, colour) ? "colour"
                               : ParseThemeIntegerPair(value, x, y) ? "pair"
                               : ParseThemeFloatPair(value, f, fy) ? "float_pair"
                               : ParseThemeInteger(value, i) ? "integer"
                               : ParseThemeBoolean(value, flag) ? "boolean"
                               : ParseThemeFloat(value, f) ? "float" : nullptr;
            if (kind && kinds.insert(kind).second) Seed("theme_values", kind, value);
        }
        for (const tinyxml2::XMLElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) stack.push_back(c);
    }
}

// The theme's common settings and profiles: the part of config.xml the
// settings and profile readers see.
void ThemeConfig(const fs::path& theme) {
    tinyxml2::XMLDocument doc, out;
    const std::string text = ReadFile(theme / "config.xml");
    if (doc.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS) return;
    const tinyxml2::XMLElement* config = doc.FirstChildElement("config");
    if (!config) return;
    tinyxml2::XMLNode* copy = out.InsertEndChild(out.NewElement("config"));
    for (const char* part : {"common", "profiles"})
        if (const tinyxml2::XMLElement* e = config->FirstChildElement(part)) copy->InsertEndChild(e->DeepClone(&out));
    Seed("theme_config", "common_and_profiles.xml", Print(out));
}

void WriteCallback(png_structp png, png_bytep data, png_size_t n) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}

// A small picture through libpng's writer: rows of packed samples.
std::string EncodePng(int width, int height, int colorType, int depth, int interlace,
                      std::vector<std::vector<uint8_t>> rows, bool withPalette) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, WriteCallback, nullptr);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), depth, colorType, interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[3] = {{0, 255, 255}, {200, 30, 30}, {20, 20, 220}};
    png_byte alpha[3] = {255, 128, 0};
    if (withPalette) {
        png_set_PLTE(png, info, palette, 3);
        png_set_tRNS(png, info, alpha, 3, nullptr);
    }
    std::vector<png_bytep> pointers;
    for (auto& r : rows) pointers.push_back(r.data());
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string Chunk(const std::string& type, const std::string& data) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) out += char((data.size() >> shift) & 0xFF);
    const std::string body = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    out += body;
    for (int shift = 24; shift >= 0; shift -= 8) out += char((crc >> shift) & 0xFF);
    return out;
}

// A header claiming 65535 x 65535 pixels over a few bytes of data: it
// must be refused before any row is allocated (a regression input).
std::string OversizedPng() {
    std::string header("\0\0\xFF\xFF\0\0\xFF\xFF\x08\x06\0\0\0", 13);
    std::string zeros(100, '\0'), packed(200, '\0');
    uLongf packedSize = uLongf(packed.size());
    compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(zeros.data()),
             uLong(zeros.size()));
    packed.resize(packedSize);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", packed) + Chunk("IEND", "");
}

void Pictures() {
    Seed("png", "oversized_header.png", OversizedPng());
    std::vector<std::vector<uint8_t>> palette(6, std::vector<uint8_t>(2));
    for (size_t y = 0; y < palette.size(); ++y) palette[y] = {uint8_t(0x12 + y % 2), uint8_t(0x20 >> (y % 2))};
    Seed("png", "palette_2bit.png", EncodePng(8, 6, PNG_COLOR_TYPE_PALETTE, 2, PNG_INTERLACE_NONE, palette, true));
    std::vector<std::vector<uint8_t>> gray(5, std::vector<uint8_t>(10));
    for (size_t y = 0; y < gray.size(); ++y)
        for (size_t x = 0; x < 10; ++x) gray[y][x] = uint8_t(x * 25 + y);
    Seed("png", "gray_16bit_interlaced.png", EncodePng(5, 5, PNG_COLOR_TYPE_GRAY, 16, PNG_INTERLACE_ADAM7, gray, false));
}

// Sheets in the harness's form: width byte, then one byte per pixel, the
// key (0) around sprites of other values.
void SpriteSheets() {
    const char* rows[] = {"000000000", "011022200", "011022200", "000000000", "033333330", "030000030", "000000000"};
    std::string sheet(1, char(9 - 1));
    for (const char* row : rows)
        for (const char* c = row; *c; ++c) sheet += char(*c - '0');
    Seed("sprite_sheet", "three_sprites", sheet);
    std::string checker(1, char(16 - 1));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) checker += char((x + y) % 2 ? 0 : 1 + (x % 3));
    Seed("sprite_sheet", "checker", checker);
}

void EntryNames() {
    for (const auto& [name, text] : {std::make_pair("nested", "data/levels/one.pak"), std::make_pair("folder", "addons\\voice\\"),
                                     std::make_pair("quoted", "\"bin64\"/client.exe")})
        Seed("entry_name", name, text);
}

void HttpHeads() {
    Seed("http_head", "head_ok",
         "HTTP/1.1 200 OK\r\nServer: nginx\r\nContent-Type: application/octet-stream\r\nContent-Length: 1048576\r\n"
         "Accept-Ranges: bytes\r\n\r\n");
    Seed("http_head", "partial",
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-199/1000\r\nContent-Length: 100\r\n\r\n");
    Seed("http_head", "unavailable", "HTTP/1.0 503 Service Unavailable\nRetry-After: 60\n  folded\nContent-Length: 0\n\n");
}

void CudDocument(const fs::path& work) {
    tinyxml2::XMLDocument doc;
    tinyxml2::XMLElement* root = doc.NewElement("ClientUpdateData");
    doc.InsertEndChild(root);
    tinyxml2::XMLElement* face = root->InsertNewChildElement("Face");
    face->SetAttribute("id", "sample");
    for (const char* list : {"LoginURLs", "DataUpdateURLs"}) {
        tinyxml2::XMLElement* e = face->InsertNewChildElement(list);
        e->InsertNewChildElement("URL")->SetText("https://login.example.invalid/");
        e->InsertNewChildElement("URL")->SetText("https://backup.example.invalid/");
    }
    tinyxml2::XMLElement* location = root->InsertNewChildElement("Location");
    location->SetAttribute("country", "N/A");
    location->SetAttribute("city", "N/A");
    root->InsertNewChildElement("SelectedURL")->SetText("https://login.example.invalid/");
    std::ofstream(work / "cud.xml", std::ios::binary) << Print(doc);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: fuzz_seeds <repository> <corpus folder> <work folder>\n");
        return 2;
    }
    const fs::path repo = argv[1];
    g_corpus = argv[2];
    PipeRecords();
    AppList();
    Changes();
    RenamingAndCommandLines();
    LauncherConfig(repo);
    RichTexts(repo);
    ThemeValues(fs::path(argv[3]) / "theme");
    ThemeConfig(fs::path(argv[3]) / "theme");
    Pictures();
    SpriteSheets();
    EntryNames();
    HttpHeads();
    CudDocument(argv[3]);
    return 0;
}
