#include "LoopbackServer.h"

#include <ws2tcpip.h>

namespace {
struct WinsockInit {
    WinsockInit() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

SOCKET ListenOnLoopback(int& port) {
    static WinsockInit init;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const BOOL reuse = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<u_short>(port));
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(s, 16);
    int len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return s;
}
}  // namespace

LoopbackServer::LoopbackServer(Handler handler, int port)
    : handler_(std::move(handler)), port_(port), stopped_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    listener_ = ListenOnLoopback(port_);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    SetEvent(stopped_);
    closesocket(listener_);
    acceptor_.join();
    {
        std::lock_guard lock(mutex_);
        for (SOCKET s : sockets_) shutdown(s, SD_BOTH);
    }
    for (auto& t : clients_) t.join();
    CloseHandle(stopped_);
}

std::string LoopbackServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackServer::AcceptLoop() {
    for (;;) {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        std::lock_guard lock(mutex_);
        sockets_.push_back(client);
        clients_.emplace_back([this, client] {
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int n = recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request.append(buffer, n);
            }
            ++requests_;
            if (!request.empty()) handler_(*this, client, request);
            shutdown(client, SD_SEND);
            std::lock_guard done(mutex_);
            std::erase(sockets_, client);
            closesocket(client);
        });
    }
}

bool LoopbackServer::SendAll(SOCKET client, std::string_view bytes) {
    while (!bytes.empty()) {
        const int n = send(client, bytes.data(), static_cast<int>(bytes.size()), 0);
        if (n <= 0) return false;
        bytes.remove_prefix(n);
    }
    return true;
}

std::string LoopbackServer::Response(int status, std::string_view body, std::string_view extraHeaders) {
    std::string head =
        "HTTP/1.1 " + std::to_string(status) + (status < 300 ? " OK" : " Error") +
        "\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    head += extraHeaders;
    head += "\r\n";
    head += body;
    return head;
}

bool LoopbackServer::WaitForStop(DWORD timeoutMs) const {
    return WaitForSingleObject(stopped_, timeoutMs) == WAIT_OBJECT_0;
}

int LoopbackServer::RefusedPort() {
    int port = 0;
    SOCKET s = ListenOnLoopback(port);
    closesocket(s);
    return port;
}
