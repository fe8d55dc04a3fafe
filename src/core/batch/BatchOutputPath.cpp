#include "core/batch/BatchOutputPath.h"

#include "core/platform/OutputBase.h"

namespace korvida {

std::string BatchOutputPath(std::string_view source, std::string_view folder,
                            std::string_view extension) {
    std::string_view name = source;
    if (const auto slash = name.rfind('/'); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos)
        name = name.substr(0, dot);
    const std::string base = OutputBase(folder);
    if (base.empty())
        return {};
    return base + std::string(name) + std::string(extension);
}

}  // namespace korvida
