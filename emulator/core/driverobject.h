#pragma once

// The driver object handed to callers: the whole contract, produced by
// expanding its operation lists. Each getter and setter goes to the property
// store of the device (through the device's read and write hooks), each
// action to the device's action table. Pointers and lengths from the caller
// are checked here, once for every operation.

#include "core/device.h"

namespace vreg {

class DriverObject final : public VOR::Fptr::IFptr
{
public:
    explicit DriverObject(DeviceKind kind);
    ~DriverObject() override;

#define VREG_MEMBER_INT_R(Name) \
    int Name(int *value) override { return readValue(Prop::Name, &PropertyStore::Name, value); }
#define VREG_MEMBER_INT_W(Name) \
    int Name(int value) override { return writeValue(Prop::Name, &PropertyStore::Name, value); }
#define VREG_MEMBER_DOUBLE_R(Name) \
    int Name(double *value) override { return readValue(Prop::Name, &PropertyStore::Name, value); }
#define VREG_MEMBER_DOUBLE_W(Name) \
    int Name(double value) override { return writeValue(Prop::Name, &PropertyStore::Name, value); }
#define VREG_MEMBER_STRING_R(Name) \
    int Name(wchar_t *buffer, int capacity) override \
    { \
        return readString(Prop::Name, &PropertyStore::Name, buffer, capacity); \
    }
#define VREG_MEMBER_STRING_W(Name) \
    int Name(const wchar_t *value) override { return writeString(Prop::Name, &PropertyStore::Name, value); }
#define VREG_MEMBER_DATE_R(Name) \
    int Name(int *day, int *month, int *year) override \
    { \
        return readDate(Prop::Name, &PropertyStore::Name, day, month, year); \
    }
#define VREG_MEMBER_DATE_W(Name) \
    int Name(int day, int month, int year) override \
    { \
        return writeValue(Prop::Name, &PropertyStore::Name, QDate(year, month, day)); \
    }
#define VREG_MEMBER_TIME_R(Name) \
    int Name(int *hour, int *minute, int *second) override \
    { \
        return readTime(Prop::Name, &PropertyStore::Name, hour, minute, second); \
    }
#define VREG_MEMBER_TIME_W(Name) \
    int Name(int hour, int minute, int second) override \
    { \
        return writeValue(Prop::Name, &PropertyStore::Name, QTime(hour, minute, second)); \
    }
#define VREG_MEMBER_PROPERTY(kind, Name, access) VOR_PROPERTY_MEMBERS(kind, Name, access, VREG_MEMBER)
#define VREG_MEMBER_ACTION(Name) \
    int Name() override \
    { \
        const auto guard = m_device.lock(); \
        return m_device.run(Action::Name); \
    }

    VOR_ALL_OPERATIONS(VREG_MEMBER_PROPERTY, VREG_MEMBER_ACTION)

#undef VREG_MEMBER_PROPERTY
#undef VREG_MEMBER_ACTION
#undef VREG_MEMBER_INT_R
#undef VREG_MEMBER_INT_W
#undef VREG_MEMBER_DOUBLE_R
#undef VREG_MEMBER_DOUBLE_W
#undef VREG_MEMBER_STRING_R
#undef VREG_MEMBER_STRING_W
#undef VREG_MEMBER_DATE_R
#undef VREG_MEMBER_DATE_W
#undef VREG_MEMBER_TIME_R
#undef VREG_MEMBER_TIME_W

    int ParentWindow(void *window) override;
    int ReadSetting(const wchar_t *name, wchar_t *buffer, int capacity) override;
    int WriteSetting(const wchar_t *name, const wchar_t *value) override;
    int ReadSettingDescription(const wchar_t *name, wchar_t *buffer, int capacity) override;
    int ScannerCallback(VOR::AbstractScannerEventHandler *handler) override;

    // Copies a text into a caller's buffer: at most capacity - 1 characters
    // and a terminating zero (nothing with a null buffer or a capacity below
    // 1); returns the length of the whole text.
    static int copyOut(const QString &text, wchar_t *buffer, int capacity);

private:
    // Getters leave the result of the last call alone (reading ResultCode
    // must not clear it); they record a failure only for a null pointer.
    template <typename T>
    int readValue(Prop property, T PropertyStore::*field, T *value)
    {
        const auto guard = m_device.lock();
        if (!value)
            return nullPointer(property);
        m_device.beforeRead(property);
        *value = m_device.props().*field;
        return 0;
    }
    int readString(Prop property, QString PropertyStore::*field, wchar_t *buffer, int capacity);
    int readDate(Prop property, QDate PropertyStore::*field, int *day, int *month, int *year);
    int readTime(Prop property, QTime PropertyStore::*field, int *hour, int *minute, int *second);

    // Setters store the value and succeed, unless the property has a write
    // hook that refuses it (then the old value stays).
    template <typename T>
    int writeValue(Prop property, T PropertyStore::*field, const T &value)
    {
        const auto guard = m_device.lock();
        PropertyStore &props = m_device.props();
        T previous = props.*field;
        props.*field = value;
        m_device.succeed();
        const int result = m_device.afterWrite(property);
        if (result < 0)
            props.*field = previous;
        return result;
    }
    int writeString(Prop property, QString PropertyStore::*field, const wchar_t *value);

    int nullPointer(Prop property);

    DeviceContext m_device;
};

} // namespace vreg
