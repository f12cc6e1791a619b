#ifndef MATERIALX_CORE_UTIL_H
#define MATERIALX_CORE_UTIL_H

/// @file
/// Utility methods

#include <MaterialXCore/Library.h>

#include <tuple>

MATERIALX_NAMESPACE_BEGIN

extern MX_CORE_API const string EMPTY_STRING;

/// Return the version of the library as a string, "1.39.5".
MX_CORE_API string getVersionString();

/// Return the major, minor and build versions of the library.
MX_CORE_API std::tuple<int, int, int> getVersionIntegers();

/// Create a valid element name from the given string: every character that
/// is not a letter, digit, underscore or colon becomes replaceChar.
MX_CORE_API string createValidName(string name, char replaceChar = '_');

/// Return true if the given string is a valid element name.
MX_CORE_API bool isValidName(const string& name);

/// Increment the numeric suffix of a name ("node1" gives "node2"), or append
/// "2" to a name without one.
MX_CORE_API string incrementName(const string& name);

/// Split a string into a vector of substrings at any of the separator
/// characters; empty substrings are dropped.
MX_CORE_API StringVec splitString(const string& str, const string& sep);

/// Join a vector of substrings into a single string, placing the given
/// separator between each substring.
MX_CORE_API string joinStrings(const StringVec& strVec, const string& sep);

/// Apply the given substring substitutions to the input string.
MX_CORE_API string replaceSubstrings(string str, const StringMap& stringMap);

/// Return a copy of the given string converted to lower case.
MX_CORE_API string stringToLower(string str);

/// Return true if the given string starts with the given prefix.
MX_CORE_API bool stringStartsWith(const string& str, const string& prefix);

/// Return true if the given string ends with the given suffix.
MX_CORE_API bool stringEndsWith(const string& str, const string& suffix);

/// Trim leading and trailing spaces from a string.
MX_CORE_API string trimSpaces(const string& str);

/// Combine the hash of a value with an existing seed.
template <typename T> void hashCombine(size_t& seed, const T& value)
{
    seed ^= std::hash<T>()(value) + 0x9e3779b9 + (seed << 6) + (seed >> 2);
}

/// Split a name path ("graph/node/input") into its element names.
MX_CORE_API StringVec splitNamePath(const string& namePath);

/// Create a name path from a vector of element names.
MX_CORE_API string createNamePath(const StringVec& nameVec);

/// Given a name path, return the parent name path.
MX_CORE_API string parentNamePath(const string& namePath);

MATERIALX_NAMESPACE_END

#endif
