#pragma once

/// Makes every later load of a DLL by name look in the system folder only, never in the
/// program's own folder or the current one. The programs' entry points call it first, before
/// anything loads a DLL that is not imported at start. Where Windows cannot narrow the search
/// that far, it at least takes the current folder out of it.
void LoadDllsFromSystemFolderOnly();
