# Window tests: their own main() with a QApplication, the scripted dialogs
# shared by the window suites, and the tests of the common windows.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

# Linked as objects, so this main() always wins over the one of the suites
# without windows.
add_library(tamberlox_gui_test_main OBJECT ui/gui_main.cpp)
target_link_libraries(tamberlox_gui_test_main PUBLIC Qt6::Widgets GTest::gtest tamberlox_test_main)

add_library(tamberlox_ui_test_support STATIC ui/UiTestSupport.cpp)
target_include_directories(tamberlox_ui_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/ui)
target_link_libraries(tamberlox_ui_test_support PUBLIC
  common_ui settings crypto tamberlox_test_support Qt6::Test GTest::gtest)
# The window tests load the two components from the test programs' folder.
foreach(component cab32 capicom)
  if(TARGET ${component})
    add_dependencies(tamberlox_ui_test_support ${component})
  endif()
endforeach()

tamberlox_add_test(test_common_ui
  SOURCES ui/test_about_twips.cpp ui/test_native_boxes.cpp ui/test_qt_adapters.cpp ui/test_ui_font.cpp
  LIBS common_ui tamberlox_ui_test_support tamberlox_gui_test_main)
