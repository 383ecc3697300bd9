/* global.h - constants shared by every module of the engine control.
   Written as control software writes its headers: block comments over several lines,
   conditionals outside the scanned sections, markers with blanks around their text. */

#ifndef GLOBAL_H
#define GLOBAL_H

#if defined(SIMULATION)
#define TARGET_NAME "simulation"
#else
#define TARGET_NAME "module"
#endif

// scanStart: global constants 
#define PARAMETER_OFFSET_1024 0     /* the scan moves the parameters
                                       so that they begin at 1024 */
#define MAX_CYL 12
/*
 * #define MAX_CYL 16   the larger engines, not built
 */
#define NO_OF_TEMPS (MAX_CYL + 1)   // one a cylinder and the average
// scanEnd

#endif
