# The settings window. Links Widgets; the model and clsIniFile stay Core only.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(settings_ui STATIC
  ui/frmIniFile.cpp
  ui/frmIniFileLayout.cpp
  ui/PasswordLineEdit.cpp)
target_link_libraries(settings_ui PUBLIC settings crypto common_ui Qt6::Widgets)
