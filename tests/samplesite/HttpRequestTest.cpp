#include "samplesite/HttpRequest.h"

#include <gtest/gtest.h>

using samplesite::HttpRequest;

TEST(HttpRequest, AbsoluteAndOriginFormsRouteAlike) {
    HttpRequest proxied;
    ASSERT_TRUE(
        proxied.Parse("GET http://www.youtube.com:80/watch?v=abc HTTP/1.1\r\n"
                      "Host: www.youtube.com\r\nProxy-Connection: Keep-Alive"));
    EXPECT_TRUE(proxied.IsAbsoluteForm());
    EXPECT_EQ("http://www.youtube.com:80/watch?v=abc", proxied.Target());
    EXPECT_EQ("/watch", proxied.Path());
    EXPECT_EQ("abc", proxied.Param("v"));

    HttpRequest direct;
    ASSERT_TRUE(direct.Parse("GET /watch?v=abc HTTP/1.1\r\nHost: 127.0.0.1:5000"));
    EXPECT_FALSE(direct.IsAbsoluteForm());
    EXPECT_EQ("/watch", direct.Path());
    EXPECT_EQ("abc", direct.Param("v"));

    HttpRequest bareHost;  // an absolute address with neither path nor slash
    ASSERT_TRUE(bareHost.Parse("GET HTTP://example.test?quit=1 HTTP/1.0"));
    EXPECT_EQ("/", bareHost.Path());
    EXPECT_EQ("1", bareHost.Param("quit"));
}

// The program copies the player arguments into the query without encoding them, so blanks
// and encoded blanks can reach the server; numbers must still be read.
TEST(HttpRequest, QueryToleratesBlanksEncodingAndOddItems) {
    HttpRequest request;
    ASSERT_TRUE(request.Parse("GET /get_video?video_id=x& size= 1234&rate=%2050&&flag&stall=abc&reset=12x HTTP/1.1"));
    EXPECT_EQ("/get_video", request.Path());
    EXPECT_EQ(1234u, request.NumberParam("size", 7));
    EXPECT_EQ(50u, request.NumberParam("rate", 7));
    EXPECT_TRUE(request.HasParam("flag"));
    EXPECT_EQ(7u, request.NumberParam("stall", 7));  // not a number
    EXPECT_EQ(7u, request.NumberParam("reset", 7));  // trailing garbage
    EXPECT_EQ(7u, request.NumberParam("missing", 7));

    HttpRequest beyond32Bits;
    ASSERT_TRUE(beyond32Bits.Parse("GET /get_video?size=5000000000 HTTP/1.1"));
    EXPECT_EQ(5000000000u, beyond32Bits.NumberParam("size", 0));
}

TEST(HttpRequest, RejectsUnusableRequestLines) {
    HttpRequest request;
    for (const char* line : {"", "GET", " /watch HTTP/1.1"}) EXPECT_FALSE(request.Parse(line)) << line;
}

TEST(HttpRequest, AddressWithoutKeepsTheClientsForm) {
    HttpRequest proxied;
    proxied.Parse("GET http://www.youtube.com:80/get_video?redirect=1&a=1&redirect=1&b=2 HTTP/1.1");
    EXPECT_EQ("http://www.youtube.com:80/get_video?a=1&b=2", proxied.AddressWithout("redirect"));

    HttpRequest direct;
    direct.Parse("GET /get_video?a=1&redirect=1 HTTP/1.1\r\nHost: 127.0.0.1:4321");
    EXPECT_EQ("http://127.0.0.1:4321/get_video?a=1", direct.AddressWithout("redirect"));

    HttpRequest noHost;
    noHost.Parse("GET /get_video?redirect=1 HTTP/1.0");
    EXPECT_EQ("/get_video", noHost.AddressWithout("redirect"));
}
