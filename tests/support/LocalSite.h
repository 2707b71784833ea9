#pragma once
// A web site on 127.0.0.1 for the update check: it answers every connection with the same bytes,
// or accepts and never answers; it keeps the first request it got and stops with the object.
// Only the loopback address is ever used.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LocalSite {
public:
    enum class Mode { Answer, NeverAnswer };

    explicit LocalSite(std::string response, Mode mode = Mode::Answer, unsigned short port = 0)
        : response_(std::move(response)), mode_(mode)
    {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        BOOL reuse = TRUE;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 8) != 0)
            return;
        int size = sizeof(address);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LocalSite()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        for (SOCKET s : held_)
            ::closesocket(s);
        ::closesocket(listener_);
    }
    LocalSite(const LocalSite&) = delete;
    LocalSite& operator=(const LocalSite&) = delete;

    bool Listening() const noexcept { return port_ != 0; }
    unsigned short Port() const noexcept { return port_; }
    std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/"; }
    std::string FirstRequest() const
    {
        std::lock_guard lock(mutex_);
        return request_;
    }
    int Connections() const noexcept { return connections_; }

    // A port on 127.0.0.1 where nothing listens (it was free a moment ago).
    static unsigned short ClosedPort()
    {
        LocalSite probe("");
        return probe.Port();
    }

private:
    void Serve()
    {
        while (!stop_) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(listener_, &set);
            timeval wait{0, 50 * 1000};
            if (::select(0, &set, nullptr, nullptr, &wait) <= 0)
                continue;
            const SOCKET client = ::accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                continue;
            ++connections_;
            const std::string request = ReadRequest(client);
            {
                std::lock_guard lock(mutex_);
                if (request_.empty())
                    request_ = request;
            }
            if (mode_ == Mode::NeverAnswer) {
                held_.push_back(client); // open, silent, until the site stops
                continue;
            }
            ::send(client, response_.data(), static_cast<int>(response_.size()), 0);
            ::shutdown(client, SD_SEND);
            ::closesocket(client);
        }
    }

    // Up to the empty line that ends a request's head, for at most two seconds.
    static std::string ReadRequest(SOCKET client)
    {
        std::string request;
        char buffer[1024];
        const ULONGLONG deadline = ::GetTickCount64() + 2000;
        while (request.find("\r\n\r\n") == std::string::npos && ::GetTickCount64() < deadline) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(client, &set);
            timeval wait{0, 50 * 1000};
            if (::select(0, &set, nullptr, nullptr, &wait) <= 0)
                continue;
            const int n = ::recv(client, buffer, sizeof(buffer), 0);
            if (n <= 0)
                break;
            request.append(buffer, static_cast<size_t>(n));
        }
        return request;
    }

    std::string response_;
    Mode mode_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::string request_;
    std::vector<SOCKET> held_;
    std::thread thread_;
};
