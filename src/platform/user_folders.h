// Folders of the current user that dialogs start in.
#pragma once
#include <filesystem>

namespace platform {

// The user's desktop folder; natively ~/Desktop when it exists, else the home folder. Empty
// when none can be found.
std::filesystem::path desktopFolder();

}  // namespace platform
