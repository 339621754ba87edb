# Files generated for the resource script (besides the images and the payload archive).

# Release notes: UTF-8 source, stored as UTF-16 LE with BOM and CR LF line ends.
set(LK_RELEASE_NOTES "${LK_GENERATED_DIR}/release_notes_utf16.txt")
add_custom_command(
  OUTPUT "${LK_RELEASE_NOTES}"
  COMMAND "${Python3_EXECUTABLE}" "${CMAKE_SOURCE_DIR}/scripts/make_release_notes.py"
          "${CMAKE_SOURCE_DIR}/res/release_notes.txt" "${LK_RELEASE_NOTES}"
  DEPENDS "${CMAKE_SOURCE_DIR}/scripts/make_release_notes.py"
          "${CMAKE_SOURCE_DIR}/res/release_notes.txt"
  COMMENT "Converting the release notes to UTF-16")
add_custom_target(lk_resource_inputs DEPENDS "${LK_RELEASE_NOTES}")
