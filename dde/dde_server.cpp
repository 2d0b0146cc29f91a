#include "dde/dde_server.h"

#include "dde/dde_formats.h"
#include "dde/item_grammar.h"
#include "platform/case_fold.h"

namespace brixtel {

namespace {

constexpr DdeHandle kTrue = 1;
constexpr DdeHandle kFalse = 0;

} // namespace

DdeServer::DdeServer(DdeLibrary& library, PointTable& points, std::function<void(bool)> set_demand,
                     TagAddressLookup tag_address)
    : library_(library), points_(points), set_demand_(std::move(set_demand)),
      tag_address_(std::move(tag_address)) {}

void DdeServer::register_service() {
    service_ = library_.make_string(kDdeService);
    topic_ = library_.make_string(kAdviseTopic);
    library_.name_service(service_, true);
}

void DdeServer::unregister_service() {
    if (service_)
        library_.name_service(service_, false);
    for (DdeHandle* name : {&service_, &topic_}) {
        if (*name)
            library_.free_string(*name);
        *name = 0;
    }
}

void DdeServer::release(DdeHandle string) {
    library_.free_string(string);
}

DdeAnswer DdeServer::handle(const DdeCall& call) {
    switch (call.type) {
    case DdeTransaction::Connect:
        return connect(call);
    case DdeTransaction::AdviseStart:
        return start_advise(call);
    case DdeTransaction::AdviseRequest:
        return advise_request(call);
    case DdeTransaction::Request:
        return request(call);
    case DdeTransaction::AdviseStop:
        return stop_advise(call);
    case DdeTransaction::Disconnect:
        return disconnect(call);
    case DdeTransaction::Other:
        break;
    }
    return DdeAnswer::number(0);
}

// ---- Transactions -------------------------------------------------------------------------

// The service in any case; the topic exactly as written.
DdeAnswer DdeServer::connect(const DdeCall& call) {
    const std::wstring service = library_.query_string(call.second);
    const std::wstring topic = library_.query_string(call.topic);
    const bool known_topic = topic == kAdviseTopic || topic == kRequestTopic;
    if (upper_case(service) != upper_case(kDdeService) || !known_topic)
        return DdeAnswer::number(kFalse);
    connected_ = true;
    set_demand_(true);
    return DdeAnswer::number(kTrue);
}

DdeAnswer DdeServer::start_advise(const DdeCall& call) {
    const std::wstring topic = library_.query_string(call.topic);
    const std::wstring item = library_.query_string(call.second);
    connected_ = true;
    set_demand_(true);
    if (item == kStandardDocumentItem)
        return DdeAnswer::number(kTrue);
    // An item that names no block may be a tag name: its first match in the tag databases.
    std::optional<BlockAddress> address = parse_point_description(item);
    if (!address && tag_address_)
        address = tag_address_(item);
    if (!address)
        return DdeAnswer::number(kTrue); // the link is accepted all the same, with no point
    const KeptNames names = make_names(topic, item, true);
    add_point(*address, names, false, call.conversation);
    // The point keeps its own reference to each handle.
    free_names(names);
    return DdeAnswer::number(kTrue);
}

DdeAnswer DdeServer::advise_request(const DdeCall& call) {
    const KeptNames names =
        make_names(library_.query_string(call.topic), library_.query_string(call.second), false);
    MonitoredPoint* point = find(names);
    DdeHandle data = 0;
    if (point && point->value) {
        data = value_data(*point, call.format, call.second);
        // Each value is delivered once.
        point->value.reset();
    }
    free_names(names);
    return DdeAnswer::data(data);
}

DdeAnswer DdeServer::request(const DdeCall& call) {
    const std::wstring topic = library_.query_string(call.topic);
    const std::wstring item = library_.query_string(call.second);
    if (item == kStandardDocumentItem)
        return DdeAnswer::number(1);
    if (topic == kAdviseTopic) {
        library_.post_advise(0, 0);
        return DdeAnswer::data(0);
    }
    const KeptNames names = make_names(topic, item, true);
    if (MonitoredPoint* point = find(names); point && point->value) {
        const DdeHandle data = value_data(*point, kTextFormat, call.second);
        remove(*point);
        free_names(names);
        free_names(names);
        return DdeAnswer::data(data);
    }
    const auto address = parse_point_description(item);
    if (!address) {
        free_names(names);
        free_names(names);
        return DdeAnswer::data(0);
    }
    add_point(*address, names, true, call.conversation);
    free_names(names);
    return DdeAnswer::hold_back();
}

DdeAnswer DdeServer::stop_advise(const DdeCall& call) {
    const KeptNames names =
        make_names(library_.query_string(call.topic), library_.query_string(call.second), false);
    if (MonitoredPoint* point = find(names)) {
        remove(*point);
        if (points_.empty())
            set_demand_(false);
    }
    free_names(names);
    return DdeAnswer::number(kTrue);
}

// A client that goes away takes its points with it: nobody would ever take their values.
DdeAnswer DdeServer::disconnect(const DdeCall& call) {
    bool removed = false;
    for (auto it = points_.begin(); it != points_.end();) {
        MonitoredPoint& point = *it++;
        if (point.dde_only && point.dde.conversation == call.conversation) {
            remove(point);
            removed = true;
        }
    }
    if (removed && points_.empty())
        set_demand_(false);
    return DdeAnswer::number(0);
}

// ---- Values -------------------------------------------------------------------------------

void DdeServer::value_arrived(MonitoredPoint& point) {
    if (point.dde.request_waiting) {
        library_.enable_one(point.dde.conversation);
        return;
    }
    // Without a client there is no link to tell.
    if (connected_)
        library_.post_advise(point.dde.topic, point.dde.item);
}

DdeHandle DdeServer::value_data(const MonitoredPoint& point, std::uint32_t format, DdeHandle item) {
    if (is_xltable(format, xltable_)) {
        const auto bytes = xltable_bytes(value_number(*point.value));
        return library_.make_data(bytes, item, format);
    }
    const auto bytes = text_bytes(*point.value);
    return library_.make_data(bytes, item, kTextFormat);
}

// ---- Points and names ---------------------------------------------------------------------

DdeServer::KeptNames DdeServer::make_names(std::wstring_view topic, std::wstring_view item,
                                           bool keep) {
    KeptNames names{library_.make_string(topic), library_.make_string(item)};
    if (keep) {
        library_.keep_string(names.topic);
        library_.keep_string(names.item);
    }
    return names;
}

void DdeServer::free_names(const KeptNames& names) {
    library_.free_string(names.topic);
    library_.free_string(names.item);
}

MonitoredPoint* DdeServer::find(const KeptNames& names) {
    for (MonitoredPoint& point : points_) {
        if (point.dde.item && point.dde.topic && library_.same_string(point.dde.item, names.item) &&
            library_.same_string(point.dde.topic, names.topic))
            return &point;
    }
    return nullptr;
}

void DdeServer::add_point(const BlockAddress& address, const KeptNames& names, bool waiting,
                          DdeHandle conversation) {
    points_.create(address, DdeLink{names.item, names.topic, waiting, conversation}, true, false);
}

void DdeServer::remove(MonitoredPoint& point) {
    points_.remove(point, false);
}

} // namespace brixtel
