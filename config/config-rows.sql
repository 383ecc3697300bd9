-- Rows of the sample configuration.
INSERT INTO miscellaneous (item, value) VALUES ('applType', 'ZENT');
