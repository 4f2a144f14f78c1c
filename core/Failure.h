#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A failure of a statement, with the description that the error dialog shows.
class Failure : public std::exception
{
public:
    explicit Failure(QString description)
        : m_description(std::move(description)), m_utf8(m_description.toUtf8())
    {
    }

    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

    static Failure invalidArgument()
    {
        return Failure(QStringLiteral("Invalid procedure call or argument"));
    }
    static Failure overflow() { return Failure(QStringLiteral("Overflow")); }
    static Failure outOfMemory() { return Failure(QStringLiteral("Out of memory")); }
    static Failure typeMismatch() { return Failure(QStringLiteral("Type mismatch")); }
    static Failure indexOutOfBounds() { return Failure(QStringLiteral("Index out of bounds")); }

private:
    QString m_description;
    QByteArray m_utf8;
};

// Thrown out of Progress::yield() when the program is closing. It is not a
// std::exception on purpose: error traps let it pass instead of reporting it.
struct CommandAborted
{
};
