#pragma once

#include <string>
#include <string_view>

namespace korvida {

// folder/<name><extension> for a file job: the source's file name without its folder and
// without the text from its last '.' on, in the working output folder (trimmed as every
// output folder is). Empty when the folder is empty or blank.
std::string BatchOutputPath(std::string_view source, std::string_view folder,
                            std::string_view extension);

}  // namespace korvida
