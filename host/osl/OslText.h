#pragma once
// Character classes and operator precedence shared by the preprocessor's #if
// expressions and the parser's default expressions.

#include <cctype>
#include <map>
#include <string>

namespace norvane::osl {

inline bool isIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
inline bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// C precedence of a binary operator (higher binds tighter), -1 for none.
inline int binaryPrecedence(const std::string& op) {
  static const std::map<std::string, int> table = {
      {"||", 1}, {"&&", 2}, {"|", 3},  {"^", 4},  {"&", 5},  {"==", 6}, {"!=", 6}, {"<", 7},  {">", 7},
      {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8}, {"+", 9},  {"-", 9},  {"*", 10}, {"/", 10}, {"%", 10}};
  const auto found = table.find(op);
  return found == table.end() ? -1 : found->second;
}

}  // namespace norvane::osl
