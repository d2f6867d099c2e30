#include <QApplication>
#include <gtest/gtest.h>

#include <optional>

#include "tests/Scratch.h"

// Widget tests need one application object for the whole run; without a display
// they use Qt's offscreen platform. Without XDG_RUNTIME_DIR Qt makes
// /tmp/runtime-<user> and leaves it: the run gets a folder of its own instead.
int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::optional<scratch::Dir> runtime;
  std::optional<scratch::Env> runtimeEnv;
  if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) runtimeEnv.emplace("XDG_RUNTIME_DIR", runtime.emplace().File(""));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  testing::AddGlobalTestEnvironment(new scratch::QuietOdbc);  // psqlODBC's logs stay out of /tmp
  return RUN_ALL_TESTS();
}
