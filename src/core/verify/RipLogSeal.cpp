#include "core/verify/RipLogSeal.h"

#include <openssl/evp.h>

#include <array>
#include <memory>

namespace korvida {
namespace {

constexpr std::string_view kSealOpening = "==== 日志校验和 ";
constexpr std::string_view kSealClosing = " ====\n";

std::string Sha256Hex(std::string_view bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          EVP_MD_CTX_free);
    // Only allocation can make these fail; a seal of nothing then never matches a text.
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1)
        return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0xF];
    }
    return hex;
}

}  // namespace

std::string RipLogSealLine(std::string_view sealedText) {
    std::string line(kSealOpening);
    line += Sha256Hex(sealedText);
    line += kSealClosing;
    return line;
}

std::string SealRipLog(std::string text) {
    text += RipLogSealLine(text);
    return text;
}

RipLogSealCheck CheckRipLogSeal(std::string_view fileBytes) {
    // The last line that opens like a seal; lines added after it make the file changed,
    // not unsealed.
    std::size_t at = std::string_view::npos;
    for (std::size_t from = fileBytes.size();;) {
        const std::size_t found = fileBytes.rfind(kSealOpening, from);
        if (found == std::string_view::npos)
            break;
        if (found == 0 || fileBytes[found - 1] == '\n') {
            at = found;
            break;
        }
        from = found - 1;
    }
    if (at == std::string_view::npos)
        return RipLogSealCheck::kNoSeal;
    const std::string_view text = fileBytes.substr(0, at);
    return fileBytes.substr(at) == RipLogSealLine(text) ? RipLogSealCheck::kIntact
                                                        : RipLogSealCheck::kChanged;
}

}  // namespace korvida
