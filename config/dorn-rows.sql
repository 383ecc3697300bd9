-- A DORN installation, applied after config-rows.sql: the DORN updater, whose
-- success message takes the six values of a DORN engine (no IMO CRC).
-- Every statement ends with ";" at the end of a line.

UPDATE miscellaneous SET value = 'DORN' WHERE item = 'applType';

UPDATE messages SET MessageText = 'The software has been updated successfully.\nHull number: {*}\nEngine type: {*}\nNumber of cylinders: {*}\nBuild: {*}\nApplication CRC: {*} / Len: {*}' WHERE MessageID = 121;
