#pragma once
// The assistant as a real second process for tests: a copy of the built
// Launcher.exe started with "/assistant <hwnd>" and driven through its pipe
// by the test, which plays the launcher with a hidden window.

#include "common/assistant_link.h"
#include "common/process.h"
#include "common/temp_folder.h"
#include "common/test_registry.h"
#include "system/assistant_records.h"
#include "system/named_pipe.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

inline std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

// The REG_SZ value of HKLM\key, or "(none)".
inline std::wstring MachineText(const std::wstring& key, const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    return RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS
               ? std::wstring(text)
               : L"(none)";
}

class AssistantProcess : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        copy_ = path(L"asst" + std::to_wstring(GetCurrentProcessId()) + L".exe");
        ASSERT_TRUE(CopyFileW(BuiltLauncherPath().c_str(), copy_.c_str(), FALSE));
        regPath_ = TestRegistryRoot() + L"\\Product";
    }
    void TearDown() override {
        pipe_.Close();
        child_.Wait(10000);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, TestRegistryRoot().c_str());
        TempFolderTest::TearDown();
    }

    bool Start(HWND target, bool withPipe = true) {
        if (withPipe && !pipe_.Create(AssistantPipeName(copy_))) return false;
        return child_.Start(copy_, L"/assistant " + HandleText(target), dir());
    }
    // Starts the assistant and waits until it reports its connection.
    // On a loaded machine Wine now and then ends a new process before any
    // of its code ran; such a start says nothing about the assistant and
    // is made once more.
    void Connect() {
        for (int attempt = 0;; ++attempt) {
            ASSERT_TRUE(Start(window_.hwnd()));
            CAssistantWindow::Report r{};
            if (window_.WaitFor(0x914, r, 20000)) {
                EXPECT_EQ(0, r.l);
                EXPECT_EQ(child_.id(), DWORD(r.w));
                return;
            }
            const long code = child_.Wait(0);
            if (attempt > 0 || code < 0) FAIL() << "no connection report";
            fprintf(stderr, "the assistant ended (code %ld) without connecting; starting it again\n", code);
            pipe_.Close();
        }
    }
    void SendCommand(uint32_t command) { ASSERT_TRUE(pipe_.Write(&command, sizeof command)); }
    void SendRecord(LauncherAssistantData d, const std::vector<LauncherAssistantIcon>& icons = {}) {
        const std::vector<uint8_t> bytes = EncodeAssistantData(d);
        ASSERT_TRUE(pipe_.Write(bytes.data(), bytes.size()));
        for (const auto& icon : icons) {
            const std::vector<uint8_t> b = EncodeAssistantIcon(icon);
            ASSERT_TRUE(pipe_.Write(b.data(), b.size()));
        }
    }
    // A new assistant run of `command` with the record `d`; its work result.
    CAssistantWindow::Report Run(uint32_t command, LauncherAssistantData d) {
        window_.Forget();
        Connect();
        SendCommand(command);
        d.command = command;
        SendRecord(d);
        return Result();
    }
    CAssistantWindow::Report Result() {
        CAssistantWindow::Report r{};
        EXPECT_TRUE(window_.WaitFor(0x915, r, 30000)) << "no work result";
        return r;
    }
    LauncherAssistantData RightsRecord(const std::wstring& folder) {
        LauncherAssistantData d;
        d.command = eLauncherCmd_GetRights;
        d.chInstallFolder = U16(folder);
        d.chRegPath = U16(regPath_);
        d.chLauncherName = u"Launcher.exe";
        return d;
    }
    std::string AssistantLog() { return ReadFileBytes(copy_ + L".log"); }

    std::wstring copy_;
    std::wstring regPath_;
    CNamedPipe pipe_;
    CAssistantWindow window_;
    CChildProcess child_;
};
