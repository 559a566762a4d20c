#pragma once

#include <QString>

#include <exception>

// Base of the program's exceptions: carries a message for the user, shown
// through the positioned message box by whoever catches it. Subclasses name
// the failing unit (ETntGeneralError, EHistoryDataError, ...).
class Exception : public std::exception
{
public:
    explicit Exception(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8())
    {
    }

    const QString &Message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Declares `class Name : public Base` with the message constructor.
#define MURVEN_DECLARE_EXCEPTION(Name, Base)                                                               \
    class Name : public Base                                                                               \
    {                                                                                                      \
    public:                                                                                                \
        using Base::Base;                                                                                  \
    }

// An operating-system call failed; the message is the system's text for the error.
MURVEN_DECLARE_EXCEPTION(EOSError, Exception);
