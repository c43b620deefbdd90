// The wizard's drawing cost with the shipped theme: the milliseconds to
// compose one frame of the installation page, and the CPU time of an idle
// wizard over 10 s, first recomposing and handing over every 10 ms tick
// (as a window that redraws unconditionally does) and then as the window
// does it, only when something visible changed.
//   wizard_bench <assets\package folder> [seconds]

#include "gui/folder_theme_source.h"
#include "gui/gdiplus_session.h"
#include "gui/gui_text_label.h"
#include "gui/layered_window.h"
#include "gui/ui_scale.h"
#include "startup/window_messages.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
        return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

void Pump(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    MSG msg;
    // A tick that takes longer than the timer's period finds the next one
    // already due, so the clock is checked after every message.
    while (std::chrono::steady_clock::now() < end) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: wizard_bench <assets\\package folder> [seconds]\n");
        return 1;
    }
    const double seconds = argc > 2 ? _wtof(argv[2]) : 10.0;
    CGdiPlusSession gdiplus;
    if (!gdiplus.Start()) return 1;
    SetUiScale(1.0f);
    CFolderThemeSource source(argv[1], "theme_kx");
    std::string config, error;
    tinyxml2::XMLDocument doc;
    if (!ReadWholeFile(std::wstring(argv[1]) + L"\\theme_kx\\config.xml", config, kMaxThemeFileBytes) ||
        doc.Parse(config.c_str()) != 0)
        return fprintf(stderr, "no theme_kx\\config.xml there\n"), 1;
    CGuiTheme theme(source, "theme_kx");
    if (!theme.LoadFonts(error) || !theme.LoadProfiles(doc, error)) return fprintf(stderr, "%s\n", error.c_str()), 1;
    CLayeredWindow window(theme, [](int32_t) { return std::wstring(L"Sample text"); });
    bool redrawEveryTick = false;
    window.SetHooks(CLayeredWindow::Hooks{nullptr, nullptr, nullptr, [&](UINT_PTR id) {
                                              if (!redrawEveryTick || id != eWindowTimer_Paint) return false;
                                              RECT r{};
                                              GetWindowRect(window.hwnd(), &r);
                                              window.ComposeFrame();
                                              window.surface().Present(window.hwnd(), r.left, r.top);
                                              return true;
                                          }});
    if (!window.Create(doc, GetModuleHandleW(nullptr), L"WizardBench", error))
        return fprintf(stderr, "%s\n", error.c_str()), 1;
    // The installation page as it waits for the terms to be accepted.
    window.ShowPage(4, 0);
    if (GuiControl* wait = window.page(3)->FindById(12364)) wait->SetVisible(false);
    Pump(0.5);

    const int frames = 300;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) window.ComposeFrame();
    const double frameMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / frames;
    printf("compose one frame of the installation page (%d x %d): %.2f ms\n", window.surface().width(),
           window.surface().height(), frameMs);

    redrawEveryTick = true;
    double cpu = ProcessCpuMs();
    Pump(seconds);
    const double before = ProcessCpuMs() - cpu;
    redrawEveryTick = false;
    Pump(0.2);
    const uint64_t presented = window.framesPresented();
    cpu = ProcessCpuMs();
    Pump(seconds);
    const double after = ProcessCpuMs() - cpu;
    printf("idle wizard, %.0f s: CPU %.0f ms redrawing every tick, %.0f ms redrawing on change "
           "(%llu frames drawn); ratio %.3f\n",
           seconds, before, after, static_cast<unsigned long long>(window.framesPresented() - presented),
           before > 0 ? after / before : 0.0);
    window.Destroy();
    return 0;
}
