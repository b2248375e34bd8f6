# Run by CPack after it has made the zip (its variables are CPack's): the zip made independent of
# when and by whom its files were staged (cmake/reproducible-zip).
foreach(_zip IN LISTS CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND "${CPACK_SEARCH_PYTHON}" "${CPACK_SEARCH_ZIP_TOOL}" "${_zip}" "${CPACK_SEARCH_SOURCE_DATE_EPOCH}"
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
