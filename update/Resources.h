#pragma once

// Resource identifiers, shared by the resource script and the code.
#define IDI_UPDATER 1 // kProgramIcon: every form shows it
#define IDB_PICTURE 100
