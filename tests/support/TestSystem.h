// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The system the tests run on, for the few facts that differ by system (the work folder rule,
// line ends of a child's output, devices only one system has). The one place that asks the
// compiler, so that tests choose their rows and skips by a value.
namespace kotar::test {

#ifdef _WIN32
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

}  // namespace kotar::test
