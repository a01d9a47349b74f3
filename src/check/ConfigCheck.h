#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// tavrel-check: what a Tavrel.cfg does that its author likely did not mean, each finding
// with the line it stands on. It reads the file with the program's own reader and judges
// the entries with the program's own keyword tables and rules.
namespace tavrel::check {

// An error is what the program refuses, or what silently disables more than its own
// line; a warning is what reads fine but cannot do what it says.
enum class Level { Warning, Error };

struct Finding
{
    int line = 0; // from 1; 0 for the file as a whole
    Level level = Level::Warning;
    QString message;
};

// The findings for the text of a configuration file, in line order.
QList<Finding> checkText(QStringView text);

// Reads a file as the program does (Windows-1252) and checks it. A file that cannot be
// read is one error on line 0.
QList<Finding> checkFile(const QString &path);

// "FILE:LINE: error: ..." (without LINE for line 0), as compilers write it.
QString formatFinding(const QString &file, const Finding &finding);
// "FILE: 2 errors, 1 warning" or "FILE: no problems found".
QString summary(const QString &file, const QList<Finding> &findings);
// 0 clean, 1 warnings only, 2 any error.
int exitCode(const QList<Finding> &findings);

} // namespace tavrel::check
