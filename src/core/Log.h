#pragma once

#include <QLoggingCategory>
#include <QString>

// The program's log: one category per layer, every line with its time. Events are logged
// (a board attached, the relay dropped, the library chosen, findings in the configuration),
// never the cycle itself; what the cycle skips is counted (ErrorTally.h).
//
// A category can be silenced or made more talkative with Qt's own rules, for example
// QT_LOGGING_RULES="tavrel.relay.info=false".
namespace tavrel {

Q_DECLARE_LOGGING_CATEGORY(lcConfig) // tavrel.config: the file read, its findings
Q_DECLARE_LOGGING_CATEGORY(lcBoards) // tavrel.boards: board library, attach, detach, board errors
Q_DECLARE_LOGGING_CATEGORY(lcRelay)  // tavrel.relay: the relay link's connection
Q_DECLARE_LOGGING_CATEGORY(lcSource) // tavrel.source: the data server, the simulator's state
Q_DECLARE_LOGGING_CATEGORY(lcEpic)   // tavrel.epic: the EPIC card's library and link
Q_DECLARE_LOGGING_CATEGORY(lcKeys)   // tavrel.keys: the key injector and the keys pressed

namespace log {

// Where the log goes when no --log is given: on Windows, where a window program has no
// console, the file localFile() names; elsewhere standard error (an empty name).
QString defaultFile();
// tavrel.log in the user's local application data folder (the application's name must be
// set first).
QString localFile();

// From now on every message of the process, Qt's own included, is written as one line
// with its time to `file` (appended; a file over 1 MiB is first moved to FILE.old), or
// to standard error when `file` is empty or cannot be opened (then the reason goes into
// `error`). `quiet` leaves out the information lines of the program's own categories:
// warnings and errors only.
bool install(const QString &file, bool quiet, QString *error = nullptr);

// One log line without its line end: "2025-06-01 14:03:22.123 tavrel.boards info: text".
QString formatLine(QtMsgType type, const char *category, const QString &message);

} // namespace log

} // namespace tavrel
