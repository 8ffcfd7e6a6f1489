#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// A small HTTP server on 127.0.0.1 and a free port, for tests. Each
// connection runs the handler on its own thread with the request's head.
class LoopbackServer {
public:
    using Handler = std::function<void(LoopbackServer& server, SOCKET client, const std::string& request)>;

    // Listens on port, or on a free port when port is 0.
    explicit LoopbackServer(Handler handler, int port = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& path = "/") const;
    int RequestCount() const { return requests_; }

    // Handler helpers.
    static bool SendAll(SOCKET client, std::string_view bytes);
    static std::string Response(int status, std::string_view body, std::string_view extraHeaders = {});
    // Blocks until the server is stopped (or the timeout passes): a peer that never answers.
    bool WaitForStop(DWORD timeoutMs = INFINITE) const;

    // A port on 127.0.0.1 where nothing listens.
    static int RefusedPort();

private:
    void AcceptLoop();

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    HANDLE stopped_ = nullptr;
    std::atomic<int> requests_{0};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> clients_;
    std::vector<SOCKET> sockets_;
};
