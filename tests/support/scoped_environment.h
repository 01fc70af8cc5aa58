// Sets or unsets one environment variable for the length of a scope and puts
// the old value back afterwards, for tests of code that reads the
// environment (HOME, XDG_*, STRIDEWELL_HOME). Not for tests that run threads.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace stridewell::test {

class ScopedEnvironment {
 public:
  // A null `value` unsets the variable.
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (old_) {
      ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace stridewell::test
