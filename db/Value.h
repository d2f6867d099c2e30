#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace db {

struct Null {
  friend bool operator==(Null, Null) { return true; }
};

using Bytes = std::vector<std::uint8_t>;

// A calendar date, a time of day, or both; no time zone.
struct DateTime {
  enum class Part : std::uint8_t { Date, Time, DateTime };
  Part part = Part::DateTime;
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
  int microsecond = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// A field's value. Text is held as the engine gave it (UTF-8 expected, not guaranteed).
class Value {
 public:
  using Storage = std::variant<Null, std::int64_t, double, std::string, Bytes, bool, DateTime>;

  Value() = default;
  Value(Null) {}
  Value(std::int64_t v) : v_(v) {}
  Value(int v) : v_(std::int64_t{v}) {}
  Value(double v) : v_(v) {}
  Value(std::string v) : v_(std::move(v)) {}
  Value(const char* v) : v_(std::string(v)) {}
  Value(Bytes v) : v_(std::move(v)) {}
  Value(bool v) : v_(v) {}
  Value(DateTime v) : v_(v) {}

  bool IsNull() const { return std::holds_alternative<Null>(v_); }
  template <class T> bool Is() const { return std::holds_alternative<T>(v_); }
  template <class T> const T& Get() const { return std::get<T>(v_); }
  const Storage& storage() const { return v_; }

  // The one conversion to text: what a caller shows when it "converts the value to text".
  // Null gives the empty text; numbers plain decimal; booleans "True"/"False";
  // dates ISO 8601 ("2024-05-31 13:45:00"); bytes as lowercase hex.
  std::string ToText() const&;
  // The same; a text value gives up its characters instead of copying them.
  std::string ToText() &&;

  // Makes the value this text, in the room of a text it held: pages of rows read one
  // after another reuse their cells without an allocation per text.
  void AssignText(std::string_view text);

  friend bool operator==(const Value&, const Value&) = default;

 private:
  Storage v_;
};

}  // namespace db
