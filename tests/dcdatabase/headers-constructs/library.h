/* library.h - delay instances and types of the function library */

#ifndef LIBRARY_H
#define LIBRARY_H

// scanStart:  global on-off-delay
typedef enum
{
   ALM_DLY_NONE,
   ALM_DLY_1S,                            /* 1 s */
   ALM_DLY_5S,                            /* 5 s,
                                             the usual delay */
   ALM_DLY_30S
} almDelay_t;
// scanEnd

// scanStart: global types
typedef enum
{
   STATE_INVALID = -1,
   STATE_OFF = 500,                       /* outside every group */
   STATE_ON,
   STATE_AUTO,
   NUM_STATES = 3
} state_t;
// scanEnd

#endif
