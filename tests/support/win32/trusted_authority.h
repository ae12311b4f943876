// Windows only: the test server's authority as a trusted root of the machine's store while a
// suite runs. Done only under Wine, where the machine is the test's own prefix; on a real
// Windows the suite's TLS tests then find the authority untrusted and fail instead.
#pragma once
#include <filesystem>

namespace testsupport {

// Adds the authority (PEM) once per process and removes it again when the process ends.
// False when it could not be added or the program does not run under Wine.
bool trustAuthorityForThisRun(const std::filesystem::path& pemFile);

}  // namespace testsupport
