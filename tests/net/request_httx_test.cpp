// The request object as a client fills it (no network).

#include "net/request_httx.h"

#include <gtest/gtest.h>

#include <string>

using NetEx::CRequestHttx;

namespace {
std::string Text(CBuffer& b) { return std::string(reinterpret_cast<const char*>(b.data()), b.length()); }
}  // namespace

TEST(RequestHttx, RangeHeaders) {
    CRequestHttx r;
    r.AddRange(1000, 0);
    r.AddRange(1000, 499);
    r.AddRange(5000000000, 16777215);
    r.AddContentLength(77);
    EXPECT_EQ("Range: bytes=1000-\r\nRange: bytes=1000-1499\r\nRange: bytes=5000000000-5016777215\r\n"
              "Content-Length: 77\r\n",
              Text(r.headers()));
}

TEST(RequestHttx, InitChoosesTheReadSize) {
    CRequestHttx r;
    ASSERT_TRUE(r.Init(0, 5, "/f", true, NetEx::verbGet, 0, 0, 0, NetEx::kAdaptiveReadSize, false, false, "", nullptr));
    EXPECT_TRUE(r.adaptiveRead());
    EXPECT_EQ(8192u, r.readSize());
    CRequestHttx fixed;
    ASSERT_TRUE(fixed.Init(0, 2, "/kb", true, NetEx::verbHead, 0, 0, 0, 102400, false, true, "", nullptr));
    EXPECT_FALSE(fixed.adaptiveRead());
    EXPECT_EQ(102400u, fixed.readSize());
    EXPECT_EQ("/kb", fixed.initialUrl().PathAndQuery());
}

TEST(RequestHttx, MultipartBody) {
    CRequestHttx r;
    EXPECT_FALSE(r.AddFormPart("file", "a.txt", "text/plain"));
    EXPECT_EQ(0u, r.requestBody().length());
    EXPECT_FALSE(r.EndMultipart());
    r.BeginMultipart("XYZ");
    EXPECT_EQ("Content-Type: multipart/form-data; boundary=XYZ\r\n", Text(r.headers()));
    EXPECT_FALSE(r.AddFormPart("", "a", "text/plain"));
    EXPECT_FALSE(r.AddFormPart("n", "a", ""));
    ASSERT_TRUE(r.AddFormPart("file", "a.txt", "text/plain"));
    r.AppendBody("DATA", 4);
    r.AppendBody("ignored", 0);
    ASSERT_TRUE(r.AddFormPart("note", "", "text/plain"));
    ASSERT_TRUE(r.EndMultipart());
    EXPECT_EQ("--XYZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.txt\"\r\n"
              "Content-Type: text/plain\r\n\r\nDATA"
              "--XYZ\r\nContent-Disposition: form-data; name=\"note\"\r\nContent-Type: text/plain\r\n\r\n"
              "--XYZ--\r\n\r\n",
              Text(r.requestBody()));
}

TEST(RequestHttx, GeneratedBoundaryFollowsTheSeededGenerator) {
    const std::string b = CRequestHttx::MakeBoundary();
    ASSERT_EQ(0u, b.find("block"));
    EXPECT_GT(b.size(), 6u);
    EXPECT_EQ(std::string::npos, b.find_first_not_of("0123456789", 5));
    CRequestHttx r;
    r.BeginMultipart("");
    EXPECT_NE(std::string::npos, Text(r.headers()).find("boundary=block"));
}

TEST(RequestHttx, CopyKeepsWhatWasFilledButNoAnswer) {
    CRequestHttx r;
    ASSERT_TRUE(r.Init(3, 4, "/a?x=1", false, NetEx::verbPost, 7, 9, 11, 0, true, true, "p", "q"));
    r.AddHeader("A: b\r\n");
    r.AppendBody("xyz", 3);
    r.SetClientValue(42);
    r.SetExtraHeaders("E: f\r\n");
    r.body().append("answer", 6);
    CRequestHttx copy(r);
    EXPECT_EQ(3, copy.contextId());
    EXPECT_EQ(4, copy.requestId());
    EXPECT_EQ(NetEx::verbPost, copy.verb());
    EXPECT_EQ(7u, copy.timeout());
    EXPECT_EQ(42u, copy.clientValue());
    EXPECT_EQ("A: b\r\n", Text(copy.headers()));
    EXPECT_EQ("xyz", Text(copy.requestBody()));
    EXPECT_EQ("E: f\r\n", copy.extraHeaders());
    EXPECT_EQ("/a?x=1", copy.url().PathAndQuery());
    EXPECT_EQ(0u, copy.body().length());
    EXPECT_EQ(0u, copy.status());
}
