#include "db/DateText.h"

namespace db {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}
  bool atEnd() const { return pos_ == s_.size(); }
  bool peek(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
  bool expect(char c) {
    if (!peek(c)) return false;
    ++pos_;
    return true;
  }
  // A run of minCount to maxCount digits.
  bool digits(std::size_t minCount, std::size_t maxCount, int& out) {
    const std::size_t start = pos_;
    out = 0;
    while (pos_ < s_.size() && pos_ - start < maxCount && s_[pos_] >= '0' && s_[pos_] <= '9')
      out = out * 10 + (s_[pos_++] - '0');
    return pos_ - start >= minCount;
  }
  std::size_t pos() const { return pos_; }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
};

bool ReadDate(Reader& r, DateTime& dt) {
  return r.digits(4, 6, dt.year) && r.expect('-') && r.digits(2, 2, dt.month) && r.expect('-') &&
         r.digits(2, 2, dt.day) && dt.month >= 1 && dt.month <= 12 && dt.day >= 1 && dt.day <= 31;
}

bool ReadTime(Reader& r, DateTime& dt) {
  if (!(r.digits(2, 2, dt.hour) && r.expect(':') && r.digits(2, 2, dt.minute) && r.expect(':') &&
        r.digits(2, 2, dt.second)))
    return false;
  if (r.expect('.')) {
    const std::size_t start = r.pos();
    if (!r.digits(1, 6, dt.microsecond)) return false;
    for (std::size_t n = r.pos() - start; n < 6; ++n) dt.microsecond *= 10;
  }
  return dt.hour <= 24 && dt.minute <= 59 && dt.second <= 60;
}

bool SkipZone(Reader& r) {
  if (!r.expect('+') && !r.expect('-')) return false;
  int part = 0;
  if (!r.digits(2, 2, part)) return false;
  while (r.expect(':'))
    if (!r.digits(2, 2, part)) return false;
  return true;
}

}  // namespace

std::optional<DateTime> ParseDateText(std::string_view text, bool allowZone) {
  DateTime dt;
  Reader r(text);
  const bool isTime = text.size() > 2 && text[2] == ':';
  if (isTime) {
    dt.part = DateTime::Part::Time;
    if (!ReadTime(r, dt)) return std::nullopt;
  } else {
    if (!ReadDate(r, dt)) return std::nullopt;
    dt.part = DateTime::Part::Date;
    if (r.expect(' ') || r.expect('T')) {
      dt.part = DateTime::Part::DateTime;
      if (!ReadTime(r, dt)) return std::nullopt;
    }
  }
  if (allowZone && !r.atEnd() && !SkipZone(r)) return std::nullopt;
  if (!r.atEnd()) return std::nullopt;
  return dt;
}

}  // namespace db
