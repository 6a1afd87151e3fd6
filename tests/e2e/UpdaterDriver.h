#pragma once

#include "drivers/MessageBoxView.h"
#include "drivers/UpdaterProcess.h"

#include <windows.h>

#include <string>
#include <vector>

/// A loopback address of its own for each server: 127.0.<block>.N. Each test file drives its
/// servers from a block of its own, apart from those of the Windows tests (127.0.2) and the https
/// test servers (127.0.3), so that servers of runs side by side never meet.
std::string NextServerAddress(int block);
/// The settings lines that point the version file and the download at the server at address.
std::vector<std::string> UrlSettings(const std::string &address);
/// Settings that let the updater go ahead at address, under the title "Foo".
std::vector<std::string> UsableSettings(const std::string &address);
/// The text of a settings file whose [Updater] section holds lines.
std::string Settings(const std::vector<std::string> &lines);

/// Waits, within a generous bound, for a visible message box of the updater; nullptr when
/// none appears in time.
HWND WaitForMessageBox(const TUpdaterProcess &updater);
/// Expects box to show exactly what expected holds: caption, text, buttons and icon.
void ExpectMessageBox(HWND box, const TMessageBoxView &expected);
/// What the error message dialog with text shows: caption "Error", the stop icon, "OK".
TMessageBoxView ErrorMessageView(const std::string &text);
/// Expects box to be the error message dialog with text.
void ExpectErrorMessage(HWND box, const std::string &text);
