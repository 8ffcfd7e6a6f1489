// HTTPS through the real WinINet, against the local servers that ctest
// starts (tests/tls): a test authority is added to the throw-away prefix's
// trusted roots, and each kind of certificate gives its own outcome.
#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "LoopbackServer.h"
#include "ScanOnce.h"
#include "text/Texts.h"
#include "win32/WinError.h"
#include "win32/WinInetTransfer.h"

using namespace std::chrono_literals;

namespace {

std::string TlsFolder() {
    char folder[MAX_PATH] = {};
    GetEnvironmentVariableA("WENDREL_TLS", folder, MAX_PATH);
    return folder;
}

// The servers' ports by certificate name, and the test authority trusted.
std::map<std::string, int> StartTrusting() {
    const std::string folder = TlsFolder();
    std::map<std::string, int> ports;
    std::ifstream list(folder + "\\ports");
    std::string name;
    for (int port = 0; list >> name >> port;) ports[name] = port;

    std::ifstream der(folder + "\\ca.der", std::ios::binary);
    const std::string authority{std::istreambuf_iterator<char>(der), std::istreambuf_iterator<char>()};
    HCERTSTORE roots = CertOpenSystemStoreA(0, "ROOT");
    EXPECT_TRUE(CertAddEncodedCertificateToStore(
        roots, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(authority.data()), static_cast<DWORD>(authority.size()),
        CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    CertControlStore(roots, CERT_STORE_CTRL_COMMIT_FORCE_FLAG, CERT_STORE_CTRL_COMMIT, nullptr);
    CertCloseStore(roots, 0);
    return ports;
}

// One scan through a WinINet transfer of its own.
ScanOutcome Scan(const std::string& url) {
    WinInetTransfer inet(15s);
    return ScanOnce(inet, url);
}

TEST(WinInetTls, TrustedPagesAreReadAndEachBadCertificateFailsWithItsReason) {
    const auto ports = StartTrusting();
    ASSERT_EQ(ports.size(), 7u) << "the HTTPS test servers are not running (WENDREL_TLS=" << TlsFolder() << ")";
    const std::pair<const char*, const char*> cases[] = {
        {"good", ""},
        {"untrusted", "the server's certificate is not from a trusted authority"},
        {"expired", "the server's certificate has expired"},
        {"wrongname", "the server's certificate is for another name"},
        // Without its intermediate authority the chain ends short of the
        // trusted one; Wine and Windows name that differently (wine-notes).
        {"nointermediate", "the server's certificate "},
        {"downgrade", "the page moved from https to an insecure http address"},
    };
    for (const auto& [server, reason] : cases) {
        const ScanOutcome r = Scan("https://localhost:" + std::to_string(ports.at(server)) + "/status");
        EXPECT_EQ(r.count, *reason ? 0 : 7) << server;
        if (*reason)
            EXPECT_NE(r.failure.find(reason), std::string::npos) << server << ": " << r.failure;
        else
            EXPECT_EQ(r.failure, "") << server;
    }
}

// A failure after the move names the host where it happened.
TEST(WinInetTls, AnHttpPageThatMovedToHttpsIsFollowed) {
    const auto ports = StartTrusting();
    ASSERT_EQ(ports.count("expired"), 1u);
    const std::pair<const char*, const char*> cases[] = {
        {"good", ""},
        {"expired",
         "could not get the page from localhost: the server's certificate has expired (or is not valid yet)"},
    };
    for (const auto& [server, failure] : cases) {
        const std::string target = "https://localhost:" + std::to_string(ports.at(server)) + "/status";
        LoopbackServer moved([&](LoopbackServer&, SOCKET c, const std::string&) {
            LoopbackServer::SendAll(c, LoopbackServer::Response(301, "", "Location: " + target + "\r\n"));
        });
        const ScanOutcome r = Scan(moved.Url("/status"));
        EXPECT_EQ(r.failure, failure) << server;
        EXPECT_EQ(r.count, *failure ? 0 : 7) << server;
    }
}

// Every WinINet error reads as words, in the program's own where it has them
// (messages of the catalogue); other errors in Windows' words, in the
// player's language where Windows has it, else in its own; the program's
// with the number where Windows has none.
TEST(WinInetTls, EveryErrorHasWordsInOneLanguage) {
    for (DWORD code = INTERNET_ERROR_BASE + 1; code <= INTERNET_ERROR_LAST; ++code) {
        const std::string text = SystemErrorText(code);
        EXPECT_NE(text.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos) << code;
        EXPECT_NE(text.rfind("error ", 0), 0u) << code << ": " << text;
    }
    const auto message = [](DWORD code, const char* language) {
        const Arg words = ErrorWords(code, language);
        const auto* said = std::get_if<std::shared_ptr<const Message>>(&words.value);
        return said ? std::optional((*said)->Id()) : std::nullopt;  // none: Windows' own words
    };
    for (const char* language : {"", "de", "qps-ploc", "xx"}) {
        EXPECT_EQ(message(ERROR_INTERNET_INVALID_CA, language), Msg::NetInvalidCa) << language;
        EXPECT_EQ(message(ERROR_INTERNET_SEC_CERT_REV_FAILED, language), Msg::NetCertNoRevocation) << language;
        EXPECT_EQ(message(ERROR_FILE_NOT_FOUND, language), std::nullopt) << language;
        EXPECT_EQ(message(0x2000ABCD, language), Msg::NetOtherError) << language;
    }
    EXPECT_EQ(SystemErrorText(ERROR_INTERNET_INVALID_CA), "the server's certificate is not from a trusted authority");
    EXPECT_EQ(SystemErrorText(0x2000ABCD), "the operation failed (error 536914893)");
}

}  // namespace
