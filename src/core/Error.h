#pragma once

#include <QString>

#include <exception>
#include <string>
#include <utility>

namespace tavrel {

// The one error type of outside calls (boards, libraries, socket, data server) and of
// checked conversions. It carries what the program's error messages show: a number,
// a description and the source that raised it.
class Error : public std::exception
{
public:
    // Numbers follow the runtime the configuration files and peers were written for.
    enum Number : int {
        Overflow = 6,
        TypeMismatch = 13,
        ObjectNotSet = 91,
        CannotCreateObject = 429,
        MemberNotFound = 438,
        FileNotFound = 53,
        InvalidSocketOperation = 40020,
        SocketNotConnected = 40006,
    };

    Error(int number, QString description, QString source = QString());

    int number() const noexcept { return number_; }
    const QString &description() const noexcept { return description_; }
    const QString &source() const noexcept { return source_; }
    const char *what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString description_;
    QString source_;
    std::string what_;
};

// Runs one statement "with errors ignored": an Error it raises is swallowed and the
// caller goes on with its next statement; the statement's targets keep their values.
// Anything else (bad_alloc, logic errors) is a programming fault and passes through.
// Returns whether the statement completed.
template <typename Statement>
bool attempt(Statement &&statement)
{
    try {
        std::forward<Statement>(statement)();
        return true;
    } catch (const Error &) {
        return false;
    }
}

} // namespace tavrel
