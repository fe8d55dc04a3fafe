#include "gui/app/CommandLineImages.h"

#include <cstring>

namespace korvida::gui {

DriveSources CommandLineImages(int argc, char** argv) {
    DriveSources drives;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--image") == 0)
            drives.images.emplace_back(argv[++i]);
    if (!drives.images.empty())
        drives.selectImage = drives.images.back();
    return drives;
}

}  // namespace korvida::gui
