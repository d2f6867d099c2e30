#pragma once
// What a test makes outside itself, undone when it ends: temporary folders, changed
// environment variables, and the driver list that keeps psqlODBC from logging.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

namespace scratch {

class Dir {
 public:
  Dir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cartavo_test_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp: " + pattern);
    path_ = pattern;
  }
  ~Dir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

class Env {
 public:
  Env(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~Env() {
    if (old_) ::setenv(name_.c_str(), old_->c_str(), 1);
    else ::unsetenv(name_.c_str());
  }
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// psqlODBC logs every connection to /tmp when its driver entry says CommLog=1
// (Debian's default), whatever the connection text says: the tests read a copy of
// the driver list with the logs off.
class QuietOdbc : public testing::Environment {
 public:
  void SetUp() override {
    const char* sys = std::getenv("ODBCSYSINI");
    const std::filesystem::path from = sys ? sys : "/etc";
    std::ifstream in(from / "odbcinst.ini");
    if (!in) return;
    dir_.emplace();
    std::ofstream out(dir_->File("odbcinst.ini"));
    for (std::string line; std::getline(in, line);) {
      std::string key = line.substr(0, line.find('='));
      for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      key.erase(key.find_last_not_of(" \t") + 1);
      out << (key == "commlog" || key == "debug" ? key + "=0" : line) << '\n';
    }
    std::error_code none;  // system data sources stay visible, when there are any
    std::filesystem::copy_file(from / "odbc.ini", dir_->File("odbc.ini"), none);
    env_.emplace("ODBCSYSINI", dir_->File(""));
  }
  void TearDown() override {
    env_.reset();
    dir_.reset();
  }

 private:
  std::optional<Dir> dir_;
  std::optional<Env> env_;
};

}  // namespace scratch
