// A stand-in driver library for the factory tests. It hands out whatever
// object the test gave it (null by default) and records what comes back.
// Built twice: with both entry points, and (FAKE_DRIVER_CREATE_ONLY) with
// only the create entry, as a broken driver would be.

#include "ifptr.h"

namespace {

VOR::Fptr::IFptr *nextObject = nullptr;
int createCalls = 0;
int lastVersion = 0;
int releaseCalls = 0;
VOR::Fptr::IFptr *lastReleased = nullptr;

} // namespace

extern "C" {

VOR::Fptr::IFptr *CreateFptrInterface(int version)
{
    ++createCalls;
    lastVersion = version;
    return nextObject;
}

#ifndef FAKE_DRIVER_CREATE_ONLY
int ReleaseFptrInterface(VOR::Fptr::IFptr **object)
{
    ++releaseCalls;
    lastReleased = object ? *object : nullptr;
    if (object)
        *object = nullptr;
    return 0;
}
#endif

// Test controls, reached by name like the entry points.
void fakeDriverSetNextObject(VOR::Fptr::IFptr *object)
{
    nextObject = object;
}

int fakeDriverCreateCalls()
{
    return createCalls;
}

int fakeDriverLastVersion()
{
    return lastVersion;
}

int fakeDriverReleaseCalls()
{
    return releaseCalls;
}

VOR::Fptr::IFptr *fakeDriverLastReleased()
{
    return lastReleased;
}

void fakeDriverReset()
{
    nextObject = nullptr;
    createCalls = 0;
    lastVersion = 0;
    releaseCalls = 0;
    lastReleased = nullptr;
}

} // extern "C"
