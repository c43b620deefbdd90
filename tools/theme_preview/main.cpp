// theme_preview: renders one page of a theme with the launcher's own
// toolkit and writes it as a PNG with its alpha, for theme authors and for
// the pictures in the documentation.
//   theme_preview <theme folder | Launcher.exe> <page> <variant> <scale> <out.png>
//                 [--lang code] [--strings table.txt]

#include "gui/control_tables.h"
#include "gui/gdiplus_session.h"
#include "gui/gui_combo_box.h"
#include "gui/gui_factories.h"
#include "gui/gui_text_label.h"
#include "gui/ui_scale.h"
#include "startup/text.h"
#include "theme_files.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& message) {
    fprintf(stderr, "theme_preview: %s\n", message.c_str());
    return 1;
}

bool PngEncoder(CLSID& clsid) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i)
        if (std::wcscmp(encoders[i].MimeType, L"image/png") == 0) {
            clsid = encoders[i].Clsid;
            return true;
        }
    return false;
}

void SetLabel(GuiControl& page, int32_t id, const std::wstring& text) {
    if (auto* label = dynamic_cast<CGuiTextLabelCtrl*>(page.FindById(id)); label && !text.empty()) label->SetText(text);
}

void Show(GuiControl& page, int32_t id, bool visible) {
    if (GuiControl* control = page.FindById(id)) control->SetVisible(visible);
}

// What the launcher puts into a page besides the default texts, so that
// the preview shows each page as a user meets it: a yes/no question with
// its icon, the installation page before its terms are accepted, the
// uninstall question and its result.
void FillSampleTexts(GuiControl& page, const PreviewTheme& theme) {
    ApplyDefaultTexts(page, theme.text);
    const std::wstring folder = L"C:\\Games\\" + (theme.productName.empty() ? theme.text(2) : theme.productName);
    SetLabel(page, 12420, theme.caption.empty() ? theme.text(2) : theme.caption);
    SetLabel(page, 12400, theme.text(113));
    for (int32_t hidden : {12414, 12415, 12416, 12417, 12418, 12419, 12364, 12351}) Show(page, hidden, false);
    SetLabel(page, 12361, theme.text(65));
    SetLabel(page, 12362, folder);
    SetLabel(page, 12438, folder);
    SetLabel(page, 12406, theme.text(100));
    if (auto* install = dynamic_cast<CGuiTextLabelCtrl*>(page.FindById(12354))) install->SetEnabled(false);
    if (auto* box = dynamic_cast<CGuiComboBoxCtrl*>(page.FindById(kLanguageBoxId))) {
        for (size_t i = 0; i < theme.languageNames.size(); ++i)
            box->AddItem(int32_t(12367 + i), theme.languageNames[i]);
        if (theme.languageIndex >= 0) box->SelectRow(theme.languageIndex);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6)
        return Fail("usage: theme_preview <theme folder | Launcher.exe> <page> <variant> <scale> <out.png> "
                    "[--lang code] [--strings table.txt]");
    const std::wstring input = argv[1], out = argv[5];
    const int page = _wtoi(argv[2]), variant = _wtoi(argv[3]);
    const float scale = float(_wtof(argv[4]));
    std::string lang;
    std::wstring strings;
    for (int i = 6; i + 1 < argc; i += 2) {
        if (std::wcscmp(argv[i], L"--lang") == 0) lang = WideToUtf8(argv[i + 1]);
        if (std::wcscmp(argv[i], L"--strings") == 0) strings = argv[i + 1];
    }
    if (scale <= 0) return Fail("the scale must be positive");

    CPreviewInput files;
    std::string error;
    const bool launcher = input.size() > 4 && _wcsicmp(input.c_str() + input.size() - 4, L".exe") == 0;
    if (!(launcher ? files.OpenLauncher(input, lang, error) : files.OpenFolder(input, strings, error)))
        return Fail(error);
    PreviewTheme& preview = files.theme();

    CGdiPlusSession gdiplus;
    if (!gdiplus.Start()) return Fail("GDI+ does not start");
    SetUiScale(scale);
    CGuiTheme theme(*preview.source, preview.folder);
    if (!theme.LoadFonts(error) || !theme.LoadProfiles(*preview.config, error)) return Fail(error);
    auto pages = LoadThemeForms(*preview.config, theme.profiles());
    if (page < 1 || page > int(pages.size()))
        return Fail("the theme has " + std::to_string(pages.size()) + " pages");
    CGuiBitmapBorderStepCtrl& step = *pages[size_t(page - 1)];
    FillSampleTexts(step, preview);
    step.ApplyVariant(variant);
    step.SetDesignPosition(0, 0);
    step.Layout();

    Gdiplus::Bitmap frame(step.width(), step.height(), PixelFormat32bppPARGB);
    {
        Gdiplus::Graphics graphics(&frame);
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        // Text lines take their height while drawing; the second pass draws
        // what depends on it (a scroll area's bar).
        step.Draw(graphics);
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        step.Draw(graphics);
    }
    CLSID png;
    if (!PngEncoder(png) || frame.Save(out.c_str(), &png, nullptr) != Gdiplus::Ok)
        return Fail("cannot write " + WideToUtf8(out));
    printf("%d x %d\n", step.width(), step.height());
    return 0;
}
