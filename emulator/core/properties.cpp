#include "core/properties.h"

namespace vreg {

namespace {

const char *const kPropertyNames[] = {
#define VREG_PROP_NAME(kind, Name, access) #Name,
    VOR_ALL_OPERATIONS(VREG_PROP_NAME, VREG_IGNORE_ACTION)
#undef VREG_PROP_NAME
};

const char *const kActionNames[] = {
#define VREG_ACTION_NAME(Name) #Name,
    VOR_ALL_OPERATIONS(VREG_IGNORE_PROPERTY, VREG_ACTION_NAME)
#undef VREG_ACTION_NAME
};

static_assert(sizeof(kPropertyNames) / sizeof(kPropertyNames[0]) == size_t(kPropertyCount),
              "one name per property");
static_assert(sizeof(kActionNames) / sizeof(kActionNames[0]) == size_t(kActionCount),
              "one name per action");

} // namespace

const char *propertyName(Prop property)
{
    const int index = int(property);
    return index >= 0 && index < kPropertyCount ? kPropertyNames[index] : "?";
}

const char *actionName(Action action)
{
    const int index = int(action);
    return index >= 0 && index < kActionCount ? kActionNames[index] : "?";
}

} // namespace vreg
