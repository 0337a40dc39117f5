#pragma once

#include "base/failure.h"

// The Failure that `action` throws; a Failure numbered 0 when it throws none.
template <typename Action>
kestrel::Failure FailureOf(Action action) {
    try {
        action();
    } catch (const kestrel::Failure& failure) {
        return failure;
    }
    return {};
}
