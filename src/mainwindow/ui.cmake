# The main window and its window menu. Links Widgets; the output run and the
# list rules stay Core only.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(mainwindow_ui STATIC
  ui/FileDropFilter.cpp
  ui/frmProgress.cpp
  ui/frmTamberlox_01.cpp
  ui/frmTamberlox_01Layout.cpp
  ui/WindowMenu.cpp)
target_link_libraries(mainwindow_ui PUBLIC mainwindow settings_ui common_ui Qt6::Widgets)
