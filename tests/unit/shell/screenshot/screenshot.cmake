# Screenshot test of the staged program's main window.
add_executable(capture_main_window ${CMAKE_CURRENT_LIST_DIR}/capture_main_window.cpp)
target_include_directories(capture_main_window PRIVATE ${PROJECT_SOURCE_DIR}/tests/unit/afx)
target_link_libraries(capture_main_window PRIVATE afx)
add_test(NAME main_window_screenshot
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/main_window_screenshot.sh ${CMAKE_BINARY_DIR}
          ${CMAKE_BINARY_DIR}/test-artifacts/main_window.png)
# The program is a single instance per Wine prefix and listens on 23233,
# like every end-to-end test.
set_tests_properties(main_window_screenshot PROPERTIES
  RESOURCE_LOCK port_23233
  REQUIRED_FILES "${CMAKE_BINARY_DIR}/bin/anchordesk.exe")
add_dependencies(capture_main_window anchordesk livesdk)
