# The platform contract against Win32Platform on real files, run under Wine.

enable_language(RC)

# Static, so that Wine needs none of MinGW's DLLs beside the program.
add_executable(win32_contract_tests
  ${CMAKE_CURRENT_LIST_DIR}/Win32ContractTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ContractVersion.rc
)
target_link_libraries(win32_contract_tests PRIVATE lnf_platform_win32 lnf_app GTest::gtest_main
  user32 kernel32)
target_link_options(win32_contract_tests PRIVATE -static)

# Every Wine test runs through this emulator; it makes the Wine prefix on
# first use (see scripts/wine.sh).
set(LNF_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)
set_target_properties(win32_contract_tests PROPERTIES CROSSCOMPILING_EMULATOR ${LNF_WINE_RUN})

# One CTest test per run of the whole program: listing its cases would need
# Wine while configuring. A zone off UTC makes a missing local-time
# conversion show, and one with summer time an offset taken from the wrong
# date; Wine takes the zone from TZ.
add_test(NAME win32_contract_tests COMMAND win32_contract_tests)
set_tests_properties(win32_contract_tests PROPERTIES
  ENVIRONMENT "LNF_BUILD_DIR=${CMAKE_BINARY_DIR};TZ=Europe/Berlin"
  TIMEOUT 300)

# The same again with Wine posing as Windows 98, which sends Win32Platform
# down its ANSI path.
add_test(NAME wine_prefix_win98
  COMMAND bash -c ". '${PROJECT_SOURCE_DIR}/scripts/wine.sh' && lnf_wine_prefix '${CMAKE_BINARY_DIR}' win98 --null-graphics --version win98")
set_tests_properties(wine_prefix_win98 PROPERTIES FIXTURES_SETUP wine_win98 TIMEOUT 300)
add_test(NAME win32_contract_tests_win98 COMMAND win32_contract_tests)
set_tests_properties(win32_contract_tests_win98 PROPERTIES
  ENVIRONMENT "LNF_BUILD_DIR=${CMAKE_BINARY_DIR};LNF_WINEPREFIX=${CMAKE_BINARY_DIR}/wine/win98;TZ=Europe/Berlin"
  FIXTURES_REQUIRED wine_win98
  TIMEOUT 300)
