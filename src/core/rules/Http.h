#pragma once
// One plain HTTP/1.1 GET, as bytes: the URL it is sent to, the request, and the response read
// as it arrives (status line, interim answers, headers, Content-Length, chunked coding or a body
// that ends with the connection, the charset of the text).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace http {

struct Url {
    std::string host;
    uint16_t port = 80;
    std::string path; // "/" at least
};

// An "http://host[:port][/path]" address; empty for anything else.
std::optional<Url> ParseUrl(std::string_view url);

// The request line and exactly the headers Host, Accept and User-Agent.
std::string BuildGet(const Url& url, std::string_view userAgent);

class ResponseReader {
public:
    enum class State { NeedMore, Done, Failed };

    // The body may hold at most `maxBody` bytes; a longer one fails the response.
    explicit ResponseReader(size_t maxBody) : maxBody_(maxBody) {}

    // Takes the next bytes from the connection.
    State Feed(std::string_view bytes);
    // The connection has ended: a body read to the end of the connection is complete now.
    State Close();
    State Current() const noexcept { return state_; }

    int Status() const noexcept { return status_; }
    const std::string& ContentType() const noexcept { return contentType_; }
    const std::string& Body() const noexcept { return body_; }

private:
    State Step();
    bool ReadHead();
    bool ChooseFraming(bool chunked, bool hasLength, uint64_t length);
    bool ReadChunks();
    State Fail() noexcept { return state_ = State::Failed; }

    enum class Framing { Length, Chunked, UntilClose };
    size_t maxBody_;
    std::string pending_;
    std::string body_;
    std::string contentType_;
    int status_ = 0;
    bool headRead_ = false;
    Framing framing_ = Framing::UntilClose;
    uint64_t length_ = 0;
    State state_ = State::NeedMore;
};

// The body as text by the Content-Type's charset: UTF-8, UTF-16 (with its byte order), US-ASCII
// and ISO-8859-1 are known; without a charset a text/ type is ISO-8859-1 (US-ASCII for XML
// types); anything else maps each byte to the character of the same value. A byte-order mark
// is kept.
std::wstring DecodeBody(std::string_view body, std::string_view contentType);

} // namespace http
