// The assistant's pipe records as they arrive: a parameter record, then a
// shortcut record. A text field reads up to its first zero or the end of
// its array; written back, it is cut so that the zero fits, and reads
// back as the cut text.
#include "fuzz_input.h"
#include "system/assistant_records.h"

#include <vector>

namespace {

std::u16string Cut(const std::u16string& text, size_t capacity) {
    FUZZ_CHECK(text.size() <= capacity);
    return text.substr(0, capacity - 1);
}

bool SameCut(const LauncherAssistantData& a, const LauncherAssistantData& b) {
    return b.command == a.command && b.chInstallFolder == Cut(a.chInstallFolder, kInstallFolderChars) &&
           b.chUserName == Cut(a.chUserName, kUserNameChars) && b.chShortName == Cut(a.chShortName, kShortNameChars) &&
           b.chFullName == Cut(a.chFullName, kFullNameChars) && b.chIconName == Cut(a.chIconName, kIconNameChars) &&
           b.chRegPath == Cut(a.chRegPath, kRegPathChars) && b.chHelpLink == Cut(a.chHelpLink, kUrlChars) &&
           b.chUrlInfoAbout == Cut(a.chUrlInfoAbout, kUrlChars) &&
           b.chUrlUpdateInfo == Cut(a.chUrlUpdateInfo, kUrlChars) &&
           b.chLnkDesctopIcon == Cut(a.chLnkDesctopIcon, kLnkDesktopChars) &&
           b.chLauncherName == Cut(a.chLauncherName, kLauncherNameChars) && b.chTemp == Cut(a.chTemp, kTempChars) &&
           b.bIconPrograms == a.bIconPrograms && b.bIconProgramsFolder == a.bIconProgramsFolder &&
           b.bIconStartMenu == a.bIconStartMenu && b.iconCount == a.iconCount;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> record(data, data + size);
    record.resize(kAssistantDataSize + kAssistantIconSize);
    const LauncherAssistantData params = DecodeAssistantData(record.data());
    FUZZ_CHECK(SameCut(params, DecodeAssistantData(EncodeAssistantData(params).data())));
    LauncherCmdName(params.command);
    AssistantResultText(int32_t(params.command), params.iconCount);
    const LauncherAssistantIcon icon = DecodeAssistantIcon(record.data() + kAssistantDataSize);
    const LauncherAssistantIcon again = DecodeAssistantIcon(EncodeAssistantIcon(icon).data());
    FUZZ_CHECK(again.name == Cut(icon.name, kIconNameFieldChars) && again.exec == Cut(icon.exec, kIconExecChars) &&
               again.action == icon.action);
    return 0;
}
