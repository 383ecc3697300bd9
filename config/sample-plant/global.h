/* global.h - constants shared by every module of the ZX-62 control software. */

#ifndef GLOBAL_H
#define GLOBAL_H

// scanStart: global constants
#define PARAMETER_OFFSET_1024 0
#define MAX_NO_OF_CYL 14
#define MAX_NO_OF_MODULES (MAX_NO_OF_CYL + 1)
#define CAN_NODE_MASK 0x7F
#define MODULE_ID_STEP (1 << 12)
// scanEnd

#endif
