// The skin library image and the skin the program carries, built with it and never written out.
#pragma once
#include <string_view>

std::string_view SkinLibraryImage();
std::string_view SkinFileData();
