#pragma once

#include <QString>

// Rewrites a statement of the program's Jet dialect into SQLite.
//
// The only construct the two disagree on is the row limit: a statement that
// begins with "select top N" (any case, N digits) becomes the same text
// without "top N" and with " limit N" at its end; the rest of the text,
// blanks included, is kept as it is. Any other statement is returned
// unchanged: named parameters (":name") and aggregate aliases
// ("count(*) as expr1001") are already valid SQLite.
QString toSqlite(const QString& jetStatement);
