#include "core/cdrom/DriveAccessMessage.h"

#include <cerrno>

#include "core/platform/ErrorText.h"

namespace korvida {

bool IsAccessError(int errorNumber) {
    return errorNumber == EACCES || errorNumber == EPERM;
}

std::string DriveAccessMessage(const std::string& devicePath, int errorNumber) {
    std::string text = "不能打开光驱 " + devicePath + ": " + ErrorText(errorNumber) + "。";
    if (IsAccessError(errorNumber)) {
        text +=
            "\n请把您的用户加入 cdrom 组 (sudo usermod -aG cdrom $USER) 后重新登录；"
            "或在本机的桌面会话中运行本程序 (系统只给本机登录的用户光驱的访问权限)。";
    }
    return text;
}

}  // namespace korvida
