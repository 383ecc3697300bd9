/* global.h - constants shared by every module of the engine control */
#ifndef GLOBAL_H
#define GLOBAL_H

// scanStart: global constants
#define PARAMETER_OFFSET_1024 0
#define MAX_CYL 0x0E
#define FLAG_BIT (1 << 4)
#define TWO_FLAGS FLAG_BIT + FLAG_BIT
#define WIDE_MASK 0xFFFF
#define CAST_VALUE (u16)100
#define HALF_STEP (int)0.5
#define SCALE_MILLI (long)1.5E3
#define VERSION_TEXT "V1.2"
#define LAST_CAN_NODE 0x7F
#define START_DELAY_MS 2058
#define LONG_SUM 1 + \
                 2

// the next lines are no #define and are passed over
int g_unused;
// scanEnd

#define NOT_SCANNED (1 & 2)
#endif
