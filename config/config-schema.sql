-- The configuration database of the tool. Text columns compare case-insensitively,
-- as the original database engine did.

CREATE TABLE miscellaneous (
  item  TEXT COLLATE NOCASE PRIMARY KEY,
  value TEXT COLLATE NOCASE
);

CREATE TABLE aliasSymbolName (
  aliasName  TEXT COLLATE NOCASE PRIMARY KEY,
  symbolName TEXT COLLATE NOCASE
);

CREATE TABLE messages (
  MessageID   INTEGER PRIMARY KEY,
  MessageText TEXT,
  okButton    INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE loadFiles (
  module   TEXT COLLATE NOCASE NOT NULL,
  fileType TEXT COLLATE NOCASE NOT NULL,
  section  INTEGER NOT NULL,
  fileName TEXT
);
