// Where the per-user files live: the settings store's file and the data folder
// that holds the editor's copied configuration files.
#pragma once

#include <string>

// The settings store's file: $QUILLMARK_CONFIG, else
// $XDG_CONFIG_HOME/Quillmark/Quillmark.ini, else ~/.config/Quillmark/Quillmark.ini.
// Empty when no base folder can be found (no HOME either).
std::string ConfigFilePath();

// $XDG_DATA_HOME/Quillmark, else ~/.local/share/Quillmark, created (with its
// parents) when missing. Empty when no base can be found or it cannot be made.
std::string UserDataFolder();

// Deletes one file of the data folder; a missing file or folder is no error.
// Returns false only when a file existed and could not be removed.
bool DeleteUserDataFile(const std::string& name);

// The user's home folder: $HOME, else the password database's entry; empty if neither.
std::string HomeFolder();
