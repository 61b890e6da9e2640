# The settings window, driven through its controls.
tamberlox_add_test(test_settings_ui
  SOURCES ui/SettingsWindowFixture.cpp ui/test_settings_window.cpp ui/test_settings_save.cpp
  LIBS settings_ui tamberlox_ui_test_support tamberlox_gui_test_main)
