-- The configuration scripts/run gives the tool: the sample rows, and these changes.

-- The guided update loads the new application only: no FPGA file comes along with it, so
-- the FPGA box may not follow the Application box.
UPDATE miscellaneous SET value = 'no' WHERE item = 'forceFPGAdownload';
