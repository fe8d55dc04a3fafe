#pragma once

#include <cstdint>
#include <string>

namespace korvida {

// One description record. The album and every track share this shape, and the order of
// the thirteen fields is a contract: job snapshots copy them in this order and the tag
// writers index them the same way. Text is UTF-8 bytes, never converted inside the
// program.
struct TrackInfo {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;  // free text
    std::string Comment;
    std::string GenreID;     // as stored in the local disc database
    std::string GenreName;   // shown and edited by the user; the Ogg GENRE comment
    std::int32_t Genre = 0;  // numeric genre, database key "GENRE"; 0 after clearing
    std::string Composer;
    std::string OrigArtist;
    std::string Copyright;
    std::string URL;
    std::string EncodedBy;
};

}  // namespace korvida
