/* dataContainer.h - the symbols of the data container */

// scanStart: global constants
#define APPL_VERSION 3
#define APPL_DEVELOPER_NO 1412
#define DAT_DC_VERSION 9
#define NO_OF_CYL_PAR (2 * MAX_CYL)
// scanEnd

// scanStart: global parameters
typedef enum
{
   PARA_FIRST_ENUM,
   PAR_PLANT_TYPE = PARA_FIRST_ENUM, // 1.01; Plant type
   PAR_RATED_SPEED,                  // 1.02; Rated speed rpm
   // ?12; Service mode, told on the line before
   PAR_SERVICE_MODE,
   PAR_SPARE,                        // 1.04; Spare
   PARA_LAST_ENUM
} parGlb_t;

typedef enum
{
   FIRST_ENG_PARAMETER = 1100,
   ENG_GAIN_P,                       // 2.01; Governor gain P
   ENG_GAIN_I,                       // 0; the number reads 0: no fupId
   ENG_RAMP,                         /* 2.03; Load ramp */
   ENG_LIMIT = ENG_GAIN_P + 10,      // 2.04; Speed limit, set from a member
   ENG_SPLIT                         // 2.05; Written over two lines
      = 1120,
   ENG_NO_FUP,                       // a comment without semicolon
   LAST_ENG_PARAMETER,
} parEng_t;

typedef enum
{
   FIRST_CYL_PARAMETER = 1200,
   CYL_OFFSET_00,                    // 3.01; Injection offset * n
   CYL_PMAX_N = CYL_OFFSET_00 + 6,   // 3.02; Peak pressure * x
   LAST_CYL_PARAMETER = CYL_PMAX_N + 5
} parCyl_t;
// scanEnd

// scanStart: global variables
typedef enum
{
   FIRST_GLB_VARIABLE = 2047,
   GLB_SPEED,                        // 10.1; Engine speed
   GLB_SIG_N_RAW,                    // 10.2; Raw signal * n
   GLB_LOAD = GLB_SIG_N_RAW + 4,     // 10.3; Engine load
   GLB_P_00_LIM = 2056,              // 10.4; Pressure limit * n
   GLB_TEMP = 2064,                  // 10.5; Temperature * n
   LAST_GLB_VARIABLE = GLB_TEMP + 2
} glbVar_t;

typedef enum
{
   FIRST_GLB_DBG_VARIABLE = 2200,
   DBG_COUNTER,                      // 11.1; Debug counter
   LAST_GLB_DBG_VARIABLE
} dbgVar_t;
// scanEnd

// scanStart: alarms
typedef enum
{
   FIRST_ALARM,
   ALM_OVERSPEED,                    // 100001; Engine overspeed
   ALM_OIL_LOW,                      // 100002; Oil pressure low
   ALM_CYL_TEMP,                     // 100003; Cylinder temperature * n
   LAST_ALARM,
} alarm_t;
// scanEnd
