#pragma once

#include <QSqlError>

class QSqlDatabase;

// The archive's tables and how a file of an older layout is brought to the
// current one. The layout's version stands in the file (PRAGMA user_version).
namespace ArchiveSchema {

// The layout this program writes; a file with a higher version comes from a
// newer program and is only read.
int currentVersion();

// Brings the open file from `fromVersion` to currentVersion(), one
// transaction per step, so that a failed step leaves the file at the last
// version it reached. Returns the error of the step that failed.
QSqlError migrate(QSqlDatabase &db, int fromVersion);

} // namespace ArchiveSchema
