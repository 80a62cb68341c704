// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kotar::test {

// Sets environment variables of this process for the life of the object and puts the earlier
// values back. A null value removes the variable (on Windows an empty one does too).
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            Put(it->first, it->second ? it->second->c_str() : nullptr);
    }
    void Set(const std::string& name, const char* value) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        Put(name, value);
    }

private:
    static void Put(const std::string& name, const char* value) {
#ifdef _WIN32
        // Also changes the process environment that GetEnvironmentVariableW reads.
        ::_putenv_s(name.c_str(), value ? value : "");
#else
        if (value)
            ::setenv(name.c_str(), value, 1);
        else
            ::unsetenv(name.c_str());
#endif
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace kotar::test
