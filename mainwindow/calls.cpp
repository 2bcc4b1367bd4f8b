// The road of every command to the driver: property writes and reads,
// actions on the GUI thread or on a worker thread, the error line and the
// conversion of the special print marks.

#include "fptrmainwindow.h"

#include "errorline.h"
#include "exception.h"
#include "fptrdevicelist.h"
#include "tables.h"
#include "zeruzuva.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QLabel>
#include <QVector>
#include <QtConcurrent/QtConcurrentRun>

namespace {

std::vector<wchar_t> toWide(const QString &text)
{
    std::vector<wchar_t> buffer(size_t(text.size()) + 1, L'\0');
    const int written = text.toWCharArray(buffer.data());
    buffer.resize(size_t(written) + 1);
    buffer[size_t(written)] = L'\0';
    return buffer;
}

} // namespace

ZEruZuva *FptrMainWindow::resolve(ZEruZuva *given)
{
    ZEruZuva *target = given ? given : device();
    if (!target || !target->ted())
        throw DeviceNotFoundException();
    return target;
}

void FptrMainWindow::setInt(int (IFptr::*op)(int), int value, ZEruZuva *given)
{
    ZEruZuva *target = resolve(given);
    target->raiseError((target->ted()->*op)(value));
}

void FptrMainWindow::setDouble(int (IFptr::*op)(double), double value, ZEruZuva *given)
{
    ZEruZuva *target = resolve(given);
    target->raiseError((target->ted()->*op)(value));
}

void FptrMainWindow::setBuff(int (IFptr::*op)(const wchar_t *), const QString &text, ZEruZuva *given)
{
    ZEruZuva *target = resolve(given);
    const std::vector<wchar_t> buffer = toWide(text);
    target->raiseError((target->ted()->*op)(buffer.data()));
}

void FptrMainWindow::setDate(int (IFptr::*op)(int, int, int), const QDate &date, ZEruZuva *given)
{
    resolve(given)->setDate(op, date);
}

void FptrMainWindow::setTime(int (IFptr::*op)(int, int, int), const QTime &time, ZEruZuva *given)
{
    resolve(given)->setTime(op, time);
}

int FptrMainWindow::getInt(int (IFptr::*op)(int *), ZEruZuva *given)
{
    return resolve(given)->getInt(op);
}

double FptrMainWindow::getDouble(int (IFptr::*op)(double *), ZEruZuva *given)
{
    return resolve(given)->getDouble(op);
}

QString FptrMainWindow::getBuff(int (IFptr::*op)(wchar_t *, int), ZEruZuva *given)
{
    return resolve(given)->getBuff(op);
}

QDate FptrMainWindow::getDate(int (IFptr::*op)(int *, int *, int *), ZEruZuva *given)
{
    return resolve(given)->getDate(op);
}

QTime FptrMainWindow::getTime(int (IFptr::*op)(int *, int *, int *), ZEruZuva *given)
{
    return resolve(given)->getTime(op);
}

int FptrMainWindow::execMethod(int (IFptr::*op)(), ZEruZuva *given)
{
    ZEruZuva *target = resolve(given);
    return target->raiseError((target->ted()->*op)());
}

int FptrMainWindow::doExecMethod(int (IFptr::*op)(), ZEruZuva device)
{
    try {
        if (!device.ted())
            throw DeviceNotFoundException();
        return device.raiseError((device.ted()->*op)());
    } catch (const std::exception &) {
        return -1;
    }
}

int FptrMainWindow::execMethodAsync(int (IFptr::*op)(), ZEruZuva *given)
{
    ZEruZuva *target = resolve(given);
    m_pendingCall = QtConcurrent::run(&FptrMainWindow::doExecMethod, op, ZEruZuva(*target));

    // Sleep in the event loop until the worker finishes: the window keeps
    // painting and the busy bar moving, without burning a core on polling.
    if (!m_pendingCall.isFinished()) {
        QFutureWatcher<int> watcher;
        QEventLoop loop;
        connect(&watcher, &QFutureWatcher<int>::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(m_pendingCall);
        if (!m_pendingCall.isFinished())
            loop.exec(QEventLoop::AllEvents);
    }
    const int result = m_pendingCall.result();
    return raiseError(result, target);
}

int FptrMainWindow::raiseError(int result, ZEruZuva *given)
{
    return resolve(given)->raiseError(result);
}

void FptrMainWindow::setError(const QString &text)
{
    if (m_errorLabel)
        m_errorLabel->setText(text);
}

void FptrMainWindow::setError(const char *text)
{
    setError(QString::fromUtf8(text));
}

void FptrMainWindow::resetError()
{
    setError(QString());
}

QString FptrMainWindow::errorText() const
{
    return m_errorLabel ? m_errorLabel->fullText() : QString();
}

QString FptrMainWindow::ecrText(const QString &text)
{
    QString result = text;
    result.replace(DoubleWidthChar, QChar(0x09));
    result.replace(PictureNumChar, QChar(0x0A));
    result.replace(BarcodeNumChar, QChar(0x0B));
    return result;
}

QString FptrMainWindow::driverText(const QString &text)
{
    QString result = text;
    result.replace(QChar(0x09), DoubleWidthChar);
    result.replace(QChar(0x0A), PictureNumChar);
    result.replace(QChar(0x0B), BarcodeNumChar);
    return result;
}
