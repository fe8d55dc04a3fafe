#include "core/platform/NetworkErrorText.h"

#include <netdb.h>

#include <cerrno>

#include "core/platform/ErrorText.h"
#include "core/text/Translate.h"

namespace korvida {

namespace {

std::string Format(int code, const std::string& reason, std::string_view server) {
    std::string text = Tr("网络错误 (代码 = ") + std::to_string(code) + Tr(")：") + reason;
    if (!server.empty())
        text += Tr(" (服务器 ") + std::string(server) + ")";
    return text + Tr("。");
}

const char* SocketReason(int errorNumber) {
    switch (errorNumber) {
        case ECONNREFUSED:
            return Tr("连接被拒绝");
        case ETIMEDOUT:
            return Tr("连接超时");
        case EHOSTUNREACH:
            return Tr("无法到达主机");
        case ENETUNREACH:
            return Tr("网络不可达");
        case ECONNRESET:
            return Tr("连接被对方重置");
        default:
            return nullptr;
    }
}

const char* LookupReason(int lookupCode) {
    switch (lookupCode) {
        case EAI_NONAME:
#if defined(EAI_NODATA) && EAI_NODATA != EAI_NONAME
        case EAI_NODATA:
#endif
            return Tr("找不到主机");
        case EAI_AGAIN:
            return Tr("域名解析暂时失败");
        default:
            return nullptr;
    }
}

}  // namespace

std::string NetworkErrorText(int errorNumber, std::string_view server) {
    const char* reason = SocketReason(errorNumber);
    return Format(errorNumber, reason ? reason : ErrorText(errorNumber), server);
}

std::string NameLookupErrorText(int lookupCode, int systemError, std::string_view server) {
    if (lookupCode == EAI_SYSTEM)
        return NetworkErrorText(systemError, server);
    const char* reason = LookupReason(lookupCode);
    return Format(lookupCode, reason ? reason : ::gai_strerror(lookupCode), server);
}

}  // namespace korvida
