#include "net/url_components.h"

#include <gtest/gtest.h>

#include <string>

TEST(UrlComponents, SplitsAFullUrl) {
    CUrlComponents u;
    ASSERT_TRUE(u.Parse("https://user:pw@example.com:8443/dir/file.rar?b=2&a=1"));
    EXPECT_EQ("https", u.schemeText());
    EXPECT_EQ(CUrlComponents::kSchemeHttps, u.scheme());
    EXPECT_EQ("example.com", u.host());
    EXPECT_EQ(8443, u.port());
    EXPECT_EQ("user", u.user());
    EXPECT_EQ("pw", u.password());
    EXPECT_EQ("/dir/file.rar", u.path());
    EXPECT_EQ("?a=1&b=2", u.Query());
    EXPECT_EQ("/dir/file.rar?a=1&b=2", u.PathAndQuery());
    EXPECT_EQ("https://user:pw@example.com:8443/dir/file.rar?a=1&b=2", u.FullUrl());
    EXPECT_EQ("https://user:pw@example.com:8443", u.BaseUrl());
}

TEST(UrlComponents, UrlWithoutSchemeKeepsHostAndPath) {
    CUrlComponents u;
    ASSERT_TRUE(u.Parse("updates.example.com/game/update.rxml"));
    EXPECT_EQ(CUrlComponents::kSchemeUnknown, u.scheme());
    EXPECT_EQ("", u.schemeText());
    EXPECT_EQ("updates.example.com", u.host());
    EXPECT_EQ("/game/update.rxml", u.path());
    EXPECT_EQ("updates.example.com/game/update.rxml", u.FullUrl());
    EXPECT_EQ("updates.example.com", u.BaseUrl());
}

TEST(UrlComponents, BarePathIsPartial) {
    CUrlComponents u;
    ASSERT_TRUE(u.Parse("/dir/file?x=1"));
    EXPECT_EQ(CUrlComponents::kSchemePartial, u.scheme());
    EXPECT_EQ("", u.host());
    EXPECT_EQ("/dir/file", u.path());
    EXPECT_EQ("/dir/file?x=1", u.FullUrl());
    EXPECT_EQ("", u.BaseUrl());
}

TEST(UrlComponents, TrailingSlashIsDropped) {
    CUrlComponents u;
    ASSERT_TRUE(u.Parse("http://h/"));
    EXPECT_EQ("", u.path());
    EXPECT_EQ("http://h", u.BaseUrl());
    ASSERT_TRUE(u.Parse("http://h/a/b/"));
    EXPECT_EQ("/a/b", u.path());
}

TEST(UrlComponents, QueryIsSortedAndNamesOccurOnce) {
    CUrlComponents u;
    ASSERT_TRUE(u.Parse("http://h/p?b=2&a=1&c"));
    EXPECT_EQ("?a=1&b=2&c", u.Query());
    ASSERT_TRUE(u.Parse("http://h/p?a=1&a=2"));
    EXPECT_EQ("?a=2", u.Query());
    u.AddArgument("1765000000000");
    u.AddArgument("LANG", "ru");
    u.AddArgument("clientVersion");
    EXPECT_EQ("?1765000000000&LANG=ru&a=2&clientVersion", u.Query());
    EXPECT_EQ("http://h/p?1765000000000&LANG=ru&a=2&clientVersion", u.FullUrl());
}

TEST(UrlComponents, FragmentSeparatorIsKept) {
    CUrlComponents u;
    ASSERT_TRUE(u.Parse("http://h/p#b=1&a"));
    EXPECT_EQ('#', u.separator());
    EXPECT_EQ("#a&b=1", u.Query());
}

TEST(UrlComponents, EmptyIsAcceptedAndTooLongRefused) {
    CUrlComponents u;
    EXPECT_TRUE(u.Parse(""));
    EXPECT_TRUE(u.Parse(nullptr));
    EXPECT_TRUE(u.empty());
    const std::string base = "http://h/";
    EXPECT_TRUE(u.Parse((base + std::string(2076 - base.size(), 'a')).c_str()));
    EXPECT_FALSE(u.Parse((base + std::string(2077 - base.size(), 'a')).c_str()));
    EXPECT_TRUE(u.empty());
}

TEST(UrlComponents, MergeTakesTheContextServerAndPath) {
    CUrlComponents context;
    ASSERT_TRUE(context.Parse("http://127.0.0.1:8080/base?k=1&a=ctx"));
    CUrlComponents request;
    ASSERT_TRUE(request.Parse("/file.bin?a=req"));
    request.Merge(context, true);
    EXPECT_EQ("http://127.0.0.1:8080/base/file.bin?a=req&k=1", request.FullUrl());

    CUrlComponents plain;
    ASSERT_TRUE(plain.Parse("/file.bin"));
    plain.Merge(context, false);
    EXPECT_EQ("/base/file.bin", plain.PathAndQuery());

    CUrlComponents noHost;
    ASSERT_TRUE(noHost.Parse("/x"));
    CUrlComponents r;
    ASSERT_TRUE(r.Parse("/y"));
    r.Merge(noHost, true);
    EXPECT_EQ("/y", r.FullUrl());
}
