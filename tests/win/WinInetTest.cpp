#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "FaultyPages.h"
#include "LoopbackServer.h"
#include "win32/WinInetTransfer.h"
#include "status/Scanner.h"

using namespace std::chrono_literals;

namespace {

std::string Page(int players) {
    return "<tr><td><font face=Verdana>Drevak&nbsp;Wing</font></td><td><font face=Verdana>" + std::to_string(players) +
           "</font></td></tr>";
}

struct ScanResult {
    std::string name;
    std::int32_t count = -1;
    std::string failure;
};

ScanResult Scan(InetTransfer& inet, const std::string& url) {
    AppState app;
    Scanner scanner(StatusSource::FromUrl(url), app);
    scanner.ScanServers(inet);
    const auto& sites = scanner.Servers()->sites();
    if (sites.size() != 1) return {};
    return ScanResult{sites[0]->Name, scanner.Servers()->TotalPlayers(), scanner.FailureReason()};
}

TEST(WinInetScan, PageWithFourteenPlayers) {
    LoopbackServer server([](LoopbackServer&, SOCKET c, const std::string&) {
        LoopbackServer::SendAll(c, LoopbackServer::Response(200, Page(14)));
    });
    WinInetTransfer inet(10s);
    const ScanResult r = Scan(inet, server.Url());
    EXPECT_EQ(r.name, "127.0.0.1");
    EXPECT_EQ(r.count, 14);
    EXPECT_EQ(r.failure, "");
    EXPECT_EQ(server.RequestCount(), 1);
}

TEST(WinInetScan, RequestAsksForThePathOfTheUrl) {
    std::string seen;
    LoopbackServer server([&](LoopbackServer&, SOCKET c, const std::string& request) {
        seen = request.substr(0, request.find("\r\n"));
        LoopbackServer::SendAll(c, LoopbackServer::Response(200, Page(3)));
    });
    WinInetTransfer inet(10s);
    EXPECT_EQ(Scan(inet, server.Url("/lobby/status.html?g=1")).count, 3);
    EXPECT_EQ(seen, "GET /lobby/status.html?g=1 HTTP/1.1");
}

TEST(WinInetScan, ConnectionRefusedCountsZero) {
    WinInetTransfer inet(10s);
    const ScanResult r = Scan(inet, "http://127.0.0.1:" + std::to_string(LoopbackServer::RefusedPort()) + "/");
    EXPECT_EQ(r.count, 0);
    EXPECT_NE(r.failure, "");
}

TEST(WinInetScan, SilentServerTimesOutAndMessagesKeepFlowing) {
    LoopbackServer server([](LoopbackServer& self, SOCKET, const std::string&) { self.WaitForStop(20000); });
    // A window message posted before the fetch must be handled while it waits.
    static int handled = 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_APP) ++handled;
        return DefWindowProcA(h, m, w, l);
    };
    wc.lpszClassName = "WendrelPumpProbe";
    RegisterClassA(&wc);
    HWND probe = CreateWindowA("WendrelPumpProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    PostMessageA(probe, WM_APP, 0, 0);

    WinInetTransfer inet(1500ms);
    const auto start = std::chrono::steady_clock::now();
    const ScanResult r = Scan(inet, server.Url());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(r.failure, "the server did not answer within 1500 ms");
    EXPECT_EQ(handled, 1);
    // A hang would be minutes; this only proves the deadline applied at all.
    EXPECT_LT(took, 15s);
    DestroyWindow(probe);
}

TEST(WinInetScan, PageOverTheCapCountsZero) {
    const std::string big = Page(14) + std::string(70000, 'x');
    for (bool withLength : {true, false}) {
        LoopbackServer server([&](LoopbackServer&, SOCKET c, const std::string&) {
            if (withLength)
                LoopbackServer::SendAll(c, LoopbackServer::Response(200, big));
            else
                LoopbackServer::SendAll(c, "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + big);
        });
        WinInetTransfer inet(10s, 64 * 1024);
        const ScanResult r = Scan(inet, server.Url());
        EXPECT_EQ(r.count, 0) << withLength;
        EXPECT_EQ(r.failure, "the page is larger than 64 KiB") << withLength;
    }
}

TEST(WinInetScan, NotFoundPageCountsZero) {
    LoopbackServer server([](LoopbackServer&, SOCKET c, const std::string&) {
        LoopbackServer::SendAll(c, LoopbackServer::Response(404, "<html>Not Found</html>"));
    });
    WinInetTransfer inet(10s);
    const ScanResult r = Scan(inet, server.Url());
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(r.failure, "the server answered with HTTP status 404");
}

TEST(WinInetScan, ErrorStatusWithTheTitleStillCountsZero) {
    LoopbackServer server([](LoopbackServer&, SOCKET c, const std::string&) {
        LoopbackServer::SendAll(c, LoopbackServer::Response(500, Page(14)));
    });
    WinInetTransfer inet(10s);
    EXPECT_EQ(Scan(inet, server.Url()).count, 0);
}

TEST(WinInetScan, NotAnHttpAddressFailsWithoutARequest) {
    WinInetTransfer inet(10s);
    for (const char* url : {"ftp://127.0.0.1/", "not a url", ""}) {
        const FetchResult r = inet.OpenURL(url);
        EXPECT_FALSE(r.ok) << url;
        EXPECT_NE(r.failure, "") << url;
    }
}

}  // namespace

namespace {

TEST(WinInetFaults, EachFaultEndsInTimeWithAReasonAndTheNextScanWorks) {
    std::atomic<PageFault> fault{PageFault::Good};
    LoopbackServer server([&](LoopbackServer& self, SOCKET c, const std::string&) { Serve(self, c, fault, 5); });
    WinInetTransfer inet(3s);
    for (PageFault f :
         {PageFault::NeverAnswer, PageFault::HeadersThenStall, PageFault::Drip, PageFault::HugeBody,
          PageFault::HugeBodyUnannounced, PageFault::BadChunks, PageFault::RedirectToRefused, PageFault::ServerError}) {
        fault = f;
        const auto start = std::chrono::steady_clock::now();
        const ScanResult bad = Scan(inet, server.Url());
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(bad.count, 0) << Name(f);
        EXPECT_NE(bad.failure, "") << Name(f);
        EXPECT_LT(took, 20s) << Name(f) << ": the deadline did not hold";
        fault = PageFault::Good;
        EXPECT_EQ(Scan(inet, server.Url()).count, 5) << "the scan after " << Name(f);
    }
}

}  // namespace
