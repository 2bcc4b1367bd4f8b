#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The one failure type of the program: it carries the whole user-facing text.
// Thrown by value, caught by reference; handlers show what() in the error line.
class Exception : public std::exception
{
public:
    explicit Exception(const QString &message);
    // The text is UTF-8, as every literal of the program.
    explicit Exception(const char *text);
    ~Exception() override;

    // The message as UTF-8; the pointer stays valid until the next what() on
    // the same object or its destruction.
    const char *what() const noexcept override;

    QString whatQString() const;

private:
    QString m_message;
    mutable QByteArray m_utf8;
};

// Raised wherever a driver object is needed and none is given.
class DeviceNotFoundException : public Exception
{
public:
    DeviceNotFoundException();
};
