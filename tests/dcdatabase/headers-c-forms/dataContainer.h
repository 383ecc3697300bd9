/* dataContainer.h - the symbols of the data container. A comment is the function-plan
   id, a semicolon and the text; "* n" marks an array of one element per id up to the next
   member. */
#ifndef DATACONTAINER_H
#define DATACONTAINER_H

#include "global.h"
#include "library.h"

// scanStart: global constants
#define APPL_VERSION	3
#define APPL_DEVELOPER_NO	1305
#define DAT_DC_VERSION	7
// scanEnd

// scanStart: global parameters
typedef enum
{	
	PARA_FIRST_ENUM,
	PAR_PLANT_TYPE = PARA_FIRST_ENUM,	// 1024; Plant type
	PAR_ENGINE_NO,				// 1025; Engine number
	PARA_LAST_ENUM
} parGlb_t;

typedef enum {	FIRST_ENG_PARAMETER = 1100,
	ENG_SPEED_GAIN_P,		// 1101; Speed gain P
	ENG_SPEED_GAIN_I /* 1102; Speed gain I */ ,
	ENG_LIMIT
		= ENG_SPEED_GAIN_P
		+ 10,			// 1103; Limit, over three lines
	LAST_ENG_PARAMETER } parEng_t;

typedef enum
{
	FIRST_CYL_PARAMETER = 1200,
	CYL_BANK_A_OFFSET_00,			// 3.01; Offset of bank A * n
	CYL_BANK_B_OFFSET_00 = CYL_BANK_A_OFFSET_00 + NO_OF_CYL_BANK_A,	// 3.02; Offset of bank B * n
	LAST_CYL_PARAMETER = CYL_BANK_B_OFFSET_00 + NO_OF_CYL_BANK_A - 1
} parCyl_t;
// scanEnd

// scanStart: global variables
enum glbVar_tag { FIRST_GLB_VARIABLE = 2048, VAR_SPEED /* 140.1; Engine speed */, VAR_LOAD, // 140.2; Load
	VAR_MASKED = 2060 | (CAN_MODULE_MASK_ALL & 0x3), VAR_FLAGS = 2100 + (MODULE_ID_STEP >> 10),
	LAST_GLB_VARIABLE };
// scanEnd

// scanStart: alarms
typedef enum
{
	FIRST_ALARM,
	ALM_OVERSPEED,	// 100001; Engine overspeed
	ALM_OIL_LOW = ALM_OVERSPEED + (ALM_DLY_10S - ALM_DLY_5S),	// 100002; Oil pressure low
	LAST_ALARM
} alarm_t;
// scanEnd

#endif
