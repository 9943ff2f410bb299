#pragma once
// Runs a check as a user without special rights, so that permission tests mean the same when the
// suite runs as root (which ignores file modes): as root the check runs in a child process
// switched to the unprivileged user "nobody"; otherwise, and on Windows, it runs in place.
#include <functional>
#include <string>

namespace lantervo::test {

// `check` returns "" when it passed, otherwise what went wrong; the result is passed back.
std::string RunUnprivileged(const std::function<std::string()>& check);

}  // namespace lantervo::test
