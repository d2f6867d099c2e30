#include "db/Value.h"

#include <charconv>
#include <cstdio>

namespace db {

namespace {

std::string DoubleText(double v) {
  // Plain decimal digits, never an exponent; the shortest text that reads back the same.
  // The widest fixed form (a subnormal) takes some 330 characters.
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

std::string DateTimeText(const DateTime& d) {
  char buf[64];
  std::string out;
  if (d.part != DateTime::Part::Time) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    out = buf;
  }
  if (d.part != DateTime::Part::Date) {
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", d.hour, d.minute, d.second);
    if (!out.empty()) out += ' ';
    out += buf;
    if (d.microsecond != 0) {
      std::snprintf(buf, sizeof buf, ".%06d", d.microsecond);
      std::string frac = buf;
      while (frac.back() == '0') frac.pop_back();
      out += frac;
    }
  }
  return out;
}

std::string HexText(const Bytes& b) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(b.size() * 2);
  for (std::uint8_t x : b) {
    out += kDigits[x >> 4];
    out += kDigits[x & 0xF];
  }
  return out;
}

struct ToTextVisitor {
  std::string operator()(Null) const { return {}; }
  std::string operator()(std::int64_t v) const { return std::to_string(v); }
  std::string operator()(double v) const { return DoubleText(v); }
  std::string operator()(const std::string& v) const { return v; }
  std::string operator()(const Bytes& v) const { return HexText(v); }
  std::string operator()(bool v) const { return v ? "True" : "False"; }
  std::string operator()(const DateTime& v) const { return DateTimeText(v); }
};

}  // namespace

std::string Value::ToText() const { return std::visit(ToTextVisitor{}, v_); }

}  // namespace db
