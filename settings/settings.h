#pragma once
// The general settings kept under the program's registry key, with their defaults, and the
// names of the keys and values they live in.
#include <cstdint>
#include <string>
#include <string_view>

namespace brixtel {

namespace keys {
inline constexpr std::wstring_view Maker = L"Software\\Quorrel";
inline constexpr std::wstring_view Settings = L"Software\\Quorrel\\Halvo Brixtel";
inline constexpr std::wstring_view LoopEntries = L"Software\\Quorrel\\Halvo Brixtel\\LoopEntries";
inline constexpr std::wstring_view Databases = L"Software\\Quorrel\\Halvo Brixtel\\Databases";
inline constexpr std::wstring_view Tags = L"Software\\Quorrel\\Halvo Brixtel\\Tags";
} // namespace keys

// Names of values under those keys (and of the same keys in the initialisation file).
namespace values {
inline constexpr std::wstring_view InstallDir = L"InstallDir";
inline constexpr std::wstring_view LastLoaded = L"LastLoaded";
inline constexpr std::wstring_view PortLowerLimit = L"PortLowerLimit";
inline constexpr std::wstring_view PortUpperLimit = L"PortUpperLimit";
inline constexpr std::wstring_view DebugView = L"DebugView";
inline constexpr std::wstring_view Frequency = L"Frequency";
inline constexpr std::wstring_view LogSize = L"LogSize";
inline constexpr std::wstring_view SigDig = L"SigDig";
inline constexpr std::wstring_view ShowBlkCheck = L"ShowBlkCheck";
inline constexpr std::wstring_view ShowLogAlert = L"ShowLogAlert";
inline constexpr std::wstring_view NumberOfLoopEntries = L"NumberOfLoopEntries";
inline constexpr std::wstring_view LoopEntryPrefix = L"LoopEntry";
inline constexpr std::wstring_view DatabaseFiles = L"DatabaseFiles";
inline constexpr std::wstring_view DatabasePrefix = L"Database";
inline constexpr std::wstring_view NumberofTags = L"NumberofTags";
inline constexpr std::wstring_view TagLookUpPrefix = L"TagLookUp";
inline constexpr std::wstring_view ListName = L"name";
inline constexpr std::wstring_view ListPrefix = L"List";
inline constexpr std::wstring_view LogDate = L"LogDate";
inline constexpr std::wstring_view LogReqTime = L"LogReqTime";
inline constexpr std::wstring_view LogFirstTime = L"LogFirstTime";
inline constexpr std::wstring_view LogLastTime = L"LogLastTime";
inline constexpr std::wstring_view LogIndvTime = L"LogIndvTime";
inline constexpr std::wstring_view LogReqDate = L"LogReqDate";
inline constexpr std::wstring_view LogFirstDate = L"LogFirstDate";
inline constexpr std::wstring_view LogLastDate = L"LogLastDate";
inline constexpr std::wstring_view LogIndvDate = L"LogIndvDate";
inline constexpr std::wstring_view StartHour = L"StartHour";
inline constexpr std::wstring_view StartMinute = L"StartMinute";
inline constexpr std::wstring_view StartTime = L"StartTime";
inline constexpr std::wstring_view StopHour = L"StopHour";
inline constexpr std::wstring_view StopMinute = L"StopMinute";
inline constexpr std::wstring_view StopTime = L"StopTime";
inline constexpr std::wstring_view SyncLog = L"SyncLog";
inline constexpr std::wstring_view SaveLocale = L"SaveLocale";
inline constexpr std::wstring_view AppendDate = L"AppendDate";
} // namespace values

// Counts read from the registry or the initialisation file are held to what the program can
// use, so that a damaged count cannot keep the start-up reading for hours:
// a tag list holds at most 50 points (what the lookup and the import let into one);
inline constexpr std::uint32_t kMaxStoredListEntries = 50;
// the Database table numbers at most 28 files (2 ... 29) in a run;
inline constexpr std::uint32_t kMaxStoredDatabaseFiles = 28;
// loop entries serve loops 1 ... 250, and a thousand (four servers for every loop) is far past
// any plant, while each entry costs a socket, two threads and a connstat every period.
inline constexpr std::uint32_t kMaxStoredLoopEntries = 1000;

// The initialisation file that seeds a first start, and its one section.
inline constexpr std::wstring_view kProfileFile = L"Brixtel.ini";
inline constexpr std::wstring_view kProfileSection = L"Brixtel";

struct PortRange {
    std::uint16_t lower = 5100;
    std::uint16_t upper = 5200;
};

// Windows NT 4.0 kept its local ports lower.
inline PortRange default_port_range(bool windows_nt4) {
    return windows_nt4 ? PortRange{3100, 3200} : PortRange{5100, 5200};
}

// Asks the running system; for the Live Loop Setup's reset to defaults.
PortRange default_port_range();

struct Settings {
    std::wstring last_loaded;          // name of the tag list loaded last; empty = none
    PortRange ports;                   // local UDP ports to try
    bool debug_view = false;           // Debug View (else Export View) is the current view
    std::uint32_t frequency_ms = 1000; // update interval
    std::uint32_t log_size_mb = 5;     // log size limit; 0 = unlimited
    std::uint32_t sig_dig = 0;         // Export View significant digits; 0 = no limit
    bool show_blk_check = true;        // show the illegal block number query
    bool show_log_alert = true;        // show the log alert notice
};

} // namespace brixtel
