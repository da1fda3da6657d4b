# Compiler flags shared by every target of the project.
add_library(valmuri_flags INTERFACE)
target_compile_options(valmuri_flags INTERFACE -Wall -Wextra)
target_include_directories(valmuri_flags INTERFACE ${PROJECT_SOURCE_DIR})

if(VALMURI_ASAN AND VALMURI_TSAN)
  message(FATAL_ERROR "VALMURI_ASAN and VALMURI_TSAN cannot be combined")
endif()
if(VALMURI_ASAN)
  target_compile_options(valmuri_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(valmuri_flags INTERFACE -fsanitize=address,undefined)
endif()
if(VALMURI_TSAN)
  target_compile_options(valmuri_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(valmuri_flags INTERFACE -fsanitize=thread)
endif()

# A static library of every .cpp in the calling folder; folders own their
# files, so adding a source needs no edit here.
function(valmuri_folder_library name)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE valmuri_flags ${ARG_LINK})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC valmuri_flags ${ARG_LINK})
endfunction()

# One GoogleTest executable per test folder, from every *_test.cpp in it.
function(valmuri_test_folder name)
  cmake_parse_arguments(ARG "" "" "LINK;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE valmuri_flags ${ARG_LINK} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    VALMURI_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VALMURI_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS "${ARG_LABELS}"
    ENVIRONMENT "VALMURI_SOURCE_DIR=${PROJECT_SOURCE_DIR};VALMURI_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()
