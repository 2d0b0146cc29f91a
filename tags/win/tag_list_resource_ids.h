#pragma once
// Control identifiers of the tag list load notices. Plain macros: the resource compiler reads
// this file too.

// POINT_DELETION, the "Bad Points Deletion Query".
#define IDC_BAD_POINTS_QUESTION 2501
#define IDC_BAD_POINTS_TIME_LEFT 2502

// NO_POINTS_LOADED.
#define IDC_NO_POINTS_TEXT 2511
