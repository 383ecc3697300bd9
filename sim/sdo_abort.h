#pragma once

#include "platform/can/sdo_abort.h"

namespace pxu::sim {

// The modules answer with the standard abort codes; None means "no abort".
using SdoAbort = can::SdoAbort;

} // namespace pxu::sim
