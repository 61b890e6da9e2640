# The common windows and the Qt faces of the message box, the file dialogs
# and modal showing. Links Widgets; the rest of common stays Core only.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(common_ui STATIC
  ui/frmAbout.cpp
  ui/QtDialogs.cpp
  ui/QtMessageBox.cpp
  ui/Twips.cpp
  ui/UiFont.cpp)
target_link_libraries(common_ui PUBLIC common Qt6::Widgets)
# frmAbout shows the program's own version.
target_compile_definitions(common_ui PRIVATE
  TAMBERLOX_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  TAMBERLOX_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  TAMBERLOX_VERSION_REVISION=${PROJECT_VERSION_PATCH})
