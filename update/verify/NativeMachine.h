#pragma once

#include <cstdint>

/// The processor of the machine the updater runs on, as a program image's file header names it
/// (kMachineI386, kMachineAmd64, kMachineArm64); i386 when nothing says otherwise.
uint16_t NativeMachine();
