#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/RecordingTarget.h"

namespace korvida::test {

// Little-endian bytes of 16-bit samples.
inline std::string PcmBytes(const std::vector<std::int16_t>& samples) {
    std::string out;
    for (std::int16_t s : samples) {
        const auto u = static_cast<std::uint16_t>(s);
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

inline std::vector<std::int16_t> Samples(const std::string& bytes) {
    std::vector<std::int16_t> out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        out.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
    return out;
}

inline std::string Le32(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

inline std::string Chunk(const std::string& id, const std::string& body) {
    std::string c = id + Le32(static_cast<std::uint32_t>(body.size())) + body;
    if (body.size() % 2)
        c += '\0';
    return c;
}

// A "fmt " chunk body for PCM.
inline std::string FmtBody(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits) {
    std::string b;
    const auto le16 = [&](std::uint16_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>(v >> 8);
    };
    le16(1);
    le16(channels);
    b += Le32(rate);
    b += Le32(rate * channels * bits / 8);
    le16(static_cast<std::uint16_t>(channels * bits / 8));
    le16(bits);
    return b;
}

// A RIFF/WAVE file made of the given chunks.
inline std::string RiffFile(const std::vector<std::string>& chunks) {
    std::string body = "WAVE";
    for (const std::string& c : chunks)
        body += c;
    return "RIFF" + Le32(static_cast<std::uint32_t>(body.size())) + body;
}

// The canonical 44-byte-header file of 44100 Hz 16-bit stereo samples.
inline std::string CdWav(const std::vector<std::int16_t>& samples) {
    return RiffFile({Chunk("fmt ", FmtBody(44100, 2, 16)), Chunk("data", PcmBytes(samples))});
}

// Whether `program` is on the PATH: tests against other tools skip without them.
inline bool HaveTool(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command and returns its standard output.
inline std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
            out.append(buffer, n);
        ::pclose(p);
    }
    return out;
}

}  // namespace korvida::test
