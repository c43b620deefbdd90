#include "net/pico_http_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {
int Parse(CPicoHttpParser& p, const std::string& head) { return p.ParseResponse(head.data(), head.size()); }
std::string Value(const CPicoHttpParser::Header& h) { return std::string(h.value, h.valueLength); }
}  // namespace

TEST(PicoHttpParser, ReadsStatusLineAndHeaders) {
    // Names and values point into the head, which must stay alive.
    const std::string head = "HTTP/1.1 200 OK\r\ncontent-length: 1234\r\nX-A:\tb c \r\n\r\n";
    CPicoHttpParser p;
    ASSERT_EQ(0, Parse(p, head));
    EXPECT_EQ(200, p.status());
    EXPECT_EQ(1, p.minorVersion());
    EXPECT_EQ("OK", std::string(p.reason(), p.reasonLength()));
    ASSERT_EQ(2u, p.headerCount());
    EXPECT_EQ("b c", Value(p.header(1)));
    ASSERT_NE(nullptr, p.FindContentLength());
    EXPECT_EQ(1234u, p.ContentLength());
}

TEST(PicoHttpParser, AcceptsBareLineFeedsAndContinuationLines) {
    const std::string head = "HTTP/1.0 404 Not Found\nA: 1\n  more\nContent-Length: 7x\n\n";
    CPicoHttpParser p;
    ASSERT_EQ(0, Parse(p, head));
    EXPECT_EQ(404, p.status());
    ASSERT_EQ(3u, p.headerCount());
    EXPECT_EQ(nullptr, p.header(1).name);
    EXPECT_EQ("more", Value(p.header(1)));
    EXPECT_EQ(7u, p.ContentLength());
}

TEST(PicoHttpParser, RejectsHeadsThatAreNotHttp) {
    CPicoHttpParser p;
    EXPECT_EQ(-1, Parse(p, "FOO/1.0 200 OK\r\n\r\n"));
    EXPECT_EQ(-1, Parse(p, "HTTP/2.0 200 OK\r\n\r\n"));
    EXPECT_EQ(-1, Parse(p, "HTTP/1.1 20x OK\r\n\r\n"));
    EXPECT_EQ(-1, Parse(p, "HTTP/1.1 200 O\x01K\r\n\r\n"));
    EXPECT_EQ(-1, Parse(p, "HTTP/1.1 200 OK\r\nBad Name: x\r\n\r\n"));
    EXPECT_EQ(-1, Parse(p, "HTTP/1.1 200 OK\r\nA: x\ry\r\n\r\n"));
    EXPECT_EQ(-2, p.ParseResponse(nullptr, 0));
}

TEST(PicoHttpParser, IncompleteHeadAsksForMore) {
    CPicoHttpParser p;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
    for (size_t n = 0; n < head.size(); ++n) EXPECT_EQ(-2, p.ParseResponse(head.data(), n)) << n;
    EXPECT_EQ(0, p.ParseResponse(head.data(), head.size()));
}

TEST(PicoHttpParser, MoreThanThirtyTwoHeadersFail) {
    std::string head = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 32; ++i) head += "X-" + std::to_string(i) + ": v\r\n";
    CPicoHttpParser p;
    EXPECT_EQ(0, Parse(p, head + "\r\n"));
    EXPECT_EQ(-3, Parse(p, head + "Content-Length: 5\r\n\r\n"));
    EXPECT_EQ(nullptr, p.FindContentLength());
    EXPECT_EQ(0u, p.ContentLength());
}

TEST(PicoHttpParser, ContentLengthThatIsNotANumberIsZero) {
    const std::string notNumber = "HTTP/1.1 200 OK\r\nContent-Length: abc\r\nContent-Length: 9\r\n\r\n";
    const std::string otherName = "HTTP/1.1 200 OK\r\nContent-Lengths: 9\r\n\r\n";
    CPicoHttpParser p;
    ASSERT_EQ(0, Parse(p, notNumber));
    EXPECT_EQ(0u, p.ContentLength());
    ASSERT_EQ(0, Parse(p, otherName));
    EXPECT_EQ(nullptr, p.FindContentLength());
}
