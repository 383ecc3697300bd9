-- The sample plant's data-container database, version 001, as an older program left it:
-- schema "0.0.0" (no version ledger yet), the old plant information table and the old
-- columns, so that the builder brings it to the current schema when it first opens it.
-- All data is made up. Text columns compare case-insensitively, as the original engine did.
-- Every statement ends with ";" at the end of a line.

-------------------------------------------------------------------------------------
-- Tables
-------------------------------------------------------------------------------------

CREATE TABLE sourceScan (
  "name"       VARCHAR(255) COLLATE NOCASE,
  "id"         INTEGER,
  "class"      VARCHAR(50) COLLATE NOCASE DEFAULT '?',
  "fupId"      VARCHAR(50) COLLATE NOCASE,
  "comment"    VARCHAR(50) COLLATE NOCASE,
  "varGroup"   VARCHAR(50) COLLATE NOCASE,
  "sourceLine" INTEGER,
  "upDate"     INTEGER DEFAULT 0,
  "module"     VARCHAR(50) COLLATE NOCASE,
  "index"      INTEGER,
  "oldId"      INTEGER
);

CREATE TABLE dcEnums (
  "name"             VARCHAR(255) COLLATE NOCASE,
  "id"               INTEGER,
  "class"            VARCHAR(50) COLLATE NOCASE,
  "fupId"            VARCHAR(50) COLLATE NOCASE,
  "comment"          VARCHAR(50) COLLATE NOCASE,
  "varGroup"         VARCHAR(50) COLLATE NOCASE,
  "upDate"           INTEGER DEFAULT 0,
  "crcGroup"         INTEGER,
  "value"            INTEGER,
  "onlineValue"      INTEGER,
  "minValue"         INTEGER,
  "maxValue"         INTEGER,
  "writeAccessLevel" INTEGER,
  "readAccessLevel"  INTEGER,
  "modbusAddr"       INTEGER,
  "modbusScale"      REAL,
  "producerMask"     INTEGER,
  "syncCmd"          INTEGER,
  "deadBand"         INTEGER,
  "module"           VARCHAR(50) COLLATE NOCASE,
  "index"            INTEGER,
  "oldId"            INTEGER,
  "group"            VARCHAR(50) COLLATE NOCASE,
  "oldConstant"      VARCHAR(50) COLLATE NOCASE
);

CREATE TABLE alarmEnums (
  "name"              VARCHAR(255) COLLATE NOCASE,
  "id"                INTEGER,
  "class"             VARCHAR(50) COLLATE NOCASE,
  "fupId"             VARCHAR(50) COLLATE NOCASE,
  "comment"           VARCHAR(50) COLLATE NOCASE,
  "varGroup"          VARCHAR(50) COLLATE NOCASE,
  "upDate"            INTEGER DEFAULT 0,
  "producerMask"      INTEGER,
  "minValue"          INTEGER,
  "maxValue"          INTEGER,
  "hysteresis"        INTEGER,
  "criterion"         INTEGER,
  "inhibit"           INTEGER,
  "modbusAddr"        INTEGER,
  "signalIndex"       INTEGER,
  "onDelayIndex"      INTEGER,
  "offDelayIndex"     INTEGER,
  "onOffDelayId"      INTEGER,
  "signalIndexName"   VARCHAR(255) COLLATE NOCASE,
  "onDelayIndexName"  VARCHAR(255) COLLATE NOCASE,
  "offDelayIndexName" VARCHAR(255) COLLATE NOCASE,
  "onOffDelayIdName"  VARCHAR(255) COLLATE NOCASE,
  "type"              INTEGER,
  "groupX"            INTEGER,
  "scanInternal"      INTEGER,
  "oldId"             INTEGER,
  "module"            VARCHAR(50) COLLATE NOCASE,
  "index"             INTEGER
);

-- Layout tables: one row per step of the image (dc part, then alarm part).
CREATE TABLE dcBinFile (
  "step"      INTEGER,
  "class"     VARCHAR(50) COLLATE NOCASE,
  "varGroup"  VARCHAR(50) COLLATE NOCASE,
  "content"   VARCHAR(50) COLLATE NOCASE,
  "value"     VARCHAR(50) COLLATE NOCASE,
  "noOfBytes" INTEGER,
  "loops"     VARCHAR(50) COLLATE NOCASE,
  "goto"      INTEGER
);

CREATE TABLE alarmBinFile (
  "step"      INTEGER,
  "class"     VARCHAR(50) COLLATE NOCASE,
  "varGroup"  VARCHAR(50) COLLATE NOCASE,
  "content"   VARCHAR(50) COLLATE NOCASE,
  "value"     VARCHAR(50) COLLATE NOCASE,
  "noOfBytes" INTEGER,
  "loops"     VARCHAR(50) COLLATE NOCASE,
  "goto"      INTEGER
);

CREATE TABLE plantInfo (
  "EngineType"  VARCHAR(32) COLLATE NOCASE,
  "ManufacNo"   VARCHAR(16) COLLATE NOCASE,
  "HullNo"      VARCHAR(16) COLLATE NOCASE,
  "EpiDbNo"     VARCHAR(16) COLLATE NOCASE,
  "SwVersion"   INTEGER,
  "Build"       INTEGER,
  "DeveloperNo" INTEGER,
  "Bootloader"  INTEGER,
  "ImoSwNo"     VARCHAR(16) COLLATE NOCASE
);

CREATE INDEX sourceScanName ON sourceScan ("name");
CREATE INDEX dcEnumsName ON dcEnums ("name");
CREATE INDEX dcEnumsId ON dcEnums ("id");
CREATE INDEX alarmEnumsId ON alarmEnums ("id");

-------------------------------------------------------------------------------------
-- Plant information. The hull number is the project name, which the reconstruction
-- of an uploaded image checks.
-------------------------------------------------------------------------------------

INSERT INTO plantInfo VALUES
  ('ZX-62 DF MK2/6C', 'M-40417', 'DORN Update Tool', 'EPI-0815', 3, 41, 1305, 312, 'IMO-7.2.1');

-------------------------------------------------------------------------------------
-- sourceScan: the symbols of the last header scan. Constants of dataContainer.h
-- (line numbers as they are), parameters, variables and alarms between their FIRST_ and
-- LAST_ markers, the on/off delay instances. Arrays (comment "* n") are expanded.
-------------------------------------------------------------------------------------

-- Group markers.
INSERT INTO sourceScan ("name", "id", "class", "sourceLine") VALUES
  ('FIRST_ENG_PARAMETER', 1100, 'INSTRUCTION', 160),
  ('LAST_ENG_PARAMETER', 1125, 'INSTRUCTION', 185),
  ('FIRST_CYL_PARAMETER', 1139, 'INSTRUCTION', 190),
  ('LAST_CYL_PARAMETER', 1181, 'INSTRUCTION', 194),
  ('FIRST_LUB_PARAMETER', 1199, 'INSTRUCTION', 200),
  ('LAST_LUB_PARAMETER', 1212, 'INSTRUCTION', 213),
  ('FIRST_IMO_PARAMETER', 1219, 'INSTRUCTION', 220),
  ('LAST_IMO_PARAMETER', 1226, 'INSTRUCTION', 227),
  ('FIRST_GLB_VARIABLE', 2047, 'INSTRUCTION', 240),
  ('LAST_GLB_VARIABLE', 2139, 'INSTRUCTION', 275),
  ('FIRST_ALARM', 0, 'INSTRUCTION', 290),
  ('LAST_ALARM', 41, 'INSTRUCTION', 331);

-- Parameters of the group GLB (named PAR_...).
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('PAR_PLANT_TYPE', 1024, 'PARAMETER', 'GLB', 'P1024', 'Plant type', 60),
  ('PAR_ENGINE_NO', 1025, 'PARAMETER', 'GLB', 'P1025', 'Engine number in plant', 61),
  ('PAR_TOT_NO_OF_CYL', 1026, 'PARAMETER', 'GLB', 'P1026', 'Total number of cylinders', 62),
  ('PAR_AUTO_DOWNLD_ACTIVATE', 1027, 'PARAMETER', 'GLB', 'P1027', 'Auto download on', 63),
  ('PAR_CAN_BAUD_MBUS', 1028, 'PARAMETER', 'GLB', 'P1028', 'M-Bus bit rate kbit/s', 64),
  ('PAR_CAN_BAUD_SBUS', 1029, 'PARAMETER', 'GLB', 'P1029', 'S-Bus bit rate kbit/s', 65),
  ('PAR_FIRING_ORDER', 1030, 'PARAMETER', 'GLB', 'P1030', 'Firing order variant', 66),
  ('PAR_RATED_SPEED', 1031, 'PARAMETER', 'GLB', 'P1031', 'Rated speed rpm', 67),
  ('PAR_RATED_POWER', 1032, 'PARAMETER', 'GLB', 'P1032', 'Rated power kW', 68),
  ('PAR_IDLE_SPEED', 1033, 'PARAMETER', 'GLB', 'P1033', 'Idle speed rpm', 69),
  ('PAR_OVERSPEED_LIMIT', 1034, 'PARAMETER', 'GLB', 'P1034', 'Overspeed limit rpm', 70),
  ('PAR_NOX_TIER', 1035, 'PARAMETER', 'GLB', 'P1035', 'NOx tier', 71),
  ('PAR_FUEL_MODE', 1036, 'PARAMETER', 'GLB', 'P1036', 'Fuel mode', 72),
  ('PAR_LANGUAGE', 1037, 'PARAMETER', 'GLB', 'P1037', 'Display language', 73),
  ('PAR_UNIT_SYSTEM', 1038, 'PARAMETER', 'GLB', 'P1038', 'Unit system', 74),
  ('PAR_MODBUS_SLAVE_ID', 1039, 'PARAMETER', 'GLB', 'P1039', 'Modbus slave id', 75),
  ('PAR_CRC_FIRST_APPLICATION', 1040, 'PARAMETER', 'GLB', 'P1040', 'CRC of the application', 76),
  ('PAR_CRC_FIRST_BASIC', 1041, 'PARAMETER', 'GLB', 'P1041', 'CRC of group BASIC', 77),
  ('PAR_CRC_FIRST_USER', 1042, 'PARAMETER', 'GLB', 'P1042', 'CRC of group USER', 78),
  ('PAR_CRC_FIRST_ADJUST', 1043, 'PARAMETER', 'GLB', 'P1043', 'CRC of group ADJUST', 79),
  ('PAR_CRC_FIRST_IMO', 1044, 'PARAMETER', 'GLB', 'P1044', 'CRC of group IMO', 80),
  ('PAR_CRC_FIRST_GLOBAL', 1045, 'PARAMETER', 'GLB', 'P1045', 'CRC of group GLOBAL', 81),
  ('PAR_CRC_FIRST_COMMIS', 1046, 'PARAMETER', 'GLB', 'P1046', 'CRC of group COMMIS', 82),
  ('PAR_CRC_FIRST_LUB', 1047, 'PARAMETER', 'GLB', 'P1047', 'CRC of group LUB', 83),
  ('PAR_COMMIS_MODE', 1048, 'PARAMETER', 'GLB', 'P1048', 'Commissioning mode', 84),
  ('PAR_COMMIS_SIM_SPEED', 1049, 'PARAMETER', 'GLB', 'P1049', 'Simulated speed rpm', 85),
  ('PAR_COMMIS_TEST_CYL', 1050, 'PARAMETER', 'GLB', 'P1050', 'Test cylinder', 86),
  ('PAR_COMMIS_TEST_TIME', 1051, 'PARAMETER', 'GLB', 'P1051', 'Test time s', 87),
  ('PAR_MAINT_INTERVAL', 1052, 'PARAMETER', 'GLB', 'P1052', 'Maintenance interval h', 88),
  ('PAR_MAINT_WARN_HOURS', 1053, 'PARAMETER', 'GLB', 'P1053', 'Maintenance warning h', 89),
  ('PAR_ALARM_HORN_TIME', 1054, 'PARAMETER', 'GLB', 'P1054', 'Horn time s', 90),
  ('PAR_ALARM_RESET_MODE', 1055, 'PARAMETER', 'GLB', 'P1055', 'Alarm reset mode', 91),
  ('PAR_SWINFO_BUILD', 1056, 'PARAMETER', 'GLB', 'P1056', 'Software build', 92),
  ('PAR_SWINFO_DEVELOPER_NO', 1057, 'PARAMETER', 'GLB', 'P1057', 'Developer number', 93),
  ('PAR_SWINFO_SW_VERSION', 1058, 'PARAMETER', 'GLB', 'P1058', 'Software version', 94),
  ('PAR_SWINFO_BOOTLOADER_VERSION', 1059, 'PARAMETER', 'GLB', 'P1059', 'Bootloader version x100', 95),
  ('PAR_TREND_PERIOD', 1060, 'PARAMETER', 'GLB', 'P1060', 'Trend period s', 96),
  ('PAR_DISPLAY_DIM', 1061, 'PARAMETER', 'GLB', 'P1061', 'Display dimming %', 97),
  ('PAR_TIME_ZONE', 1062, 'PARAMETER', 'GLB', 'P1062', 'Time zone offset min', 98),
  ('PAR_SERVICE_LEVEL', 1063, 'PARAMETER', 'GLB', 'P1063', 'Service access level', 99),
  ('PAR_SWINFO_HULL_NO_1', 1064, 'PARAMETER', 'GLB', 'P1064', 'Hull number 1-4', 100),
  ('PAR_SWINFO_HULL_NO_2', 1065, 'PARAMETER', 'GLB', 'P1065', 'Hull number 5-8', 101),
  ('PAR_SWINFO_HULL_NO_3', 1066, 'PARAMETER', 'GLB', 'P1066', 'Hull number 9-12', 102),
  ('PAR_SWINFO_HULL_NO_4', 1067, 'PARAMETER', 'GLB', 'P1067', 'Hull number 13-16', 103),
  ('PAR_SPEED_FILTER', 1068, 'PARAMETER', 'GLB', 'P1068', 'Speed filter ms', 104),
  ('PAR_LOAD_FILTER', 1069, 'PARAMETER', 'GLB', 'P1069', 'Load filter ms', 105),
  ('PAR_START_ATTEMPTS', 1070, 'PARAMETER', 'GLB', 'P1070', 'Start attempts', 106),
  ('PAR_START_AIR_MIN', 1071, 'PARAMETER', 'GLB', 'P1071', 'Start air minimum bar x10', 107),
  ('PAR_SWINFO_ENGINE_TYPE_1', 1072, 'PARAMETER', 'GLB', 'P1072', 'Engine type 1-4', 108),
  ('PAR_SWINFO_ENGINE_TYPE_2', 1073, 'PARAMETER', 'GLB', 'P1073', 'Engine type 5-8', 109),
  ('PAR_SWINFO_ENGINE_TYPE_3', 1074, 'PARAMETER', 'GLB', 'P1074', 'Engine type 9-12', 110),
  ('PAR_SWINFO_ENGINE_TYPE_4', 1075, 'PARAMETER', 'GLB', 'P1075', 'Engine type 13-16', 111),
  ('PAR_SWINFO_MANUFAC_NO_1', 1088, 'PARAMETER', 'GLB', 'P1088', 'Manufacturer number 1-4', 124),
  ('PAR_SWINFO_MANUFAC_NO_2', 1089, 'PARAMETER', 'GLB', 'P1089', 'Manufacturer number 5-8', 125),
  ('PAR_SWINFO_MANUFAC_NO_3', 1090, 'PARAMETER', 'GLB', 'P1090', 'Manufacturer number 9-12', 126),
  ('PAR_SWINFO_MANUFAC_NO_4', 1091, 'PARAMETER', 'GLB', 'P1091', 'Manufacturer number 13-16', 127),
  ('PAR_SWINFO_EPI_DB_NO_1', 1092, 'PARAMETER', 'GLB', 'P1092', 'EPI database number 1-4', 128),
  ('PAR_SWINFO_EPI_DB_NO_2', 1093, 'PARAMETER', 'GLB', 'P1093', 'EPI database number 5-8', 129),
  ('PAR_SWINFO_EPI_DB_NO_3', 1094, 'PARAMETER', 'GLB', 'P1094', 'EPI database number 9-12', 130),
  ('PAR_SWINFO_EPI_DB_NO_4', 1095, 'PARAMETER', 'GLB', 'P1095', 'EPI database number 13-16', 131),
  ('PAR_SWINFO_IMO_SW_NO_1', 1096, 'PARAMETER', 'GLB', 'P1096', 'IMO software number 1-4', 132),
  ('PAR_SWINFO_IMO_SW_NO_2', 1097, 'PARAMETER', 'GLB', 'P1097', 'IMO software number 5-8', 133),
  ('PAR_SWINFO_IMO_SW_NO_3', 1098, 'PARAMETER', 'GLB', 'P1098', 'IMO software number 9-12', 134),
  ('PAR_SWINFO_IMO_SW_NO_4', 1099, 'PARAMETER', 'GLB', 'P1099', 'IMO software number 13-16', 135);

-- Engine parameters, group ENG.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('ENG_SPEED_GAIN_P', 1101, 'PARAMETER', 'ENG', 'E1101', 'Speed governor gain P', 161),
  ('ENG_SPEED_GAIN_I', 1102, 'PARAMETER', 'ENG', 'E1102', 'Speed governor gain I', 162),
  ('ENG_SPEED_GAIN_D', 1103, 'PARAMETER', 'ENG', 'E1103', 'Speed governor gain D', 163),
  ('ENG_LOAD_RAMP_UP', 1104, 'PARAMETER', 'ENG', 'E1104', 'Load ramp up %/s', 164),
  ('ENG_LOAD_RAMP_DOWN', 1105, 'PARAMETER', 'ENG', 'E1105', 'Load ramp down %/s', 165),
  ('ENG_STARTING_SPEED', 1106, 'PARAMETER', 'ENG', 'E1106', 'Starting speed rpm', 166),
  ('ENG_FIRING_SPEED', 1107, 'PARAMETER', 'ENG', 'E1107', 'Firing speed rpm', 167),
  ('ENG_STOP_DELAY', 1108, 'PARAMETER', 'ENG', 'E1108', 'Stop delay s', 168),
  ('ENG_COOLDOWN_TIME', 1109, 'PARAMETER', 'ENG', 'E1109', 'Cool-down time s', 169),
  ('ENG_PREHEAT_TEMP', 1110, 'PARAMETER', 'ENG', 'E1110', 'Preheating temperature C', 170),
  ('ENG_CHARGE_AIR_MAX', 1111, 'PARAMETER', 'ENG', 'E1111', 'Charge air maximum mbar', 171),
  ('ENG_EXH_TEMP_AVG_MAX', 1112, 'PARAMETER', 'ENG', 'E1112', 'Exhaust average maximum C', 172),
  ('ENG_EXH_TEMP_DEV_MAX', 1113, 'PARAMETER', 'ENG', 'E1113', 'Exhaust deviation maximum C', 173),
  ('ENG_LUB_PRESS_MIN', 1114, 'PARAMETER', 'ENG', 'E1114', 'Lube oil pressure minimum', 174),
  ('ENG_COOL_TEMP_MAX', 1115, 'PARAMETER', 'ENG', 'E1115', 'Cooling water maximum C', 175),
  ('ENG_FUEL_PRESS_MIN', 1116, 'PARAMETER', 'ENG', 'E1116', 'Fuel pressure minimum', 176),
  ('ENG_SLOWDOWN_SPEED', 1117, 'PARAMETER', 'ENG', 'E1117', 'Slow-down speed rpm', 177),
  ('ENG_SHUTDOWN_DELAY', 1118, 'PARAMETER', 'ENG', 'E1118', 'Shut-down delay s', 178),
  ('ENG_TURBO_SPEED_MAX', 1119, 'PARAMETER', 'ENG', 'E1119', 'Turbocharger maximum rpm', 179),
  ('ENG_CRANK_CASE_PRESS', 1120, 'PARAMETER', 'ENG', 'E1120', 'Crank case pressure maximum', 180),
  ('ENG_KNOCK_LIMIT', 1121, 'PARAMETER', 'ENG', 'E1121', 'Knock limit', 181),
  ('ENG_MISFIRE_LIMIT', 1122, 'PARAMETER', 'ENG', 'E1122', 'Misfire limit', 182),
  ('ENG_GOV_DROOP', 1123, 'PARAMETER', 'ENG', 'E1123', 'Governor droop %', 183),
  ('ENG_GOV_DEADBAND', 1124, 'PARAMETER', 'ENG', 'E1124', 'Governor dead band rpm', 184);

-- Cylinder parameters, group CYL: three arrays of 14 (one element per cylinder).
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine")
  WITH RECURSIVE cyl(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM cyl WHERE i < 13),
  arrays(base, first, fup, text, line) AS (VALUES
    ('CYL_INJ_OFFSET', 1140, 'C1140', 'Injection offset deg * n', 191),
    ('CYL_EXH_TEMP_MAX', 1154, 'C1154', 'Exhaust temperature maximum * n', 192),
    ('CYL_PMAX_LIMIT', 1168, 'C1168', 'Peak pressure limit bar * n', 193))
  SELECT base || printf('_%02d', i), first + i, 'PARAMETER', 'CYL', fup, text, line
  FROM arrays, cyl;

-- Lubrication parameters, group LUB.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('LUB_FEED_RATE_BASE', 1200, 'PARAMETER', 'LUB', 'L1200', 'Feed rate base g/kWh x100', 201),
  ('LUB_FEED_RATE_LOAD', 1201, 'PARAMETER', 'LUB', 'L1201', 'Feed rate load factor', 202),
  ('LUB_FEED_RATE_MIN', 1202, 'PARAMETER', 'LUB', 'L1202', 'Feed rate minimum', 203),
  ('LUB_FEED_RATE_MAX', 1203, 'PARAMETER', 'LUB', 'L1203', 'Feed rate maximum', 204),
  ('LUB_PUMP_STROKES', 1204, 'PARAMETER', 'LUB', 'L1204', 'Pump strokes per cycle', 205),
  ('LUB_PUMP_TIMEOUT', 1205, 'PARAMETER', 'LUB', 'L1205', 'Pump time-out ms', 206),
  ('LUB_PRESS_MIN', 1206, 'PARAMETER', 'LUB', 'L1206', 'Lubricator pressure minimum', 207),
  ('LUB_PRESS_ALM_DELAY', 1207, 'PARAMETER', 'LUB', 'L1207', 'Pressure alarm delay s', 208),
  ('LUB_TEMP_MAX', 1208, 'PARAMETER', 'LUB', 'L1208', 'Lubricator temperature maximum', 209),
  ('LUB_TANK_LEVEL_MIN', 1209, 'PARAMETER', 'LUB', 'L1209', 'Tank level minimum %', 210),
  ('LUB_SULPHUR_FACTOR', 1210, 'PARAMETER', 'LUB', 'L1210', 'Sulphur factor x100', 211),
  ('LUB_BN_VALUE', 1211, 'PARAMETER', 'LUB', 'L1211', 'Base number', 212);

-- IMO parameters, group IMO.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('IMO_NOX_MODE', 1220, 'PARAMETER', 'IMO', 'I1220', 'NOx mode', 221),
  ('IMO_INJ_TIMING_LIMIT', 1221, 'PARAMETER', 'IMO', 'I1221', 'Injection timing limit deg', 222),
  ('IMO_PMAX_LIMIT', 1222, 'PARAMETER', 'IMO', 'I1222', 'Peak pressure limit bar', 223),
  ('IMO_SCAV_PRESS_MIN', 1223, 'PARAMETER', 'IMO', 'I1223', 'Scavenge pressure minimum', 224),
  ('IMO_EGR_RATE_MIN', 1224, 'PARAMETER', 'IMO', 'I1224', 'EGR rate minimum %', 225),
  ('IMO_TIER_SWITCH_SPEED', 1225, 'PARAMETER', 'IMO', 'I1225', 'Tier switch speed rpm', 226);

-- Variables, group GLB.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('GLB_ENGINE_SPEED', 2048, 'VARIABLE', 'GLB', 'V2048', 'Engine speed rpm', 241),
  ('GLB_ENGINE_LOAD', 2049, 'VARIABLE', 'GLB', 'V2049', 'Engine load %', 242),
  ('GLB_CHARGE_AIR_PRESS', 2050, 'VARIABLE', 'GLB', 'V2050', 'Charge air pressure mbar', 243),
  ('GLB_CHARGE_AIR_TEMP', 2051, 'VARIABLE', 'GLB', 'V2051', 'Charge air temperature C', 244),
  ('GLB_LUB_OIL_PRESS', 2052, 'VARIABLE', 'GLB', 'V2052', 'Lube oil pressure mbar', 245),
  ('GLB_LUB_OIL_TEMP', 2053, 'VARIABLE', 'GLB', 'V2053', 'Lube oil temperature C', 246),
  ('GLB_COOL_WATER_TEMP', 2054, 'VARIABLE', 'GLB', 'V2054', 'Cooling water temperature C', 247),
  ('GLB_FUEL_PRESS', 2055, 'VARIABLE', 'GLB', 'V2055', 'Fuel pressure mbar', 248),
  ('GLB_TURBO_SPEED', 2056, 'VARIABLE', 'GLB', 'V2056', 'Turbocharger speed rpm', 249),
  ('GLB_EXH_TEMP_AVG', 2057, 'VARIABLE', 'GLB', 'V2057', 'Exhaust average C', 250),
  ('GLB_START_AIR_PRESS', 2058, 'VARIABLE', 'GLB', 'V2058', 'Start air pressure mbar', 251),
  ('GLB_CRANK_CASE_PRESS', 2059, 'VARIABLE', 'GLB', 'V2059', 'Crank case pressure Pa', 252),
  ('GLB_RUNNING_HOURS', 2060, 'VARIABLE', 'GLB', 'V2060', 'Running hours', 253),
  ('GLB_STARTS_COUNT', 2061, 'VARIABLE', 'GLB', 'V2061', 'Number of starts', 254),
  ('GLB_FUEL_RACK', 2062, 'VARIABLE', 'GLB', 'V2062', 'Fuel rack position %', 255),
  ('GLB_GOV_SETPOINT', 2063, 'VARIABLE', 'GLB', 'V2063', 'Governor set point rpm', 256),
  ('GLB_ENG_STSTILL', 2064, 'VARIABLE', 'GLB', 'V2064', 'Engine at standstill', 257),
  ('GLB_ENG_RUNNING', 2065, 'VARIABLE', 'GLB', 'V2065', 'Engine running', 258),
  ('GLB_SLOWDOWN_ACTIVE', 2066, 'VARIABLE', 'GLB', 'V2066', 'Slow-down active', 259),
  ('GLB_SHUTDOWN_ACTIVE', 2067, 'VARIABLE', 'GLB', 'V2067', 'Shut-down active', 260),
  ('GLB_LUB_FEED_RATE', 2068, 'VARIABLE', 'GLB', 'V2068', 'Cylinder oil feed rate', 261),
  ('GLB_LUB_PUMP_STATE', 2069, 'VARIABLE', 'GLB', 'V2069', 'Lubricator pump state', 262),
  ('GLB_ALARM_COUNT', 2070, 'VARIABLE', 'GLB', 'V2070', 'Active alarms', 263),
  ('GLB_HORN_ACTIVE', 2071, 'VARIABLE', 'GLB', 'V2071', 'Horn on', 264),
  ('GLB_CAN_MODULE_STATE_RO', 2080, 'VARIABLE', 'GLB', 'V2080', 'Module state', 265),
  ('GLB_CAN_MODULE_STATE_RW', 2081, 'VARIABLE', 'GLB', 'V2081', 'Module state request', 266),
  ('GLB_CAN_SW_UPDATE_STATE_RO', 2082, 'VARIABLE', 'GLB', 'V2082', 'Software update state', 267),
  ('GLB_CAN_SW_UPDATE_FAILURE_RO', 2083, 'VARIABLE', 'GLB', 'V2083', 'Software update failure', 268),
  ('GLB_CRC_VALUE_IMO', 2096, 'VARIABLE', 'GLB', 'V2096', 'CRC of the IMO part', 269),
  ('GLB_CRC_LEN_IMO', 2097, 'VARIABLE', 'GLB', 'V2097', 'Length of the IMO part', 270),
  ('GLB_CRC_VALUE_APPLICATION', 2098, 'VARIABLE', 'GLB', 'V2098', 'CRC of the application', 271),
  ('GLB_CRC_LEN_APPLICATION', 2099, 'VARIABLE', 'GLB', 'V2099', 'Length of the application', 272);

-- Per-cylinder variables: two arrays of 14.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine")
  WITH RECURSIVE cyl(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM cyl WHERE i < 13),
  arrays(base, first, fup, text, line) AS (VALUES
    ('GLB_CYL_EXH_TEMP', 2112, 'V2112', 'Exhaust temperature C * n', 273),
    ('GLB_CYL_PMAX', 2126, 'V2126', 'Peak pressure bar * n', 274))
  SELECT base || printf('_%02d', i), first + i, 'VARIABLE', 'GLB', fup, text, line
  FROM arrays, cyl;

-- On/off delay instances of the alarms.
INSERT INTO sourceScan ("name", "id", "class", "sourceLine") VALUES
  ('ALM_DLY_500MS', 0, 'DELAY_INST', 281),
  ('ALM_DLY_1S', 1, 'DELAY_INST', 282),
  ('ALM_DLY_2S', 2, 'DELAY_INST', 283),
  ('ALM_DLY_5S', 3, 'DELAY_INST', 284),
  ('ALM_DLY_10S', 4, 'DELAY_INST', 285),
  ('ALM_DLY_30S', 5, 'DELAY_INST', 286),
  ('ALM_DLY_60S', 6, 'DELAY_INST', 287),
  ('ALM_DLY_120S', 7, 'DELAY_INST', 288);

-- Alarms (their comments: the alarm text).
INSERT INTO sourceScan ("name", "id", "class", "fupId", "comment", "sourceLine") VALUES
  ('ALM_OVERSPEED', 1, 'ALARM', 'AL0001', 'Engine overspeed', 291),
  ('ALM_LUB_OIL_PRESS_LOW', 2, 'ALARM', 'AL0002', 'Lube oil pressure low', 292),
  ('ALM_LUB_OIL_TEMP_HIGH', 3, 'ALARM', 'AL0003', 'Lube oil temperature high', 293),
  ('ALM_COOL_WATER_TEMP_HIGH', 4, 'ALARM', 'AL0004', 'Cooling water temperature high', 294),
  ('ALM_FUEL_PRESS_LOW', 5, 'ALARM', 'AL0005', 'Fuel pressure low', 295),
  ('ALM_CHARGE_AIR_TEMP_HIGH', 6, 'ALARM', 'AL0006', 'Charge air temperature high', 296),
  ('ALM_CHARGE_AIR_PRESS_HIGH', 7, 'ALARM', 'AL0007', 'Charge air pressure high', 297),
  ('ALM_TURBO_OVERSPEED', 8, 'ALARM', 'AL0008', 'Turbocharger overspeed', 298),
  ('ALM_EXH_TEMP_AVG_HIGH', 9, 'ALARM', 'AL0009', 'Exhaust average high', 299),
  ('ALM_START_AIR_PRESS_LOW', 10, 'ALARM', 'AL0010', 'Start air pressure low', 300),
  ('ALM_CRANK_CASE_PRESS_HIGH', 11, 'ALARM', 'AL0011', 'Crank case pressure high', 301),
  ('ALM_SLOWDOWN', 12, 'ALARM', 'AL0012', 'Slow-down', 302),
  ('ALM_SHUTDOWN', 13, 'ALARM', 'AL0013', 'Shut-down', 303),
  ('ALM_LUB_PUMP_FAIL', 14, 'ALARM', 'AL0014', 'Lubricator pump failure', 304),
  ('ALM_LUB_FEED_RATE_LOW', 15, 'ALARM', 'AL0015', 'Cylinder oil feed rate low', 305),
  ('ALM_MODULE_STATE', 16, 'ALARM', 'AL0016', 'Module state not normal', 306),
  ('ALM_SW_UPDATE_FAILURE', 17, 'ALARM', 'AL0017', 'Software update failed', 307),
  ('ALM_ENGINE_LOAD_HIGH', 18, 'ALARM', 'AL0018', 'Engine load high', 308),
  ('ALM_FUEL_RACK_LIMIT', 19, 'ALARM', 'AL0019', 'Fuel rack out of range', 309),
  ('ALM_GOV_DEVIATION', 20, 'ALARM', 'AL0020', 'Governor deviation', 310),
  ('ALM_CYL_PMAX_DEV', 35, 'ALARM', 'AL0035', 'Peak pressure deviation', 325),
  ('ALM_RUNNING_HOURS', 36, 'ALARM', 'AL0036', 'Maintenance due', 326),
  ('ALM_HORN', 37, 'ALARM', 'AL0037', 'Horn', 327),
  ('ALM_ALARM_OVERFLOW', 38, 'ALARM', 'AL0038', 'Too many alarms', 328),
  ('ALM_TURBO_SPEED_LOW', 39, 'ALARM', 'AL0039', 'Turbocharger speed low', 329),
  ('ALM_ENGINE_STSTILL_FAIL', 40, 'ALARM', 'AL0040', 'Standstill signal failure', 330);

-- One exhaust-temperature alarm per cylinder (alarms are never arrays).
INSERT INTO sourceScan ("name", "id", "class", "fupId", "comment", "sourceLine")
  WITH RECURSIVE cyl(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM cyl WHERE i < 13)
  SELECT printf('ALM_CYL_EXH_TEMP_HIGH_%02d', i), 21 + i, 'ALARM', printf('AL%04d', 21 + i),
         printf('Exhaust temperature high cyl %d', i + 1), 311 + i
  FROM cyl;

-- Constants of dataContainer.h: the program's version, the developer number, the
-- data-container version, and the loop counts of the layout tables.
INSERT INTO sourceScan ("name", "id", "class", "sourceLine") VALUES
  ('APPL_VERSION', 3, 'CONSTANT', 12),
  ('APPL_DEVELOPER_NO', 1305, 'CONSTANT', 13),
  ('DAT_DC_VERSION', 7, 'CONSTANT', 14);
INSERT INTO sourceScan ("name", "id", "class", "sourceLine")
  SELECT 'NO_OF_PARAMETERS', count(*), 'CONSTANT', 20 FROM sourceScan WHERE "class" = 'PARAMETER';
INSERT INTO sourceScan ("name", "id", "class", "sourceLine")
  SELECT 'NO_OF_VARIABLES', count(*), 'CONSTANT', 21 FROM sourceScan WHERE "class" = 'VARIABLE';
INSERT INTO sourceScan ("name", "id", "class", "sourceLine")
  SELECT 'NO_OF_ALARMS', count(*), 'CONSTANT', 22 FROM sourceScan WHERE "class" = 'ALARM';
INSERT INTO sourceScan ("name", "id", "class", "sourceLine")
  SELECT 'NO_OF_PAR_' || "varGroup", count(*), 'CONSTANT',
         CASE "varGroup" WHEN 'GLB' THEN 23 WHEN 'ENG' THEN 24 WHEN 'CYL' THEN 25
                         WHEN 'LUB' THEN 26 ELSE 27 END
  FROM sourceScan WHERE "class" = 'PARAMETER' GROUP BY "varGroup";

-- Every symbol as an unchanged result of the last scan.
UPDATE sourceScan SET "upDate" = 1, "module" = 'PXU', "oldId" = "id";

-------------------------------------------------------------------------------------
-- dcEnums: parameters and variables with their attributes, and the two default rows.
-------------------------------------------------------------------------------------

INSERT INTO dcEnums VALUES
  ('PAR_DEFAULT', -1, 'PARAMETER', '', 'Attributes of new parameters', 'GLB', 1,
   2, 0, 0, 0, 0, 7, 1, 0, 1.0, 1, -1, 0, 'PXU', NULL, NULL, NULL, NULL),
  ('GLB_DEFAULT', -2, 'VARIABLE', '', 'Attributes of new variables', 'GLB', 1,
   0, 0, 0, 0, 0, 7, 1, 0, 1.0, 1, 0, 0, 'PXU', NULL, NULL, NULL, NULL);

-- CRC groups: 1 BASIC, 2 USER, 3 ADJUST, 4 IMO, 5 GLOBAL, 6 COMMIS, 7 LUB. The CRC symbols
-- themselves are in no group (0), so that a stored CRC never changes a group's CRC.
INSERT INTO dcEnums ("name", "id", "class", "fupId", "comment", "varGroup", "upDate",
                     "crcGroup", "value", "onlineValue", "minValue", "maxValue",
                     "writeAccessLevel", "readAccessLevel", "modbusAddr", "modbusScale",
                     "producerMask", "syncCmd", "deadBand", "module", "oldId")
  SELECT "name", "id", "class", "fupId", "comment", "varGroup", 1,
    CASE
      WHEN "class" = 'VARIABLE' THEN 0
      WHEN "name" LIKE 'PAR\_CRC\_FIRST\_%' ESCAPE '\' THEN 0
      WHEN "name" LIKE 'PAR\_SWINFO\_%' ESCAPE '\' THEN 5
      WHEN "name" LIKE 'PAR\_COMMIS\_%' ESCAPE '\' THEN 6
      WHEN "varGroup" = 'GLB' THEN 1 + ("id" % 2)
      WHEN "varGroup" = 'ENG' THEN CASE "id" % 3 WHEN 0 THEN 1 WHEN 1 THEN 3 ELSE 6 END
      WHEN "varGroup" = 'CYL' THEN 3
      WHEN "varGroup" = 'LUB' THEN 7
      WHEN "varGroup" = 'IMO' THEN 4
    END,
    CASE WHEN "class" = 'VARIABLE' THEN 0 ELSE ("id" * 37) % 1000 END,
    0,
    CASE WHEN "class" = 'VARIABLE' THEN 0 ELSE -(("id" * 13) % 50) END,
    CASE WHEN "class" = 'VARIABLE' THEN 0 ELSE ("id" * 37) % 1000 + 500 END,
    CASE "varGroup" WHEN 'IMO' THEN 9 WHEN 'LUB' THEN 3 WHEN 'CYL' THEN 5 ELSE 7 END,
    1,
    CASE
      WHEN "class" = 'PARAMETER' THEN 0
      WHEN "name" LIKE 'GLB\_CYL\_%' ESCAPE '\' THEN 100 + "id" % 14
      ELSE 32768 + "id" - 2048
    END,
    1.0,
    CASE
      WHEN "class" = 'PARAMETER' THEN 0
      WHEN "name" LIKE 'GLB\_CYL\_EXH\_TEMP\_%' ESCAPE '\' THEN 1 << ("id" - 2112 + 1)
      WHEN "name" LIKE 'GLB\_CYL\_PMAX\_%' ESCAPE '\' THEN 1 << ("id" - 2126 + 1)
      ELSE 1
    END,
    CASE WHEN "class" = 'PARAMETER' THEN -1 ELSE ("id" % 7) - 1 END,
    0, 'PXU', "id"
  FROM sourceScan WHERE "class" IN ('PARAMETER', 'VARIABLE') ORDER BY "id";

-- Values that mean something to the engine.
UPDATE dcEnums SET "value" = 6, "minValue" = 1, "maxValue" = 14 WHERE "name" = 'PAR_TOT_NO_OF_CYL';
UPDATE dcEnums SET "value" = 1, "minValue" = 0, "maxValue" = 1 WHERE "name" = 'PAR_AUTO_DOWNLD_ACTIVATE';
UPDATE dcEnums SET "value" = 125 WHERE "name" = 'PAR_CAN_BAUD_MBUS';
UPDATE dcEnums SET "value" = 500 WHERE "name" = 'PAR_CAN_BAUD_SBUS';
UPDATE dcEnums SET "value" = 720, "minValue" = 300, "maxValue" = 800 WHERE "name" = 'PAR_RATED_SPEED';
UPDATE dcEnums SET "value" = 8640, "minValue" = 1000, "maxValue" = 20000 WHERE "name" = 'PAR_RATED_POWER';
UPDATE dcEnums SET "value" = 792, "minValue" = 700, "maxValue" = 850 WHERE "name" = 'PAR_OVERSPEED_LIMIT';

-- The plant and software information, as the old plant information holds it: numbers in
-- the value, texts four characters a row (the first character in the lowest byte).
UPDATE dcEnums SET "value" = (SELECT "SwVersion" FROM plantInfo) WHERE "name" = 'PAR_SWINFO_SW_VERSION';
UPDATE dcEnums SET "value" = (SELECT "Build" FROM plantInfo) WHERE "name" = 'PAR_SWINFO_BUILD';
UPDATE dcEnums SET "value" = (SELECT "DeveloperNo" FROM plantInfo) WHERE "name" = 'PAR_SWINFO_DEVELOPER_NO';
UPDATE dcEnums SET "value" = (SELECT "Bootloader" FROM plantInfo) WHERE "name" = 'PAR_SWINFO_BOOTLOADER_VERSION';
CREATE TEMP TABLE textSymbol ("symbol" TEXT, "text" TEXT);
INSERT INTO textSymbol SELECT 'PAR_SWINFO_ENGINE_TYPE_', "EngineType" FROM plantInfo;
INSERT INTO textSymbol SELECT 'PAR_SWINFO_HULL_NO_', "HullNo" FROM plantInfo;
INSERT INTO textSymbol SELECT 'PAR_SWINFO_MANUFAC_NO_', "ManufacNo" FROM plantInfo;
INSERT INTO textSymbol SELECT 'PAR_SWINFO_EPI_DB_NO_', "EpiDbNo" FROM plantInfo;
INSERT INTO textSymbol SELECT 'PAR_SWINFO_IMO_SW_NO_', "ImoSwNo" FROM plantInfo;
CREATE TEMP TABLE textRow AS
  SELECT d."name" AS "name", t."text" AS "text",
         (CAST(substr(d."name", length(t."symbol") + 1) AS INTEGER) - 1) * 4 + 1 AS p
  FROM dcEnums d JOIN textSymbol t
    ON substr(d."name", 1, length(t."symbol")) = t."symbol"
   AND length(d."name") = length(t."symbol") + 1;
UPDATE dcEnums SET "value" = (
  SELECT coalesce(unicode(substr(r."text", r.p, 1)), 0)
       + coalesce(unicode(substr(r."text", r.p + 1, 1)), 0) * 256
       + coalesce(unicode(substr(r."text", r.p + 2, 1)), 0) * 65536
       + coalesce(unicode(substr(r."text", r.p + 3, 1)), 0) * 16777216
  FROM textRow r WHERE r."name" = dcEnums."name")
WHERE "name" IN (SELECT "name" FROM textRow);
DROP TABLE textRow;
DROP TABLE textSymbol;

-------------------------------------------------------------------------------------
-- alarmEnums: the alarms with their criteria and references, and one default row.
-- Most alarms name their signal; the per-cylinder ones give its id only, which the
-- alarm-list index step completes with the name.
-------------------------------------------------------------------------------------

INSERT INTO alarmEnums VALUES
  ('ALM_DEFAULT', -1, 'ALARM', '', 'Attributes of new alarms', NULL, 1,
   1, 0, 0, 0, 0, 0, 0, -1, -1, -1, 255, '', '', '', '', 1, 0, 0, NULL, 'PXU', NULL);

CREATE TEMP TABLE alarmSignal ("alarm" TEXT, "signal" TEXT, "criterion" INTEGER,
                               "minValue" INTEGER, "maxValue" INTEGER, "delay" TEXT,
                               "type" INTEGER);
INSERT INTO alarmSignal VALUES
  ('ALM_OVERSPEED', 'GLB_ENGINE_SPEED', 3, 0, 792, 'ALM_DLY_500MS', 3),
  ('ALM_LUB_OIL_PRESS_LOW', 'GLB_LUB_OIL_PRESS', 4, 2500, 0, 'ALM_DLY_2S', 2),
  ('ALM_LUB_OIL_TEMP_HIGH', 'GLB_LUB_OIL_TEMP', 3, 0, 65, 'ALM_DLY_10S', 1),
  ('ALM_COOL_WATER_TEMP_HIGH', 'GLB_COOL_WATER_TEMP', 3, 0, 95, 'ALM_DLY_10S', 2),
  ('ALM_FUEL_PRESS_LOW', 'GLB_FUEL_PRESS', 4, 4000, 0, 'ALM_DLY_5S', 1),
  ('ALM_CHARGE_AIR_TEMP_HIGH', 'GLB_CHARGE_AIR_TEMP', 3, 0, 60, 'ALM_DLY_10S', 1),
  ('ALM_CHARGE_AIR_PRESS_HIGH', 'GLB_CHARGE_AIR_PRESS', 3, 0, 4200, 'ALM_DLY_5S', 1),
  ('ALM_TURBO_OVERSPEED', 'GLB_TURBO_SPEED', 3, 0, 21000, 'ALM_DLY_1S', 2),
  ('ALM_EXH_TEMP_AVG_HIGH', 'GLB_EXH_TEMP_AVG', 3, 0, 450, 'ALM_DLY_30S', 1),
  ('ALM_START_AIR_PRESS_LOW', 'GLB_START_AIR_PRESS', 4, 15000, 0, 'ALM_DLY_5S', 1),
  ('ALM_CRANK_CASE_PRESS_HIGH', 'GLB_CRANK_CASE_PRESS', 3, 0, 500, 'ALM_DLY_2S', 3),
  ('ALM_SLOWDOWN', 'GLB_SLOWDOWN_ACTIVE', 0, 0, 0, NULL, 2),
  ('ALM_SHUTDOWN', 'GLB_SHUTDOWN_ACTIVE', 0, 0, 0, NULL, 3),
  ('ALM_LUB_PUMP_FAIL', 'GLB_LUB_PUMP_STATE', 1, 3, 3, 'ALM_DLY_1S', 1),
  ('ALM_LUB_FEED_RATE_LOW', 'GLB_LUB_FEED_RATE', 4, 60, 0, 'ALM_DLY_60S', 1),
  ('ALM_MODULE_STATE', 'GLB_CAN_MODULE_STATE_RO', 2, 1, 1, 'ALM_DLY_2S', 1),
  ('ALM_SW_UPDATE_FAILURE', 'GLB_CAN_SW_UPDATE_FAILURE_RO', 2, 0, 0, NULL, 1),
  ('ALM_ENGINE_LOAD_HIGH', 'GLB_ENGINE_LOAD', 3, 0, 110, 'ALM_DLY_30S', 1),
  ('ALM_FUEL_RACK_LIMIT', 'GLB_FUEL_RACK', 5, 5, 98, 'ALM_DLY_10S', 1),
  ('ALM_GOV_DEVIATION', 'GLB_GOV_SETPOINT', 5, 700, 740, 'ALM_DLY_30S', 1),
  ('ALM_CYL_PMAX_DEV', 'GLB_CYL_PMAX_00', 5, 150, 190, 'ALM_DLY_10S', 1),
  ('ALM_RUNNING_HOURS', 'GLB_RUNNING_HOURS', 3, 0, 16000, NULL, 1),
  ('ALM_HORN', 'GLB_HORN_ACTIVE', 0, 0, 0, NULL, 1),
  ('ALM_ALARM_OVERFLOW', 'GLB_ALARM_COUNT', 3, 0, 60, NULL, 1),
  ('ALM_TURBO_SPEED_LOW', 'GLB_TURBO_SPEED', 4, 3000, 0, 'ALM_DLY_120S', 1),
  ('ALM_ENGINE_STSTILL_FAIL', 'GLB_ENG_STSTILL', 1, 0, 0, 'ALM_DLY_5S', 1);

INSERT INTO alarmEnums ("name", "id", "class", "fupId", "comment", "upDate", "producerMask",
                        "minValue", "maxValue", "hysteresis", "criterion", "inhibit",
                        "modbusAddr", "signalIndex", "onDelayIndex", "offDelayIndex",
                        "onOffDelayId", "signalIndexName", "onDelayIndexName",
                        "offDelayIndexName", "onOffDelayIdName", "type", "groupX",
                        "scanInternal", "oldId", "module")
  SELECT s."name", s."id", s."class", s."fupId", s."comment", 1, 1,
         a."minValue", a."maxValue", 2, a."criterion", 0, 32768 + s."id",
         (SELECT d."id" FROM dcEnums d WHERE d."name" = a."signal"), -1, -1,
         coalesce((SELECT y."id" FROM sourceScan y WHERE y."name" = a."delay"), 255),
         a."signal", '', '', coalesce(a."delay", ''), a."type", s."id" % 4, 0, s."id", 'PXU'
  FROM sourceScan s JOIN alarmSignal a ON a."alarm" = s."name";
DROP TABLE alarmSignal;

-- The per-cylinder alarms: signal and delay by id only.
INSERT INTO alarmEnums ("name", "id", "class", "fupId", "comment", "upDate", "producerMask",
                        "minValue", "maxValue", "hysteresis", "criterion", "inhibit",
                        "modbusAddr", "signalIndex", "onDelayIndex", "offDelayIndex",
                        "onOffDelayId", "signalIndexName", "onDelayIndexName",
                        "offDelayIndexName", "onOffDelayIdName", "type", "groupX",
                        "scanInternal", "oldId", "module")
  SELECT "name", "id", "class", "fupId", "comment", 1, 1 << ("id" - 21 + 1),
         0, 480, 5, 3, 0, 32768 + "id", 2112 + "id" - 21, -1, -1, 4, '', '', '', '', 1, 2, 1,
         "id", 'PXU'
  FROM sourceScan WHERE "name" LIKE 'ALM\_CYL\_EXH\_TEMP\_HIGH\_%' ESCAPE '\';

-- The lubricator alarms wait for the delay parameter: by name, and by id for the off delay.
UPDATE alarmEnums SET "onDelayIndexName" = 'LUB_PRESS_ALM_DELAY', "onDelayIndex" = 1207
  WHERE "name" = 'ALM_LUB_OIL_PRESS_LOW';
UPDATE alarmEnums SET "offDelayIndex" = 1207 WHERE "name" = 'ALM_LUB_FEED_RATE_LOW';

-------------------------------------------------------------------------------------
-- Layout of the image. dc part: the plant and software information (engine type at 0,
-- hull number at 16, manufacturer number at 32, IMO software number at 48, software
-- version at 64, build at 68 after two stuffing bytes, bootloader version at 72), the
-- data-container version, counts, the dead band, then a loop over the parameters of each
-- group and one over the variables. The first seven values still name the old plant
-- information's columns, and the dead band still is 0: the schema update gives them the
-- aliases and 1.
-------------------------------------------------------------------------------------

INSERT INTO dcBinFile VALUES
  (1, NULL, NULL, 'engineType', 'EngineType', 16, NULL, NULL),
  (2, NULL, NULL, 'hullNo', 'HullNo', 16, NULL, NULL),
  (3, NULL, NULL, 'manufacNo', 'ManufacNo', 16, NULL, NULL),
  (4, NULL, NULL, 'imoSwNo', 'ImoSwNo', 16, NULL, NULL),
  (5, NULL, NULL, 'swVersion', 'SwVersion', 2, NULL, NULL),
  (6, NULL, NULL, 'build', 'Build', 4, NULL, NULL),
  (7, NULL, NULL, 'bootloaderVersion', 'Bootloader', 2, NULL, NULL),
  (8, NULL, NULL, 'dcVersion', '7', 2, NULL, NULL),
  (9, NULL, NULL, 'noOfParameters', 'NO_OF_PARAMETERS', 2, NULL, NULL),
  (10, NULL, NULL, 'noOfVariables', 'NO_OF_VARIABLES', 2, NULL, NULL),
  (11, NULL, NULL, 'deadBand', '0', 2, NULL, NULL);

INSERT INTO dcBinFile
  WITH groups(g, first) AS (VALUES ('GLB', 20), ('ENG', 30), ('CYL', 40), ('LUB', 50), ('IMO', 60)),
  fields(k, content, bytes) AS (VALUES
    (0, 'id', 2), (1, 'value', 4), (2, 'minValue', 4), (3, 'maxValue', 4),
    (4, 'crcGroup', 1), (5, 'writeAccessLevel', 1), (6, 'readAccessLevel', 1))
  SELECT first + k, 'PARAMETER', g, content, CASE k WHEN 0 THEN 'TABLE' ELSE 'TABLE_' END,
         bytes, CASE k WHEN 0 THEN 'NO_OF_PAR_' || g END, CASE k WHEN 6 THEN first END
  FROM groups, fields ORDER BY first + k;

INSERT INTO dcBinFile VALUES
  (70, 'VARIABLE', NULL, 'id', 'TABLE', 2, 'NO_OF_VARIABLES', NULL),
  (71, 'VARIABLE', NULL, 'producerMask', 'TABLE_', 2, NULL, NULL),
  (72, 'VARIABLE', NULL, 'syncCmd', 'TABLE_', 1, NULL, NULL),
  (73, 'VARIABLE', NULL, 'modbusAddr', 'TABLE_', 2, NULL, 70);

-- alarm part: the count, then a loop over the alarms with a text step (the fupId).
INSERT INTO alarmBinFile VALUES
  (1, NULL, NULL, 'noOfAlarms', 'NO_OF_ALARMS', 2, NULL, NULL),
  (2, 'ALARM', NULL, 'id', 'TABLE', 2, 'NO_OF_ALARMS', NULL),
  (3, 'ALARM', NULL, 'fupId', 'TABLE_', 6, NULL, NULL),
  (4, 'ALARM', NULL, 'criterion', 'TABLE_', 1, NULL, NULL),
  (5, 'ALARM', NULL, 'signalIndex', 'TABLE_', 2, NULL, NULL),
  (6, 'ALARM', NULL, 'minValue', 'TABLE_', 4, NULL, NULL),
  (7, 'ALARM', NULL, 'maxValue', 'TABLE_', 4, NULL, NULL),
  (8, 'ALARM', NULL, 'hysteresis', 'TABLE_', 2, NULL, NULL),
  (9, 'ALARM', NULL, 'onOffDelayId', 'TABLE_', 1, NULL, NULL),
  (10, 'ALARM', NULL, 'producerMask', 'TABLE_', 2, NULL, 2);
