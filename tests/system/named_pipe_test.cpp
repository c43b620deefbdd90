// The pipe both ends of the assistant link use, within one process.

#include "system/named_pipe.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::wstring UniqueName(const wchar_t* tag) {
    return L"\\\\.\\pipe\\launcher_test_" + std::wstring(tag) + L"_" + std::to_wstring(GetCurrentProcessId());
}

}  // namespace

TEST(NamedPipe, NameFollowsTheCopysFileName) {
    EXPECT_EQ(L"\\\\.\\pipe\\launcher_LauncherAssistant.exe",
              AssistantPipeName(L"C:\\users\\me\\Temp\\LauncherAssistant.exe"));
    EXPECT_EQ(L"\\\\.\\pipe\\launcher_Lau1A2B.exe", AssistantPipeName(L"C:\\Temp\\Lau1A2B.exe"));
    EXPECT_EQ(L"\\\\.\\pipe\\launcher_plain.exe", AssistantPipeName(L"plain.exe"));
}

TEST(NamedPipe, CreateKeepsAnOpenPipeOfTheSameName) {
    const std::wstring name = UniqueName(L"same");
    CNamedPipe server;
    ASSERT_TRUE(server.Create(name));
    const HANDLE first = server.Handle();
    EXPECT_TRUE(server.Create(name));
    EXPECT_EQ(first, server.Handle());
    EXPECT_EQ(name, server.Name());
    // Another name replaces it.
    ASSERT_TRUE(server.Create(name + L"_2"));
    EXPECT_EQ(name + L"_2", server.Name());
    // One instance only: a second server of the same name is refused.
    CNamedPipe other;
    EXPECT_FALSE(other.Create(name + L"_2"));
    EXPECT_TRUE(server.Close());
    EXPECT_FALSE(server.IsValid());
    EXPECT_EQ(L"", server.Name());
    EXPECT_TRUE(other.Create(name + L"_2"));
}

// A pipe someone else created first under the assistant's name, open to
// more instances, is not joined.
TEST(NamedPipe, AServerIsRefusedWhenThePipeExistsAlready) {
    const std::wstring name = UniqueName(L"squatted");
    const CFile squatter(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                                          PIPE_UNLIMITED_INSTANCES, 1024, 1024, 0, nullptr));
    ASSERT_TRUE(squatter.IsValid());
    CNamedPipe server;
    EXPECT_FALSE(server.Create(name));
    EXPECT_FALSE(server.IsValid());
}

TEST(NamedPipe, ReadGathersPiecesUntilTheWholeRecordIsThere) {
    const std::wstring name = UniqueName(L"pieces");
    CNamedPipe server, client;
    ASSERT_TRUE(server.Create(name));
    ASSERT_TRUE(client.Open(name));
    std::vector<uint8_t> sent(5148);
    for (size_t i = 0; i < sent.size(); ++i) sent[i] = uint8_t(i * 7);
    std::thread writer([&] {
        // The pipe's buffer is 1024 bytes: every write blocks until read.
        EXPECT_TRUE(server.Write(sent.data(), 1000));
        Sleep(50);
        EXPECT_TRUE(server.Write(sent.data() + 1000, 3000));
        Sleep(50);
        EXPECT_TRUE(server.Write(sent.data() + 4000, sent.size() - 4000));
    });
    std::vector<uint8_t> got(sent.size());
    EXPECT_TRUE(client.Read(got.data(), got.size()));
    writer.join();
    EXPECT_EQ(sent, got);
}

TEST(NamedPipe, ReadFailsWhenTheOtherEndClosesEarly) {
    const std::wstring name = UniqueName(L"early");
    CNamedPipe server, client;
    ASSERT_TRUE(server.Create(name));
    ASSERT_TRUE(client.Open(name));
    std::thread writer([&] {
        EXPECT_TRUE(server.Write("0123456789", 10));
        Sleep(50);
        server.Close();
    });
    char buffer[20];
    EXPECT_FALSE(client.Read(buffer, sizeof buffer));
    writer.join();
}

TEST(NamedPipe, WithoutAHandleNothingIsAttempted) {
    CNamedPipe pipe;
    char byte = 0;
    EXPECT_FALSE(pipe.Write(&byte, 1));
    EXPECT_FALSE(pipe.Read(&byte, 1));
    EXPECT_TRUE(pipe.Close());
}

TEST(NamedPipe, OpeningAMissingPipeFails) {
    CNamedPipe client;
    EXPECT_FALSE(client.Open(UniqueName(L"missing")));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(client.IsValid());
}

TEST(NamedPipe, OpenWaitsForABusyPipe) {
    // A server with room for two instances, of which only the first exists
    // and is taken: the next client finds the pipe busy until the second
    // instance appears.
    const std::wstring name = UniqueName(L"busy");
    auto instance = [&] {
        return CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 2,
                                1024, 1024, 0, nullptr);
    };
    CFile firstInstance(instance());
    ASSERT_TRUE(firstInstance.IsValid());
    CNamedPipe first;
    ASSERT_TRUE(first.Open(name));
    bool opened = false;
    DWORD took = 0;
    std::thread second([&] {
        CNamedPipe client;
        const DWORD start = GetTickCount();
        opened = client.Open(name);
        took = GetTickCount() - start;
    });
    Sleep(300);
    CFile secondInstance(instance());
    ASSERT_TRUE(secondInstance.IsValid());
    second.join();
    EXPECT_TRUE(opened);
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 10000u);
}
