#include "win32/WinError.h"

#include <wininet.h>

#include <utility>

#include "win32/Handles.h"
#include "win32/TextConversion.h"

namespace {

constexpr DWORD kDecodingFailed = 12175;  // ERROR_INTERNET_DECODING_FAILED, which MinGW's wininet.h lacks

// WinINet's errors in the program's own words. Windows has message texts for
// most of them in wininet.dll, Wine for a dozen; and the certificate errors
// must tell a player what is wrong, in the same words everywhere.
constexpr std::pair<DWORD, const char*> kInternetErrors[] = {
    {ERROR_INTERNET_OUT_OF_HANDLES, "no more internet connections could be opened"},
    {ERROR_INTERNET_TIMEOUT, "the server did not answer in time"},
    {ERROR_INTERNET_INTERNAL_ERROR, "the internet functions of Windows failed"},
    {ERROR_INTERNET_INVALID_URL, "the address is not valid"},
    {ERROR_INTERNET_UNRECOGNIZED_SCHEME, "the address does not start with http:// or https://"},
    {ERROR_INTERNET_NAME_NOT_RESOLVED, "the server's name could not be found"},
    {ERROR_INTERNET_PROTOCOL_NOT_FOUND, "no protocol could be found for the address"},
    {ERROR_INTERNET_SHUTDOWN, "the internet functions of Windows are shutting down"},
    {ERROR_INTERNET_INCORRECT_USER_NAME, "the server refused the user name"},
    {ERROR_INTERNET_INCORRECT_PASSWORD, "the server refused the password"},
    {ERROR_INTERNET_LOGIN_FAILURE, "the server refused the login"},
    {ERROR_INTERNET_INVALID_OPERATION, "the internet functions of Windows refused the request"},
    {ERROR_INTERNET_OPERATION_CANCELLED, "the request was cancelled"},
    {ERROR_INTERNET_NO_DIRECT_ACCESS, "this computer cannot reach the internet directly"},
    {ERROR_INTERNET_CANNOT_CONNECT, "the connection to the server could not be made"},
    {ERROR_INTERNET_CONNECTION_ABORTED, "the server closed the connection"},
    {ERROR_INTERNET_CONNECTION_RESET, "the connection to the server was reset"},
    {ERROR_INTERNET_FORCE_RETRY, "the server asked for the request again"},
    {ERROR_INTERNET_INVALID_PROXY_REQUEST, "the proxy server refused the request"},
    {ERROR_INTERNET_NEED_UI, "the request needs an answer from the user"},
    {ERROR_INTERNET_SEC_CERT_DATE_INVALID, "the server's certificate has expired (or is not valid yet)"},
    {ERROR_INTERNET_SEC_CERT_CN_INVALID, "the server's certificate is for another name"},
    {ERROR_INTERNET_HTTP_TO_HTTPS_ON_REDIR, "the page moved from an http:// to an https:// address"},
    {ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR, "the secure page moved to an insecure http:// address"},
    {ERROR_INTERNET_MIXED_SECURITY, "the page mixes secure and insecure content"},
    {ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED, "the server asks for a certificate of the user"},
    {ERROR_INTERNET_INVALID_CA, "the server's certificate is not from a trusted authority"},
    {ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP, "the server asks for a certificate of the user"},
    {ERROR_INTERNET_REDIRECT_SCHEME_CHANGE, "the page moved to another kind of address"},
    {ERROR_INTERNET_SEC_CERT_ERRORS, "the server's certificate has errors"},
    {ERROR_INTERNET_SEC_CERT_NO_REV, "the server's certificate could not be checked for revocation"},
    {ERROR_INTERNET_SEC_CERT_REV_FAILED, "the server's certificate could not be checked for revocation"},
    {ERROR_HTTP_HEADER_NOT_FOUND, "the server's answer lacks a header"},
    {ERROR_HTTP_DOWNLEVEL_SERVER, "the server's answer has no headers"},
    {ERROR_HTTP_INVALID_SERVER_RESPONSE, "the server's answer could not be read"},
    {ERROR_HTTP_INVALID_HEADER, "the server's answer has an invalid header"},
    {ERROR_HTTP_REDIRECT_FAILED, "the page's redirection failed"},
    {ERROR_HTTP_NOT_REDIRECTED, "the page was not redirected"},
    {ERROR_HTTP_REDIRECT_NEEDS_CONFIRMATION, "the page's redirection needs the user's consent"},
    {ERROR_INTERNET_SECURITY_CHANNEL_ERROR, "the secure connection to the server could not be set up"},
    {ERROR_INTERNET_TCPIP_NOT_INSTALLED, "TCP/IP is not installed"},
    {ERROR_INTERNET_DISCONNECTED, "this computer is not connected to a network"},
    {ERROR_INTERNET_SERVER_UNREACHABLE, "the server cannot be reached"},
    {ERROR_INTERNET_PROXY_SERVER_UNREACHABLE, "the proxy server cannot be reached"},
    {ERROR_INTERNET_BAD_AUTO_PROXY_SCRIPT, "the proxy configuration script has an error"},
    {ERROR_INTERNET_UNABLE_TO_DOWNLOAD_SCRIPT, "the proxy configuration script could not be downloaded"},
    {ERROR_INTERNET_SEC_INVALID_CERT, "the server's certificate is not valid"},
    {ERROR_INTERNET_SEC_CERT_REVOKED, "the server's certificate has been revoked"},
    {ERROR_INTERNET_FAILED_DUETOSECURITYCHECK, "a security check of Windows stopped the request"},
    {ERROR_INTERNET_NOT_INITIALIZED, "the internet functions of Windows are not ready"},
    {kDecodingFailed, "the compressed page could not be unpacked"},
};

bool IsInternetError(DWORD code) { return code > INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST; }

}  // namespace

std::string SystemErrorText(DWORD code) {
    for (const auto& [known, words] : kInternetErrors)
        if (known == code) return words;
    wchar_t* text = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    HMODULE source = nullptr;
    if (IsInternetError(code)) {
        source = GetModuleHandleA("wininet.dll");
        if (source) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    }
    // In UTF-8, as every text of the program: Windows' words may be in any language.
    const DWORD length = FormatMessageW(flags, source, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const UniqueLocal buffer(text);
    std::string message = length ? Narrow(std::wstring(text, length), CP_UTF8) : std::string();
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    if (!message.empty()) return message;
    return (IsInternetError(code) ? "the internet request failed (WinINet error " : "the operation failed (error ") +
           std::to_string(code) + ")";
}

bool FailWithLastError(std::string& error) {
    error = SystemErrorText(GetLastError());
    return false;
}
