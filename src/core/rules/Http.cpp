#include "core/rules/Http.h"

#include <algorithm>
#include <charconv>

#include "core/rules/Ascii.h"
#include "core/rules/TextConv.h"
#include "core/rules/Utf16.h"

namespace http {

namespace {

constexpr size_t kMaxHead = 16 * 1024; // status line and headers together
constexpr size_t kMaxChunkLine = 1024;

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && ascii::Lower(text.substr(0, prefix.size())) == ascii::Lower(prefix);
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

template <typename Number> bool ParseNumber(std::string_view text, Number& value, int base = 10)
{
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<Url> ParseUrl(std::string_view url)
{
    for (char c : url)
        if (static_cast<unsigned char>(c) <= 32 || c == 127)
            return std::nullopt; // nothing may break the request line
    if (!StartsWithNoCase(url, "http://"))
        return std::nullopt;
    url.remove_prefix(7);
    const size_t slash = url.find('/');
    const std::string_view authority = url.substr(0, slash);
    Url result;
    result.path = slash == url.npos ? "/" : std::string(url.substr(slash));
    const size_t colon = authority.rfind(':');
    result.host = std::string(authority.substr(0, colon));
    if (colon != authority.npos) {
        uint32_t port = 0;
        if (!ParseNumber(authority.substr(colon + 1), port) || port == 0 || port > 65535)
            return std::nullopt;
        result.port = static_cast<uint16_t>(port);
    }
    if (result.host.empty() || result.host.find_first_of("@[]") != std::string::npos)
        return std::nullopt;
    return result;
}

std::string BuildGet(const Url& url, std::string_view userAgent)
{
    std::string host = url.host;
    if (url.port != 80)
        host += ":" + std::to_string(url.port);
    return "GET " + url.path + " HTTP/1.1\r\nHost: " + host +
           "\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\nUser-Agent: " +
           std::string(userAgent) + "\r\n\r\n";
}

ResponseReader::State ResponseReader::Feed(std::string_view bytes)
{
    if (state_ != State::NeedMore)
        return state_;
    pending_.append(bytes);
    return Step();
}

ResponseReader::State ResponseReader::Close()
{
    if (state_ != State::NeedMore)
        return state_;
    Step();
    if (state_ != State::NeedMore)
        return state_;
    // Only a body framed by the connection itself may end with it; anything else is cut short.
    if (headRead_ && framing_ == Framing::UntilClose)
        return state_ = State::Done;
    return Fail();
}

ResponseReader::State ResponseReader::Step()
{
    while (!headRead_) {
        if (!ReadHead())
            return state_;
    }
    switch (framing_) {
    case Framing::Length: {
        const size_t take = static_cast<size_t>(std::min<uint64_t>(length_ - body_.size(), pending_.size()));
        body_.append(pending_, 0, take);
        pending_.erase(0, take);
        if (body_.size() == length_)
            state_ = State::Done;
        break;
    }
    case Framing::Chunked:
        ReadChunks();
        break;
    case Framing::UntilClose:
        if (body_.size() + pending_.size() > maxBody_)
            return Fail();
        body_ += pending_;
        pending_.clear();
        break;
    }
    return state_;
}

namespace {

// Where the head ends ("\r\n\r\n", or a bare "\n\n" some servers send) and how long its end
// mark is; npos while it has not come.
std::pair<size_t, size_t> HeadEnd(const std::string& pending)
{
    const size_t crlf = pending.find("\r\n\r\n");
    const size_t bare = pending.find("\n\n");
    if (bare != std::string::npos && (crlf == std::string::npos || bare < crlf))
        return {bare, 2};
    return {crlf, 4};
}

// "HTTP/1.x NNN reason": the status, or false for anything else.
bool ReadStatusLine(std::string_view line, int& status)
{
    line = Trim(line);
    return StartsWithNoCase(line, "HTTP/1.") && line.size() >= 12 && line[8] == ' ' &&
           (line.size() == 12 || line[12] == ' ') && ParseNumber(line.substr(9, 3), status);
}

// What the headers say of the body; false when they contradict each other.
struct BodyHeaders {
    bool chunked = false;
    bool hasLength = false;
    uint64_t length = 0;
    std::string contentType;
};
bool ReadHeaders(std::string_view headers, BodyHeaders& out)
{
    for (size_t pos = 0; pos < headers.size();) {
        const size_t next = std::min(headers.find('\n', pos), headers.size());
        const std::string_view line = headers.substr(pos, next - pos);
        pos = next + 1;
        const size_t colon = line.find(':');
        if (colon == line.npos)
            continue;
        const std::string name = ascii::Lower(Trim(line.substr(0, colon)));
        const std::string_view value = Trim(line.substr(colon + 1));
        if (name == "content-length") {
            uint64_t parsed = 0;
            if (!ParseNumber(value, parsed) || (out.hasLength && parsed != out.length))
                return false;
            out.hasLength = true;
            out.length = parsed;
        } else if (name == "transfer-encoding") {
            // Chunked framing counts only as the last coding.
            const std::string codings = ascii::Lower(value);
            const size_t last = codings.rfind(',');
            out.chunked = Trim(last == std::string::npos ? std::string_view(codings)
                                                         : std::string_view(codings).substr(last + 1)) == "chunked";
        } else if (name == "content-type") {
            out.contentType = std::string(value);
        }
    }
    return true;
}

} // namespace

// False while the head is incomplete or when the response failed.
bool ResponseReader::ReadHead()
{
    const auto [end, skip] = HeadEnd(pending_);
    if (end == std::string::npos) {
        if (pending_.size() > kMaxHead)
            Fail();
        return false;
    }
    if (end > kMaxHead) {
        Fail();
        return false;
    }
    const std::string head = pending_.substr(0, end);
    pending_.erase(0, end + skip);

    const size_t lineEnd = head.find('\n');
    if (!ReadStatusLine(std::string_view(head).substr(0, lineEnd), status_)) {
        Fail();
        return false;
    }
    if (status_ >= 100 && status_ < 200) {
        if (status_ == 101) { // a switch of protocol is no answer to a GET
            Fail();
            return false;
        }
        return true; // an interim answer: the real one follows
    }

    BodyHeaders headers;
    if (!ReadHeaders(lineEnd == std::string::npos ? std::string_view() : std::string_view(head).substr(lineEnd + 1),
                     headers)) {
        Fail();
        return false;
    }
    contentType_ = std::move(headers.contentType);
    headRead_ = true;
    return ChooseFraming(headers.chunked, headers.hasLength, headers.length);
}

// How the body is framed; false when no body is wanted or the response failed.
bool ResponseReader::ChooseFraming(bool chunked, bool hasLength, uint64_t length)
{
    if (status_ < 200 || status_ > 299 || status_ == 204) {
        state_ = State::Done; // no body wanted: only the status counts
        return false;
    }
    if (chunked) {
        framing_ = Framing::Chunked;
    } else if (hasLength) {
        if (length > maxBody_) {
            Fail();
            return false;
        }
        framing_ = Framing::Length;
        length_ = length;
        if (length_ == 0)
            state_ = State::Done;
    }
    return true;
}

bool ResponseReader::ReadChunks()
{
    for (;;) {
        const size_t lineEnd = pending_.find('\n');
        if (lineEnd == std::string::npos) {
            if (pending_.size() > kMaxChunkLine)
                Fail();
            return false;
        }
        if (lineEnd > kMaxChunkLine) {
            Fail();
            return false;
        }
        std::string_view sizeText = Trim(std::string_view(pending_).substr(0, lineEnd));
        sizeText = sizeText.substr(0, sizeText.find(';'));
        uint64_t size = 0;
        if (!ParseNumber(Trim(sizeText), size, 16)) {
            Fail();
            return false;
        }
        if (size == 0) {
            // The trailer ends with an empty line; what it holds is not needed.
            const size_t end = pending_.find("\r\n\r\n", lineEnd - 1);
            const size_t bare = pending_.find("\n\n", lineEnd);
            if (end == std::string::npos && bare == std::string::npos)
                return false;
            state_ = State::Done;
            return true;
        }
        if (size > maxBody_ - body_.size()) {
            Fail();
            return false;
        }
        const size_t dataStart = lineEnd + 1;
        // The data and the line break after it must all be there.
        if (pending_.size() < dataStart + size + 1)
            return false;
        size_t after = dataStart + static_cast<size_t>(size);
        if (pending_.compare(after, 2, "\r\n") == 0)
            after += 2;
        else if (pending_[after] == '\n')
            after += 1;
        else if (pending_.size() == after + 1 && pending_[after] == '\r')
            return false; // the "\n" is still on its way
        else {
            Fail();
            return false;
        }
        body_.append(pending_, dataStart, static_cast<size_t>(size));
        pending_.erase(0, after);
    }
}

std::wstring DecodeBody(std::string_view body, std::string_view contentType)
{
    const std::string type = ascii::Lower(Trim(contentType.substr(0, contentType.find(';'))));
    std::string charset;
    for (size_t pos = contentType.find(';'); pos != std::string_view::npos;) {
        const size_t next = contentType.find(';', pos + 1);
        const std::string_view param =
            Trim(contentType.substr(pos + 1, next == contentType.npos ? contentType.npos : next - pos - 1));
        if (StartsWithNoCase(param, "charset=")) {
            std::string_view value = Trim(param.substr(8));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            charset = ascii::Lower(value);
        }
        pos = next;
    }
    if (charset.empty() && StartsWithNoCase(type, "text/")) {
        const bool xml = type == "text/xml" || type == "text/xml-external-parsed-entity" ||
                         (type.size() > 4 && type.compare(type.size() - 4, 4, "+xml") == 0);
        charset = xml ? "us-ascii" : "iso-8859-1";
    }
    if (charset == "utf-8" || charset == "utf8")
        return Utf8ToWide(body);
    if (charset == "utf-16le" || charset == "utf-16be" || charset == "utf-16") {
        const bool little = charset == "utf-16le" || (charset == "utf-16" && body.substr(0, 2) == "\xFF\xFE");
        return utf16::Decode(body, !little);
    }
    std::wstring text;
    text.reserve(body.size());
    const bool ascii = charset == "us-ascii" || charset == "ascii";
    for (char c : body) {
        const auto byte = static_cast<unsigned char>(c);
        text.push_back(ascii && byte > 127 ? L'?' : static_cast<wchar_t>(byte));
    }
    return text;
}

} // namespace http
