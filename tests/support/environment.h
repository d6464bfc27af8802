#pragma once

// Sets or unsets an environment variable for one scope, then puts back what was there.

#include <stdlib.h>

#include <optional>
#include <string>

namespace kestrune::test_support {

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* previous = getenv(name)) {
            previous_ = previous;
        }
        Set(value);
    }
    ~ScopedEnvironment() { Set(previous_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            setenv(name_, value->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

    const char* name_;
    std::optional<std::string> previous_;
};

}  // namespace kestrune::test_support
