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

# SHA-256 of the payload archive, built in beside it: the setup unpacks only these bytes.
set(LK_PAYLOAD_DIGEST "${LK_GENERATED_DIR}/payload.sha256")
add_custom_command(
  OUTPUT "${LK_PAYLOAD_DIGEST}"
  COMMAND "${Python3_EXECUTABLE}" "${CMAKE_SOURCE_DIR}/scripts/make_payload_digest.py"
          "${LK_PAYLOAD_ZIP}" "${LK_PAYLOAD_DIGEST}"
  DEPENDS "${CMAKE_SOURCE_DIR}/scripts/make_payload_digest.py" "${LK_PAYLOAD_ZIP}"
  COMMENT "Computing the payload archive's digest")
# The logo for displays scaled to 125, 150 and 200 %, drawn from the same shapes as the
# logo of 100 % (drawn with the other images), each at its own size.
set(LK_SCALED_LOGOS "")
foreach(percent 125 150 200)
  list(APPEND LK_SCALED_LOGOS "${LK_GENERATED_DIR}/images/logo_${percent}.bmp")
endforeach()
add_custom_command(
  OUTPUT ${LK_SCALED_LOGOS}
  COMMAND "${Python3_EXECUTABLE}" "${CMAKE_SOURCE_DIR}/scripts/make_images.py" --scaled-logos
          --out "${LK_GENERATED_DIR}/images"
  DEPENDS "${CMAKE_SOURCE_DIR}/scripts/make_images.py"
  COMMENT "Drawing the logo for scaled displays")
list(APPEND LK_RES_IMAGES ${LK_SCALED_LOGOS})
add_custom_target(lk_resource_inputs
  DEPENDS "${LK_RELEASE_NOTES}" "${LK_PAYLOAD_DIGEST}" ${LK_SCALED_LOGOS})
# The archive is packed by a target of another folder: it must exist before its digest.
add_dependencies(lk_resource_inputs lk_payload_archive)
