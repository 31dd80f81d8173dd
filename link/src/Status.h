// The link's status codes as the library's own code names them. They are the numbers of
// comm700.h's Comm700Status, which callers compare with: the static_asserts below keep the two
// from drifting apart.
#pragma once

#include "comm700.h"

namespace tools700::link {

enum Status : int {
    kOk = 0,
    kNoSuchSymbol = 1,
    kTypeError = 2,
    kNoPort = 3,
    kNoResponse = 4,
    kPortMutexNotAvailable = 5,
    kCommError = 6,
    kInvalidAxis = 7,
};

static_assert(int{kOk} == int{COMM_OK});
static_assert(int{kNoSuchSymbol} == int{NO_SUCH_SYMBOL});
static_assert(int{kTypeError} == int{TYPE_ERROR});
static_assert(int{kNoPort} == int{NO_PORT});
static_assert(int{kNoResponse} == int{NO_RESPONSE});
static_assert(int{kPortMutexNotAvailable} == int{PORT_MUTEX_NOT_AVAILABLE});
static_assert(int{kCommError} == int{COMM_ERROR});
static_assert(int{kInvalidAxis} == int{INVALID_AXIS});

}  // namespace tools700::link
