#pragma once
// The program's DDE instance: opened at start-up with the server's callback, closed after
// the message loop. The callback runs on the main thread, from the message loop.
#include <windows.h>

#include <ddeml.h>

namespace brixtel::win {

class DdeInstance {
  public:
    // DdeInitializeW with the callback and no command flags; false when it failed.
    bool initialize();
    void uninitialize();
    DWORD id() const { return id_; }

  private:
    DWORD id_ = 0;
};

// The number of the "XlTable" clipboard format that spreadsheets exchange values in.
UINT register_xltable_format();

} // namespace brixtel::win
