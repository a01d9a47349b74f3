#pragma once

#include <QString>

#include <ostream>

// Qt texts in test failures as readable text, line ends shown as \r and \n.
inline void PrintTo(const QString &text, std::ostream *os)
{
    QString shown = text;
    shown.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    *os << '"' << shown.toStdString() << '"';
}
