#pragma once
#include <stdexcept>
#include <string>

namespace db {

// The one failure type of the layer: what the window's error traps read.
class DbError : public std::runtime_error {
 public:
  DbError(long number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  long Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }

 private:
  long number_;
  std::string description_;
};

}  // namespace db
