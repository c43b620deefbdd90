// The logic object brings the network up in StartWork and down in uninit.

#include "logic/logic_fixture.h"

using LogicNetwork = LogicObject;

TEST_F(LogicNetwork, StartWorkBringsTheNetworkUpAndUninitTakesItDown) {
    ASSERT_TRUE(logic_.init(rcNone, L""));
    ASSERT_TRUE(logic_.StartWork());
    // No "Unable init net transport": the progress page stays on stage 3.
    EXPECT_TRUE(wizard_.messages().empty());
    EXPECT_EQ(GetString(82), wizard_.Text(ControlIdForFunc("firstpage_info")));
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
