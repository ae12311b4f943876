# Writes a header holding a file's bytes as a constant, so that a picture can be part of a form's
# definition table in both builds:
#   cmake -DINPUT=picture.bmp -DOUTPUT=picture.h -DNAME=kPicture -P EmbedBytes.cmake
# gives `resources::kPicture`, a std::string_view over the bytes.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "char(0x\\1)," bytes "${hex}")
get_filename_component(source "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${source} at build time.\n"
  "#pragma once\n"
  "#include <string_view>\n\n"
  "namespace resources {\n"
  "inline constexpr char ${NAME}Bytes[] = {${bytes}};\n"
  "inline constexpr std::string_view ${NAME}{${NAME}Bytes, sizeof(${NAME}Bytes)};\n"
  "}  // namespace resources\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
