#pragma once

// The property store and the operation identifiers of the virtual register,
// produced from the operation lists of the driver contract: adding an
// operation to the contract adds its field, its identifier and its name here
// without any edit of this file.

#include "driver/ifptr.h"

#include <QDate>
#include <QString>
#include <QTime>

namespace vreg {

#define VREG_IGNORE_PROPERTY(kind, Name, access)
#define VREG_IGNORE_ACTION(Name)

// Every property of the contract, in list order.
enum class Prop {
#define VREG_PROP_ID(kind, Name, access) Name,
    VOR_ALL_OPERATIONS(VREG_PROP_ID, VREG_IGNORE_ACTION)
#undef VREG_PROP_ID
};

// Every action of the contract, in list order.
enum class Action {
#define VREG_ACTION_ID(Name) Name,
    VOR_ALL_OPERATIONS(VREG_IGNORE_PROPERTY, VREG_ACTION_ID)
#undef VREG_ACTION_ID
};

#define VREG_COUNT_PROPERTY(kind, Name, access) +1
#define VREG_COUNT_ACTION(Name) +1
constexpr int kPropertyCount = 0 VOR_ALL_OPERATIONS(VREG_COUNT_PROPERTY, VREG_IGNORE_ACTION);
constexpr int kActionCount = 0 VOR_ALL_OPERATIONS(VREG_IGNORE_PROPERTY, VREG_COUNT_ACTION);
#undef VREG_COUNT_PROPERTY
#undef VREG_COUNT_ACTION

// The operation's name as the contract spells it ("Sell", "CharLineLength").
const char *propertyName(Prop property);
const char *actionName(Action action);

// The C++ type that holds a property of each contract kind.
#define VREG_TYPE_INT int
#define VREG_TYPE_DOUBLE double
#define VREG_TYPE_STRING QString
#define VREG_TYPE_DATE QDate
#define VREG_TYPE_TIME QTime

// One typed field per property, named as the property. What a caller writes
// is kept here as written; actions read their inputs from here and put their
// results here, and the getters return what is here. Dates and times that do
// not exist are kept as invalid values (read back as zeros).
struct PropertyStore
{
#define VREG_PROP_FIELD(kind, Name, access) VREG_TYPE_##kind Name{};
    VOR_ALL_OPERATIONS(VREG_PROP_FIELD, VREG_IGNORE_ACTION)
#undef VREG_PROP_FIELD
};

} // namespace vreg
