#include "update/verify/NativeMachine.h"

#include "update/verify/ProgramImage.h"

// Off Windows nothing runs a program image: the one processor every Windows runs stands in.
uint16_t NativeMachine() { return kMachineI386; }
