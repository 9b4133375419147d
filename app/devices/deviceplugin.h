// The sound and serial plugin: the built-in synthesizer, the MIDI ports and the serial
// port live in one library of the application directory, loaded the first time one of
// them is used, so that converting a melody links and loads none of their libraries.
// The plugin exports one entry function per interface (playback/soundsystem.h,
// phonelink/serialline.h); each takes the interface version it is asked for and gives null
// when it was built for another.
#pragma once

#include <QString>

namespace pxdevices {

// The plugin's file name in the application directory.
inline constexpr char kPluginFile[] = "pealixdevices.so";

// The folder the plugin is loaded from: the application directory unless setDirectory
// named another (the tests, which run outside it).
QString directory();
// Takes effect for a plugin not loaded yet.
void setDirectory(const QString& dir);
QString pluginPath();

// The address of the plugin's entry function `name`, loading the plugin on the first
// call; null with the reason in error ("The sound and serial plugin ... could not be
// loaded: ..."). Thread-safe; the plugin stays loaded until the program ends.
void* entry(const char* name, QString* error);

}  // namespace pxdevices
