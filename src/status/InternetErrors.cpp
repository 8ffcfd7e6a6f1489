#include "status/InternetErrors.h"

#include <utility>

namespace {
// By code: INTERNET_ERROR_BASE (12000) + n in wininet.h; the id names the error.
constexpr std::pair<std::uint32_t, Msg> kInternetErrors[] = {
    {12001, Msg::NetOutOfHandles},
    {12002, Msg::NetTimeout},
    {12004, Msg::NetInternalError},
    {12005, Msg::NetInvalidUrl},
    {12006, Msg::NetUnrecognizedScheme},
    {12007, Msg::NetNameNotResolved},
    {12008, Msg::NetProtocolNotFound},
    {12012, Msg::NetShutdown},
    {12013, Msg::NetIncorrectUserName},
    {12014, Msg::NetIncorrectPassword},
    {12015, Msg::NetLoginFailure},
    {12016, Msg::NetInvalidOperation},
    {12017, Msg::NetOperationCancelled},
    {12023, Msg::NetNoDirectAccess},
    {12029, Msg::NetCannotConnect},
    {12030, Msg::NetConnectionAborted},
    {12031, Msg::NetConnectionReset},
    {12032, Msg::NetForceRetry},
    {12033, Msg::NetInvalidProxyRequest},
    {12034, Msg::NetNeedUi},
    {12037, Msg::NetCertDateInvalid},
    {12038, Msg::NetCertNameInvalid},
    {12039, Msg::NetHttpToHttps},
    {12040, Msg::NetHttpsToHttp},
    {12041, Msg::NetMixedSecurity},
    {12044, Msg::NetClientCertNeeded},
    {12045, Msg::NetInvalidCa},
    {12046, Msg::NetClientCertNeeded},
    {12048, Msg::NetRedirectSchemeChange},
    {12055, Msg::NetCertErrors},
    {12056, Msg::NetCertNoRevocation},
    {12057, Msg::NetCertNoRevocation},
    {12150, Msg::NetHeaderNotFound},
    {12151, Msg::NetDownlevelServer},
    {12152, Msg::NetInvalidServerResponse},
    {12153, Msg::NetInvalidHeader},
    {12156, Msg::NetRedirectFailed},
    {12160, Msg::NetNotRedirected},
    {12168, Msg::NetRedirectNeedsConfirmation},
    {12157, Msg::NetSecurityChannelError},
    {12159, Msg::NetTcpIpNotInstalled},
    {12163, Msg::NetDisconnected},
    {12164, Msg::NetServerUnreachable},
    {12165, Msg::NetProxyServerUnreachable},
    {12166, Msg::NetBadProxyScript},
    {12167, Msg::NetProxyScriptDownload},
    {12169, Msg::NetInvalidCert},
    {12170, Msg::NetCertRevoked},
    {12171, Msg::NetSecurityCheck},
    {12172, Msg::NetNotInitialized},
    {12175, Msg::NetDecodingFailed},
};
}  // namespace

std::optional<Msg> InternetErrorMessage(std::uint32_t code) {
    for (const auto& [known, message] : kInternetErrors)
        if (known == code) return message;
    return std::nullopt;
}
