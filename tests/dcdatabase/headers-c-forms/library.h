/* library.h - delay instances and types of the function library */
#ifndef LIBRARY_H
#define LIBRARY_H

// scanStart: global on-off-delay
typedef enum
{
	ALM_DLY_500MS,
	ALM_DLY_1S, ALM_DLY_2S, ALM_DLY_5S, ALM_DLY_10S,
	ALM_DLY_30S,	// the longest
} almDelay_t;
// scanEnd

// scanStart: global types
enum parImo_tag {
	IMO_MODE_OFF = 500,
	IMO_MODE_TIER_II, IMO_MODE_TIER_III,
	NUM_IMO_MODES
};
// scanEnd

#endif
