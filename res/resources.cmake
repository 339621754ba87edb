# Files generated for the resource script (besides the images and the payload archive).
set(LK_RELEASE_NOTES "")
add_custom_target(lk_resource_inputs)
