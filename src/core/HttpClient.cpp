#include "core/HttpClient.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include "core/Handle.h"
#include "core/rules/AppError.h"
#include "core/rules/Http.h"
#include "core/rules/TextConv.h"

namespace {

using SocketHandle = UniqueHandle<handle_traits::ClosedBy<SOCKET, &::closesocket, INVALID_SOCKET>>;

struct AddressList {
    addrinfo* first = nullptr;
    ~AddressList()
    {
        if (first)
            ::freeaddrinfo(first);
    }
};

[[noreturn]] void Fail(const std::wstring& what)
{
    throw AppError(what);
}

void StartWinsock()
{
    static const bool started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started)
        Fail(L"Network not available");
}

// Waits until the socket can be written (connected) or read; false when the time ran out.
bool WaitFor(SOCKET socket, bool write, unsigned long timeoutMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    fd_set errors = set;
    timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    const int ready = ::select(0, write ? nullptr : &set, write ? &set : nullptr, &errors, &wait);
    return ready > 0 && FD_ISSET(socket, &set);
}

SocketHandle Connect(const http::Url& url, unsigned long timeoutMs)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    AddressList addresses;
    if (::getaddrinfo(url.host.c_str(), std::to_string(url.port).c_str(), &hints, &addresses.first) != 0 ||
        !addresses.first)
        Fail(L"Host not found: " + Utf8ToWide(url.host));
    SocketHandle socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket)
        Fail(L"Cannot open a connection");
    // Connecting without blocking, so that an address that never answers ends with the time-out.
    u_long nonBlocking = 1;
    ::ioctlsocket(socket.get(), FIONBIO, &nonBlocking);
    const addrinfo& address = *addresses.first;
    if (::connect(socket.get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0 &&
        ::WSAGetLastError() != WSAEWOULDBLOCK)
        Fail(L"Connection refused");
    if (!WaitFor(socket.get(), true, timeoutMs))
        Fail(L"Connection timed out");
    int error = 0;
    int size = sizeof(error);
    if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 || error != 0)
        Fail(L"Connection refused");
    nonBlocking = 0;
    ::ioctlsocket(socket.get(), FIONBIO, &nonBlocking);
    return socket;
}

} // namespace

std::wstring HttpGetText(const std::wstring& url, const std::string& userAgent, unsigned long timeoutMs, size_t maxBody)
{
    const auto parsed = http::ParseUrl(WideToUtf8(url));
    if (!parsed)
        Fail(L"Not an http address: " + url);
    StartWinsock();
    const SocketHandle socket = Connect(*parsed, timeoutMs);

    const std::string request = http::BuildGet(*parsed, userAgent);
    for (size_t sent = 0; sent < request.size();) {
        if (!WaitFor(socket.get(), true, timeoutMs))
            Fail(L"Request timed out");
        const int n = ::send(socket.get(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (n <= 0)
            Fail(L"Connection lost");
        sent += static_cast<size_t>(n);
    }

    // The whole response must arrive within the time-out: a server that trickles is no better
    // than one that never answers.
    http::ResponseReader reader(maxBody);
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    char buffer[4096];
    while (reader.Current() == http::ResponseReader::State::NeedMore) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline || !WaitFor(socket.get(), false, static_cast<unsigned long>(deadline - now)))
            Fail(L"Response timed out");
        const int n = ::recv(socket.get(), buffer, sizeof(buffer), 0);
        if (n < 0)
            Fail(L"Connection lost");
        if (n == 0)
            reader.Close();
        else
            reader.Feed(std::string_view(buffer, static_cast<size_t>(n)));
    }
    if (reader.Current() == http::ResponseReader::State::Failed)
        Fail(L"Broken response");
    if (reader.Status() < 200 || reader.Status() > 299)
        Fail(L"HTTP status " + std::to_wstring(reader.Status()));
    return http::DecodeBody(reader.Body(), reader.ContentType());
}
