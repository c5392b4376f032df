#pragma once

// Start-up pieces shared by the program and the tests that load its interface.

// Names the application; the settings store is kept under these names.
void nameApplication();

// Makes the native types known to the interface layer.
void registerInterfaceTypes();

// Loads the panel fonts from the resources and lets texts set in the
// panel's historic face render in the same family.
void loadPanelFonts();
