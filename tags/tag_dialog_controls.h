#pragma once
// Control identifiers of the tag database dialogs, shared by their resource scripts, their
// Win32 procedures, the portable checks that name the field to focus, and the end-to-end
// driver. Plain macros: the resource compiler reads this file too.

// The dialogs are numbered resources under their names: under Wine a resource name with "_"
// may not be found by name (see logging/logging_controls.h).
#define ADDONSTUFF 2701
#define TAGLOOKUP_ENTRIES 2702
#define DUPLICATE_TAG_QUERY 2703
#define EXCEEDEDBLOCKLIMIT 2704

// ADDONSTUFF: the part of the "Find Database Files" dialog below the standard controls.
#define IDC_DATABASE_FILE_LIST 1012
#define IDC_DATABASE_DELETE 1018
#define IDC_DATABASE_ADD 1020
#define IDC_DATABASE_CLOSE 1022

// TAGLOOKUP_ENTRIES, "Tag Translation". Close is IDCANCEL.
#define IDC_LOOKUP_DELETE_ENTRY 1018
#define IDC_LOOKUP 1028
#define IDC_LOOKUP_TAG_NAME 1053
#define IDC_LOOKUP_LOOP 1054
#define IDC_LOOKUP_PCU 1055
#define IDC_LOOKUP_MODULE 1056
#define IDC_LOOKUP_BLOCK 1057
#define IDC_LOOKUP_ENTRIES 1120
#define IDC_LOOKUP_DESCRIPTION 1122
#define IDC_LOOKUP_BY_TAG_NAME 1130
#define IDC_LOOKUP_BY_BLOCK 1131

// DUPLICATE_TAG_QUERY, "Duplicate Tag Selections": the list view, OK and Cancel.
#define IDC_DUPLICATE_CHOICES 1125

// EXCEEDEDBLOCKLIMIT, "Illegal Block Number Check": OK, Cancel and the check box.
#define IDC_BLOCK_CHECK_DO_NOT_SHOW 1141
