#include "core/encode/OggCommentRewrite.h"

#include <ogg/ogg.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "core/audio/BinaryFile.h"
#include "core/platform/TemporaryFile.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The two codecs' comment packets differ only in their magic and in what follows the
// comments: Vorbis ends in a framing bit, Opus may carry binary data worth keeping.
struct Codec {
    std::string_view commentMagic;
    int headerPackets;
    bool vorbis;
};

std::optional<Codec> CodecOf(const ogg_packet& first) {
    const std::string_view bytes(reinterpret_cast<const char*>(first.packet),
                                 static_cast<std::size_t>(first.bytes));
    if (bytes.substr(0, 7) == std::string_view("\x01vorbis", 7))
        return Codec{std::string_view("\x03vorbis", 7), 3, true};
    if (bytes.substr(0, 8) == "OpusHead")
        return Codec{"OpusTags", 2, false};
    return std::nullopt;
}

// Reads pages one after the other, owning the libogg states it needs.
class PageReader {
  public:
    explicit PageReader(BinaryFile& file) : file_(file) { ogg_sync_init(&sync_); }
    ~PageReader() { ogg_sync_clear(&sync_); }
    PageReader(const PageReader&) = delete;
    PageReader& operator=(const PageReader&) = delete;

    enum class Result { kPage, kEnd, kError };
    Result Next(ogg_page& page) {
        for (;;) {
            const int out = ogg_sync_pageout(&sync_, &page);
            if (out == 1)
                return Result::kPage;
            if (out < 0)  // bytes that are no page: a file we would rather not touch
                return Result::kError;
            constexpr long kChunk = 65536;
            char* buffer = ogg_sync_buffer(&sync_, kChunk);
            const std::int64_t got = buffer ? file_.Read(buffer, kChunk) : -1;
            if (got < 0)
                return Result::kError;
            if (got == 0)
                return sync_.fill > sync_.returned ? Result::kError : Result::kEnd;
            ogg_sync_wrote(&sync_, static_cast<long>(got));
        }
    }

  private:
    BinaryFile& file_;
    ogg_sync_state sync_;
};

struct StreamState {
    ogg_stream_state state;
    bool ready = false;
    explicit StreamState(int serial) { ready = ogg_stream_init(&state, serial) == 0; }
    ~StreamState() {
        if (ready)
            ogg_stream_clear(&state);
    }
    StreamState(const StreamState&) = delete;
    StreamState& operator=(const StreamState&) = delete;
};

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
void PutLe32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

// The comment packet taken apart, and put together again around new comments.
struct CommentPacket {
    std::string vendor;
    std::vector<std::string> comments;
    Bytes trailer;  // the framing byte, or Opus data to keep

    bool Parse(const Bytes& packet, const Codec& codec) {
        std::size_t at = codec.commentMagic.size();
        if (packet.size() < at ||
            std::memcmp(packet.data(), codec.commentMagic.data(), codec.commentMagic.size()) != 0)
            return false;
        const auto text = [&](std::string& out) {
            if (packet.size() - at < 4)
                return false;
            const std::uint32_t length = Le32(packet.data() + at);
            at += 4;
            if (packet.size() - at < length)
                return false;
            out.assign(reinterpret_cast<const char*>(packet.data() + at), length);
            at += length;
            return true;
        };
        if (!text(vendor) || packet.size() - at < 4)
            return false;
        const std::uint32_t count = Le32(packet.data() + at);
        at += 4;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string comment;
            if (!text(comment))
                return false;
            comments.push_back(std::move(comment));
        }
        if (codec.vorbis) {
            if (at >= packet.size() || (packet[at] & 1) == 0)
                return false;
            trailer = {1};
        } else if (at < packet.size() && (packet[at] & 1) != 0) {
            // Binary data to be kept; anything else is padding, dropped.
            trailer.assign(packet.begin() + static_cast<std::ptrdiff_t>(at), packet.end());
        }
        return true;
    }

    Bytes Build(const Codec& codec) const {
        Bytes out;
        Put(out, codec.commentMagic);
        PutLe32(out, static_cast<std::uint32_t>(vendor.size()));
        Put(out, vendor);
        PutLe32(out, static_cast<std::uint32_t>(comments.size()));
        for (const std::string& comment : comments) {
            PutLe32(out, static_cast<std::uint32_t>(comment.size()));
            Put(out, comment);
        }
        out.insert(out.end(), trailer.begin(), trailer.end());
        return out;
    }
};

bool WritePage(BinaryFile& out, const ogg_page& page) {
    return out.Write(page.header, static_cast<std::size_t>(page.header_len)) &&
           out.Write(page.body, static_cast<std::size_t>(page.body_len));
}

struct Headers {
    Codec codec;
    int serial = 0;
    std::vector<Bytes> packets;
    long pages = 0;
};

// The header packets from the first pages. The last of them must end its page: audio
// sharing that page could not be moved without re-paging the stream.
std::optional<Headers> ReadHeaders(PageReader& reader, std::string& error) {
    ogg_page page;
    if (reader.Next(page) != PageReader::Result::kPage || !ogg_page_bos(&page)) {
        error = Tr("不是 Ogg 文件");
        return std::nullopt;
    }
    Headers headers{};
    headers.serial = ogg_page_serialno(&page);
    StreamState stream(headers.serial);
    if (!stream.ready || ogg_stream_pagein(&stream.state, &page) != 0) {
        error = Tr("Ogg 页已损坏");
        return std::nullopt;
    }
    headers.pages = 1;
    std::optional<Codec> codec;
    for (;;) {
        ogg_packet packet;
        const int out = ogg_stream_packetout(&stream.state, &packet);
        if (out < 0) {
            error = Tr("Ogg 流已损坏");
            return std::nullopt;
        }
        if (out == 1) {
            if (!codec && !(codec = CodecOf(packet))) {
                error = Tr("既不是 Vorbis 也不是 Opus");
                return std::nullopt;
            }
            headers.packets.emplace_back(packet.packet, packet.packet + packet.bytes);
            if (static_cast<int>(headers.packets.size()) == codec->headerPackets)
                break;
            continue;
        }
        if (reader.Next(page) != PageReader::Result::kPage ||
            ogg_page_serialno(&page) != headers.serial ||
            ogg_stream_pagein(&stream.state, &page) != 0) {
            error = Tr("Ogg 文件头不完整");
            return std::nullopt;
        }
        ++headers.pages;
    }
    if (stream.state.lacing_returned < stream.state.lacing_fill) {
        error = Tr("音频数据与最后一个文件头页混在一起");
        return std::nullopt;
    }
    headers.codec = *codec;
    return headers;
}

// The headers on new pages: the first packet alone, the rest flushed so that the audio
// starts on a page of its own. Returns the pages written, or -1.
long WriteHeaders(BinaryFile& out, const Headers& headers) {
    StreamState stream(headers.serial);
    if (!stream.ready)
        return -1;
    long pages = 0;
    ogg_page page;
    for (std::size_t i = 0; i < headers.packets.size(); ++i) {
        ogg_packet packet{};
        packet.packet = const_cast<unsigned char*>(headers.packets[i].data());
        packet.bytes = static_cast<long>(headers.packets[i].size());
        packet.b_o_s = i == 0;
        packet.packetno = static_cast<ogg_int64_t>(i);
        if (ogg_stream_packetin(&stream.state, &packet) != 0)
            return -1;
        if (i != 0 && i + 1 != headers.packets.size())
            continue;
        while (ogg_stream_flush(&stream.state, &page) != 0) {
            if (!WritePage(out, page))
                return -1;
            ++pages;
        }
    }
    return ogg_stream_check(&stream.state) == 0 ? pages : -1;
}

}  // namespace

bool RewriteOggComments(const std::string& path,
                        const std::function<void(std::vector<std::string>&)>& edit,
                        std::string* errorText) {
    std::string error;
    const auto fail = [&](std::string text) {
        if (errorText)
            *errorText = path + ": " + text;
        return false;
    };
    BinaryFile in;
    if (!in.Open(path, BinaryFile::Mode::kRead))
        return fail(in.lastErrorText());
    PageReader reader(in);
    std::optional<Headers> headers = ReadHeaders(reader, error);
    if (!headers)
        return fail(error);
    CommentPacket comment;
    if (!comment.Parse(headers->packets[1], headers->codec))
        return fail("damaged comment header");
    edit(comment.comments);
    headers->packets[1] = comment.Build(headers->codec);

    TemporaryFile written = TemporaryFile::CreateBeside(path, &error);
    if (!written.owned())
        return fail(error);
    BinaryFile out;
    if (!out.Open(written.path(), BinaryFile::Mode::kCreate))
        return fail(out.lastErrorText());
    const long newPages = WriteHeaders(out, *headers);
    if (newPages < 0)
        return fail(out.lastError() ? out.lastErrorText() : "cannot page the headers");
    const long shift = newPages - headers->pages;
    ogg_page page;
    PageReader::Result result;
    while ((result = reader.Next(page)) == PageReader::Result::kPage) {
        // A second stream (chained or multiplexed) is not ours to renumber.
        if (ogg_page_serialno(&page) != headers->serial)
            return fail("more than one Ogg stream");
        if (shift != 0) {
            const auto number = static_cast<std::uint32_t>(ogg_page_pageno(&page) + shift);
            for (int i = 0; i < 4; ++i)
                page.header[18 + i] = static_cast<unsigned char>(number >> (8 * i));
            ogg_page_checksum_set(&page);
        }
        if (!WritePage(out, page))
            return fail(out.lastErrorText());
    }
    if (result == PageReader::Result::kError)
        return fail(in.lastError() ? in.lastErrorText() : Tr("Ogg 页已损坏"));
    if (!out.Close())
        return fail(out.lastErrorText());
    return written.MoveTo(path, &error) || fail(error);
}

}  // namespace korvida
