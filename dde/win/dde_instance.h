#pragma once
// The program's DDE instance and the DDE management library under the DDE server: opened at
// start-up with the server's callback, closed after the message loop. The callback runs on
// the main thread, from the message loop.
#include "dde/dde_server.h"

#include <windows.h>

#include <ddeml.h>

namespace brixtel::win {

class DdemlLibrary : public DdeLibrary {
  public:
    // DdeInitializeW with the callback and no command flags; false when it failed. The
    // callback hands every transaction to `server`.
    bool initialize(DdeServer& server);
    void uninitialize();
    DWORD id() const { return id_; }

    DdeHandle make_string(std::wstring_view text) override;
    void keep_string(DdeHandle string) override;
    void free_string(DdeHandle string) override;
    std::wstring query_string(DdeHandle string) override;
    bool same_string(DdeHandle a, DdeHandle b) override;
    DdeHandle make_data(std::span<const std::uint8_t> bytes, DdeHandle item,
                        std::uint32_t format) override;
    void post_advise(DdeHandle topic, DdeHandle item) override;
    void enable_one(DdeHandle conversation) override;
    void name_service(DdeHandle service, bool register_it) override;

  private:
    DWORD id_ = 0;
};

// The number of the "XlTable" clipboard format that spreadsheets exchange values in.
UINT register_xltable_format();

} // namespace brixtel::win
