#pragma once
// One plain HTTP GET over a TCP connection of its own: IPv4, no proxy, nothing kept between calls.
#include <string>

// The response body as text. Raises AppError when anything fails: the address, the name, the
// connection, a status outside 2xx, a transfer cut short, a body past `maxBody` bytes, a text
// that is not its charset, or `timeoutMs` passing while connecting or while reading.
std::wstring HttpGetText(const std::wstring& url, const std::string& userAgent, unsigned long timeoutMs,
                         size_t maxBody);
