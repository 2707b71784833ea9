// The HTTP response reader fed any bytes in any pieces, and the charsets of the body.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/rules/AppError.h"
#include "core/rules/Http.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    constexpr size_t kCap = 256;
    const size_t piece = 1 + data[0] % 17; // the first byte chooses how the bytes arrive
    const bool close = data[1] & 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    http::ResponseReader reader(kCap);
    for (size_t at = 0; at < bytes.size(); at += piece)
        reader.Feed(bytes.substr(at, piece));
    if (close)
        reader.Close();
    if (reader.Body().size() > kCap)
        __builtin_trap(); // the cap holds whatever the framing says
    if (reader.Current() == http::ResponseReader::State::Done) {
        try {
            http::DecodeBody(reader.Body(), reader.ContentType());
        } catch (const AppError&) {
            // bytes that are not the charset they claim: a failed request
        }
    }
    http::ParseUrl(bytes);
    return 0;
}
