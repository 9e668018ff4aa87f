# Shared settings for every target of the project.

set(TAVRUN_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough
    # g++ optimising inlines QPointer's checks and then reports every checked QPointer read again after its
    # check as a possible null dereference; the Debug build keeps the warning where its reports hold.
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<NOT:$<CONFIG:Debug>>>:-Wno-null-dereference>)

if(TAVRUN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()

function(tavrun_defaults target)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        return()
    endif()
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TAVRUN_WARNINGS}>)
    if(TAVRUN_SANITIZE AND type STREQUAL "EXECUTABLE")
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/SanitizerDefaults.cpp)
    endif()
endfunction()

# One static library per folder. Sources are every .cpp/.h below the folder, so that parallel work on one
# subsystem never edits the same build file.
function(tavrun_library name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    if(NOT sources)
        # A subsystem with nothing built yet still links.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    tavrun_defaults(${name})
endfunction()

# A GoogleTest suite of one folder under tests/, registered with ctest under its label.
function(tavrun_test_suite name)
    cmake_parse_arguments(ARG "" "LABEL;MAIN;TIMEOUT" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(NOT sources)
        return()
    endif()
    if(NOT ARG_MAIN)
        set(ARG_MAIN test_main_core)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} ${ARG_MAIN} tavrun_test_support GTest::gtest GTest::gmock)
    # Qt values print readably in every suite's failure messages.
    target_compile_options(${name} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/support/QtPrinting.h)
    tavrun_defaults(${name})
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS "${ARG_LABEL}" TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
