#pragma once

#include "core/cdrom/ScsiTypes.h"

namespace korvida {

// Something that answers CDBs: a drive behind the kernel's pass-through or a virtual
// drive reading an image. The driver sends every command through one of these.
class ScsiTarget {
  public:
    virtual ~ScsiTarget() = default;
    virtual ScsiReply Execute(const ScsiRequest& request) = 0;
};

}  // namespace korvida
