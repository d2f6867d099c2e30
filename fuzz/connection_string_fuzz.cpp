// libFuzzer target: the connection-text parser, MaskPasswords and QuoteValue must be
// total (no crash, no hang) and agree with each other on any input; the dialog's
// fields make a text that reads back as the same fields, and no password survives
// the masking of an error description.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "dialog/ConnectionText.h"

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
// every non-empty password replaced, and so every other value equal to one.
void CheckMasking(const db::ConnectionString& cs, std::string_view text) {
  const auto masked = db::ConnectionString::Parse(db::MaskPasswords(text));
  Require(masked.Pairs().size() == cs.Pairs().size());
  std::vector<std::string> passwords;
  for (const auto& [key, value] : cs.Pairs())
    if (IsPasswordKey(key) && !db::Unbraced(value).empty()) passwords.push_back(db::Unbraced(value));
  for (std::size_t i = 0; i < cs.Pairs().size(); ++i) {
    const auto& [key, value] = cs.Pairs()[i];
    Require(masked.Pairs()[i].first == key);
    if (IsPasswordKey(key) && value.empty()) continue;  // written "" it is masked, written as nothing not
    const bool secret = (IsPasswordKey(key) && !value.empty()) ||
                        std::find(passwords.begin(), passwords.end(), db::Unbraced(value)) != passwords.end();
    Require(masked.Pairs()[i].second == (secret ? "********" : value));
  }
}

// Fields typed in the dialog, the first bytes of the input deciding what goes where.
db::ConnectionFields MakeFields(FuzzedDataProvider& in) {
  db::ConnectionFields f;
  f.kind = static_cast<db::ProviderKind>(in.ConsumeIntegralInRange(0, 3));
  if (f.kind == db::ProviderKind::SQLite) {
    f.file = in.ConsumeRandomLengthString(64);
    f.create = in.ConsumeBool();
    return f;
  }
  if (f.kind == db::ProviderKind::OdbcDsn) {
    f.dsn = in.ConsumeRandomLengthString(32);
  } else {
    if (f.kind == db::ProviderKind::OdbcDriver) f.driver = in.ConsumeRandomLengthString(32);
    f.server = in.ConsumeRandomLengthString(32);
    f.port = in.ConsumeRandomLengthString(8);
    f.database = in.ConsumeRandomLengthString(32);
  }
  f.user = in.ConsumeRandomLengthString(32);
  f.password = in.ConsumeRandomLengthString(32);
  return f;
}

void CheckDialog(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const db::ConnectionFields fields = MakeFields(in);
  const std::string description = in.ConsumeRemainingBytesAsString();
  const std::string text = db::ComposeConnectionText(fields);
  const auto back = db::ReadConnectionFields(text);
  Require(back.has_value() && *back == fields);
  // An engine's message that repeats the password, as such or as its pair.
  if (fields.password.empty() || fields.password.find('*') != std::string::npos) return;
  const std::string echo = description + fields.password + " (PWD=" + fields.password + ")";
  Require(db::MaskSecrets(echo, text).find(fields.password) == std::string::npos);
  CheckMasking(db::ConnectionString::Parse(text), text);
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
  CheckDialog(data, size);
  return 0;
}
