#include "core/platform/ErrorText.h"

#include <cerrno>
#include <cstring>

namespace korvida {

std::string ErrorText(int errorNumber) {
    // The file errors a user meets and can act on, in the language of the rest of the
    // message; anything rarer keeps the system's own words.
    switch (errorNumber) {
        case ENOENT:
            return "文件或文件夹不存在";
        case EACCES:
            return "没有访问权限";
        case EROFS:
            return "文件系统是只读的";
        case ENOSPC:
            return "磁盘空间已满";
        case EEXIST:
            return "文件已存在";
        case ENAMETOOLONG:
            return "文件名太长";
        case EISDIR:
            return "这是一个文件夹";
        default:
            break;
    }
    char buffer[256] = {};
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = ::strerror_r(errorNumber, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("error ") + std::to_string(errorNumber);
}

}  // namespace korvida
