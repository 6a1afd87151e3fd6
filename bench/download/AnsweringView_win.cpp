#include "bench/download/AnsweringView_win.h"

#include <cstdio>

void TAnsweringView::SetProgress(int32_t maximum, int32_t position) {
  Maximum = maximum;
  Position = position;
  fWindow.SetProgress(maximum, position);
}

bool TAnsweringView::ShowMessage(const std::string &caption, const std::string &text,
                                 TMessageButtons buttons) {
  if (caption == "Run Program?") { // the offer: the run ends before the later question
    Started = TClock::now();
    return true;
  }
  if (caption == "Replace?") {
    Finished = TClock::now();
    Downloaded = true;
    return false;
  }
  if (caption == "Abort")
    return fWindow.ShowMessage(caption, text, buttons);
  Fail(caption + ": " + text);
  return false;
}

void TAnsweringView::Fail(const std::string &text) {
  Failed = true;
  std::fprintf(stderr, "The updater says: %s\n", text.c_str());
}
