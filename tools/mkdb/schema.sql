-- The empty database that ships beside the program as dat/dzxcb.mdb.
-- kelvor_mkdb runs these statements in order when the build makes the file;
-- the program itself never creates the file or a table.
--
-- Dates are stored as text "yyyy-MM-dd" and date-times as text
-- "yyyy-MM-dd HH:mm:ss": fixed width, zero-padded, most significant part
-- first. In that form the text order is the calendar order, so the range
-- conditions of the listings (drq>= :rq0 and drq<= :rq1) compare correctly
-- as plain text and include both ends. The program binds every date and
-- date-time in exactly this form.
--
-- Paths are TEXT without a length limit: they are stored whole.
--
-- The file holds plain statements separated by semicolons; comments are
-- whole-line or end-of-line "--" comments. No literal below may contain a
-- semicolon or two dashes, because the tool splits the file on them.

-- One row per recorded video file.
CREATE TABLE avib (
    iid     INTEGER PRIMARY KEY AUTOINCREMENT, -- order of insertion = order of recordings
    sj      TEXT,     -- start of the recording, "yyyy-MM-dd HH:mm:ss"
    drq     TEXT,     -- day of the start, "yyyy-MM-dd"
    wjmc    TEXT,     -- file name, "YYMMDDHHMMSS.avi"
    strpath TEXT,     -- full path of the file
    wjid    SMALLINT  -- 0 while recording, 1 once finished
);

-- One row per alarm snapshot.
CREATE TABLE bjb (
    iid     INTEGER PRIMARY KEY AUTOINCREMENT, -- order of insertion = order of snapshots
    strpath TEXT,     -- full path of the snapshot picture
    bjsj    TEXT,     -- moment of the snapshot, "yyyy-MM-dd HH:mm:ss"
    drq     TEXT,     -- day of the snapshot, "yyyy-MM-dd"
    sendbz  TEXT CHECK (sendbz IS NULL OR length(sendbz) = 1), -- "N" unsent, "Y" mailed
    pxid    INTEGER   -- position in the latest date listing, NULL until first listed
);

-- The listings filter on the day and walk in insertion order.
CREATE INDEX avib_wjid_drq ON avib (wjid, drq);
CREATE INDEX bjb_drq ON bjb (drq);
CREATE INDEX bjb_sendbz ON bjb (sendbz);
