/* library.h - delay instances and types of the function library */

// scanStart: global on-off-delay
typedef enum
{
   ALM_DLY_1S,
   ALM_DLY_5S,
   ALM_DLY_30S
} almDelay_t;
// scanEnd

// scanStart: global types
typedef enum
{
   MODE_INVALID = -1,
   NUM_MODES = 3
} mode_t;
// scanEnd
