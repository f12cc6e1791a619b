#pragma once
// The version stamp of this SDK: a module reports it from LibVersion and the
// host loads only modules whose stamp matches its own.
#include "NorvaneTypes.h"

constexpr ULONG NORVANE_SDK_VERSION = 0x5DC03C00u;
