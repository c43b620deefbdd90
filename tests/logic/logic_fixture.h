#pragma once
// A logic object in the test process with the configuration and string
// tables of the real built Launcher.exe and the multi-page test theme,
// logging into the test's folder.

#include "common/process.h"
#include "common/stand_in_wizard.h"
#include "common/temp_folder.h"
#include "logic/control_ids.h"
#include "logic/logic.h"
#include "startup/module.h"

class LogicObject : public TempFolderTest {
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
        // The shipped theme is a single-page theme; most of these tests
        // drive the multi-page arrangement, which has every page the logic
        // can show.
        if (!singlePage_) {
            ASSERT_EQ(tinyxml2::XML_SUCCESS,
                      logic_.config().themeDoc->LoadFile(LAUNCHER_SOURCE_DIR "/tests/logic/multi_page_theme.xml"));
        }
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
    int Id(const char* func) { return ControlIdForFunc(func); }

    bool singlePage_ = false;
    HMODULE module_ = nullptr;
    CLogImplW log_;
    CStandInWizard wizard_;
    CLogic logic_{wizard_};
};

// The same with the shipped single-page theme.
class SinglePageLogic : public LogicObject {
protected:
    void SetUp() override {
        singlePage_ = true;
        LogicObject::SetUp();
    }
};

