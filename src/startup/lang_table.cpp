#include "lang_table.h"

#include "startup/text.h"

CLauncherLangTable* g_pLangTable = nullptr;

CLauncherLang::CLauncherLang(std::unique_ptr<ISimpleReadStream> source, std::string displayName, std::string code,
                             std::string locale, int32_t id)
    : source_(std::move(source)),
      displayName_(std::move(displayName)),
      code_(std::move(code)),
      locale_(std::move(locale)),
      id_(id) {
    if (!locale_.empty()) {
        localeHandle_ = _create_locale(LC_ALL, locale_.c_str());
        lcid_ = LocaleNameToLCID(Utf8ToWide(locale_).c_str(), 0);
    }
}

CLauncherLang::~CLauncherLang() {
    if (localeHandle_) _free_locale(localeHandle_);
}

namespace {
// Bytes left in the stream; counts and lengths are checked against it so a
// damaged table cannot ask for more memory than the file could fill.
int64_t Remaining(ISimpleReadStream& s) {
    const int64_t at = s.Position();
    if (!s.Seek(0, 1)) return 0;
    const int64_t size = s.Position();
    s.Seek(at, 2);
    return size - at;
}
}  // namespace

bool CLauncherLang::Read() {
    if (!source_) return false;
    entries_.clear();
    bool ok = false;
    uint32_t header[2] = {};
    if (source_->Read(header, sizeof header) && header[1] == 0 && header[0] != 0 &&
        int64_t(header[0]) * 4 <= Remaining(*source_)) {
        entries_.assign(header[0], std::string());
        ok = true;
        for (std::string& entry : entries_) {
            uint32_t length = 0;
            int64_t got = 0;
            if (!source_->Read(&length, 4, &got) || got != 4) {
                ok = false;
                break;
            }
            if (length == 0) continue;
            if (int64_t(length) > Remaining(*source_)) {
                ok = false;
                break;
            }
            std::string text(length, '\0');
            if (!source_->Read(&text[0], length, &got) || got != int64_t(length)) {
                ok = false;
                break;
            }
            entry = std::move(text);
        }
    }
    source_->Close();
    return ok;
}

bool CLauncherLangTable::Add(std::unique_ptr<CLauncherLang> table) {
    if (!table) return false;
    if (!tables_.empty() && table->Count() != tables_.front()->Count()) return false;
    tables_.push_back(std::move(table));
    if (tables_.size() == 1) {
        default_ = 0;
        SelectTable(0);
    }
    return true;
}

bool CLauncherLangTable::SelectTable(int index) {
    if (index == current_) return true;
    if (index < 0 || size_t(index) >= tables_.size()) return false;
    current_ = index;
    if (!tables_[index]->locale().empty()) setlocale(LC_TIME, tables_[index]->locale().c_str());
    return true;
}

const CLauncherLang* CLauncherLangTable::Current() const {
    return current_ >= 0 && size_t(current_) < tables_.size() ? tables_[current_].get() : nullptr;
}

std::wstring CLauncherLangTable::GetString(int n) const {
    const CLauncherLang* t = Current();
    if (!t || n < 0 || size_t(n) >= t->Count()) return {};
    return Utf8ToWide(t->Entry(size_t(n)));
}

std::wstring GetString(int n) { return g_pLangTable ? g_pLangTable->GetString(n) : std::wstring(); }
