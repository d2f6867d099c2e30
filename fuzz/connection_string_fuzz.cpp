// libFuzzer target: the connection-text parser, MaskPasswords and QuoteValue must be
// total (no crash, no hang) and agree with each other on any input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "db/ConnectionString.h"
#include "db/DbError.h"

namespace {

bool IsPasswordKey(std::string_view key) {
  auto lower = std::string(key);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return lower == "pwd" || (lower.size() >= 8 && lower.ends_with("password"));
}

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

// Masking keeps the shape of a well-formed text: same keys, same other values,
// every non-empty password replaced.
void CheckMasking(const db::ConnectionString& cs, std::string_view text) {
  const auto masked = db::ConnectionString::Parse(db::MaskPasswords(text));
  Require(masked.Pairs().size() == cs.Pairs().size());
  for (std::size_t i = 0; i < cs.Pairs().size(); ++i) {
    const auto& [key, value] = cs.Pairs()[i];
    Require(masked.Pairs()[i].first == key);
    if (!IsPasswordKey(key)) Require(masked.Pairs()[i].second == value);
    else if (!value.empty()) Require(masked.Pairs()[i].second == "********");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)db::MaskPasswords(text);
  try {
    const auto cs = db::ConnectionString::Parse(text);
    (void)cs.WithoutProvider();
    CheckMasking(cs, text);
  } catch (const db::DbError&) {
  }
  const std::string quoted = "K=" + db::QuoteValue(text) + ";L=1";
  Require(db::ConnectionString::Parse(quoted).Get("k") == std::string(text));
  return 0;
}
