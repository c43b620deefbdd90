#pragma once
// String tables: one CLauncherLang per language, the process-wide set
// CLauncherLangTable, and GetString, through which every text the launcher
// shows is fetched. Filled by preinit on the UI thread; lookups may come
// from any thread but the current table changes only on the UI thread.

#include "startup/simple_read_stream.h"

#include <windows.h>

#include <locale.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CLauncherLang {
public:
    CLauncherLang(std::unique_ptr<ISimpleReadStream> source, std::string displayName, std::string code,
                  std::string locale, int32_t id);
    virtual ~CLauncherLang();

    // Reads the .lso from the source and closes it. Entries read before a
    // failure stay.
    bool Read();

    size_t Count() const { return entries_.size(); }
    const std::string& Entry(size_t n) const { return entries_[n]; }
    const std::string& code() const { return code_; }
    const std::string& locale() const { return locale_; }
    LCID lcid() const { return lcid_; }
    int32_t id() const { return id_; }

private:
    std::vector<std::string> entries_;
    std::unique_ptr<ISimpleReadStream> source_;
    std::string displayName_;
    std::string code_;
    std::string locale_;
    _locale_t localeHandle_ = nullptr;
    LCID lcid_ = 0;
    int32_t id_ = 0;
};

class CLauncherLangTable {
public:
    virtual ~CLauncherLangTable() = default;

    // Adds a table when the set is empty or it has as many entries as the
    // first one; the first becomes the default and is selected.
    bool Add(std::unique_ptr<CLauncherLang> table);
    bool SelectTable(int index);
    int current() const { return current_; }
    int defaultIndex() const { return default_; }
    size_t size() const { return tables_.size(); }
    const CLauncherLang* Current() const;
    // Entry n of the current table as UTF-16; empty outside the table.
    std::wstring GetString(int n) const;

private:
    std::vector<std::unique_ptr<CLauncherLang>> tables_;
    int default_ = -1;
    int current_ = -1;
};

// The process-wide set (null before preinit and after uninit).
extern CLauncherLangTable* g_pLangTable;

// "string N" of the current language; empty without a table.
std::wstring GetString(int n);
