#include "db/Value.h"

#include <algorithm>
#include <charconv>

namespace db {

namespace {

std::string DoubleText(double v) {
  // Plain decimal digits, never an exponent; the shortest text that reads back the same.
  // The widest fixed form (a subnormal) takes some 330 characters.
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

constexpr int kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// Zero-padded to `width` characters as "%0*d" writes it, without printf's cost: a
// full scan formats a date in every row. Gives the end of what it wrote.
char* Padded(char* out, int v, int width) {
  if (v >= 0 && width <= 6 && v < kTens[width]) {  // every field of a date in its range
    for (int i = width - 1; i >= 0; --i, v /= 10) out[i] = static_cast<char>('0' + v % 10);
    return out + width;
  }
  char digits[16];
  char* const last = std::to_chars(digits, digits + sizeof digits, v).ptr;
  const char* from = digits;
  if (*from == '-') {
    *out++ = '-';
    ++from;
    --width;
  }
  for (auto n = last - from; n < width; ++n) *out++ = '0';
  return std::copy(from, static_cast<const char*>(last), out);
}

std::string DateTimeText(const DateTime& d) {
  char buf[96];  // room for every field at its widest
  char* p = buf;
  if (d.part != DateTime::Part::Time) {
    p = Padded(p, d.year, 4);
    *p++ = '-';
    p = Padded(p, d.month, 2);
    *p++ = '-';
    p = Padded(p, d.day, 2);
  }
  if (d.part != DateTime::Part::Date) {
    if (p != buf) *p++ = ' ';
    p = Padded(p, d.hour, 2);
    *p++ = ':';
    p = Padded(p, d.minute, 2);
    *p++ = ':';
    p = Padded(p, d.second, 2);
    if (d.microsecond != 0) {
      *p++ = '.';
      p = Padded(p, d.microsecond, 6);
      while (p[-1] == '0') --p;
    }
  }
  return std::string(buf, p);
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

std::string Value::ToText() const& { return std::visit(ToTextVisitor{}, v_); }

void Value::AssignText(std::string_view text) {
  if (auto* held = std::get_if<std::string>(&v_))
    held->assign(text);
  else
    v_ = std::string(text);
}

std::string Value::ToText() && {
  if (auto* text = std::get_if<std::string>(&v_)) return std::move(*text);
  return std::visit(ToTextVisitor{}, v_);
}

}  // namespace db
