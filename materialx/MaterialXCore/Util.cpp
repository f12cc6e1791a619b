#include <MaterialXCore/Util.h>

#include <MaterialXCore/Types.h>

#include <cctype>

MATERIALX_NAMESPACE_BEGIN

const string EMPTY_STRING;

namespace
{

// Letters and digits of the C locale, underscore and colon.  A table, as
// names are checked for every element a document validates.
struct NameCharTable
{
    bool valid[256] = {};
    NameCharTable()
    {
        for (int c = 0; c < 256; c++)
            valid[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':';
    }
};
const NameCharTable nameChars;

inline bool isValidNameChar(char c)
{
    return nameChars.valid[static_cast<unsigned char>(c)];
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // anonymous namespace

string getVersionString()
{
    return MATERIALX_LIBRARY_VERSION;
}

std::tuple<int, int, int> getVersionIntegers()
{
    return std::make_tuple(MATERIALX_MAJOR_VERSION, MATERIALX_MINOR_VERSION, MATERIALX_BUILD_VERSION);
}

string createValidName(string name, char replaceChar)
{
    for (char& c : name)
    {
        if (!isValidNameChar(c))
            c = replaceChar;
    }
    return name;
}

bool isValidName(const string& name)
{
    return std::all_of(name.begin(), name.end(), isValidNameChar);
}

string incrementName(const string& name)
{
    size_t split = name.size();
    while (split > 0 && isDigit(name[split - 1]))
        split--;
    if (split == name.size())
        return name + "2";

    // The suffix is read as a number, so leading zeros go ("node09" gives
    // "node10"); the increment works on the digits, so no length overflows.
    size_t first = split;
    while (first + 1 < name.size() && name[first] == '0')
        first++;
    string digits = name.substr(first);
    size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9')
        digits[--i] = '0';
    if (i == 0)
        digits.insert(digits.begin(), '1');
    else
        digits[i - 1]++;
    return name.substr(0, split) + digits;
}

StringVec splitString(const string& str, const string& sep)
{
    StringVec split;
    string::size_type lastPos = str.find_first_not_of(sep, 0);
    string::size_type pos = str.find_first_of(sep, lastPos);
    while (pos != string::npos || lastPos != string::npos)
    {
        split.push_back(str.substr(lastPos, pos - lastPos));
        lastPos = str.find_first_not_of(sep, pos);
        pos = str.find_first_of(sep, lastPos);
    }
    return split;
}

string joinStrings(const StringVec& stringVec, const string& sep)
{
    string res;
    for (size_t i = 0; i < stringVec.size(); i++)
    {
        if (i)
            res += sep;
        res += stringVec[i];
    }
    return res;
}

string replaceSubstrings(string str, const StringMap& stringMap)
{
    for (const auto& pair : stringMap)
    {
        if (pair.first.empty())
            continue;
        size_t pos = 0;
        while ((pos = str.find(pair.first, pos)) != string::npos)
        {
            str.replace(pos, pair.first.size(), pair.second);
            pos += pair.second.size();
        }
    }
    return str;
}

string stringToLower(string str)
{
    for (char& c : str)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return str;
}

bool stringStartsWith(const string& str, const string& prefix)
{
    return str.size() >= prefix.size() && str.compare(0, prefix.size(), prefix) == 0;
}

bool stringEndsWith(const string& str, const string& suffix)
{
    return str.size() >= suffix.size() && str.compare(str.size() - suffix.size(), suffix.size(), suffix) == 0;
}

string trimSpaces(const string& str)
{
    const size_t start = str.find_first_not_of(' ');
    if (start == string::npos)
        return EMPTY_STRING;
    const size_t end = str.find_last_not_of(' ');
    return str.substr(start, end - start + 1);
}

StringVec splitNamePath(const string& namePath)
{
    return splitString(namePath, NAME_PATH_SEPARATOR);
}

string createNamePath(const StringVec& nameVec)
{
    return joinStrings(nameVec, NAME_PATH_SEPARATOR);
}

string parentNamePath(const string& namePath)
{
    StringVec nameVec = splitNamePath(namePath);
    if (!nameVec.empty())
    {
        nameVec.pop_back();
        return createNamePath(nameVec);
    }
    return EMPTY_STRING;
}

MATERIALX_NAMESPACE_END
