#include "db/ErrorText.h"

#include <cctype>

namespace db {
namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string OneLine(std::string_view text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      blank = !out.empty();
      continue;
    }
    if (blank) out.push_back(' ');
    blank = false;
    out.push_back(c);
  }
  return out;
}

std::string Scrub(std::string text, std::string_view secret) {
  if (secret.empty()) return text;
  constexpr std::string_view kMask = "****";
  for (auto at = text.find(secret); at != std::string::npos; at = text.find(secret, at + 1)) {
    const std::size_t end = at + secret.size();
    const bool joinedBefore = at > 0 && IsWordChar(text[at - 1]) && IsWordChar(secret.front());
    const bool joinedAfter = end < text.size() && IsWordChar(text[end]) && IsWordChar(secret.back());
    if (joinedBefore || joinedAfter) continue;
    text.replace(at, secret.size(), kMask);
    at += kMask.size() - 1;
  }
  return text;
}

ErrorKind KindOfSqlState(std::string_view state) {
  const std::string_view cls = state.substr(0, 2);
  if (cls == "22") return ErrorKind::InvalidValue;
  if (cls == "23") return ErrorKind::Constraint;
  if (state == "25006") return ErrorKind::ReadOnly;
  if (state == "40001" || state == "40P01" || state == "55P03") return ErrorKind::Busy;
  if (state == "42501") return ErrorKind::Other;  // a missing privilege: the statement itself is right
  if (cls == "42") return ErrorKind::Syntax;
  if (state == "57014" || state == "HY008") return ErrorKind::Cancelled;
  if (state == "HYT00" || state == "HYT01") return ErrorKind::Timeout;
  // 57P01-57P03: the server ended the session or is shutting down.
  if (cls == "08" || state.starts_with("57P0")) return ErrorKind::ConnectionFailed;
  return ErrorKind::Other;
}

}  // namespace db
