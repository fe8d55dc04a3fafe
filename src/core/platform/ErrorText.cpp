#include "core/platform/ErrorText.h"
#include "core/text/Translate.h"

#include <cerrno>
#include <cstring>

namespace korvida {

std::string ErrorText(int errorNumber) {
    // The file errors a user meets and can act on, in the language of the rest of the
    // message; anything rarer keeps the system's own words.
    switch (errorNumber) {
        case ENOENT:
            return Tr("文件或文件夹不存在");
        case EACCES:
            return Tr("没有访问权限");
        case EROFS:
            return Tr("文件系统是只读的");
        case ENOSPC:
            return Tr("磁盘空间已满");
        case EEXIST:
            return Tr("文件已存在");
        case ENAMETOOLONG:
            return Tr("文件名太长");
        case EISDIR:
            return Tr("这是一个文件夹");
        case ENOTDIR:
            return Tr("路径中有一部分不是文件夹");
        case EFBIG:
            return Tr("文件太大");
        case EDQUOT:
            return Tr("超出磁盘配额");
        case EIO:
            return Tr("输入/输出错误");
        case EPERM:
            return Tr("不允许这样操作");
        case EBUSY:
            return Tr("设备正忙");
        case ENXIO:
        case ENODEV:
            return Tr("设备不存在");
        case ENOMEDIUM:
            return Tr("驱动器中没有光盘");
        case EMFILE:
        case ENFILE:
            return Tr("打开的文件太多");
        default:
            break;
    }
    char buffer[256] = {};
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = ::strerror_r(errorNumber, buffer, sizeof buffer);
    return text ? std::string(text) : std::string(Tr("错误 ")) + std::to_string(errorNumber);
}

}  // namespace korvida
