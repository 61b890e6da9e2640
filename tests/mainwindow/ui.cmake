# The list rules without a display.
tamberlox_add_test(test_target_file_list
  SOURCES ui/test_target_file_list.cpp
  LIBS mainwindow tamberlox_test_support)

# The main window and its window menu, driven through their controls. The
# complete output run through the windows goes here too (a test file beside
# these, using MainWindowFixture).
if(TARGET mainwindow_ui)
  tamberlox_add_test(test_mainwindow_ui
    SOURCES ui/test_main_window.cpp
    LIBS mainwindow_ui tamberlox_ui_test_support tamberlox_gui_test_main)
endif()

# The main window on Qt's windows platform: its real system menu, the
# commands through its window procedure.
if(TARGET mainwindow_ui AND WIN32)
  tamberlox_add_test(test_mainwindow_native
    SOURCES ui/test_system_menu.cpp
    QPA windows
    LIBS mainwindow_ui tamberlox_ui_test_support tamberlox_gui_test_main)
endif()
