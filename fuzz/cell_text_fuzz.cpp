// libFuzzer target: every kind of value, with any bits, turns into text without a
// crash. What a grid cell shows stays one short line whatever the value holds (bytes
// that are no UTF-8 included), numbers read back as the same number, and what the
// editor shows of a value stores that value again.
#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "data/CellText.h"
#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Value.h"

namespace {

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

// The longest line a cell may show: every character at most four bytes, a line
// break drawn as a three-byte mark, and the ellipsis.
constexpr std::size_t kMaxShownBytes = data::kShownChars * 4 + 3;
constexpr int kTypes[] = {db::adSmallInt, db::adInteger, db::adDouble, db::adBoolean, db::adDecimal,
                          db::adBigInt, db::adBinary, db::adNumeric, db::adDBTimeStamp, db::adVarChar,
                          db::adLongVarChar, db::adVarWChar, db::adVarBinary, db::adLongVarBinary};

// A text made of a piece repeated, so that a short input can stand for a long value.
std::string Repeated(FuzzedDataProvider& in) {
  const int times = in.ConsumeIntegralInRange(1, 1000);
  const std::string piece = in.ConsumeRemainingBytesAsString();
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

db::Value MakeValue(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0: return db::Value();
    case 1: return db::Value(in.ConsumeIntegral<std::int64_t>());
    case 2: return db::Value(in.ConsumeFloatingPoint<double>());
    case 3: return db::Value(in.ConsumeBool());
    case 4: {
      db::DateTime d;
      d.part = static_cast<db::DateTime::Part>(in.ConsumeIntegralInRange(0, 2));
      for (int* f : {&d.year, &d.month, &d.day, &d.hour, &d.minute, &d.second, &d.microsecond})
        *f = in.ConsumeIntegral<int>();
      return db::Value(d);
    }
    case 5: return db::Value(in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 4096)));
    default: return db::Value(Repeated(in));
  }
}

bool HasControl(const std::string& s) {
  for (unsigned char c : s)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

void CheckNumber(const db::Value& v) {
  if (!v.Is<double>()) return;
  const double d = v.Get<double>();
  if (!std::isfinite(d)) return;
  const std::string text = v.ToText();
  Require(text.find_first_of("eE") == std::string::npos);
  double back = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), back);
  Require(r.ec == std::errc() && r.ptr == text.data() + text.size() && back == d);
}

// A value the editor shows comes back as the same value when left unchanged.
void CheckEditRoundTrip(const db::Value& v, int type) {
  const bool whole = type == db::adSmallInt || type == db::adInteger || type == db::adBigInt;
  try {
    const db::Value back = data::FromEdit(data::EditText(v), type);
    if (v.Is<std::int64_t>() && whole) Require(back == v);
    if (v.Is<double>() && type == db::adDouble && std::isfinite(v.Get<double>())) Require(back == v);
    if (v.Is<db::Bytes>() && data::IsBinaryType(type)) Require(back == v);
  } catch (const db::DbError&) {
    Require(data::IsBinaryType(type));  // only a binary column refuses a text
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider in(bytes, size);
  const int type = in.ConsumeBool() ? in.PickValueInArray(kTypes) : in.ConsumeIntegral<int>();
  const std::int32_t definedSize = in.ConsumeIntegral<std::int32_t>();
  const db::Value v = MakeValue(in);

  (void)v.ToText();
  CheckNumber(v);
  const data::CellText shown = data::Shown(v, type);
  Require(shown.text.size() <= kMaxShownBytes);
  Require(!HasControl(shown.text));
  Require(v.IsNull() == (shown.kind == data::CellKind::Null));
  CheckEditRoundTrip(v, type);
  const int chars = data::ColumnChars(type, definedSize);
  Require(chars >= data::kMinColumnChars && chars <= data::kMaxColumnChars);
  return 0;
}
