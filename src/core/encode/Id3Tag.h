#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvida {

class BinaryFile;
struct EncodeItem;

// The ID3v1 genre names, index = genre number. Spelled as the genre lists of the
// information dialogs show them ("Psychadelic", "Bebob" and "Acapella" included).
constexpr std::size_t kId3GenreCount = 126;
extern const std::array<const char*, kId3GenreCount> ID3GenreNames;

// The genre number of a name: exact, case-sensitive match; 12 ("Other") for anything
// else, the empty name included.
int LookupGenreIndex(std::string_view name);

// The 128-byte ID3v1 record of an item. Text bytes are copied as stored, cut at the
// field's end (even inside a multi-byte character) and zero-filled. With a track index
// the comment keeps 28 bytes and byte 126 holds the track number (ID3v1.1); without one
// it keeps 30.
constexpr std::size_t kId3v1Size = 128;
using Id3v1Record = std::array<std::uint8_t, kId3v1Size>;
Id3v1Record BuildId3v1(const EncodeItem& item);

// Appends the item's ID3v1 record at the file's position (the end of the encoded data).
// False, with the file's error, when the write fails.
bool WriteId3v1(BinaryFile& output, const EncodeItem& item);

// Writes an ID3v2 tag with the item's frames in front of the closed file at `path`
// (TIT2 TPE1 TALB TYER COMM TCOM TOPE TCOP WXXX TENC TRCK TCON TSRC, each only when its
// source is set), then the cover as APIC (front cover) when one is given and is a JPEG
// or PNG. An ID3v1 record at the end stays as it is. False when the tag could not be
// written or the file did not come out whole behind it (the tag library reports success
// even when a full disk cut the file short); the file is then not to be kept.
bool WriteId3v2(const std::string& path, const EncodeItem& item,
                const std::vector<std::uint8_t>* cover = nullptr);

// Bytes of the ID3v2 tag at the start of the file (header included), 0 when there is
// none. Only the tag's 10-byte header is read (through id3lib): the frames inside are
// of no interest here, and a damaged one cannot then upset a decode.
std::uint64_t Id3v2TagBytes(BinaryFile& file);

}  // namespace korvida
