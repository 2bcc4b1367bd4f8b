#include "exception.h"

#include <QCoreApplication>

Exception::Exception(const QString &message)
    : m_message(message)
{
}

Exception::Exception(const char *text)
    : m_message(QString::fromUtf8(text))
{
}

Exception::~Exception() = default;

const char *Exception::what() const noexcept
{
    m_utf8 = m_message.toUtf8();
    return m_utf8.constData();
}

QString Exception::whatQString() const
{
    return m_message;
}

DeviceNotFoundException::DeviceNotFoundException()
    : Exception(QCoreApplication::translate("Exception", "Несуществующее устройство"))
{
}
