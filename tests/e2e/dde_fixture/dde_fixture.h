// What the DDE fixture server (dde_fixture.exe) serves and how a test works it; shared by the
// fixture and the DDE client's own test.
#pragma once

#include <windows.h>

namespace brixtel::e2e::dde_fixture {

// A hidden top-level window of this class takes the test's posted messages; it exists once
// the service is registered.
inline constexpr wchar_t kWindowClass[] = L"BrixtelDdeFixture";
inline constexpr wchar_t kService[] = L"Fixture";
inline constexpr wchar_t kTopic[] = L"T"; // the only topic, case included

// Requests: a text (whatever format is asked), a number (XlTable or text), the number of hot
// links open, and an item held back until released.
inline constexpr wchar_t kGreetingItem[] = L"Greeting";
inline constexpr wchar_t kGreetingText[] = L"Pump 3: 12.5 \u00B0C"; // the degree sign is OEM 0xF8
inline constexpr wchar_t kNumberItem[] = L"Number";
inline constexpr double kNumber = 12.5;
inline constexpr wchar_t kNumberText[] = L"12.5";
inline constexpr wchar_t kLinksItem[] = L"Links";
inline constexpr wchar_t kHeldItem[] = L"Held";
inline constexpr wchar_t kReleasedText[] = L"released";

// Hot links: any item but this one is accepted; each advance sends every link the counter
// (1, 2, 3, ...) as text or XlTable.
inline constexpr wchar_t kRefusedItem[] = L"Refused";

// Pokes to this item in CF_TEXT and this one command are accepted; everything else is not.
inline constexpr wchar_t kPokeItem[] = L"Sink";
inline constexpr wchar_t kAcceptedCommand[] = L"[accept]";

// Posted by the test: advance the counter and advise every link; release every held request.
inline constexpr UINT kAdvance = WM_APP + 1;
inline constexpr UINT kRelease = WM_APP + 2;

// Command line: "--tick MS" advances the counter every MS milliseconds as well.

} // namespace brixtel::e2e::dde_fixture
