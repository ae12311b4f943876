# The OCR engine of the Windows program: static Leptonica and Tesseract from the per-machine cache
# that scripts/build-ocr-engine.sh fills (setup.sh runs it), as the imported targets
# quorvix::leptonica and quorvix::tesseract, and the recognition models copied into bin/ocr/.
# Code that links the engine checks `if(TARGET quorvix::tesseract)`: without a finished cache the
# targets are missing and configuring says how to build it.

execute_process(
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/build-ocr-engine.sh --print-prefix
  OUTPUT_VARIABLE _quorvix_ocr_engine_default
  OUTPUT_STRIP_TRAILING_WHITESPACE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/scripts/build-ocr-engine.sh)
set(QUORVIX_OCR_ENGINE_DIR "${_quorvix_ocr_engine_default}" CACHE PATH
    "Install folder of the static Leptonica and Tesseract built for this toolchain")
# A new engine version moves the default; follow it unless the folder was chosen by hand.
if(QUORVIX_OCR_ENGINE_DIR STREQUAL _QUORVIX_OCR_ENGINE_DEFAULT_SEEN)
  set_property(CACHE QUORVIX_OCR_ENGINE_DIR PROPERTY VALUE "${_quorvix_ocr_engine_default}")
endif()
set(_QUORVIX_OCR_ENGINE_DEFAULT_SEEN "${_quorvix_ocr_engine_default}" CACHE INTERNAL "")
set(QUORVIX_TESSDATA_DIR /usr/share/tesseract-ocr/5/tessdata CACHE PATH
    "Folder of the installed recognition models (Debian's Han script and English models)")
# What the local engine reads: the Han script model for Chinese text, English for the rest.
set(QUORVIX_OCR_LANGUAGES HanS eng)

if(EXISTS "${QUORVIX_OCR_ENGINE_DIR}/.complete")
  file(GLOB _quorvix_leptonica_lib "${QUORVIX_OCR_ENGINE_DIR}/lib/libleptonica*.a")
  file(GLOB _quorvix_tesseract_lib "${QUORVIX_OCR_ENGINE_DIR}/lib/libtesseract*.a")
  if(NOT _quorvix_leptonica_lib OR NOT _quorvix_tesseract_lib)
    message(FATAL_ERROR "${QUORVIX_OCR_ENGINE_DIR} is stamped finished but lacks its libraries; "
                        "delete it and run scripts/build-ocr-engine.sh")
  endif()
  add_library(quorvix::leptonica STATIC IMPORTED GLOBAL)
  set_target_properties(quorvix::leptonica PROPERTIES
    IMPORTED_LOCATION "${_quorvix_leptonica_lib}"
    INTERFACE_INCLUDE_DIRECTORIES
      "${QUORVIX_OCR_ENGINE_DIR}/include;${QUORVIX_OCR_ENGINE_DIR}/include/leptonica")
  add_library(quorvix::tesseract STATIC IMPORTED GLOBAL)
  set_target_properties(quorvix::tesseract PROPERTIES
    IMPORTED_LOCATION "${_quorvix_tesseract_lib}"
    INTERFACE_INCLUDE_DIRECTORIES "${QUORVIX_OCR_ENGINE_DIR}/include"
    INTERFACE_LINK_LIBRARIES "quorvix::leptonica;ws2_32")
else()
  message(WARNING "The OCR engine is not built for this toolchain (${QUORVIX_OCR_ENGINE_DIR} has "
                  "no stamp); run scripts/setup.sh or scripts/build-ocr-engine.sh.")
endif()

# The models travel beside the exe in ocr\, where the program looks for them.
set(_quorvix_models)
foreach(_lang IN LISTS QUORVIX_OCR_LANGUAGES)
  set(_model "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/ocr/${_lang}.traineddata")
  add_custom_command(
    OUTPUT "${_model}"
    COMMAND ${CMAKE_COMMAND} -E copy "${QUORVIX_TESSDATA_DIR}/${_lang}.traineddata" "${_model}"
    DEPENDS "${QUORVIX_TESSDATA_DIR}/${_lang}.traineddata"
    VERBATIM)
  list(APPEND _quorvix_models "${_model}")
endforeach()
add_custom_target(ocr_models ALL DEPENDS ${_quorvix_models})
