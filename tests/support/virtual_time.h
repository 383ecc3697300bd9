#pragma once

#include "platform/clock/virtual_clock.h"

namespace pxu::test {

// Installs a VirtualClock as the program's clock for its lifetime.
class VirtualTime : public VirtualClock {
public:
    VirtualTime() { setClock(this); }
    ~VirtualTime() override { setClock(nullptr); }
};

} // namespace pxu::test
