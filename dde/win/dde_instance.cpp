#include "dde/win/dde_instance.h"

namespace brixtel::win {

namespace {

constexpr int kStringChars = 256;

// The one server of the process; DDEML gives its callback no context of its own.
DdeServer* g_server = nullptr;

HSZ hsz(DdeHandle handle) {
    return reinterpret_cast<HSZ>(handle);
}

DdeHandle handle_of(void* pointer) {
    return reinterpret_cast<DdeHandle>(pointer);
}

DdeTransaction transaction_of(UINT type) {
    switch (type) {
    case XTYP_CONNECT:
        return DdeTransaction::Connect;
    case XTYP_ADVSTART:
        return DdeTransaction::AdviseStart;
    case XTYP_ADVREQ:
        return DdeTransaction::AdviseRequest;
    case XTYP_REQUEST:
        return DdeTransaction::Request;
    case XTYP_ADVSTOP:
        return DdeTransaction::AdviseStop;
    case XTYP_DISCONNECT:
        return DdeTransaction::Disconnect;
    default:
        return DdeTransaction::Other;
    }
}

HDDEDATA CALLBACK dde_callback(UINT type, UINT format, HCONV conversation, HSZ first, HSZ second,
                               HDDEDATA, ULONG_PTR, ULONG_PTR) {
    if (!g_server)
        return nullptr;
    const DdeAnswer answer =
        g_server->handle({transaction_of(type), format, handle_of(conversation), handle_of(first),
                          handle_of(second)});
    switch (answer.kind) {
    case DdeAnswer::Kind::HoldBack:
        return CBR_BLOCK;
    case DdeAnswer::Kind::Number:
    case DdeAnswer::Kind::Data:
        break;
    }
    return reinterpret_cast<HDDEDATA>(answer.value);
}

} // namespace

bool DdemlLibrary::initialize(DdeServer& server) {
    g_server = &server;
    DWORD id = 0;
    if (DdeInitializeW(&id, dde_callback, 0, 0) != DMLERR_NO_ERROR) {
        g_server = nullptr;
        return false;
    }
    id_ = id;
    return true;
}

void DdemlLibrary::uninitialize() {
    if (id_ != 0)
        DdeUninitialize(id_);
    id_ = 0;
    g_server = nullptr;
}

DdeHandle DdemlLibrary::make_string(std::wstring_view text) {
    const std::wstring copy(text);
    return handle_of(DdeCreateStringHandleW(id_, copy.c_str(), CP_WINUNICODE));
}

void DdemlLibrary::keep_string(DdeHandle string) {
    if (string)
        DdeKeepStringHandle(id_, hsz(string));
}

void DdemlLibrary::free_string(DdeHandle string) {
    if (string)
        DdeFreeStringHandle(id_, hsz(string));
}

std::wstring DdemlLibrary::query_string(DdeHandle string) {
    wchar_t text[kStringChars] = {};
    if (!string || DdeQueryStringW(id_, hsz(string), text, kStringChars, CP_WINUNICODE) == 0)
        return {};
    return text;
}

bool DdemlLibrary::same_string(DdeHandle a, DdeHandle b) {
    return DdeCmpStringHandles(hsz(a), hsz(b)) == 0;
}

DdeHandle DdemlLibrary::make_data(std::span<const std::uint8_t> bytes, DdeHandle item,
                                  std::uint32_t format) {
    auto* data = const_cast<LPBYTE>(bytes.data());
    return handle_of(
        DdeCreateDataHandle(id_, data, static_cast<DWORD>(bytes.size()), 0, hsz(item), format, 0));
}

void DdemlLibrary::post_advise(DdeHandle topic, DdeHandle item) {
    DdePostAdvise(id_, hsz(topic), hsz(item));
}

void DdemlLibrary::enable_one(DdeHandle conversation) {
    DdeEnableCallback(id_, reinterpret_cast<HCONV>(conversation), EC_ENABLEONE);
}

void DdemlLibrary::name_service(DdeHandle service, bool register_it) {
    DdeNameService(id_, hsz(service), nullptr, register_it ? DNS_REGISTER : DNS_UNREGISTER);
}

UINT register_xltable_format() {
    return RegisterClipboardFormatW(L"XlTable");
}

} // namespace brixtel::win
