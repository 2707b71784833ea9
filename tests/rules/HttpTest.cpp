#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/rules/Http.h"
#include "support/Raised.h"

namespace {

using http::ResponseReader;
using State = ResponseReader::State;

TEST(HttpUrl, TakesPlainHttpAddressesOnly)
{
    struct Case {
        const char* url;
        bool valid;
        const char* host;
        int port;
        const char* path;
    } const cases[] = {
        {"http://example.test/", true, "example.test", 80, "/"},
        {"http://example.test", true, "example.test", 80, "/"},
        {"HTTP://127.0.0.1:8080/dl/zarvi.latest", true, "127.0.0.1", 8080, "/dl/zarvi.latest"},
        {"https://example.test/", false, "", 0, ""},
        {"http://", false, "", 0, ""},
        {"http://host:0/", false, "", 0, ""},
        {"http://host:65536/", false, "", 0, ""},
        {"http://host:8x/", false, "", 0, ""},
        {"http://user@host/", false, "", 0, ""},
        {"http://host/a b", false, "", 0, ""},
        {"http://host/a\r\nX-Evil: 1", false, "", 0, ""},
        {"zarvi.latest", false, "", 0, ""},
    };
    for (const auto& c : cases) {
        const auto url = http::ParseUrl(c.url);
        ASSERT_EQ(url.has_value(), c.valid) << c.url;
        if (!url)
            continue;
        EXPECT_EQ(url->host, c.host) << c.url;
        EXPECT_EQ(url->port, c.port) << c.url;
        EXPECT_EQ(url->path, c.path) << c.url;
    }
}

TEST(HttpRequest, IsTheRequestLineAndThreeHeadersExactly)
{
    EXPECT_EQ(http::BuildGet(*http::ParseUrl("http://example.test/zarvi.latest"), "Zarvi/1.0"),
              "GET /zarvi.latest HTTP/1.1\r\nHost: example.test\r\n"
              "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
              "User-Agent: Zarvi/1.0\r\n\r\n");
    EXPECT_EQ(http::BuildGet(*http::ParseUrl("http://127.0.0.1:8080/x/zarvi.latest"), "Z").substr(0, 52),
              "GET /x/zarvi.latest HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n");
}

struct ResponseCase {
    const char* name;
    std::string bytes;
    bool closeAfter; // the server ends the connection after the bytes
    State state;
    int status;
    std::string body;
};

// Every response is fed whole, and again one byte at a time: the split must not matter.
void ExpectReads(const ResponseCase& c, size_t maxBody = 64 * 1024)
{
    for (bool bytewise : {false, true}) {
        ResponseReader reader(maxBody);
        State state = State::NeedMore;
        if (bytewise) {
            for (char byte : c.bytes)
                state = reader.Feed(std::string_view(&byte, 1));
        } else {
            state = reader.Feed(c.bytes);
        }
        if (c.closeAfter)
            state = reader.Close();
        EXPECT_EQ(state, c.state) << c.name << (bytewise ? " (byte by byte)" : "");
        if (state == State::Done) {
            EXPECT_EQ(reader.Status(), c.status) << c.name;
            EXPECT_EQ(reader.Body(), c.body) << c.name;
        }
    }
}

TEST(HttpResponse, FramesTheBodyAsTheResponseSays)
{
    const ResponseCase cases[] = {
        {"ContentLength", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n1.5.1", false, State::Done, 200, "1.5.1"},
        {"LengthWithExtraBytes", "HTTP/1.1 200 OK\r\ncontent-length: 3\r\n\r\n1.6xyz", false, State::Done, 200, "1.6"},
        {"ZeroLength", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", false, State::Done, 200, ""},
        {"Chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\n1.6\r\n2;ext=1\r\n.0\r\n0\r\nX-T: 1\r\n\r\n", false,
         State::Done, 200, "1.6.0"},
        {"ChunkedUpperHex", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\nA\r\n0123456789\r\n0\r\n\r\n",
         false, State::Done, 200, "0123456789"},
        {"UntilClose", "HTTP/1.1 200 OK\r\n\r\n2\r\n", true, State::Done, 200, "2\r\n"},
        {"InterimAnswersSkipped",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 200 OK\r\n"
         "Content-Length: 3\r\n\r\n1.6",
         false, State::Done, 200, "1.6"},
        {"BareLineFeeds", "HTTP/1.0 200 OK\nContent-Length: 1\n\n2", false, State::Done, 200, "2"},
        {"MovedIsFinal", "HTTP/1.1 301 Moved Permanently\r\nLocation: /x\r\n\r\n", false, State::Done, 301, ""},
        {"NotFound", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found", false, State::Done, 404, ""},
        {"NoContent", "HTTP/1.1 204 No Content\r\n\r\n", false, State::Done, 204, ""},
        {"WaitingForMore", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n1.5", false, State::NeedMore, 0, ""},
        {"CutShortByLength", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n1.5", true, State::Failed, 0, ""},
        {"CutShortChunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\n1.5", true, State::Failed, 0,
         ""},
        {"ClosedInTheHead", "HTTP/1.1 200 OK\r\nContent-Le", true, State::Failed, 0, ""},
        {"NothingAtAll", "", true, State::Failed, 0, ""},
        {"NotHttp", "SSH-2.0-OpenSSH\r\n\r\n", false, State::Failed, 0, ""},
        {"BadStatus", "HTTP/1.1 2x0 OK\r\n\r\n", false, State::Failed, 0, ""},
        {"SwitchingProtocols", "HTTP/1.1 101 Switching\r\n\r\n", false, State::Failed, 0, ""},
        {"BadChunkSize", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false, State::Failed, 0, ""},
        {"HugeChunkSize", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFF\r\n", false,
         State::Failed, 0, ""},
        {"ChunkWithoutItsBreak", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nab\r\n", false,
         State::Failed, 0, ""},
        {"TwoDifferentLengths", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab", false,
         State::Failed, 0, ""},
        {"NegativeLength", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", false, State::Failed, 0, ""},
    };
    for (const auto& c : cases)
        ExpectReads(c);
}

TEST(HttpResponse, BodyPastTheCapFailsHoweverItIsFramed)
{
    const std::string big(65, 'x');
    const ResponseCase cases[] = {
        {"ByLength", "HTTP/1.1 200 OK\r\nContent-Length: 65\r\n\r\n" + big, false, State::Failed, 0, ""},
        {"ByChunks",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n20\r\n" + big.substr(0, 32) + "\r\n21\r\n" +
             big.substr(0, 33) + "\r\n0\r\n\r\n",
         false, State::Failed, 0, ""},
        {"UntilClose", "HTTP/1.1 200 OK\r\n\r\n" + big, true, State::Failed, 0, ""},
        {"AtTheCap", "HTTP/1.1 200 OK\r\n\r\n" + big.substr(0, 64), true, State::Done, 200, big.substr(0, 64)},
        {"EndlessHead", "HTTP/1.1 200 OK\r\nX: " + std::string(20000, 'h'), false, State::Failed, 0, ""},
    };
    for (const auto& c : cases)
        ExpectReads(c, 64);
}

TEST(HttpBody, TextFollowsTheCharset)
{
    struct Case {
        std::string bytes;
        const char* contentType;
        std::wstring text;
    } const cases[] = {
        {"1.6\r\n", "text/plain", L"1.6\r\n"},
        {"caf\xE9", "text/plain", L"caf\u00e9"},
        {"caf\xC3\xA9", "text/plain; charset=utf-8", L"caf\u00e9"},
        {"caf\xC3\xA9", "text/plain;charset=\"UTF-8\"", L"caf\u00e9"},
        {"\xEF\xBB\xBF"
         "1.6",
         "text/plain; charset=utf-8", L"\ufeff1.6"},
        {std::string("1\0.\0", 4), "text/plain; charset=utf-16le", L"1."},
        {std::string("\0"
                     "1\0.",
                     4),
         "text/plain; charset=utf-16be", L"1."},
        {"caf\xE9", "text/xml", L"caf?"},
        {"caf\xE9", "application/rss+xml", L"caf\u00e9"},
        {"caf\xE9", "text/svg+xml", L"caf?"},
        {"caf\xE9", "", L"caf\u00e9"},
        {"caf\xE9", "text/plain; charset=klingon", L"caf\u00e9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(http::DecodeBody(c.bytes, c.contentType), c.text) << c.contentType;
    EXPECT_NE(RaisedMessage([] { http::DecodeBody("caf\xE9", "text/plain; charset=utf-8"); }), L"(nothing raised)")
        << "bytes that are not the charset they claim";
}

} // namespace
