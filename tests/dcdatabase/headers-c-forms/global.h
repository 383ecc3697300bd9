/* global.h - constants of the engine control, indented with tabs as its editor leaves
   them; some lines end in CR LF. */
#ifndef GLOBAL_H
#define GLOBAL_H

// scanStart: global constants
#define	PARAMETER_OFFSET_1024	0
#define	MAX_NO_OF_CYL		14u
#define NO_OF_CYL_BANK_A	((MAX_NO_OF_CYL + 1) / 2)	/* bank A has the odd cylinder */
#define CAN_MODULE_MASK_ALL 0xFFFF
#define	CAN_NODE_MASK		0x7FU
#define MODULE_ID_STEP		(1UL << 12)
#define LIST_LENGTH 1 + 2	/* a sum: C puts its text where it is named */
#define LIST_BYTES (LIST_LENGTH * 4)
#define OCTAL_MODE 0755
#define LETTER_A 'A'
#define WORD_MASK ((u16)~0)
#define NODE_OF_MODULE_3 ((3 * MODULE_ID_STEP | 3) & CAN_NODE_MASK)
#define LONG_EXPRESSION (MAX_NO_OF_CYL * 2 \
                         - 1)
#  define SIGNED_HALF (-7 / 2)
// scanEnd

#endif
