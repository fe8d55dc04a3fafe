#include "core/verify/CtdbDisc.h"

#include <openssl/evp.h>

#include <array>
#include <memory>

#include "core/disc/DiscInfo.h"
#include "core/disc/DiscToc.h"
#include "core/text/FormatText.h"

namespace korvida {
namespace {

// 100 figures: the 99 possible tracks after the first and the end.
constexpr int kIdFigures = 100;

std::string Sha1(const std::string& text) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha1(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), text.data(), text.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &size) != 1)
        return {};
    return std::string(reinterpret_cast<const char*>(digest.data()), size);
}

// Base64 as the database spells it: an id that can stand in a URL or a file name.
std::string IdBase64(const std::string& bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._";
    std::string out;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        std::uint32_t group = 0;
        const std::size_t have = std::min<std::size_t>(3, bytes.size() - at);
        for (std::size_t k = 0; k < 3; ++k)
            group = group << 8 | (k < have ? static_cast<unsigned char>(bytes[at + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= have ? kAlphabet[group >> (18 - 6 * k) & 63] : '-';
    }
    return out;
}

}  // namespace

std::string CtdbTocId(const std::vector<std::uint32_t>& audioStarts, std::uint32_t audioEnd) {
    if (audioStarts.empty())
        return {};
    const std::uint32_t first = audioStarts.front();
    std::string figures;
    for (std::size_t i = 1; i < audioStarts.size(); ++i)
        figures += FormatText("%08X", audioStarts[i] - first);
    figures += FormatText("%08X", audioEnd - first);
    figures.resize(8 * kIdFigures, '0');
    const std::string digest = Sha1(figures);
    return digest.empty() ? std::string() : IdBase64(digest);
}

CtdbDisc CtdbDiscOf(const std::uint8_t* rawToc) {
    CtdbDisc disc;
    const DiscToc toc = ReadDiscToc(rawToc);
    if (!toc.ok)
        return disc;
    std::vector<std::uint32_t> audioStarts;
    std::uint32_t audioEnd = 0;
    for (const DiscTocTrack& track : toc.tracks) {
        disc.tocParameter += (track.data ? "-" : "") + std::to_string(track.start) + ":";
        if (!track.data) {
            audioStarts.push_back(track.start);
            // ReadDiscToc ends an enhanced CD's last audio track with its session.
            audioEnd = track.end;
        }
    }
    disc.tocParameter += std::to_string(toc.leadout);
    if (audioStarts.empty())
        return disc;
    disc.audioTracks = static_cast<int>(audioStarts.size());
    disc.id = CtdbTocId(audioStarts, audioEnd);
    disc.ok = !disc.id.empty();
    return disc;
}

std::string CtdbLookupUrl(const std::string& server, const CtdbDisc& disc) {
    std::string base = server.find("://") == std::string::npos ? "http://" + server : server;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + "/lookup2.php?version=3&ctdb=1&fuzzy=1&toc=" + disc.tocParameter;
}

}  // namespace korvida
