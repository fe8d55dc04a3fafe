#include "core/batch/ParseRipLog.h"

#include <charconv>
#include <sstream>

namespace korvida {
namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

bool Number(const std::string& text, std::uint32_t& value) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && at == end;
}

}  // namespace

RipLogContents ParseRipLog(std::string_view text) {
    RipLogContents log;
    bool inToc = false;
    bool leadout = false;
    RipLogContents::Track* item = nullptr;  // the item whose lines follow
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "TOC") {
            inToc = true;
            continue;
        }
        const std::vector<std::string> words = Words(line);
        if (inToc) {
            std::uint32_t number = 0, lba = 0;
            if (words.empty()) {
                inToc = false;
            } else if (words[0] == "导出区" && words.size() >= 3 && Number(words[2], lba)) {
                log.leadout = lba;
                leadout = true;
            } else if (words.size() >= 4 && words[0].size() == 2 && Number(words[0], number) &&
                       (words[1] == "音频" || words[1] == "数据") && Number(words[3], lba)) {
                log.tracks.push_back({static_cast<int>(number), words[1] == "数据", lba, {}});
            }
            continue;
        }
        std::uint32_t number = 0;
        if (line.rfind("音轨 ", 0) == 0 && words.size() >= 2 && Number(words[1], number)) {
            item = nullptr;
            for (RipLogContents::Track& track : log.tracks)
                if (track.number == static_cast<int>(number))
                    item = &track;
        } else if (item && line.rfind("  文件: ", 0) == 0) {
            const std::string file = line.substr(std::string_view("  文件: ").size());
            if (file != "未完成")
                item->file = file;
            item = nullptr;
        }
    }
    if (log.tracks.empty() || !leadout) {
        log.problem = "日志中没有 TOC";
        return log;
    }
    for (std::size_t i = 0; i < log.tracks.size(); ++i) {
        const std::uint32_t next = i + 1 < log.tracks.size() ? log.tracks[i + 1].lba : log.leadout;
        if (next <= log.tracks[i].lba) {
            log.problem = "日志中的 TOC 不是递增的";
            return log;
        }
    }
    log.ok = true;
    return log;
}

}  // namespace korvida
