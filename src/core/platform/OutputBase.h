#pragma once

#include <string>
#include <string_view>

namespace korvida {

// The output folder with trailing blanks and '/' removed and one '/' appended: the
// folder every output name is put behind. Empty when the folder is empty or blank: no
// name is then placed anywhere.
std::string OutputBase(std::string_view folder);

// `path` as seen from the output folder `folder` ("Artist/Album/01 Title.mp3"); the whole
// path when it lies elsewhere.
std::string PathWithinFolder(std::string_view path, std::string_view folder);

}  // namespace korvida
