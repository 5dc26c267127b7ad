# What every program says of itself, each taken from the one file that holds it: the version
# from project(), the copyright and licence from LICENSE, the release date from CHANGELOG.md,
# whose newest entry must be this version.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE TQ37R_LICENCE_NAME LIMIT_COUNT 1)
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE TQ37R_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
string(REGEX REPLACE "^Copyright \\(c\\) " "" TQ37R_COPYRIGHT_HOLDER "${TQ37R_COPYRIGHT}")

file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md newest REGEX "^## \\[" LIMIT_COUNT 1)
if(NOT newest MATCHES "^## \\[([^]]+)\\] - ([0-9]+-[0-9]+-[0-9]+)$")
    message(FATAL_ERROR "CHANGELOG.md: no \"## [VERSION] - YYYY-MM-DD\" entry")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest entry is ${CMAKE_MATCH_1}, the project ${PROJECT_VERSION}")
endif()
set(TQ37R_RELEASE_DATE ${CMAKE_MATCH_2})

configure_file(${PROJECT_SOURCE_DIR}/res/ProjectInfo.h.in ${PROJECT_BINARY_DIR}/generated/res/ProjectInfo.h @ONLY)
add_library(tq37r_project_info INTERFACE)
target_include_directories(tq37r_project_info INTERFACE ${PROJECT_BINARY_DIR}/generated)
