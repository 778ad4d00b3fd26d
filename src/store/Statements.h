#pragma once

// Every statement the program issues, in one place. The texts are kept
// exactly as the program has always issued them, in the Jet dialect,
// including their trailing and doubled blanks; DbQuery rewrites "top N" for
// SQLite when a statement runs (see JetSql.h). A name after a colon is a
// named parameter, set by name on the query object before it runs.
//
// Dates are bound as "yyyy-MM-dd" text, date-times as "yyyy-MM-dd HH:mm:ss"
// text, wjid as a small integer, iid and pxid as 32-bit integers.

// --- avib: one row per recorded video file ---------------------------------

// :sj date-time, :drq date, :wjmc text, :strpath text, :wjid small integer
inline constexpr char kInsertAvib[] =
    "insert into avib(sj,drq,wjmc,strpath,wjid) values(:sj,:drq,:wjmc,:strpath,:wjid)";

// Closes open recordings: always :wjid1 = 1, :wjid2 = 0.
inline constexpr char kUpdateAvibWjid[] = "update avib set wjid= :wjid1 where wjid= :wjid2";

// Date listing of recordings: :wjid, :rq0 and :rq1 dates, both ends included.
inline constexpr char kSelectAvibByDate[] =
    "select * from avib where wjid= :wjid  and drq>= :rq0 and drq<= :rq1 order by iid ";

inline constexpr char kDeleteAvibByWjid[] = "delete from avib where wjid= :wjid ";

// The 5 oldest recordings with the given state.
inline constexpr char kSelectTop5Avib[] =
    "select top 5 * from avib where wjid= :wjid order by iid ";

inline constexpr char kDeleteAvibByIid[] = "delete from avib where iid= :iid ";

// The 2 oldest recordings with the given state.
inline constexpr char kSelectTop2Avib[] =
    "select top 2 * from avib where wjid= :wjid  order by iid ";

// --- bjb: one row per alarm snapshot -----------------------------------------

// :strpath text, :bjsj date-time, :drq date, :sendbz one character
inline constexpr char kInsertBjb[] =
    "insert into bjb(strpath,bjsj,drq,sendbz) values(:strpath,:bjsj,:drq,:sendbz)";

// Number of snapshots with sendbz = :t0, read through the alias expr1001.
inline constexpr char kCountBjbBySendbz[] =
    "select count(*) as expr1001 from bjb where sendbz= :t0 ";

inline constexpr char kSelectTop20Bjb[] =
    "select top 20 * from bjb where sendbz= :sendbz  order by iid ";

inline constexpr char kUpdateBjbSendbz[] = "update bjb set sendbz= :t0 where iid= :iid ";

// Date listing of snapshots: :rq0 and :rq1 dates, both ends included.
inline constexpr char kSelectBjbByDate[] =
    "select * from bjb where drq>= :rq0 and drq<= :rq1 order by iid ";

inline constexpr char kUpdateBjbPxid[] = "update bjb set pxid= :pxid where iid= :iid ";

inline constexpr char kDeleteAllBjb[] = "delete from bjb   ";

inline constexpr char kSelectAllBjb[] = "select * from bjb   order by iid ";
