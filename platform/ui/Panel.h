// Panel: a container grouping controls; its enter and exit events fire as the focus moves
// into and out of it.
#pragma once

#include "platform/ui/Control.h"

namespace platform {

class Panel : public WinControl {
  public:
    Panel() = default;
};

}  // namespace platform
