#pragma once
// Control identifiers of the logging dialogs, shared by their resource script, their Win32
// procedures and the portable checks that name the control to focus. Plain macros: the
// resource compiler reads this file too.

// The dialogs are numbered resources under their names. Wine looks a resource name up by a
// binary search that compares in lower case, while the table is sorted in upper case: a name
// with "_" among names with letters at that place ("LOG_ALERT" beside "LOGTYPE") is not
// found there, and which names are hit depends on every other dialog in the program.
#define LOGTYPE 2601
#define LOGGING_OPTIONS 2602
#define LOG_ALERT 2603

// LOGTYPE, "Type of Logging".
#define IDC_LOG_PAST_DATA 1043
#define IDC_LOG_NEW_DATA 1044
#define IDC_LOG_LINE_COUNT 1047
#define IDC_LOG_LINES_LABEL 1049
#define IDC_LOG_ALL_LINES 1123
#define IDC_LOG_RECENT_LINES 1151
#define IDC_LOG_PATH 1154
#define IDC_LOG_APPEND_DATE 1155
#define IDC_LOG_BROWSE 1156
#define IDC_LOG_RESET 1157
#define IDC_LOG_DELETE_EXISTING 1159
#define IDC_LOG_OPTIONS 1160
#define IDC_LOG_BUFFER_COUNT 1162

// LOGGING_OPTIONS, "Logging Options".
#define IDC_OPT_SIZE_LIMIT 1070
#define IDC_OPT_DATE 1108
#define IDC_OPT_FIRST_TIME 1109
#define IDC_OPT_LAST_TIME 1110
#define IDC_OPT_INDV_TIME 1111
#define IDC_OPT_REQ_TIME 1114
#define IDC_OPT_REQ_DATE 1118
#define IDC_OPT_FIRST_DATE 1119
#define IDC_OPT_LAST_DATE 1120
#define IDC_OPT_INDV_DATE 1121
#define IDC_OPT_COLUMNS_GROUP 1158
#define IDC_OPT_UNLIMITED 1165
#define IDC_OPT_COLUMNS_NOTE 1166
#define IDC_OPT_CURRENT_FILE 1167

// LOG_ALERT, "Log Alert".
#define IDC_LOG_ALERT_DONT_SHOW 1147
