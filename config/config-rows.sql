-- Rows of the sample configuration: a ZENT installation with the spare module and
-- cylinder modules on the M-Bus, and the KEV and TOQ load files for the full loader.
-- Every statement ends with ";" at the end of a line.

-------------------------------------------------------------------------------------
-- Miscellaneous items
-------------------------------------------------------------------------------------

-- Installation kind ("DORN" selects the DORN updater; anything else is ZENT).
-- blockTransfer allows SDO block transfer to bootloaders older than 3.0.
INSERT INTO miscellaneous (item, value) VALUES
  ('applType', 'ZENT'),
  ('blockTransfer', 'False'),
  ('numRequiredCylinders', '3'),
  ('forceFPGAdownload', 'yes'),
  ('programFilePath', '');

-- Memory layout, hexadecimal digits without prefix. An application linked at or
-- above 100000 means a big-memory module. Bootloader 2 lies from 10100 up to
-- 30000; nothing else may start below 30000.
INSERT INTO miscellaneous (item, value) VALUES
  ('ADDRESS_PROTECTION_BL1', '10100'),
  ('ADDRESS_PROTECTION_BL2', '30000'),
  ('baseAdrAppl_bigMem', '100000'),
  ('baseAdrDC_bigMem', '60000'),
  ('baseAdrFPGA_bigMem', '30000'),
  ('baseAdrAppl_smallMem', '30000'),
  ('baseAdrDC_smallMem', 'C0000'),
  ('baseAdrFPGA_smallMem', 'D0000');

-- CAN board and buses. Node-id bases are hexadecimal digits without prefix.
INSERT INTO miscellaneous (item, value) VALUES
  ('lastUsedBus', 'M-Bus'),
  ('canDevice', 'USBCompact'),
  ('deviceNo', '0'),
  ('cobIdPC', '1'),
  ('baudrateSBus', '500'),
  ('baudrateMBus', '125'),
  ('cobIdBootloader_Sbus', '70'),
  ('cobIdApplication_Sbus', '20'),
  ('cobIdBootloader_Mbus', '7F'),
  ('cobIdApplication_Mbus', '11'),
  ('cobIdBootloader_Sbus_LORIN', '71'),
  ('cobIdApplication_Sbus_LORIN', '11'),
  ('cobIdBootlKEV', '40'),
  ('cobIdApplKEV', '50'),
  ('cobIdBootlTOQ', '20'),
  ('cobIdApplTOQ', '30');

-- Variable ids of the control software on the CAN bus (12-bit, decimal). Parameters
-- (PAR_) lie from 0x400, variables (GLB_) from 0x800, as in the data container.
-- The hull number uses four consecutive ids, the engine type four (short) or eight
-- (long, developer numbers whose last three digits are 311 or more); every id within
-- eight of an engine-type id goes to the engine type, so nothing else lies there.
INSERT INTO miscellaneous (item, value) VALUES
  ('GLB_CAN_MODULE_STATE_RO', '2080'),      -- 0x820
  ('GLB_CAN_MODULE_STATE_RW', '2081'),      -- 0x821
  ('GLB_CAN_SW_UPDATE_STATE_RO', '2082'),   -- 0x822
  ('GLB_CAN_SW_UPDATE_FAILURE_RO', '2083'), -- 0x823
  ('GLB_ENG_STSTILL', '2064'),              -- 0x810
  ('PAR_CRC_FIRST_APPLICATION', '1040'),    -- 0x410
  ('PAR_TOT_NO_OF_CYL', '1026'),            -- 0x402
  ('PAR_SWINFO_BUILD', '1056'),             -- 0x420
  ('PAR_SWINFO_DEVELOPER_NO', '1057'),      -- 0x421
  ('PAR_SWINFO_HULL_NO', '1064'),           -- 0x428 to 0x42B
  ('PAR_SWINFO_ENGINE_TYPE', '1072'),       -- 0x430 to 0x433
  ('PAR_SWINFO_ENGINE_TYPE_LONG', '1080'),  -- 0x438 to 0x43F
  ('PAR_AUTO_DOWNLD_ACTIVATE', '1027'),     -- 0x403
  ('GLB_CRC_VALUE_IMO', '2096'),            -- 0x830
  ('GLB_CRC_LEN_IMO', '2097'),              -- 0x831
  ('GLB_CRC_VALUE_APPLICATION', '2098'),    -- 0x832
  ('GLB_CRC_LEN_APPLICATION', '2099')       -- 0x833
;

-- Build map of the guided updater, keyed by the application CRC the modules report
-- ("0x" and four upper-case hexadecimal digits). A build value marks an application
-- due for the update; "new" and the build marks the updated application of that
-- build, whose CRC is written back after the download. "appl_" and the build names
-- the updated application's file in the program folder.
--   build 41: installed CRC 0x1A2B, updated by PXU_APPL_B041.S19 to CRC 0x3C4D
--   build 42: installed CRC 0x5E6F, updated by PXU_APPL_B042.S19 to CRC 0x7A8B
-- An updated application file must therefore make the modules report the new CRC.
INSERT INTO miscellaneous (item, value) VALUES
  ('0x1A2B', '41'),
  ('0x3C4D', 'new41'),
  ('appl_41', 'PXU_APPL_B041.S19'),
  ('0x5E6F', '42'),
  ('0x7A8B', 'new42'),
  ('appl_42', 'PXU_APPL_B042.S19');

-------------------------------------------------------------------------------------
-- Symbol aliases: stable names of the data-container tools for the control
-- software's symbols. Names ending in "_" are text symbols, stored in the rows of
-- that name followed by 1 to 8.
-------------------------------------------------------------------------------------

INSERT INTO aliasSymbolName (aliasName, symbolName) VALUES
  ('DC_SWINFO_ENGINE_TYPE_', 'PAR_SWINFO_ENGINE_TYPE_'),
  ('DC_SWINFO_HULL_NO_', 'PAR_SWINFO_HULL_NO_'),
  ('DC_SWINFO_MANUFAC_NO_', 'PAR_SWINFO_MANUFAC_NO_'),
  ('DC_SWINFO_EPI_DB_NO_', 'PAR_SWINFO_EPI_DB_NO_'),
  ('DC_SWINFO_IMO_SW_NO_', 'PAR_SWINFO_IMO_SW_NO_'),
  ('DC_SWINFO_SW_VERSION', 'PAR_SWINFO_SW_VERSION'),
  ('DC_SWINFO_BUILD', 'PAR_SWINFO_BUILD'),
  ('DC_SWINFO_DEVELOPER_NO', 'PAR_SWINFO_DEVELOPER_NO'),
  ('DC_SWINFO_BOOTLOADER_VERSION', 'PAR_SWINFO_BOOTLOADER_VERSION'),
  ('DC_CRC_FIRST_APPLICATION', 'PAR_CRC_FIRST_APPLICATION');

-- CRC symbols of the parameter groups BASIC, USER, ADJUST, IMO, GLOBAL, COMMIS, LUB.
INSERT INTO aliasSymbolName (aliasName, symbolName) VALUES
  ('DC_CRC_FIRST_GROUP1', 'PAR_CRC_FIRST_BASIC'),
  ('DC_CRC_FIRST_GROUP2', 'PAR_CRC_FIRST_USER'),
  ('DC_CRC_FIRST_GROUP3', 'PAR_CRC_FIRST_ADJUST'),
  ('DC_CRC_FIRST_GROUP4', 'PAR_CRC_FIRST_IMO'),
  ('DC_CRC_FIRST_GROUP5', 'PAR_CRC_FIRST_GLOBAL'),
  ('DC_CRC_FIRST_GROUP6', 'PAR_CRC_FIRST_COMMIS'),
  ('DC_CRC_FIRST_GROUP7', 'PAR_CRC_FIRST_LUB');

-------------------------------------------------------------------------------------
-- User messages. Texts with "{*}" are formatted before they are shown, the values
-- filled in the order of the placeholders; "\n" is a line break there only. A set
-- okButton makes the updater show its OK button and wait. No text may begin with a
-- digit: the updater would take it for a message id.
-------------------------------------------------------------------------------------

-- Full loader and both faces.
INSERT INTO messages (MessageID, MessageText, okButton) VALUES
  (1, 'Please make sure that the engine is at standstill and that the USB-to-CAN converter is connected. Do you want to start?', 1),
  (2, 'The spare module (PXU #0) is not connected. Please connect the spare module and try again.', 0),
  (3, 'A PXU with an ID higher than 2 is running its bootloader in this DORN system. Please check the ID-plugs. The Loader will terminate.', 0),
  (4, 'The spare module is selected, but not all connected cylinder modules are. Do you want to continue the download without them?', 0),
  (5, 'Downloading the cylinder modules over the M-Bus needs CANInterface.dll version 1.1 or higher. Please connect the loader to the S-Bus or install a newer CAN interface.', 0),
  (6, 'No module was found on the M-Bus or on the S-Bus. Which bus is the USB-to-CAN converter connected to?', 0),
  (7, 'The bootloader will be started on the selected modules and their application will stop. Please make sure that the engine is at standstill.', 0),
  (8, 'The loader is not connected to the spare module: the module answering as module 0 is PXU #{*}. Please connect the USB-to-CAN converter to the spare module. The Loader will terminate.', 0),
  (83, 'Downloading the application update to PXU #{*} ...', 0);

-- Guided updater: one text per step (the step number times ten), shown as the
-- step begins. Steps 6 and 7 are never entered.
INSERT INTO messages (MessageID, MessageText, okButton) VALUES
  (10, 'Connecting to the ZENT ...', 0),
  (20, 'Reading the system information of the ZENT ...', 0),
  (30, 'Evaluating the build of the installed application ...', 0),
  (40, 'Detecting the PXU modules ...', 0),
  (50, 'Enabling auto download in all modules. Please wait ...', 0),
  (60, 'Starting the bootloader on the cylinder modules ...', 0),
  (70, 'Starting the bootloader on the spare module ...', 0),
  (80, 'Downloading the application update. Please wait ...', 0),
  (90, 'Starting the updated application ...', 0),
  (100, 'Writing the new application CRC ...', 0),
  (110, 'Checking the update ...', 0),
  (120, 'Update done.', 0);

-- Guided updater: outcomes and questions.
INSERT INTO messages (MessageID, MessageText, okButton) VALUES
  (11, 'The USB-to-CAN converter could not be initialised. Please check that it is plugged in and start the update again.', 0),
  (12, 'The loader is connected to PXU #{*}, not to the spare module. Please connect the USB-to-CAN converter to the spare module (PXU #0) and start the update again.', 0),
  (13, 'No PXU was detected. Please check the connection to the M-Bus and start the update again.', 0),
  (14, 'The spare module is running its bootloader. Please switch the spare module off and on and start the update again.', 0),
  (21, 'The system information could not be read completely. Please check the connection and start the update again.', 0),
  (31, 'The application is up to date: the update is already installed.', 0),
  (32, 'The build of the installed application is unknown. There is no update for this engine.', 0),
  (41, 'Auto download is not activated yet. Activating auto download ...', 0),
  (42, 'Auto download has been activated. Please restart the ZENT (switch all PXU-20 modules off and on) and run the update again.', 0),
  (43, 'Not all PXU''s were detected. Missing: {*}. Please check these modules and start the update again.', 0),
  (71, 'Hull number: {*}\nEngine type: {*}\nNumber of cylinders: {*}\nBuild: {*}\nApplication CRC: {*} / Len: {*}\nIMO CRC: {*} / Len: {*}\n\nPress Update to install the application update, or Finish to cancel.', 1),
  (73, 'Hull number: {*}\nEngine type: {*}\nNumber of cylinders: {*}\nBuild: {*}\nApplication CRC: {*} / Len: {*}\nIMO CRC: {*} / Len: {*}\n\nThe following PXU''s are running their bootloader: {*}.\nPress Update to download the application to them, or Finish to cancel.', 1),
  (81, 'The application update could not be downloaded to the spare module. The software is not updated.', 0),
  (82, 'The application update could not be downloaded to all PXU''s. Failed: {*}. Press Open Instruction to see what to do next.', 0),
  (91, 'Not all PXU''s started the application. Not started: {*}. Please check these modules.', 0),
  (101, 'The new application CRC could not be written to the ZENT. The software update has failed.', 1),
  (111, 'The update could not be checked: the ZENT did not report its system information. The software update has failed.', 1),
  (121, 'The software has been updated successfully.\nHull number: {*}\nEngine type: {*}\nNumber of cylinders: {*}\nBuild: {*}\nApplication CRC: {*} / Len: {*}\nIMO CRC: {*} / Len: {*}', 0),
  (122, 'The update was canceled. The software is not updated.', 0);

-------------------------------------------------------------------------------------
-- Load files, relative to the load-file folder, by module type and section. With
-- "New" ticked the FPGA and BL2 boxes stand for sections 9 and 8, and every file is
-- read with "_New.S19" in place of ".S19", so those rows name the same files.
-------------------------------------------------------------------------------------

INSERT INTO loadFiles (module, fileType, section, fileName) VALUES
  ('PXU', 'OUT', 3, 'PXU_BL2.S19'),
  ('PXU', 'OUT', 4, 'PXU_DATA.S19'),
  ('PXU', 'OUT', 6, 'PXU_APPL.S19'),
  ('PXU', 'OUT', 7, 'PXU_FPGA.S19'),
  ('PXU', 'OUT', 8, 'PXU_BL2.S19'),
  ('PXU', 'OUT', 9, 'PXU_FPGA.S19'),
  ('KEV', 'OUT', 1, 'KEV_BL2.S19'),
  ('KEV', 'OUT', 2, 'KEV_APPL.S19'),
  ('TOQ', 'OUT', 1, 'TOQ_BL2.S19'),
  ('TOQ', 'OUT', 2, 'TOQ_APPL.S19');
