# Run by CPack after it has installed into its staging folder and before it zips: the variables
# are CPack's. Gives every staged file and folder the same time, so the zip does not depend on
# when the tree was built.
file(GLOB_RECURSE _staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
message(STATUS "staged in ${CPACK_TEMPORARY_DIRECTORY}: ${_staged}")
