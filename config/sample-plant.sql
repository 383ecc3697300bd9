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
-- sourceScan: the symbols of the last scan of the headers in sample-plant/: constants,
-- parameters, variables and alarms between their FIRST_ and LAST_ markers, the on/off
-- delay instances. Arrays (comment "* n") are expanded.
-------------------------------------------------------------------------------------

-- Group markers.
INSERT INTO sourceScan ("name", "id", "class", "fupId", "comment", "sourceLine") VALUES
  ('FIRST_ENG_PARAMETER', 1100, 'INSTRUCTION', '', '', 105),
  ('LAST_ENG_PARAMETER', 1125, 'INSTRUCTION', '', '', 130),
  ('FIRST_CYL_PARAMETER', 1139, 'INSTRUCTION', '', '', 136),
  ('LAST_CYL_PARAMETER', 1181, 'INSTRUCTION', '', '', 140),
  ('FIRST_LUB_PARAMETER', 1199, 'INSTRUCTION', '', '', 146),
  ('LAST_LUB_PARAMETER', 1212, 'INSTRUCTION', '', '', 159),
  ('FIRST_IMO_PARAMETER', 1219, 'INSTRUCTION', '', '', 165),
  ('LAST_IMO_PARAMETER', 1226, 'INSTRUCTION', '', '', 172),
  ('FIRST_GLB_VARIABLE', 2047, 'INSTRUCTION', '', '', 183),
  ('LAST_GLB_VARIABLE', 2139, 'INSTRUCTION', '', '', 218),
  ('FIRST_ALARM', 0, 'INSTRUCTION', '', '', 228),
  ('LAST_ALARM', 41, 'INSTRUCTION', '', '', 269);

-- Parameters of the group GLB (named PAR_...).
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('PAR_PLANT_TYPE', 1024, 'PARAMETER', 'GLB', '1024', 'Plant type', 34),
  ('PAR_ENGINE_NO', 1025, 'PARAMETER', 'GLB', '1025', 'Engine number in plant', 35),
  ('PAR_TOT_NO_OF_CYL', 1026, 'PARAMETER', 'GLB', '1026', 'Total number of cylinders', 36),
  ('PAR_AUTO_DOWNLD_ACTIVATE', 1027, 'PARAMETER', 'GLB', '1027', 'Auto download on', 37),
  ('PAR_CAN_BAUD_MBUS', 1028, 'PARAMETER', 'GLB', '1028', 'M-Bus bit rate kbit/s', 38),
  ('PAR_CAN_BAUD_SBUS', 1029, 'PARAMETER', 'GLB', '1029', 'S-Bus bit rate kbit/s', 39),
  ('PAR_FIRING_ORDER', 1030, 'PARAMETER', 'GLB', '1030', 'Firing order variant', 40),
  ('PAR_RATED_SPEED', 1031, 'PARAMETER', 'GLB', '1031', 'Rated speed rpm', 41),
  ('PAR_RATED_POWER', 1032, 'PARAMETER', 'GLB', '1032', 'Rated power kW', 42),
  ('PAR_IDLE_SPEED', 1033, 'PARAMETER', 'GLB', '1033', 'Idle speed rpm', 43),
  ('PAR_OVERSPEED_LIMIT', 1034, 'PARAMETER', 'GLB', '1034', 'Overspeed limit rpm', 44),
  ('PAR_NOX_TIER', 1035, 'PARAMETER', 'GLB', '1035', 'NOx tier', 45),
  ('PAR_FUEL_MODE', 1036, 'PARAMETER', 'GLB', '1036', 'Fuel mode', 46),
  ('PAR_LANGUAGE', 1037, 'PARAMETER', 'GLB', '1037', 'Display language', 47),
  ('PAR_UNIT_SYSTEM', 1038, 'PARAMETER', 'GLB', '1038', 'Unit system', 48),
  ('PAR_MODBUS_SLAVE_ID', 1039, 'PARAMETER', 'GLB', '1039', 'Modbus slave id', 49),
  ('PAR_CRC_FIRST_APPLICATION', 1040, 'PARAMETER', 'GLB', '1040', 'CRC of the application', 50),
  ('PAR_CRC_FIRST_BASIC', 1041, 'PARAMETER', 'GLB', '1041', 'CRC of group BASIC', 51),
  ('PAR_CRC_FIRST_USER', 1042, 'PARAMETER', 'GLB', '1042', 'CRC of group USER', 52),
  ('PAR_CRC_FIRST_ADJUST', 1043, 'PARAMETER', 'GLB', '1043', 'CRC of group ADJUST', 53),
  ('PAR_CRC_FIRST_IMO', 1044, 'PARAMETER', 'GLB', '1044', 'CRC of group IMO', 54),
  ('PAR_CRC_FIRST_GLOBAL', 1045, 'PARAMETER', 'GLB', '1045', 'CRC of group GLOBAL', 55),
  ('PAR_CRC_FIRST_COMMIS', 1046, 'PARAMETER', 'GLB', '1046', 'CRC of group COMMIS', 56),
  ('PAR_CRC_FIRST_LUB', 1047, 'PARAMETER', 'GLB', '1047', 'CRC of group LUB', 57),
  ('PAR_COMMIS_MODE', 1048, 'PARAMETER', 'GLB', '1048', 'Commissioning mode', 58),
  ('PAR_COMMIS_SIM_SPEED', 1049, 'PARAMETER', 'GLB', '1049', 'Simulated speed rpm', 59),
  ('PAR_COMMIS_TEST_CYL', 1050, 'PARAMETER', 'GLB', '1050', 'Test cylinder', 60),
  ('PAR_COMMIS_TEST_TIME', 1051, 'PARAMETER', 'GLB', '1051', 'Test time s', 61),
  ('PAR_MAINT_INTERVAL', 1052, 'PARAMETER', 'GLB', '1052', 'Maintenance interval h', 62),
  ('PAR_MAINT_WARN_HOURS', 1053, 'PARAMETER', 'GLB', '1053', 'Maintenance warning h', 63),
  ('PAR_ALARM_HORN_TIME', 1054, 'PARAMETER', 'GLB', '1054', 'Horn time s', 64),
  ('PAR_ALARM_RESET_MODE', 1055, 'PARAMETER', 'GLB', '1055', 'Alarm reset mode', 65),
  ('PAR_SWINFO_BUILD', 1056, 'PARAMETER', 'GLB', '1056', 'Software build', 66),
  ('PAR_SWINFO_DEVELOPER_NO', 1057, 'PARAMETER', 'GLB', '1057', 'Developer number', 67),
  ('PAR_SWINFO_SW_VERSION', 1058, 'PARAMETER', 'GLB', '1058', 'Software version', 68),
  ('PAR_SWINFO_BOOTLOADER_VERSION', 1059, 'PARAMETER', 'GLB', '1059', 'Bootloader version x100', 69),
  ('PAR_TREND_PERIOD', 1060, 'PARAMETER', 'GLB', '1060', 'Trend period s', 70),
  ('PAR_DISPLAY_DIM', 1061, 'PARAMETER', 'GLB', '1061', 'Display dimming %', 71),
  ('PAR_TIME_ZONE', 1062, 'PARAMETER', 'GLB', '1062', 'Time zone offset min', 72),
  ('PAR_SERVICE_LEVEL', 1063, 'PARAMETER', 'GLB', '1063', 'Service access level', 73),
  ('PAR_SWINFO_HULL_NO_1', 1064, 'PARAMETER', 'GLB', '1064', 'Hull number 1-4', 74),
  ('PAR_SWINFO_HULL_NO_2', 1065, 'PARAMETER', 'GLB', '1065', 'Hull number 5-8', 75),
  ('PAR_SWINFO_HULL_NO_3', 1066, 'PARAMETER', 'GLB', '1066', 'Hull number 9-12', 76),
  ('PAR_SWINFO_HULL_NO_4', 1067, 'PARAMETER', 'GLB', '1067', 'Hull number 13-16', 77),
  ('PAR_SPEED_FILTER', 1068, 'PARAMETER', 'GLB', '1068', 'Speed filter ms', 78),
  ('PAR_LOAD_FILTER', 1069, 'PARAMETER', 'GLB', '1069', 'Load filter ms', 79),
  ('PAR_START_ATTEMPTS', 1070, 'PARAMETER', 'GLB', '1070', 'Start attempts', 80),
  ('PAR_START_AIR_MIN', 1071, 'PARAMETER', 'GLB', '1071', 'Start air minimum bar x10', 81),
  ('PAR_SWINFO_ENGINE_TYPE_1', 1072, 'PARAMETER', 'GLB', '1072', 'Engine type 1-4', 82),
  ('PAR_SWINFO_ENGINE_TYPE_2', 1073, 'PARAMETER', 'GLB', '1073', 'Engine type 5-8', 83),
  ('PAR_SWINFO_ENGINE_TYPE_3', 1074, 'PARAMETER', 'GLB', '1074', 'Engine type 9-12', 84),
  ('PAR_SWINFO_ENGINE_TYPE_4', 1075, 'PARAMETER', 'GLB', '1075', 'Engine type 13-16', 85),
  ('PAR_SWINFO_MANUFAC_NO_1', 1088, 'PARAMETER', 'GLB', '1088', 'Manufacturer number 1-4', 87),
  ('PAR_SWINFO_MANUFAC_NO_2', 1089, 'PARAMETER', 'GLB', '1089', 'Manufacturer number 5-8', 88),
  ('PAR_SWINFO_MANUFAC_NO_3', 1090, 'PARAMETER', 'GLB', '1090', 'Manufacturer number 9-12', 89),
  ('PAR_SWINFO_MANUFAC_NO_4', 1091, 'PARAMETER', 'GLB', '1091', 'Manufacturer number 13-16', 90),
  ('PAR_SWINFO_EPI_DB_NO_1', 1092, 'PARAMETER', 'GLB', '1092', 'EPI database number 1-4', 91),
  ('PAR_SWINFO_EPI_DB_NO_2', 1093, 'PARAMETER', 'GLB', '1093', 'EPI database number 5-8', 92),
  ('PAR_SWINFO_EPI_DB_NO_3', 1094, 'PARAMETER', 'GLB', '1094', 'EPI database number 9-12', 93),
  ('PAR_SWINFO_EPI_DB_NO_4', 1095, 'PARAMETER', 'GLB', '1095', 'EPI database number 13-16', 94),
  ('PAR_SWINFO_IMO_SW_NO_1', 1096, 'PARAMETER', 'GLB', '1096', 'IMO software number 1-4', 95),
  ('PAR_SWINFO_IMO_SW_NO_2', 1097, 'PARAMETER', 'GLB', '1097', 'IMO software number 5-8', 96),
  ('PAR_SWINFO_IMO_SW_NO_3', 1098, 'PARAMETER', 'GLB', '1098', 'IMO software number 9-12', 97),
  ('PAR_SWINFO_IMO_SW_NO_4', 1099, 'PARAMETER', 'GLB', '1099', 'IMO software number 13-16', 98);

-- Engine parameters, group ENG.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('ENG_SPEED_GAIN_P', 1101, 'PARAMETER', 'ENG', '1101', 'Speed governor gain P', 106),
  ('ENG_SPEED_GAIN_I', 1102, 'PARAMETER', 'ENG', '1102', 'Speed governor gain I', 107),
  ('ENG_SPEED_GAIN_D', 1103, 'PARAMETER', 'ENG', '1103', 'Speed governor gain D', 108),
  ('ENG_LOAD_RAMP_UP', 1104, 'PARAMETER', 'ENG', '1104', 'Load ramp up %/s', 109),
  ('ENG_LOAD_RAMP_DOWN', 1105, 'PARAMETER', 'ENG', '1105', 'Load ramp down %/s', 110),
  ('ENG_STARTING_SPEED', 1106, 'PARAMETER', 'ENG', '1106', 'Starting speed rpm', 111),
  ('ENG_FIRING_SPEED', 1107, 'PARAMETER', 'ENG', '1107', 'Firing speed rpm', 112),
  ('ENG_STOP_DELAY', 1108, 'PARAMETER', 'ENG', '1108', 'Stop delay s', 113),
  ('ENG_COOLDOWN_TIME', 1109, 'PARAMETER', 'ENG', '1109', 'Cool-down time s', 114),
  ('ENG_PREHEAT_TEMP', 1110, 'PARAMETER', 'ENG', '1110', 'Preheating temperature C', 115),
  ('ENG_CHARGE_AIR_MAX', 1111, 'PARAMETER', 'ENG', '1111', 'Charge air maximum mbar', 116),
  ('ENG_EXH_TEMP_AVG_MAX', 1112, 'PARAMETER', 'ENG', '1112', 'Exhaust average maximum C', 117),
  ('ENG_EXH_TEMP_DEV_MAX', 1113, 'PARAMETER', 'ENG', '1113', 'Exhaust deviation maximum C', 118),
  ('ENG_LUB_PRESS_MIN', 1114, 'PARAMETER', 'ENG', '1114', 'Lube oil pressure minimum', 119),
  ('ENG_COOL_TEMP_MAX', 1115, 'PARAMETER', 'ENG', '1115', 'Cooling water maximum C', 120),
  ('ENG_FUEL_PRESS_MIN', 1116, 'PARAMETER', 'ENG', '1116', 'Fuel pressure minimum', 121),
  ('ENG_SLOWDOWN_SPEED', 1117, 'PARAMETER', 'ENG', '1117', 'Slow-down speed rpm', 122),
  ('ENG_SHUTDOWN_DELAY', 1118, 'PARAMETER', 'ENG', '1118', 'Shut-down delay s', 123),
  ('ENG_TURBO_SPEED_MAX', 1119, 'PARAMETER', 'ENG', '1119', 'Turbocharger maximum rpm', 124),
  ('ENG_CRANK_CASE_PRESS', 1120, 'PARAMETER', 'ENG', '1120', 'Crank case pressure maximum', 125),
  ('ENG_KNOCK_LIMIT', 1121, 'PARAMETER', 'ENG', '1121', 'Knock limit', 126),
  ('ENG_MISFIRE_LIMIT', 1122, 'PARAMETER', 'ENG', '1122', 'Misfire limit', 127),
  ('ENG_GOV_DROOP', 1123, 'PARAMETER', 'ENG', '1123', 'Governor droop %', 128),
  ('ENG_GOV_DEADBAND', 1124, 'PARAMETER', 'ENG', '1124', 'Governor dead band rpm', 129);

-- Cylinder parameters, group CYL: three arrays of 14 (one element per cylinder).
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine")
  WITH RECURSIVE cyl(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM cyl WHERE i < 13),
  arrays(base, first, fup, text, line) AS (VALUES
    ('CYL_INJ_OFFSET', 1140, '1140', 'Injection offset deg * n', 137),
    ('CYL_EXH_TEMP_MAX', 1154, '1154', 'Exhaust temperature maximum * n', 138),
    ('CYL_PMAX_LIMIT', 1168, '1168', 'Peak pressure limit bar * n', 139))
  SELECT base || printf('_%02d', i), first + i, 'PARAMETER', 'CYL', fup, text, line
  FROM arrays, cyl;

-- Lubrication parameters, group LUB.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('LUB_FEED_RATE_BASE', 1200, 'PARAMETER', 'LUB', '1200', 'Feed rate base g/kWh x100', 147),
  ('LUB_FEED_RATE_LOAD', 1201, 'PARAMETER', 'LUB', '1201', 'Feed rate load factor', 148),
  ('LUB_FEED_RATE_MIN', 1202, 'PARAMETER', 'LUB', '1202', 'Feed rate minimum', 149),
  ('LUB_FEED_RATE_MAX', 1203, 'PARAMETER', 'LUB', '1203', 'Feed rate maximum', 150),
  ('LUB_PUMP_STROKES', 1204, 'PARAMETER', 'LUB', '1204', 'Pump strokes per cycle', 151),
  ('LUB_PUMP_TIMEOUT', 1205, 'PARAMETER', 'LUB', '1205', 'Pump time-out ms', 152),
  ('LUB_PRESS_MIN', 1206, 'PARAMETER', 'LUB', '1206', 'Lubricator pressure minimum', 153),
  ('LUB_PRESS_ALM_DELAY', 1207, 'PARAMETER', 'LUB', '1207', 'Pressure alarm delay s', 154),
  ('LUB_TEMP_MAX', 1208, 'PARAMETER', 'LUB', '1208', 'Lubricator temperature maximum', 155),
  ('LUB_TANK_LEVEL_MIN', 1209, 'PARAMETER', 'LUB', '1209', 'Tank level minimum %', 156),
  ('LUB_SULPHUR_FACTOR', 1210, 'PARAMETER', 'LUB', '1210', 'Sulphur factor x100', 157),
  ('LUB_BN_VALUE', 1211, 'PARAMETER', 'LUB', '1211', 'Base number', 158);

-- IMO parameters, group IMO.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('IMO_NOX_MODE', 1220, 'PARAMETER', 'IMO', '1220', 'NOx mode', 166),
  ('IMO_INJ_TIMING_LIMIT', 1221, 'PARAMETER', 'IMO', '1221', 'Injection timing limit deg', 167),
  ('IMO_PMAX_LIMIT', 1222, 'PARAMETER', 'IMO', '1222', 'Peak pressure limit bar', 168),
  ('IMO_SCAV_PRESS_MIN', 1223, 'PARAMETER', 'IMO', '1223', 'Scavenge pressure minimum', 169),
  ('IMO_EGR_RATE_MIN', 1224, 'PARAMETER', 'IMO', '1224', 'EGR rate minimum %', 170),
  ('IMO_TIER_SWITCH_SPEED', 1225, 'PARAMETER', 'IMO', '1225', 'Tier switch speed rpm', 171);

-- Variables, group GLB.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine") VALUES
  ('GLB_ENGINE_SPEED', 2048, 'VARIABLE', 'GLB', '2048', 'Engine speed rpm', 184),
  ('GLB_ENGINE_LOAD', 2049, 'VARIABLE', 'GLB', '2049', 'Engine load %', 185),
  ('GLB_CHARGE_AIR_PRESS', 2050, 'VARIABLE', 'GLB', '2050', 'Charge air pressure mbar', 186),
  ('GLB_CHARGE_AIR_TEMP', 2051, 'VARIABLE', 'GLB', '2051', 'Charge air temperature C', 187),
  ('GLB_LUB_OIL_PRESS', 2052, 'VARIABLE', 'GLB', '2052', 'Lube oil pressure mbar', 188),
  ('GLB_LUB_OIL_TEMP', 2053, 'VARIABLE', 'GLB', '2053', 'Lube oil temperature C', 189),
  ('GLB_COOL_WATER_TEMP', 2054, 'VARIABLE', 'GLB', '2054', 'Cooling water temperature C', 190),
  ('GLB_FUEL_PRESS', 2055, 'VARIABLE', 'GLB', '2055', 'Fuel pressure mbar', 191),
  ('GLB_TURBO_SPEED', 2056, 'VARIABLE', 'GLB', '2056', 'Turbocharger speed rpm', 192),
  ('GLB_EXH_TEMP_AVG', 2057, 'VARIABLE', 'GLB', '2057', 'Exhaust average C', 193),
  ('GLB_START_AIR_PRESS', 2058, 'VARIABLE', 'GLB', '2058', 'Start air pressure mbar', 194),
  ('GLB_CRANK_CASE_PRESS', 2059, 'VARIABLE', 'GLB', '2059', 'Crank case pressure Pa', 195),
  ('GLB_RUNNING_HOURS', 2060, 'VARIABLE', 'GLB', '2060', 'Running hours', 196),
  ('GLB_STARTS_COUNT', 2061, 'VARIABLE', 'GLB', '2061', 'Number of starts', 197),
  ('GLB_FUEL_RACK', 2062, 'VARIABLE', 'GLB', '2062', 'Fuel rack position %', 198),
  ('GLB_GOV_SETPOINT', 2063, 'VARIABLE', 'GLB', '2063', 'Governor set point rpm', 199),
  ('GLB_ENG_STSTILL', 2064, 'VARIABLE', 'GLB', '2064', 'Engine at standstill', 200),
  ('GLB_ENG_RUNNING', 2065, 'VARIABLE', 'GLB', '2065', 'Engine running', 201),
  ('GLB_SLOWDOWN_ACTIVE', 2066, 'VARIABLE', 'GLB', '2066', 'Slow-down active', 202),
  ('GLB_SHUTDOWN_ACTIVE', 2067, 'VARIABLE', 'GLB', '2067', 'Shut-down active', 203),
  ('GLB_LUB_FEED_RATE', 2068, 'VARIABLE', 'GLB', '2068', 'Cylinder oil feed rate', 204),
  ('GLB_LUB_PUMP_STATE', 2069, 'VARIABLE', 'GLB', '2069', 'Lubricator pump state', 205),
  ('GLB_ALARM_COUNT', 2070, 'VARIABLE', 'GLB', '2070', 'Active alarms', 206),
  ('GLB_HORN_ACTIVE', 2071, 'VARIABLE', 'GLB', '2071', 'Horn on', 207),
  ('GLB_CAN_MODULE_STATE_RO', 2080, 'VARIABLE', 'GLB', '2080', 'Module state', 208),
  ('GLB_CAN_MODULE_STATE_RW', 2081, 'VARIABLE', 'GLB', '2081', 'Module state request', 209),
  ('GLB_CAN_SW_UPDATE_STATE_RO', 2082, 'VARIABLE', 'GLB', '2082', 'Software update state', 210),
  ('GLB_CAN_SW_UPDATE_FAILURE_RO', 2083, 'VARIABLE', 'GLB', '2083', 'Software update failure', 211),
  ('GLB_CRC_VALUE_IMO', 2096, 'VARIABLE', 'GLB', '2096', 'CRC of the IMO part', 212),
  ('GLB_CRC_LEN_IMO', 2097, 'VARIABLE', 'GLB', '2097', 'Length of the IMO part', 213),
  ('GLB_CRC_VALUE_APPLICATION', 2098, 'VARIABLE', 'GLB', '2098', 'CRC of the application', 214),
  ('GLB_CRC_LEN_APPLICATION', 2099, 'VARIABLE', 'GLB', '2099', 'Length of the application', 215);

-- Per-cylinder variables: two arrays of 14.
INSERT INTO sourceScan ("name", "id", "class", "varGroup", "fupId", "comment", "sourceLine")
  WITH RECURSIVE cyl(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM cyl WHERE i < 13),
  arrays(base, first, fup, text, line) AS (VALUES
    ('GLB_CYL_EXH_TEMP', 2112, '2112', 'Exhaust temperature C * n', 216),
    ('GLB_CYL_PMAX', 2126, '2126', 'Peak pressure bar * n', 217))
  SELECT base || printf('_%02d', i), first + i, 'VARIABLE', 'GLB', fup, text, line
  FROM arrays, cyl;

-- On/off delay instances of the alarms.
INSERT INTO sourceScan ("name", "id", "class", "fupId", "comment", "sourceLine") VALUES
  ('ALM_DLY_500MS', 0, 'DELAY_INST', '', '', 20015),
  ('ALM_DLY_1S', 1, 'DELAY_INST', '', '', 20016),
  ('ALM_DLY_2S', 2, 'DELAY_INST', '', '', 20017),
  ('ALM_DLY_5S', 3, 'DELAY_INST', '', '', 20018),
  ('ALM_DLY_10S', 4, 'DELAY_INST', '', '', 20019),
  ('ALM_DLY_30S', 5, 'DELAY_INST', '', '', 20020),
  ('ALM_DLY_60S', 6, 'DELAY_INST', '', '', 20021),
  ('ALM_DLY_120S', 7, 'DELAY_INST', '', '', 20022);

-- Alarms (their comments: the alarm text).
INSERT INTO sourceScan ("name", "id", "class", "fupId", "comment", "sourceLine") VALUES
  ('ALM_OVERSPEED', 1, 'ALARM', '100001', 'Engine overspeed', 229),
  ('ALM_LUB_OIL_PRESS_LOW', 2, 'ALARM', '100002', 'Lube oil pressure low', 230),
  ('ALM_LUB_OIL_TEMP_HIGH', 3, 'ALARM', '100003', 'Lube oil temperature high', 231),
  ('ALM_COOL_WATER_TEMP_HIGH', 4, 'ALARM', '100004', 'Cooling water temperature high', 232),
  ('ALM_FUEL_PRESS_LOW', 5, 'ALARM', '100005', 'Fuel pressure low', 233),
  ('ALM_CHARGE_AIR_TEMP_HIGH', 6, 'ALARM', '100006', 'Charge air temperature high', 234),
  ('ALM_CHARGE_AIR_PRESS_HIGH', 7, 'ALARM', '100007', 'Charge air pressure high', 235),
  ('ALM_TURBO_OVERSPEED', 8, 'ALARM', '100008', 'Turbocharger overspeed', 236),
  ('ALM_EXH_TEMP_AVG_HIGH', 9, 'ALARM', '100009', 'Exhaust average high', 237),
  ('ALM_START_AIR_PRESS_LOW', 10, 'ALARM', '100010', 'Start air pressure low', 238),
  ('ALM_CRANK_CASE_PRESS_HIGH', 11, 'ALARM', '100011', 'Crank case pressure high', 239),
  ('ALM_SLOWDOWN', 12, 'ALARM', '100012', 'Slow-down', 240),
  ('ALM_SHUTDOWN', 13, 'ALARM', '100013', 'Shut-down', 241),
  ('ALM_LUB_PUMP_FAIL', 14, 'ALARM', '100014', 'Lubricator pump failure', 242),
  ('ALM_LUB_FEED_RATE_LOW', 15, 'ALARM', '100015', 'Cylinder oil feed rate low', 243),
  ('ALM_MODULE_STATE', 16, 'ALARM', '100016', 'Module state not normal', 244),
  ('ALM_SW_UPDATE_FAILURE', 17, 'ALARM', '100017', 'Software update failed', 245),
  ('ALM_ENGINE_LOAD_HIGH', 18, 'ALARM', '100018', 'Engine load high', 246),
  ('ALM_FUEL_RACK_LIMIT', 19, 'ALARM', '100019', 'Fuel rack out of range', 247),
  ('ALM_GOV_DEVIATION', 20, 'ALARM', '100020', 'Governor deviation', 248),
  ('ALM_CYL_PMAX_DEV', 35, 'ALARM', '100035', 'Peak pressure deviation', 263),
  ('ALM_RUNNING_HOURS', 36, 'ALARM', '100036', 'Maintenance due', 264),
  ('ALM_HORN', 37, 'ALARM', '100037', 'Horn', 265),
  ('ALM_ALARM_OVERFLOW', 38, 'ALARM', '100038', 'Too many alarms', 266),
  ('ALM_TURBO_SPEED_LOW', 39, 'ALARM', '100039', 'Turbocharger speed low', 267),
  ('ALM_ENGINE_STSTILL_FAIL', 40, 'ALARM', '100040', 'Standstill signal failure', 268);

-- One exhaust-temperature alarm per cylinder (alarms are never arrays).
INSERT INTO sourceScan ("name", "id", "class", "fupId", "comment", "sourceLine")
  WITH RECURSIVE cyl(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM cyl WHERE i < 13)
  SELECT printf('ALM_CYL_EXH_TEMP_HIGH_%02d', i), 21 + i, 'ALARM', '1' || printf('%05d', 21 + i),
         printf('Exhaust temperature high cyl %d', i + 1), 249 + i
  FROM cyl;

-- Constants of dataContainer.h: the program's version, the developer number, the
-- data-container version, and the loop counts of the layout tables.
INSERT INTO sourceScan ("name", "id", "class", "sourceLine") VALUES
  ('APPL_VERSION', 3, 'CONSTANT', 12),
  ('APPL_DEVELOPER_NO', 1305, 'CONSTANT', 13),
  ('DAT_DC_VERSION', 7, 'CONSTANT', 14);
INSERT INTO sourceScan ("name", "id", "class", "sourceLine")
  SELECT 'NO_OF_PARAMETERS', count(*), 'CONSTANT', 16 FROM sourceScan WHERE "class" = 'PARAMETER';
INSERT INTO sourceScan ("name", "id", "class", "sourceLine")
  SELECT 'NO_OF_VARIABLES', count(*), 'CONSTANT', 17 FROM sourceScan WHERE "class" = 'VARIABLE';
INSERT INTO sourceScan ("name", "id", "class", "sourceLine")
  SELECT 'NO_OF_ALARMS', count(*), 'CONSTANT', 18 FROM sourceScan WHERE "class" = 'ALARM';
INSERT INTO sourceScan ("name", "id", "class", "sourceLine")
  SELECT 'NO_OF_PAR_' || "varGroup", count(*), 'CONSTANT',
         CASE "varGroup" WHEN 'GLB' THEN 19 WHEN 'ENG' THEN 20 WHEN 'CYL' THEN 21
                         WHEN 'LUB' THEN 22 ELSE 23 END
  FROM sourceScan WHERE "class" = 'PARAMETER' GROUP BY "varGroup";

-- The other constants of the headers, and the two names that number the parameters:
-- PARA_FIRST_ENUM lands on 1024 (PARAMETER_OFFSET_1024 is 0), PARA_LAST_ENUM after the last
-- global parameter.
INSERT INTO sourceScan ("name", "id", "class", "fupId", "comment", "sourceLine") VALUES
  ('PARAMETER_OFFSET_1024', 0, 'CONSTANT', NULL, NULL, 10007),
  ('MAX_NO_OF_CYL', 14, 'CONSTANT', NULL, NULL, 10008),
  ('MAX_NO_OF_MODULES', 15, 'CONSTANT', NULL, NULL, 10009),
  ('CAN_NODE_MASK', 127, 'CONSTANT', NULL, NULL, 10010),
  ('MODULE_ID_STEP', 4096, 'CONSTANT', NULL, NULL, 10011),
  ('LIB_VERSION', 12, 'CONSTANT', NULL, NULL, 20007),
  ('NO_OF_DELAY_INST', 8, 'CONSTANT', NULL, NULL, 20008),
  ('PARA_FIRST_ENUM', 1024, '?', '', '', 33),
  ('PARA_LAST_ENUM', 1100, 'CONSTANT', '', '', 99);

-- Every symbol as an unchanged result of the last scan.
UPDATE sourceScan SET "module" = 'PXU',
  "upDate" = CASE WHEN "class" IN ('PARAMETER', 'VARIABLE', 'ALARM') THEN 1 ELSE 0 END;

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
