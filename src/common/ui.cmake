# The common windows and the Qt faces of the message box, the file dialogs
# and modal showing. Links Widgets; the rest of common stays Core only.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(common_ui STATIC
  ui/frmAbout.cpp
  ui/NativeDialogs.cpp
  ui/QtDialogs.cpp
  ui/QtMessageBox.cpp
  ui/Twips.cpp
  ui/UiFont.cpp)
target_link_libraries(common_ui PUBLIC common Qt6::Widgets)
