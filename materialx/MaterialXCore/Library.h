#ifndef MATERIALX_LIBRARY_H
#define MATERIALX_LIBRARY_H

/// @file
/// Library-wide includes, version numbers and types.

#include <MaterialXCore/Export.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#define MATERIALX_MAJOR_VERSION 1
#define MATERIALX_MINOR_VERSION 39
#define MATERIALX_BUILD_VERSION 5
#define MATERIALX_LIBRARY_VERSION "1.39.5"

#define MATERIALX_NAMESPACE MaterialX
// clang-format off
#define MATERIALX_NAMESPACE_BEGIN namespace MaterialX {
#define MATERIALX_NAMESPACE_END }
// clang-format on

MATERIALX_NAMESPACE_BEGIN

using std::string;
using std::vector;
using std::shared_ptr;
using std::weak_ptr;

/// A vector of strings.
using StringVec = vector<string>;
/// An unordered map with strings as both keys and values.
using StringMap = std::unordered_map<string, string>;
/// A set of strings.
using StringSet = std::set<string>;

MATERIALX_NAMESPACE_END

#include <MaterialXCore/Exception.h>

#endif
