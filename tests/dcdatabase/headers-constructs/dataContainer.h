/* dataContainer.h - the symbols of the data container.
   A comment is the function-plan id, a semicolon and the text; "* n" marks an array
   of one element per id up to the next member. */

#ifndef DATACONTAINER_H
#define DATACONTAINER_H

#include "global.h"
#include "library.h"

// scanStart: global constants
#define APPL_VERSION 4
#define APPL_DEVELOPER_NO 1420
#define DAT_DC_VERSION 7
// scanEnd

#ifdef SIMULATION
#define SIM_SPEED 750
#endif

// scanStart: global parameters
typedef enum
{
   PARA_FIRST_ENUM,
   PAR_PLANT_TYPE = PARA_FIRST_ENUM,      // 1.01; Plant type
   /* the speeds of the engine,
      in rpm */
   PAR_RATED_SPEED,                       // 1.02; Rated speed rpm
   PAR_IDLE_SPEED,                        /* 1.03; Idle speed rpm,
                                             below the rated speed */
   PAR_SPARE,
   PARA_LAST_ENUM
} parGlb_t;

typedef enum
{
   FIRST_ENG_PARAMETER = 1100,
   ENG_GAIN_P,                            // 2.01; Governor gain P
   ENG_GAIN_I /* 2.02; Governor gain I */ = ENG_GAIN_P + 4,
   ENG_RAMP,
   ENG_INVALID,                           // no parameter: ends the list
   LAST_ENG_PARAMETER
} parEng_t;

typedef enum
{
   FIRST_CYL_PARAMETER = 1200,
   CYL_OFFSET_00,                         // 3.01; Injection offset * n
   CYL_PMAX_00 = CYL_OFFSET_00 + MAX_CYL, // 3.02; Peak pressure * n
   LAST_CYL_PARAMETER = CYL_PMAX_00 + MAX_CYL - 1
} parCyl_t;
// scanEnd

// scanStart: global variables
typedef enum
{
   FIRST_GLB_VARIABLE = 2048,
   VAR_SPEED,                             // 140.1; Engine speed
   VAR_CYL_TEMP_00,                       // 141.2; t * n
   NUM_GLB_VARIABLE = VAR_CYL_TEMP_00 + 12,
   LAST_GLB_VARIABLE
} glbVar_t;

typedef enum
{
   FIRST_GLB_DBG_VARIABLE = 2100,
   /*
    * number of debug values: four
    */
   DBG_VALUE_N,                           // 150.1; Debug value * x
   DBG_INVALID = DBG_VALUE_N + 4,
   LAST_GLB_DBG_VARIABLE = DBG_INVALID
} dbgVar_t;
// scanEnd

// scanStart: alarms 
typedef enum
{
   FIRST_ALARM,
   ALM_OVERSPEED,                         // 100001; Engine overspeed
   /* 100002; Oil pressure low */ ALM_OIL_LOW,
   ALM_CYL_TEMP_HIGH,                     /* 100003; Cylinder temperature high,
                                             one alarm for all cylinders */
   LAST_ALARM
} alarm_t;
// scanEnd

#endif
