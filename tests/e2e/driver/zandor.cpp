#include "tests/e2e/driver/zandor.h"

#include "tests/e2e/driver/window_query.h"

#include <cstdlib>

namespace brixtel::e2e {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

namespace {

constexpr u_long kLoopbackAddress = 0x7F000001;
// The simulator always ends by itself, even if a test leaves it running.
constexpr int kSimulatorLifetimeSeconds = 900;

std::wstring folder_of(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::optional<std::string> whole_file(const std::wstring& path) {
    // The simulator keeps the file open for writing.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0)
        text.append(buffer, count);
    CloseHandle(file);
    return text;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<ZandorRequest> request_of(std::string_view line) {
    std::string_view fields[4];
    for (std::string_view& field : fields) {
        const size_t tab = line.find('\t');
        if (tab == line.npos)
            return std::nullopt;
        field = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    ZandorRequest request;
    request.seconds = std::strtod(std::string(fields[0]).c_str(), nullptr);
    request.local_port = std::atoi(std::string(fields[1]).c_str());
    request.source = std::string(fields[2]);
    request.disposition = std::string(fields[3]);
    request.text = unescaped(line);
    return request;
}

std::wstring unique_base() {
    static int started = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"zandor-sim-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++started);
}

std::wstring with_quotes(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

} // namespace

std::wstring zandor_sim_path() {
    if (const wchar_t* path = _wgetenv(L"BRIXTEL_ZANDOR_SIM"); path && *path)
        return path;
    wchar_t suite[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, suite, MAX_PATH);
    return folder_of(folder_of(suite)) + L"\\tools\\zandor-sim.exe";
}

LoopbackPeer::LoopbackPeer() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!started_)
        return;
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(kLoopbackAddress);
    int size = sizeof address;
    if (socket_ == INVALID_SOCKET ||
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
        socket_ = INVALID_SOCKET;
        return;
    }
    port_ = ntohs(address.sin_port);
}

LoopbackPeer::~LoopbackPeer() {
    if (socket_ != INVALID_SOCKET)
        closesocket(socket_);
    if (started_)
        WSACleanup();
}

bool LoopbackPeer::send_to(int port, std::string_view bytes) const {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(kLoopbackAddress);
    address.sin_port = htons(static_cast<u_short>(port));
    return ready() && ::sendto(socket_, bytes.data(), static_cast<int>(bytes.size()), 0,
                               reinterpret_cast<sockaddr*>(&address),
                               sizeof address) == static_cast<int>(bytes.size());
}

std::optional<std::string> LoopbackPeer::receive(Millis bound, int* from) const {
    if (!ready())
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + scaled(bound);
    while (true) {
        const auto left =
            std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0)
            return std::nullopt;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval timeout{static_cast<long>(left.count() / 1000),
                        static_cast<long>(left.count() % 1000) * 1000};
        if (::select(0, &readable, nullptr, nullptr, &timeout) <= 0)
            return std::nullopt;
        std::string buffer(65536, '\0');
        sockaddr_in source{};
        int size = sizeof source;
        const int count = ::recvfrom(socket_, buffer.data(), static_cast<int>(buffer.size()), 0,
                                     reinterpret_cast<sockaddr*>(&source), &size);
        // A reset left by an earlier datagram to a closed port: wait for the next one.
        if (count < 0)
            continue;
        buffer.resize(static_cast<size_t>(count));
        if (from)
            *from = ntohs(source.sin_port);
        return buffer;
    }
}

void LoopbackPeer::drain() const {
    while (receive(Millis(0)))
        ;
}

ZandorSim::~ZandorSim() {
    if (running())
        stop();
    release();
}

void ZandorSim::release() {
    if (process_)
        CloseHandle(process_);
    process_ = nullptr;
}

bool ZandorSim::running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::string ZandorSim::output() const {
    return whole_file(output_path_).value_or("<no output>");
}

std::optional<int> ZandorSim::control_port_from_ready_file() const {
    const auto text = whole_file(ready_path_);
    if (!text)
        return std::nullopt;
    const size_t at = text->find("control ");
    if (at == std::string::npos)
        return std::nullopt;
    return std::atoi(text->c_str() + at + 8);
}

AssertionResult ZandorSim::start(const std::vector<int>& ports, std::wstring_view options) {
    if (running())
        return AssertionFailure() << "the simulator is running already";
    release();
    if (!peer_.ready())
        return AssertionFailure() << "no UDP socket on 127.0.0.1 for the control commands";
    const std::wstring base = unique_base();
    record_path_ = base + L".rec";
    ready_path_ = base + L".ready";
    output_path_ = base + L".out";
    DeleteFileW(ready_path_.c_str());

    const std::wstring program = zandor_sim_path();
    std::wstring command = with_quotes(program);
    for (const int port : ports)
        command += L" --port " + std::to_wstring(port);
    command += L" --control-port 0 --record " + with_quotes(record_path_) + L" --ready-file " +
               with_quotes(ready_path_) + L" --max-seconds " +
               std::to_wstring(kSimulatorLifetimeSeconds) + L" --verbose ";
    command += options;

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE log = CreateFileW(output_path_.c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = log;
    startup.hStdError = log;
    PROCESS_INFORMATION info{};
    const BOOL created = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    const DWORD error = GetLastError();
    if (log != INVALID_HANDLE_VALUE)
        CloseHandle(log);
    if (!created)
        return AssertionFailure() << "cannot start " << narrow(program) << ", error " << error;
    CloseHandle(info.hThread);
    process_ = info.hProcess;

    std::optional<int> control_port;
    const bool ready = poll_until(
        [&] {
            control_port = control_port_from_ready_file();
            return control_port.has_value() || !running();
        },
        kStartBound);
    if (!ready || !control_port)
        return AssertionFailure() << "the simulator did not get ready within "
                                  << describe(kStartBound) << "; its output:\n"
                                  << output();
    control_port_ = *control_port;
    return control("ping");
}

AssertionResult ZandorSim::start_on_free_port(int* port, std::wstring_view options) {
    constexpr int kProgramLowest = 5100, kProgramHighest = 5200;
    for (int attempt = 0; attempt < 5; ++attempt) {
        {
            LoopbackPeer probe;
            *port = probe.ready() ? probe.port() : 0;
        }
        if (*port != 0 && (*port < kProgramLowest || *port > kProgramHighest))
            return start({*port}, options);
    }
    return ::testing::AssertionFailure() << "no free loopback port";
}

AssertionResult ZandorSim::control(std::string_view command, std::string* reply) {
    if (!running())
        return AssertionFailure() << "the simulator is not running; its output:\n" << output();
    peer_.drain();
    if (!peer_.send_to(control_port_, command))
        return AssertionFailure() << "cannot send \"" << command << "\" to the control port";
    const auto answer = peer_.receive(kWaitBound);
    if (!answer)
        return AssertionFailure() << "no reply to \"" << command << "\" within "
                                  << describe(kWaitBound);
    if (reply)
        *reply = *answer;
    if (answer->rfind("OK", 0) != 0)
        return AssertionFailure() << "\"" << command << "\" was refused: " << *answer;
    return AssertionSuccess();
}

AssertionResult ZandorSim::stop(Millis bound) {
    if (!process_)
        return AssertionSuccess();
    if (running())
        peer_.send_to(control_port_, "stop");
    const bool ended =
        WaitForSingleObject(process_, static_cast<DWORD>(scaled(bound).count())) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, static_cast<DWORD>(scaled(kExitBound).count()));
    }
    release();
    DeleteFileW(ready_path_.c_str());
    if (!ended)
        return AssertionFailure() << "the simulator did not stop within " << describe(bound);
    return AssertionSuccess();
}

std::vector<ZandorRequest> ZandorSim::requests() const {
    std::vector<ZandorRequest> requests;
    const std::string text = whole_file(record_path_).value_or("");
    size_t at = 0;
    // Only whole lines: the simulator may be writing the last one right now.
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', at)) {
        if (auto request = request_of(std::string_view(text).substr(at, end - at)))
            requests.push_back(std::move(*request));
        at = end + 1;
    }
    return requests;
}

AssertionResult ZandorSim::wait_for_request(std::string_view text, ZandorRequest* found,
                                            Millis bound) const {
    std::optional<ZandorRequest> match;
    poll_until(
        [&] {
            for (ZandorRequest& request : requests())
                if (request.text.find(text) != std::string::npos) {
                    match = std::move(request);
                    return true;
                }
            return false;
        },
        bound);
    if (!match)
        return AssertionFailure() << "no request containing \"" << text << "\" within "
                                  << describe(bound) << "; " << requests().size() << " recorded";
    if (found)
        *found = std::move(*match);
    return AssertionSuccess();
}

} // namespace brixtel::e2e
