#pragma once

// Start-up pieces shared by the program and the tests that load its interface.

// Names the application; the settings store is kept under these names.
void nameApplication();

// The settings store holds the link's password: makes its directory and
// file private to the user (created so, or tightened with a log line). Call
// after nameApplication and before the interface loads.
void protectSettingsFile();

// Draws with Qt Quick's software scene graph unless QT_QUICK_BACKEND asks
// for another; call before the first window is made.
void chooseRenderer();

// Makes the native types known to the interface layer.
void registerInterfaceTypes();

// Loads the panel fonts from the resources and lets texts set in the
// panel's historic face render in the same family.
void loadPanelFonts();
