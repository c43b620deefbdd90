#include "net/httx_trace_log.h"

#include "common/temp_folder.h"
#include "startup/text.h"

using NetEx::CHttxTraceLog;

class HttxTraceLog : public TempFolderTest {
protected:
    std::string OpenWriteRead(const std::string& name, void (*write)(CHttxTraceLog&)) {
        NetEx::TraceConfig config;
        config.enabled = 1;
        config.directory = dir() + L"\\";
        {
            CHttxTraceLog log;
            EXPECT_EQ(0u, log.Open(config, name, NetEx::ClockReference{}));
            write(log);
        }
        return ReadFileBytes(path(std::to_wstring(GetCurrentProcessId()) + L"." + AnsiToWide(name) + L".log"));
    }
};

TEST_F(HttxTraceLog, NameLosesBytesFilesCannotHold) {
    EXPECT_EQ("Httx.a-b-c-d-e-f-g-h-i", CHttxTraceLog::SanitiseName("Httx.a\"b/c:d<e>f\\g|h\x01i"));
    EXPECT_EQ("x--y", CHttxTraceLog::SanitiseName("x\xD0\xA0y"));
}

TEST_F(HttxTraceLog, TimestampWithAndWithoutZone) {
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = 1;
    t.wDay = 5;
    t.wHour = 9;
    t.wMinute = 30;
    t.wSecond = 12;
    t.wMilliseconds = 45;
    EXPECT_EQ("[05.01.2024 09:30:12.045]", CHttxTraceLog::Timestamp(t, {}));
    EXPECT_EQ("[GMT+3 05.01.2024 09:30:12.045]", CHttxTraceLog::Timestamp(t, {0, -10800}));
    EXPECT_EQ("[GMT-5:30 05.01.2024 09:30:12.045]", CHttxTraceLog::Timestamp(t, {0, 19800}));
}

TEST_F(HttxTraceLog, HeadingsFieldsBlocksAndErrors) {
    const std::string log = OpenWriteRead("Httx.Context3", [](CHttxTraceLog& l) {
        l.Heading("Request progress");
        l.Field("Size: ", uint64_t(4096));
        l.Block("Data:", "abc", 3);
        l.End();
        l.Heading(std::string(100, 'T'));
        l.Heading("");
        l.ErrorLine(12029);
        l.ErrorLine(10054);
        l.ErrorLine(5);
        l.ErrorLine(0xFFFFFFFFu);
        l.ErrorLine(0);
    });
    ASSERT_EQ(0u, log.find("\xEF\xBB\xBFRequest progress ="));
    const size_t first = log.find("\r\n");
    EXPECT_EQ(3u + 90u, first);  // BOM, then a 90-column heading
    const std::string record = "]\r\nSize: 4096\r\nData:\r\nabc\r\n\r\n";
    EXPECT_EQ(record, log.substr(first - 1, record.size()));
    // A long title still gets three fill characters; no title starts with '='.
    EXPECT_NE(std::string::npos, log.find(std::string(100, 'T') + " ==["));
    EXPECT_NE(std::string::npos, log.find("\r\n==="));
    EXPECT_NE(std::string::npos, log.find("WinInet error 12029:\r\n"));
    EXPECT_NE(std::string::npos, log.find("Winsock error 10054:\r\n"));
    EXPECT_NE(std::string::npos, log.find("Error 5:\r\n"));
    EXPECT_NE(std::string::npos, log.find("Failed\r\n"));
    EXPECT_EQ(std::string::npos, log.find("Error 0"));
}

TEST_F(HttxTraceLog, LongBlocksAreCut) {
    const std::string log = OpenWriteRead("Httx.cut", [](CHttxTraceLog& l) {
        const std::string big(5000, 'x');
        l.Block("Data:", big.data(), big.size());
    });
    EXPECT_NE(std::string::npos, log.find(std::string(4096, 'x') + " ...block is too large..."));
    EXPECT_EQ(std::string::npos, log.find(std::string(4097, 'x')));
}
