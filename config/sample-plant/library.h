/* library.h - function blocks of the control library used by the ZX-62 software. */

#ifndef LIBRARY_H
#define LIBRARY_H

// scanStart: global constants
#define LIB_VERSION 12
#define NO_OF_DELAY_INST 8
// scanEnd

/* On/off delay instances of the alarms, referred to by onOffDelayId. */
// scanStart: global on-off-delay
typedef enum
{
   ALM_DLY_500MS,
   ALM_DLY_1S,
   ALM_DLY_2S,
   ALM_DLY_5S,
   ALM_DLY_10S,
   ALM_DLY_30S,
   ALM_DLY_60S,
   ALM_DLY_120S,
} almDelay_t;
// scanEnd

#endif
