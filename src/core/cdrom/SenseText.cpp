#include "core/cdrom/SenseText.h"

#include <cstdio>

namespace korvida {

namespace {

const char* KeyName(unsigned key) {
    static const char* const kNames[16] = {
        "无附加信息", "已恢复的错误", "驱动器未就绪",     "介质错误",
        "硬件错误",   "非法请求",     "驱动器状态已改变", "数据保护",
        "空白检查",   "厂商专用错误", "复制已中止",       "命令已中止",
        "相等",       "卷溢出",       "比较不符",         "保留的检测键"};
    return kNames[key & 0xF];
}

const char* AdditionalText(unsigned asc, unsigned ascq) {
    switch (asc) {
        case 0x04:
            return "驱动器尚未准备好";
        case 0x11:
            return "无法恢复的读取错误";
        case 0x20:
            return "驱动器不认识这个命令";
        case 0x21:
            return "地址超出光盘范围";
        case 0x24:
            return "命令中有无效的字段";
        case 0x28:
            return "光盘可能已更换";
        case 0x29:
            return "驱动器已重新上电或复位";
        case 0x2C:
            return "命令顺序错误";
        case 0x3A:
            return ascq == 0x02 ? "驱动器中没有光盘，托盘已打开" : "驱动器中没有光盘";
        case 0x64:
            return "这条音轨不能这样读取";
        default:
            return nullptr;
    }
}

}  // namespace

std::string SenseText(const std::uint8_t* sense, std::size_t length) {
    if (sense == nullptr || length < 3 || (sense[0] & 0x7E) != 0x70)
        return "驱动器没有给出错误详情";
    unsigned key = sense[2] & 0xF;
    unsigned asc = length > 12 ? sense[12] : 0;
    unsigned ascq = length > 13 ? sense[13] : 0;
    std::string text = KeyName(key);
    if (const char* more = AdditionalText(asc, ascq))
        text += std::string("，") + more;
    char codes[32];
    std::snprintf(codes, sizeof codes, " (%02X/%02X/%02X)", key, asc, ascq);
    text += codes;
    if ((sense[0] & 0x80) && length >= 7) {
        unsigned long lba = (static_cast<unsigned long>(sense[3]) << 24) | (sense[4] << 16) |
                            (sense[5] << 8) | sense[6];
        text += "，位于 LBA " + std::to_string(lba);
    }
    return text;
}

}  // namespace korvida
