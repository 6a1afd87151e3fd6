#pragma once

// Resource identifiers, shared by the resource script and the code.
#define IDI_UPDATER 1 // the icon that the updater's forms name in their layouts
#define IDB_PICTURE 100

// The updater's own version, as its version resource gives it. updater.manifest repeats it in
// its assemblyIdentity; the manifest test holds the two together.
#define UPDATER_VERSION_MAJOR 1
#define UPDATER_VERSION_MINOR 1
#define UPDATER_VERSION_RELEASE 3
#define UPDATER_VERSION_BUILD 11

#define UPDATER_TEXT_OF_(tokens) #tokens
#define UPDATER_TEXT_OF(tokens) UPDATER_TEXT_OF_(tokens)
/// The version as text: "1.1.3.11".
#define UPDATER_VERSION_TEXT                                                                       \
  UPDATER_TEXT_OF(                                                                                 \
      UPDATER_VERSION_MAJOR.UPDATER_VERSION_MINOR.UPDATER_VERSION_RELEASE.UPDATER_VERSION_BUILD)
