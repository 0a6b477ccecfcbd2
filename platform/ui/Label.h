// Label: a caption on a form; never takes the focus.
#pragma once

#include "platform/ui/Control.h"

namespace platform {

class Label : public Control {
  public:
    Label() = default;
};

}  // namespace platform
