#pragma once

#include <QString>
#include <stdexcept>

namespace zelk {

// What every raised error carries: a number, a source and a description.
struct ErrorRecord {
    int number = 0;
    QString source;
    QString description;
};

class ZelkError : public std::runtime_error {
public:
    explicit ZelkError(ErrorRecord record)
        : std::runtime_error(record.description.toStdString()), m_record(std::move(record)) {}
    const ErrorRecord& record() const { return m_record; }
    int number() const { return m_record.number; }
    const QString& source() const { return m_record.source; }
    const QString& description() const { return m_record.description; }

private:
    ErrorRecord m_record;
};

// A statement or query the engine refused; number = SQLite extended result code.
class DbError : public ZelkError {
public:
    using ZelkError::ZelkError;
};

// A failed input check: number 1, 2 or 3, the window's title as source.
class InputError : public ZelkError {
public:
    using ZelkError::ZelkError;
};

// A value that cannot be read as the kind asked for (e.g. SqlBool of "maybe").
class TypeMismatch : public ZelkError {
public:
    explicit TypeMismatch(const QString& what)
        : ZelkError({13, QStringLiteral("Zelk"), QStringLiteral("Type mismatch: ") + what}) {}
};

class Overflow : public ZelkError {
public:
    Overflow() : ZelkError({6, QStringLiteral("Zelk"), QStringLiteral("Overflow")}) {}
};

} // namespace zelk
