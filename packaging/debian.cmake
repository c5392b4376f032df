# Run at build time, after the revision is read: writes the package version
# (project version + build revision) for CPack into OUT_DIR/version.cmake and
# each package's changelog.Debian.gz, so the packages carry the revision the
# program prints. Files are only rewritten when their content changes.
file(STRINGS "${REVISION_FILE}" line REGEX "ZANDOR_REVISION")
string(REGEX MATCH "[0-9a-f]+\"" revision "${line}")
string(REPLACE "\"" "" revision "${revision}")
set(version "${PROJECT_VERSION}+${revision}")

# The commit's date keeps the changelog (and so the package) reproducible.
execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%aD
    OUTPUT_VARIABLE date RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT rc EQUAL 0 OR date STREQUAL "")
    string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/writeifchanged.cmake)

write_if_changed("${OUT_DIR}/version.cmake" "set(ZANDOR_DEB_VERSION \"${version}\")\n")
foreach(package ${PACKAGES})
    set(changelog "${OUT_DIR}/${package}/changelog.Debian")
    write_if_changed("${changelog}" "${package} (${version}-${RELEASE}) unstable; urgency=medium

  * Build of revision ${revision}.

 -- ${MAINTAINER}  ${date}
")
    if(NOT EXISTS "${changelog}.gz" OR "${changelog}" IS_NEWER_THAN "${changelog}.gz")
        execute_process(COMMAND gzip -9n -c "${changelog}" OUTPUT_FILE "${changelog}.gz"
            RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "gzip failed on ${changelog}")
        endif()
    endif()
endforeach()
