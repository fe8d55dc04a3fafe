#include "core/jobs/JobCaptions.h"

#include "core/jobs/Messages.h"
#include "core/text/FormatText.h"
#include "core/text/Translate.h"

namespace korvida {

std::optional<std::string> JobCaptions::For(const Message& m) {
    switch (m.id) {
        case WM_ITEM_STATUS:
            if (m.wParam != 0)  // the item is being normalised
                return Caption(Tr("正在规格化(%02d/%02d): "), m.text);
            ++counter_;
            return Caption(itemFormat_   ? Tr(itemFormat_)
                           : encodeMode_ ? Tr("正在编码 (%02d/%02d): ")
                                         : Tr("正在抓取 (%02d/%02d): "),
                           m.text);
        case WM_DECODE_STATUS:
            // A decode before the job's first item (the FLAC files of a rip being checked)
            // has no item number.
            if (counter_ == 0)
                return Tr("正在解码: ") + m.text;
            return Caption(Tr("正在解码(%02d/%02d): "), m.text);
        case WM_ENCODE_STATUS:
            return Caption(Tr("正在编码 (%02d/%02d): "), m.text);
        default:
            return std::nullopt;
    }
}

std::string JobCaptions::Caption(const char* format, const std::string& name) const {
    return FormatText(format, counter_, total_) + name;
}

}  // namespace korvida
