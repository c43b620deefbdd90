// "/download" mode: the running client hands download tasks (names of
// additional packages) to this launcher over its pipe and gets an answer
// per task. UI thread only.

#include "logic/client_tasks.h"

#include "logic/update_cycle.h"
#include "startup/window_messages.h"
#include "startup/format_text.h"

#include <algorithm>

namespace {

// Answers of eWindowsMessage_ClientAnswer.
constexpr LPARAM kTaskUnreadable = 1;
constexpr LPARAM kTaskDone = 3;
// The task text is UTF-16 and at most this many bytes long.
constexpr size_t kMaxTaskBytes = 2046;
// How long the UI thread waits for an announced task text.
constexpr DWORD kTaskReadLimitMs = 2000;

std::vector<std::wstring> SplitTask(const std::wstring& text) {
    std::vector<std::wstring> items;
    size_t start = 0;
    for (;;) {
        const size_t bar = text.find(L'|', start);
        const std::wstring item = text.substr(start, bar == std::wstring::npos ? bar : bar - start);
        if (!item.empty()) items.push_back(item);
        if (bar == std::wstring::npos) return items;
        start = bar + 1;
    }
}

}  // namespace

void CClientTasks::OpenClientPipe() {
    if (clientPipe_.IsValid()) return;
    const std::wstring name =
        FormatText(L"\\\\.\\pipe\\launcher_%llu", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ctx_.clientWindow)));
    LogPart(L"Init pipe: " + name);
    const HWND window = ctx_.wizard.Window();
    if (!clientPipe_.Open(name)) {
        LogLine(L" .. fail");
        PostMessageW(ctx_.clientWindow, eWindowsMessage_ClientPipeReady, reinterpret_cast<WPARAM>(window), 1);
        ctx_.host->Exit();
        return;
    }
    LogLine(L" .. ok");
    ctx_.host->SetProgressStage(6);
    addPkg_.SetAddPkgFolder(ctx_.installFolder);
    addPkg_.Load();
    acceptingTasks_ = true;
    PostMessageW(ctx_.clientWindow, eWindowsMessage_ClientPipeReady, reinterpret_cast<WPARAM>(window), 0);
}

void CClientTasks::OnClientTask(WPARAM id, LPARAM bytes) {
    if (!acceptingTasks_) return;
    if (static_cast<int>(bytes) <= 0) {
        if (!clientTasks_.empty() && waitingForTasks_)
            ctx_.update->StartCheck();
        else
            ctx_.host->Exit();
        return;
    }
    if (!clientPipe_.IsValid()) return;
    // The client writes a task before announcing it, so its text is there
    // at once; a client that announces more than it wrote gets a short wait
    // on this thread, never a hang. An overlong task is still taken off the
    // pipe, up to what it announced, so that the next task starts where it
    // should, but only a task's worth is ever held.
    const size_t announced = static_cast<size_t>(bytes);
    std::vector<char> raw(std::min(announced, kMaxTaskBytes));
    const ULONGLONG deadline = GetTickCount64() + kTaskReadLimitMs;
    const size_t got = clientPipe_.ReadWithin(raw.data(), raw.size(), kTaskReadLimitMs);
    if (got == raw.size() && announced > raw.size()) {
        std::vector<char> spill(kMaxTaskBytes);
        for (size_t left = announced - got; left > 0;) {
            const ULONGLONG now = GetTickCount64();
            const size_t piece = clientPipe_.ReadWithin(spill.data(), std::min(left, spill.size()),
                                                        now < deadline ? DWORD(deadline - now) : 0);
            if (piece == 0) break;
            left -= piece;
        }
    }
    if (got != raw.size() || announced > kMaxTaskBytes) {
        LogLine(FormatText(L"Task %u unreadable: %u bytes announced, %u read", unsigned(id), unsigned(announced),
                           unsigned(got)));
        PostMessageW(ctx_.clientWindow, eWindowsMessage_ClientAnswer, id, kTaskUnreadable);
        return;
    }
    std::wstring text(raw.size() / 2, L'\0');
    memcpy(&text[0], raw.data(), text.size() * sizeof(wchar_t));
    text.resize(wcsnlen(text.c_str(), text.size()));

    std::vector<std::wstring> items;
    for (const std::wstring& item : SplitTask(text)) {
        bool known = addPkg_.AddPackages().count(item) != 0;
        for (const std::wstring& taken : items) known = known || taken == item;
        if (!known) items.push_back(item);
    }
    if (items.empty()) {
        LogLine(FormatText(L"New task received: %s, (already loaded, skip)", text.c_str()));
        PostMessageW(ctx_.clientWindow, eWindowsMessage_ClientAnswer, id, kTaskDone);
        if (clientTasks_.empty()) PostMessageW(ctx_.wizard.Window(), eWindowsMessage_ClientTask, 0, 0);
        return;
    }
    clientTasks_.push_back({id, text, items});
    LogLine(FormatText(L"New task received: %s", text.c_str()));
    if (waitingForTasks_) ctx_.update->StartCheck();
}

void CClientTasks::FinishClientTasks() {
    const size_t done = std::min(checkedTasks_, clientTasks_.size());
    for (size_t i = 0; i < done; ++i) {
        for (const std::wstring& item : clientTasks_[i].items) addPkg_.Add(item, false);
        PostMessageW(ctx_.clientWindow, eWindowsMessage_ClientAnswer, clientTasks_[i].id, kTaskDone);
    }
    clientTasks_.erase(clientTasks_.begin(), clientTasks_.begin() + ptrdiff_t(done));
    checkedTasks_ = 0;
    ctx_.host->SetProgressStage(6);
    PostMessageW(ctx_.wizard.Window(), eWindowsMessage_ClientTask, 0, 0);
}

bool CClientTasks::TakeForCheck(std::set<std::wstring>& packages) {
    if (clientTasks_.empty()) return false;
    for (const ClientTask& task : clientTasks_) packages.insert(task.items.begin(), task.items.end());
    checkedTasks_ = clientTasks_.size();
    waitingForTasks_ = false;
    return true;
}

void CClientTasks::Close() { clientPipe_.Close(); }
