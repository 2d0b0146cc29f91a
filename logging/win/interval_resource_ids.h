#pragma once
// Control identifiers of the Update Interval and Synchronized start dialogs. Plain macros: the
// resource compiler reads this file too.

// FREQUENCY_DETAIL: the interval in hours, minutes and seconds.
#define IDC_INTERVAL_HOURS 1080
#define IDC_INTERVAL_MINUTES 1081
#define IDC_INTERVAL_SECONDS 1082

// SYNC_START_LOGGING: each time has a box, hour, minute and AM/PM lists and the separator
// between hour and minute; the last box starts logging with the start.
#define IDC_SYNC_START_ON 1103
#define IDC_SYNC_START_HOUR 1104
#define IDC_SYNC_START_MINUTE 1105
#define IDC_SYNC_START_AM_PM 1106
#define IDC_SYNC_START_SEPARATOR 1115
#define IDC_SYNC_STOP_ON 1107
#define IDC_SYNC_STOP_HOUR 1108
#define IDC_SYNC_STOP_MINUTE 1109
#define IDC_SYNC_STOP_AM_PM 1110
#define IDC_SYNC_STOP_SEPARATOR 1116
#define IDC_SYNC_LOG 1113
