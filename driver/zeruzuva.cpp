#include "zeruzuva.h"

template class ZUdeZazezavav<VOR::Fptr::IFptr>;

ZEruZuva::ZEruZuva() = default;

ZEruZuva::ZEruZuva(VOR::Fptr::IFptr *driver)
    : ZUdeZazezavav<VOR::Fptr::IFptr>(driver)
{
}

ZEruZuva::~ZEruZuva() = default;

// Most texts of a register (captions, descriptions, answers) fit in a line
// of a receipt, so a small first buffer rarely needs a second call.
int ZEruZuva::defaultBufferSize() const
{
    return 256;
}

QDate ZEruZuva::getDate(TripleGetter getter) const
{
    VOR::Fptr::IFptr *driver = required();
    int day = 0;
    int month = 0;
    int year = 0;
    (driver->*getter)(&day, &month, &year);
    return QDate(year, month, day);
}

QTime ZEruZuva::getTime(TripleGetter getter) const
{
    VOR::Fptr::IFptr *driver = required();
    int hour = 0;
    int minute = 0;
    int second = 0;
    (driver->*getter)(&hour, &minute, &second);
    return QTime(hour, minute, second);
}

int ZEruZuva::setDate(TripleSetter setter, const QDate &date) const
{
    VOR::Fptr::IFptr *driver = required();
    return raiseError((driver->*setter)(date.day(), date.month(), date.year()));
}

int ZEruZuva::setTime(TripleSetter setter, const QTime &time) const
{
    VOR::Fptr::IFptr *driver = required();
    return raiseError((driver->*setter)(time.hour(), time.minute(), time.second()));
}
