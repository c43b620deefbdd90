// The logic object brings the network up in StartWork and down in uninit.

#include "common/process.h"
#include "common/temp_folder.h"
#include "gui/control_ids.h"
#include "logic/logic.h"
#include "startup/module.h"

namespace {

class LogicNetwork : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        module_ = LoadLibraryExW(BuiltLauncherPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_);
        SetModuleInstance(module_);
        ASSERT_TRUE(log_.Open(path(L"logic.log")));
        log_.SetUtf8(true);
        g_pLog = &log_;
        logic_.setLog(&log_);
        ASSERT_TRUE(logic_.preinit());
    }
    void TearDown() override {
        g_pLog = nullptr;
        log_.Close();
        SetModuleInstance(nullptr);
        FreeLibrary(module_);
        TempFolderTest::TearDown();
    }
    std::string Log() {
        log_.Close();
        return ReadFileBytes(path(L"logic.log"));
    }

    HMODULE module_ = nullptr;
    CLogImplW log_;
    CLogic logic_;
};

}  // namespace

TEST_F(LogicNetwork, StartWorkBringsTheNetworkUpAndUninitTakesItDown) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    ASSERT_TRUE(logic_.StartWork());
    // No "Unable init net transport": the progress page stays on stage 3.
    EXPECT_TRUE(logic_.wizard().messages().empty());
    EXPECT_EQ(GetString(82), logic_.wizard().Text(ControlIdForFunc("firstpage_info")));
    // A second StartWork keeps the running network.
    ASSERT_TRUE(logic_.StartWork());
    logic_.Exit();
    logic_.uninit();
    const std::string log = Log();
    const size_t up = log.find("Net transport successfully initialized\r\nDownloader successfully initialized\r\n");
    EXPECT_NE(std::string::npos, up);
    EXPECT_EQ(std::string::npos, log.find("Net transport successfully initialized", up + 1));
    EXPECT_NE(std::string::npos, log.find("Stop checker & unpaker threads\r\nDownloader uninit .. OK\r\n"
                                          "Net transport shutdown .. OK\r\n\r\n--- Uninit finished ---"));
}
