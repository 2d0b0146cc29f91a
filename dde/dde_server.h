#pragma once
// The DDE server: clients such as spreadsheets connect to the service "Brixtel" on topic
// "Output" (advise links: every new value of a point, once) or "OutputA" (a request held back
// until the point's next value), name a point by an item "Module l,p,m Block b" (or, for a
// link, a tag name), and get its values as text or as an XlTable. Each link or held-back
// request is a DDE-only point of the Point table, polled like the others but never shown,
// logged or counted as a row. Main thread only: DDE calls arrive through the message loop.
#include "core/block_address.h"
#include "core/point_table.h"
#include "core/poll_cycle.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brixtel {

inline constexpr std::wstring_view kDdeService = L"Brixtel";
inline constexpr std::wstring_view kAdviseTopic = L"Output";
inline constexpr std::wstring_view kRequestTopic = L"OutputA";
inline constexpr std::wstring_view kStandardDocumentItem = L"StdDocumentName";

// The DDE management library as the server uses it: the Win32 side wraps DDEML, the unit
// tests record the calls. Handles are opaque numbers; 0 is none.
class DdeLibrary {
  public:
    virtual ~DdeLibrary() = default;
    // A string handle of the text, or 0.
    virtual DdeHandle make_string(std::wstring_view text) = 0;
    // One more reference to the handle.
    virtual void keep_string(DdeHandle string) = 0;
    virtual void free_string(DdeHandle string) = 0;
    // The handle's text (at most 255 characters).
    virtual std::wstring query_string(DdeHandle string) = 0;
    // Both handles name the same string, letter case aside.
    virtual bool same_string(DdeHandle a, DdeHandle b) = 0;
    // A data handle of the bytes in the format for the item, or 0.
    virtual DdeHandle make_data(std::span<const std::uint8_t> bytes, DdeHandle item,
                                std::uint32_t format) = 0;
    // Asks for advise requests of every link on the topic and item (0 and 0: every link).
    virtual void post_advise(DdeHandle topic, DdeHandle item) = 0;
    // Lets a held-back conversation go on for one transaction.
    virtual void enable_one(DdeHandle conversation) = 0;
    virtual void name_service(DdeHandle service, bool register_it) = 0;
};

// The transactions the server tells apart.
enum class DdeTransaction {
    Connect,
    AdviseStart,
    AdviseRequest,
    Request,
    AdviseStop,
    Disconnect,
    Other,
};

struct DdeCall {
    DdeTransaction type = DdeTransaction::Other;
    std::uint32_t format = 0;
    DdeHandle conversation = 0;
    DdeHandle topic = 0;  // the first string handle
    DdeHandle second = 0; // the item, or the service for a connect
};

// What the callback answers: a number (TRUE, FALSE, 1, 0), a data handle (0: no data), or the
// transaction held back.
struct DdeAnswer {
    enum class Kind { Number, Data, HoldBack };
    Kind kind = Kind::Number;
    DdeHandle value = 0;

    static DdeAnswer number(DdeHandle n) { return {Kind::Number, n}; }
    static DdeAnswer data(DdeHandle handle) { return {Kind::Data, handle}; }
    static DdeAnswer hold_back() { return {Kind::HoldBack, 0}; }
    bool operator==(const DdeAnswer&) const = default;
};

// The address a link takes for an item that names no block: the tag's, looked up in the tag
// databases; nothing when no tag matches.
using TagAddressLookup = std::function<std::optional<BlockAddress>(std::wstring_view tag)>;

class DdeServer : public CycleDde {
  public:
    DdeServer(DdeLibrary& library, PointTable& points, std::function<void(bool)> set_demand,
              TagAddressLookup tag_address);

    // The clipboard format number of "XlTable", registered at start-up.
    void set_xltable_format(std::uint32_t format) { xltable_ = format; }

    void register_service();
    void unregister_service();

    DdeAnswer handle(const DdeCall& call);

    // A point took a value: a held-back request goes on, or its links are told.
    void value_arrived(MonitoredPoint& point) override;

    // Frees a point's string handles as it goes (the Point table's release hook).
    void release(DdeHandle string);

  private:
    DdeAnswer connect(const DdeCall& call);
    DdeAnswer start_advise(const DdeCall& call);
    DdeAnswer advise_request(const DdeCall& call);
    DdeAnswer request(const DdeCall& call);
    DdeAnswer stop_advise(const DdeCall& call);
    DdeAnswer disconnect(const DdeCall& call);

    // Handles of the topic and item texts, as a point keeps them.
    struct KeptNames {
        DdeHandle topic = 0;
        DdeHandle item = 0;
    };
    KeptNames make_names(std::wstring_view topic, std::wstring_view item, bool keep);
    void free_names(const KeptNames& names);
    MonitoredPoint* find(const KeptNames& names);
    void add_point(const BlockAddress& address, const KeptNames& names, bool waiting,
                   DdeHandle conversation);
    DdeHandle value_data(const MonitoredPoint& point, std::uint32_t format, DdeHandle item);
    void remove(MonitoredPoint& point);

    DdeLibrary& library_;
    PointTable& points_;
    std::function<void(bool)> set_demand_;
    TagAddressLookup tag_address_;
    std::uint32_t xltable_ = 0;
    DdeHandle service_ = 0;
    DdeHandle topic_ = 0;
    bool connected_ = false; // some client has connected
};

} // namespace brixtel
