#pragma once
// Resource identifiers shared by the resource script and the C++ code.
// Plain macros: the resource compiler reads this file too.

// Menu commands, in the order of the command table.
#define CMD_SET_IP_ADDRESS 40001
#define CMD_EXIT 40003
#define CMD_DATABASE_FILE_NAMES 40009
#define CMD_TAG_NAME_LOOKUP 40010
#define CMD_SET_UPDATE_INTERVAL 40011
#define CMD_MONITORING 40012
#define CMD_LOG_DATA 40013
#define CMD_DEBUG_VIEW 40014
#define CMD_EXPORT_VIEW 40015
#define CMD_ABOUT 40016
#define CMD_LOG_FILE_SIZE 40017
#define CMD_LOAD_TAG_LIST 40018
#define CMD_SAVE_TAG_LIST 40019
#define CMD_DELETE_TAG_LIST 40020
#define CMD_SIGNIFICANT_DIGITS 40021
#define CMD_SAVE_EXCEL_DDE_FILE 40022
#define CMD_EXPORT_CURRENT_TAGS 40023
#define CMD_IMPORT_TAG_LIST 40024
#define CMD_SYNCHRONIZED_START 40025
#define CMD_CONFIGURE_LOGGING 40026
#define CMD_RESET_SUPPRESSED_DIALOGS 40027
#define CMD_LAUNCH_EXPLORER 40028

#define CMD_FIRST CMD_SET_IP_ADDRESS
#define CMD_LAST CMD_LAUNCH_EXPLORER

// "About": the three read-only fields.
#define IDC_ABOUT_BUILD 1201
#define IDC_ABOUT_VERSION 1202
#define IDC_ABOUT_NOTICE 1203

// "Export_Sig_Dig": the number and the box that lifts the limit.
#define IDC_SIG_DIG_NUMBER 1211
#define IDC_SIG_DIG_NO_LIMIT 1212

// "LogSize": the limit in MB and the box for no limit.
#define IDC_LOG_SIZE_LIMIT 1221
#define IDC_LOG_SIZE_NO_LIMIT 1222
