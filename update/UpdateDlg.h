#pragma once

#include "framework/Component.h"
#include "framework/FileExtension.h"
#include "httpget/HttpGet.h"
#include "update/Settings.h"
#include "update/UpdateView.h"

#include <cstdint>
#include <string>

/// Where the update dialog finds what the host and the machine tell it at start-up.
struct TUpdateStartup {
  std::string CommandLine;     // the process's command line, the updater's own path first
  std::string ProgramFileName; // the updater's own program file, full path
  TProfileReader ReadProfileString;
  TLeadByteTest IsLeadByte = NoLeadBytes;
};

/// The update dialog: the updater's main window for the whole run. Its window draws what it
/// is told through TUpdateView; the dialog holds the two transfers. User-interface thread only.
class TUpdateDlg : public TComponent {
public:
  /// Checks the command line, reads the settings, sets the title and starts the version check;
  /// or shows why it cannot and asks for the end.
  TUpdateDlg(TComponent *owner, TUpdateView &view, TInternetApi &internet,
             const TUpdateStartup &startup);

  THTTPGet &CheckVersion; // fetches the version file as text
  THTTPGet &Downloader;   // downloads the new program file to disk
  std::string UpdaterTitle;
  int32_t PercentDone = 0;

private:
  void Start(const TUpdateStartup &startup);
  void ConfigureTransfers();

  TUpdateView &fView;
};
