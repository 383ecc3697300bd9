/* dataContainer.h - the symbols of the data container of the ZX-62 control software.
   The data-container builder reads the lines between the scan markers. */

#ifndef DATACONTAINER_H
#define DATACONTAINER_H

#include "global.h"
#include "library.h"

// scanStart: global constants
// versions of this software and of the data-container layout
#define APPL_VERSION 3
#define APPL_DEVELOPER_NO 1305
#define DAT_DC_VERSION 7
// loop counts of the layout tables: the number of symbols of each kind
#define NO_OF_PARAMETERS (64 + 24 + 3 * MAX_NO_OF_CYL + 12 + 6)
#define NO_OF_VARIABLES 60
#define NO_OF_ALARMS 40
#define NO_OF_PAR_GLB 64
#define NO_OF_PAR_ENG 24
#define NO_OF_PAR_CYL (3 * MAX_NO_OF_CYL)
#define NO_OF_PAR_LUB 12
#define NO_OF_PAR_IMO 6
// scanEnd

/* Parameters: the global ones first, numbered from PARA_FIRST_ENUM, which the builder
   moves to 1024 less PARAMETER_OFFSET_1024; then one group of each kind between its
   FIRST_ and LAST_ marker. A comment is the function-plan id, a semicolon and the
   text; "* n" marks an array of one element per cylinder. */
// scanStart: global parameters
typedef enum
{
   PARA_FIRST_ENUM,
   PAR_PLANT_TYPE = PARA_FIRST_ENUM,         // 1024; Plant type
   PAR_ENGINE_NO,                            // 1025; Engine number in plant
   PAR_TOT_NO_OF_CYL,                        // 1026; Total number of cylinders
   PAR_AUTO_DOWNLD_ACTIVATE,                 // 1027; Auto download on
   PAR_CAN_BAUD_MBUS,                        // 1028; M-Bus bit rate kbit/s
   PAR_CAN_BAUD_SBUS,                        // 1029; S-Bus bit rate kbit/s
   PAR_FIRING_ORDER,                         // 1030; Firing order variant
   PAR_RATED_SPEED,                          // 1031; Rated speed rpm
   PAR_RATED_POWER,                          // 1032; Rated power kW
   PAR_IDLE_SPEED,                           // 1033; Idle speed rpm
   PAR_OVERSPEED_LIMIT,                      // 1034; Overspeed limit rpm
   PAR_NOX_TIER,                             // 1035; NOx tier
   PAR_FUEL_MODE,                            // 1036; Fuel mode
   PAR_LANGUAGE,                             // 1037; Display language
   PAR_UNIT_SYSTEM,                          // 1038; Unit system
   PAR_MODBUS_SLAVE_ID,                      // 1039; Modbus slave id
   PAR_CRC_FIRST_APPLICATION,                // 1040; CRC of the application
   PAR_CRC_FIRST_BASIC,                      // 1041; CRC of group BASIC
   PAR_CRC_FIRST_USER,                       // 1042; CRC of group USER
   PAR_CRC_FIRST_ADJUST,                     // 1043; CRC of group ADJUST
   PAR_CRC_FIRST_IMO,                        // 1044; CRC of group IMO
   PAR_CRC_FIRST_GLOBAL,                     // 1045; CRC of group GLOBAL
   PAR_CRC_FIRST_COMMIS,                     // 1046; CRC of group COMMIS
   PAR_CRC_FIRST_LUB,                        // 1047; CRC of group LUB
   PAR_COMMIS_MODE,                          // 1048; Commissioning mode
   PAR_COMMIS_SIM_SPEED,                     // 1049; Simulated speed rpm
   PAR_COMMIS_TEST_CYL,                      // 1050; Test cylinder
   PAR_COMMIS_TEST_TIME,                     // 1051; Test time s
   PAR_MAINT_INTERVAL,                       // 1052; Maintenance interval h
   PAR_MAINT_WARN_HOURS,                     // 1053; Maintenance warning h
   PAR_ALARM_HORN_TIME,                      // 1054; Horn time s
   PAR_ALARM_RESET_MODE,                     // 1055; Alarm reset mode
   PAR_SWINFO_BUILD,                         // 1056; Software build
   PAR_SWINFO_DEVELOPER_NO,                  // 1057; Developer number
   PAR_SWINFO_SW_VERSION,                    // 1058; Software version
   PAR_SWINFO_BOOTLOADER_VERSION,            // 1059; Bootloader version x100
   PAR_TREND_PERIOD,                         // 1060; Trend period s
   PAR_DISPLAY_DIM,                          // 1061; Display dimming %
   PAR_TIME_ZONE,                            // 1062; Time zone offset min
   PAR_SERVICE_LEVEL,                        // 1063; Service access level
   PAR_SWINFO_HULL_NO_1,                     // 1064; Hull number 1-4
   PAR_SWINFO_HULL_NO_2,                     // 1065; Hull number 5-8
   PAR_SWINFO_HULL_NO_3,                     // 1066; Hull number 9-12
   PAR_SWINFO_HULL_NO_4,                     // 1067; Hull number 13-16
   PAR_SPEED_FILTER,                         // 1068; Speed filter ms
   PAR_LOAD_FILTER,                          // 1069; Load filter ms
   PAR_START_ATTEMPTS,                       // 1070; Start attempts
   PAR_START_AIR_MIN,                        // 1071; Start air minimum bar x10
   PAR_SWINFO_ENGINE_TYPE_1,                 // 1072; Engine type 1-4
   PAR_SWINFO_ENGINE_TYPE_2,                 // 1073; Engine type 5-8
   PAR_SWINFO_ENGINE_TYPE_3,                 // 1074; Engine type 9-12
   PAR_SWINFO_ENGINE_TYPE_4,                 // 1075; Engine type 13-16
   // 1076 to 1087: the long engine type of newer builds
   PAR_SWINFO_MANUFAC_NO_1 = PARA_FIRST_ENUM + 64, // 1088; Manufacturer number 1-4
   PAR_SWINFO_MANUFAC_NO_2,                  // 1089; Manufacturer number 5-8
   PAR_SWINFO_MANUFAC_NO_3,                  // 1090; Manufacturer number 9-12
   PAR_SWINFO_MANUFAC_NO_4,                  // 1091; Manufacturer number 13-16
   PAR_SWINFO_EPI_DB_NO_1,                   // 1092; EPI database number 1-4
   PAR_SWINFO_EPI_DB_NO_2,                   // 1093; EPI database number 5-8
   PAR_SWINFO_EPI_DB_NO_3,                   // 1094; EPI database number 9-12
   PAR_SWINFO_EPI_DB_NO_4,                   // 1095; EPI database number 13-16
   PAR_SWINFO_IMO_SW_NO_1,                   // 1096; IMO software number 1-4
   PAR_SWINFO_IMO_SW_NO_2,                   // 1097; IMO software number 5-8
   PAR_SWINFO_IMO_SW_NO_3,                   // 1098; IMO software number 9-12
   PAR_SWINFO_IMO_SW_NO_4,                   // 1099; IMO software number 13-16
   PARA_LAST_ENUM,
} parGlb_t;

// engine
typedef enum
{
   FIRST_ENG_PARAMETER = 1100,
   ENG_SPEED_GAIN_P,                         // 1101; Speed governor gain P
   ENG_SPEED_GAIN_I,                         // 1102; Speed governor gain I
   ENG_SPEED_GAIN_D,                         // 1103; Speed governor gain D
   ENG_LOAD_RAMP_UP,                         // 1104; Load ramp up %/s
   ENG_LOAD_RAMP_DOWN,                       // 1105; Load ramp down %/s
   ENG_STARTING_SPEED,                       // 1106; Starting speed rpm
   ENG_FIRING_SPEED,                         // 1107; Firing speed rpm
   ENG_STOP_DELAY,                           // 1108; Stop delay s
   ENG_COOLDOWN_TIME,                        // 1109; Cool-down time s
   ENG_PREHEAT_TEMP,                         // 1110; Preheating temperature C
   ENG_CHARGE_AIR_MAX,                       // 1111; Charge air maximum mbar
   ENG_EXH_TEMP_AVG_MAX,                     // 1112; Exhaust average maximum C
   ENG_EXH_TEMP_DEV_MAX,                     // 1113; Exhaust deviation maximum C
   ENG_LUB_PRESS_MIN,                        // 1114; Lube oil pressure minimum
   ENG_COOL_TEMP_MAX,                        // 1115; Cooling water maximum C
   ENG_FUEL_PRESS_MIN,                       // 1116; Fuel pressure minimum
   ENG_SLOWDOWN_SPEED,                       // 1117; Slow-down speed rpm
   ENG_SHUTDOWN_DELAY,                       // 1118; Shut-down delay s
   ENG_TURBO_SPEED_MAX,                      // 1119; Turbocharger maximum rpm
   ENG_CRANK_CASE_PRESS,                     // 1120; Crank case pressure maximum
   ENG_KNOCK_LIMIT,                          // 1121; Knock limit
   ENG_MISFIRE_LIMIT,                        // 1122; Misfire limit
   ENG_GOV_DROOP,                            // 1123; Governor droop %
   ENG_GOV_DEADBAND,                         // 1124; Governor dead band rpm
   LAST_ENG_PARAMETER,
} parEng_t;

// cylinders: one element per cylinder
typedef enum
{
   FIRST_CYL_PARAMETER = 1139,
   CYL_INJ_OFFSET_00,                        // 1140; Injection offset deg * n
   CYL_EXH_TEMP_MAX_00 = CYL_INJ_OFFSET_00 + MAX_NO_OF_CYL, // 1154; Exhaust temperature maximum * n
   CYL_PMAX_LIMIT_00 = CYL_EXH_TEMP_MAX_00 + MAX_NO_OF_CYL, // 1168; Peak pressure limit bar * n
   LAST_CYL_PARAMETER = CYL_PMAX_LIMIT_00 + MAX_NO_OF_CYL - 1,
} parCyl_t;

// cylinder lubrication
typedef enum
{
   FIRST_LUB_PARAMETER = 1199,
   LUB_FEED_RATE_BASE,                       // 1200; Feed rate base g/kWh x100
   LUB_FEED_RATE_LOAD,                       // 1201; Feed rate load factor
   LUB_FEED_RATE_MIN,                        // 1202; Feed rate minimum
   LUB_FEED_RATE_MAX,                        // 1203; Feed rate maximum
   LUB_PUMP_STROKES,                         // 1204; Pump strokes per cycle
   LUB_PUMP_TIMEOUT,                         // 1205; Pump time-out ms
   LUB_PRESS_MIN,                            // 1206; Lubricator pressure minimum
   LUB_PRESS_ALM_DELAY,                      // 1207; Pressure alarm delay s
   LUB_TEMP_MAX,                             // 1208; Lubricator temperature maximum
   LUB_TANK_LEVEL_MIN,                       // 1209; Tank level minimum %
   LUB_SULPHUR_FACTOR,                       // 1210; Sulphur factor x100
   LUB_BN_VALUE,                             // 1211; Base number
   LAST_LUB_PARAMETER,
} parLub_t;

// emission-relevant parameters (IMO)
typedef enum
{
   FIRST_IMO_PARAMETER = 1219,
   IMO_NOX_MODE,                             // 1220; NOx mode
   IMO_INJ_TIMING_LIMIT,                     // 1221; Injection timing limit deg
   IMO_PMAX_LIMIT,                           // 1222; Peak pressure limit bar
   IMO_SCAV_PRESS_MIN,                       // 1223; Scavenge pressure minimum
   IMO_EGR_RATE_MIN,                         // 1224; EGR rate minimum %
   IMO_TIER_SWITCH_SPEED,                    // 1225; Tier switch speed rpm
   LAST_IMO_PARAMETER,
} parImo_t;
// scanEnd

/* Variables from 2048; a module's copy of a variable is the id plus 4096 times the
   module number. */
// scanStart: global variables

// variables of every module
typedef enum
{
   FIRST_GLB_VARIABLE = 2047,
   GLB_ENGINE_SPEED,                         // 2048; Engine speed rpm
   GLB_ENGINE_LOAD,                          // 2049; Engine load %
   GLB_CHARGE_AIR_PRESS,                     // 2050; Charge air pressure mbar
   GLB_CHARGE_AIR_TEMP,                      // 2051; Charge air temperature C
   GLB_LUB_OIL_PRESS,                        // 2052; Lube oil pressure mbar
   GLB_LUB_OIL_TEMP,                         // 2053; Lube oil temperature C
   GLB_COOL_WATER_TEMP,                      // 2054; Cooling water temperature C
   GLB_FUEL_PRESS,                           // 2055; Fuel pressure mbar
   GLB_TURBO_SPEED,                          // 2056; Turbocharger speed rpm
   GLB_EXH_TEMP_AVG,                         // 2057; Exhaust average C
   GLB_START_AIR_PRESS,                      // 2058; Start air pressure mbar
   GLB_CRANK_CASE_PRESS,                     // 2059; Crank case pressure Pa
   GLB_RUNNING_HOURS,                        // 2060; Running hours
   GLB_STARTS_COUNT,                         // 2061; Number of starts
   GLB_FUEL_RACK,                            // 2062; Fuel rack position %
   GLB_GOV_SETPOINT,                         // 2063; Governor set point rpm
   GLB_ENG_STSTILL,                          // 2064; Engine at standstill
   GLB_ENG_RUNNING,                          // 2065; Engine running
   GLB_SLOWDOWN_ACTIVE,                      // 2066; Slow-down active
   GLB_SHUTDOWN_ACTIVE,                      // 2067; Shut-down active
   GLB_LUB_FEED_RATE,                        // 2068; Cylinder oil feed rate
   GLB_LUB_PUMP_STATE,                       // 2069; Lubricator pump state
   GLB_ALARM_COUNT,                          // 2070; Active alarms
   GLB_HORN_ACTIVE,                          // 2071; Horn on
   GLB_CAN_MODULE_STATE_RO = 2080,           // 2080; Module state
   GLB_CAN_MODULE_STATE_RW,                  // 2081; Module state request
   GLB_CAN_SW_UPDATE_STATE_RO,               // 2082; Software update state
   GLB_CAN_SW_UPDATE_FAILURE_RO,             // 2083; Software update failure
   GLB_CRC_VALUE_IMO = 2096,                 // 2096; CRC of the IMO part
   GLB_CRC_LEN_IMO,                          // 2097; Length of the IMO part
   GLB_CRC_VALUE_APPLICATION,                // 2098; CRC of the application
   GLB_CRC_LEN_APPLICATION,                  // 2099; Length of the application
   GLB_CYL_EXH_TEMP_00 = 2112,               // 2112; Exhaust temperature C * n
   GLB_CYL_PMAX_00 = GLB_CYL_EXH_TEMP_00 + MAX_NO_OF_CYL, // 2126; Peak pressure bar * n
   LAST_GLB_VARIABLE = GLB_CYL_PMAX_00 + MAX_NO_OF_CYL - 1,
} glbVar_t;
// scanEnd

/* Alarms; the function-plan id is the number of the alarm's text. */
// scanStart: alarms

// alarms of the engine
typedef enum
{
   FIRST_ALARM = 0,
   ALM_OVERSPEED,                            // 100001; Engine overspeed
   ALM_LUB_OIL_PRESS_LOW,                    // 100002; Lube oil pressure low
   ALM_LUB_OIL_TEMP_HIGH,                    // 100003; Lube oil temperature high
   ALM_COOL_WATER_TEMP_HIGH,                 // 100004; Cooling water temperature high
   ALM_FUEL_PRESS_LOW,                       // 100005; Fuel pressure low
   ALM_CHARGE_AIR_TEMP_HIGH,                 // 100006; Charge air temperature high
   ALM_CHARGE_AIR_PRESS_HIGH,                // 100007; Charge air pressure high
   ALM_TURBO_OVERSPEED,                      // 100008; Turbocharger overspeed
   ALM_EXH_TEMP_AVG_HIGH,                    // 100009; Exhaust average high
   ALM_START_AIR_PRESS_LOW,                  // 100010; Start air pressure low
   ALM_CRANK_CASE_PRESS_HIGH,                // 100011; Crank case pressure high
   ALM_SLOWDOWN,                             // 100012; Slow-down
   ALM_SHUTDOWN,                             // 100013; Shut-down
   ALM_LUB_PUMP_FAIL,                        // 100014; Lubricator pump failure
   ALM_LUB_FEED_RATE_LOW,                    // 100015; Cylinder oil feed rate low
   ALM_MODULE_STATE,                         // 100016; Module state not normal
   ALM_SW_UPDATE_FAILURE,                    // 100017; Software update failed
   ALM_ENGINE_LOAD_HIGH,                     // 100018; Engine load high
   ALM_FUEL_RACK_LIMIT,                      // 100019; Fuel rack out of range
   ALM_GOV_DEVIATION,                        // 100020; Governor deviation
   ALM_CYL_EXH_TEMP_HIGH_00,                 // 100021; Exhaust temperature high cyl 1
   ALM_CYL_EXH_TEMP_HIGH_01,                 // 100022; Exhaust temperature high cyl 2
   ALM_CYL_EXH_TEMP_HIGH_02,                 // 100023; Exhaust temperature high cyl 3
   ALM_CYL_EXH_TEMP_HIGH_03,                 // 100024; Exhaust temperature high cyl 4
   ALM_CYL_EXH_TEMP_HIGH_04,                 // 100025; Exhaust temperature high cyl 5
   ALM_CYL_EXH_TEMP_HIGH_05,                 // 100026; Exhaust temperature high cyl 6
   ALM_CYL_EXH_TEMP_HIGH_06,                 // 100027; Exhaust temperature high cyl 7
   ALM_CYL_EXH_TEMP_HIGH_07,                 // 100028; Exhaust temperature high cyl 8
   ALM_CYL_EXH_TEMP_HIGH_08,                 // 100029; Exhaust temperature high cyl 9
   ALM_CYL_EXH_TEMP_HIGH_09,                 // 100030; Exhaust temperature high cyl 10
   ALM_CYL_EXH_TEMP_HIGH_10,                 // 100031; Exhaust temperature high cyl 11
   ALM_CYL_EXH_TEMP_HIGH_11,                 // 100032; Exhaust temperature high cyl 12
   ALM_CYL_EXH_TEMP_HIGH_12,                 // 100033; Exhaust temperature high cyl 13
   ALM_CYL_EXH_TEMP_HIGH_13,                 // 100034; Exhaust temperature high cyl 14
   ALM_CYL_PMAX_DEV,                         // 100035; Peak pressure deviation
   ALM_RUNNING_HOURS,                        // 100036; Maintenance due
   ALM_HORN,                                 // 100037; Horn
   ALM_ALARM_OVERFLOW,                       // 100038; Too many alarms
   ALM_TURBO_SPEED_LOW,                      // 100039; Turbocharger speed low
   ALM_ENGINE_STSTILL_FAIL,                  // 100040; Standstill signal failure
   LAST_ALARM,
} alarm_t;
// scanEnd

#endif
