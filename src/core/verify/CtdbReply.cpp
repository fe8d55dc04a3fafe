#include "core/verify/CtdbReply.h"

#include <pugixml.hpp>

#include <charconv>
#include <cstring>
#include <string_view>

namespace korvida {
namespace {

bool ParseHex(std::string_view text, std::uint32_t& value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 8)
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseEntry(const pugi::xml_node& node, CtdbEntry& entry) {
    const std::string_view confidence = node.attribute("confidence").as_string();
    const auto [end, error] =
        std::from_chars(confidence.data(), confidence.data() + confidence.size(), entry.confidence);
    if (error != std::errc() || end != confidence.data() + confidence.size() ||
        entry.confidence < 0)
        return false;
    if (!ParseHex(node.attribute("crc32").as_string(), entry.crc32))
        return false;
    std::string_view crcs = node.attribute("trackcrcs").as_string();
    while (!crcs.empty()) {
        const std::size_t space = crcs.find(' ');
        const std::string_view word = crcs.substr(0, space);
        if (!word.empty()) {
            std::uint32_t crc = 0;
            if (!ParseHex(word, crc) || entry.trackCrcs.size() >= 99)
                return false;
            entry.trackCrcs.push_back(crc);
        }
        crcs = space == std::string_view::npos ? std::string_view() : crcs.substr(space + 1);
    }
    return !entry.trackCrcs.empty();
}

}  // namespace

CtdbReply ParseCtdbReply(const std::uint8_t* bytes, std::size_t size) {
    CtdbReply reply;
    pugi::xml_document document;
    // No DOCTYPE, entities or processing instructions are taken from a server's reply.
    const pugi::xml_parse_result parsed =
        document.load_buffer(bytes, size, pugi::parse_minimal | pugi::parse_escapes);
    if (!parsed) {
        reply.problem = std::string("不是 XML: ") + parsed.description();
        return reply;
    }
    const pugi::xml_node root = document.document_element();
    if (std::strcmp(root.name(), "ctdb") != 0) {
        reply.problem = "根元素不是 ctdb";
        return reply;
    }
    for (const pugi::xml_node& node : root.children("entry")) {
        CtdbEntry entry;
        if (!ParseEntry(node, entry)) {
            reply.problem = "条目的数值无法解读";
            reply.entries.clear();
            return reply;
        }
        reply.entries.push_back(std::move(entry));
    }
    reply.ok = true;
    return reply;
}

}  // namespace korvida
