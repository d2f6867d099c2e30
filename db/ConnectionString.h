#pragma once
// The Key=Value; syntax of data-link connection texts: keys case-insensitive, blanks
// around keys and values ignored, values quoted with ' or " (a doubled quote inside
// stands for one) or, as ODBC writes them, in braces (kept verbatim, braces included).
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

class ConnectionString {
 public:
  // Raises DbError naming what is wrong (an unclosed quote, a key without '=', ...).
  static ConnectionString Parse(std::string_view text);

  // Last value of the key, compared case-insensitively; nullopt when absent.
  std::optional<std::string> Get(std::string_view key) const;
  // First present key of several synonyms ("Server", "Host", "Data Source").
  std::optional<std::string> GetAny(std::initializer_list<std::string_view> keys) const;
  const std::vector<std::pair<std::string, std::string>>& Pairs() const { return pairs_; }
  // The original text with the Provider pair cut out, every other character unchanged
  // (what ODBC hands to its driver manager).
  std::string WithoutProvider() const;

 private:
  std::string text_;
  std::vector<std::pair<std::string, std::string>> pairs_;
  std::vector<std::pair<std::size_t, std::size_t>> spans_;  // each pair in text_, its ';' included
};

// The text with the value of every password key (Password, PWD) replaced by
// asterisks, and any other value that equals a password. Total: any input,
// well-formed or not, gives a result.
std::string MaskPasswords(std::string_view text);

// A value as an ODBC driver gets it: the braces taken off, "}}" inside read as '}'.
std::string Unbraced(std::string_view value);

// Quotes a value when it holds ';', a quote, or blanks at either end.
std::string QuoteValue(std::string_view value);

}  // namespace db
