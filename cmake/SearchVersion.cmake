# Which build this is, beside the version that project() sets (the one place it is written):
#   SEARCH_BUILD_NUMBER  the number of commits up to the one built: it grows with every commit and
#                        is the fourth field of every shipped file's version (1.0.0.N)
#   SEARCH_COMMIT        that commit's hash, 12 digits
#   SEARCH_VERSION_FULL  VERSION.N-COMMIT, as the version resources' product version, the zips'
#                        names and the bills of materials give it
# The same commit gives the same three anywhere, so the build stays reproducible. A tree without git
# (a source archive) builds as 0 and "unknown", unless both are given: -DSEARCH_BUILD_NUMBER=N
# -DSEARCH_COMMIT=HASH. A shallow clone counts only the commits it has, so its number is too small.
if(NOT DEFINED SEARCH_BUILD_NUMBER OR NOT DEFINED SEARCH_COMMIT)
  set(SEARCH_BUILD_NUMBER 0)
  set(SEARCH_COMMIT unknown)
  find_package(Git QUIET)
  if(GIT_FOUND)
    # Only this project's own checkout counts: a copy of the sources inside another repository
    # (a client's) is not built from that repository's commits.
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --show-toplevel
      WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE _top
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --short=12 HEAD
      WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" RESULT_VARIABLE _no_commit
      OUTPUT_VARIABLE _commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT _top STREQUAL "" AND NOT _no_commit)
      file(REAL_PATH "${_top}" _top)
      file(REAL_PATH "${PROJECT_SOURCE_DIR}" _here)
      if(NOT _top STREQUAL _here)
        set(_no_commit 1)
      endif()
    endif()
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-list --count HEAD
      WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" RESULT_VARIABLE _no_count
      OUTPUT_VARIABLE _count OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT _no_commit AND NOT _no_count AND _count MATCHES "^[0-9]+$")
      set(SEARCH_BUILD_NUMBER ${_count})
      set(SEARCH_COMMIT ${_commit})
      execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --is-shallow-repository
        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE _shallow
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(_shallow STREQUAL "true")
        message(WARNING "a shallow clone: build number ${_count} counts only the commits fetched")
      endif()
      # A new commit configures the tree again (HEAD, the branch it names, or the packed refs
      # moved), so that a build after `git commit` names the new one.
      execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --path-format=absolute
          --git-path HEAD --git-path packed-refs --symbolic-full-name HEAD
        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE _refs
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      string(REPLACE "\n" ";" _refs "${_refs}")
      foreach(_ref IN LISTS _refs)
        if(_ref MATCHES "^refs/")
          execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --path-format=absolute --git-path ${_ref}
            WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE _ref
            OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        endif()
        if(EXISTS "${_ref}")
          set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_ref}")
        endif()
      endforeach()
    endif()
  endif()
endif()
if(NOT SEARCH_BUILD_NUMBER MATCHES "^[0-9]+$" OR SEARCH_BUILD_NUMBER GREATER 65535)
  message(FATAL_ERROR "SEARCH_BUILD_NUMBER '${SEARCH_BUILD_NUMBER}' is no number a version field holds (0 to 65535)")
endif()
set(SEARCH_VERSION_FULL "${PROJECT_VERSION}.${SEARCH_BUILD_NUMBER}-${SEARCH_COMMIT}")
message(STATUS "Search ${SEARCH_VERSION_FULL}")
