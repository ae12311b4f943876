// The program keeps its banks, its settings and the spreadsheet library beside itself. Unpacked
// where the user may not write (Program Files without elevation, a read-only medium) it would
// fail at the first import or key test; it says so at start instead.
#pragma once
#include <filesystem>
#include <string>

namespace app {

// Whether a new entry can be made in `folder` (created first when it does not exist yet). Makes
// and removes a probe folder of a name no one else uses.
bool canWriteIn(const std::filesystem::path& folder);

// What the user is told when the program's folder cannot be written (GBK).
std::string unwritableFolderText(const std::filesystem::path& folder);

}  // namespace app
