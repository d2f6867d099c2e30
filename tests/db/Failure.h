#pragma once
// The DbError that a call raises; a test failure when it raises none.
#include <gtest/gtest.h>

#include <functional>

#include "db/DbError.h"

inline db::DbError Failure(const std::function<void()>& f) {
  try {
    f();
  } catch (const db::DbError& e) {
    return e;
  }
  ADD_FAILURE() << "no error";
  return db::DbError(0, "");
}
