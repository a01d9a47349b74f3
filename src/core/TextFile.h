#pragma once

#include <QString>

// The few file operations start-up needs, with failures reported as Error (number and
// description as the operator's error message shows them).
namespace tavrel::textfile {

// Whether a file (not a folder) stands at path.
bool exists(const QString &path);

// Copies a file over any file of the target's name.
void copy(const QString &from, const QString &to);

// The whole text of a file read as Windows-1252, at most `limit` characters: a caller
// with a length limit learns that the file is too long without reading all of it.
QString readAnsi(const QString &path, qsizetype limit);

} // namespace tavrel::textfile
