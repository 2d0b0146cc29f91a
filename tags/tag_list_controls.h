#pragma once
// Resource and control numbers of the tag list dialogs and files, shared by their resource
// scripts, their Win32 procedures, the portable checks that name the field to focus, and the
// end-to-end driver. Plain macros: the resource compiler reads this file too.

// Numbered resources under their names: under Wine a resource name with "_" may not be found
// by name (see logging/logging_controls.h).
#define TAG_LIST 2711
#define TAG_REVIEW 2712
#define DIFF_TAGS_DETECTED 2713
#define IMPORT_DIALOG 2714
#define EXCEEDED_IMPORT 2715

// TAG_LIST, "Tag Lists Available" (titled by its mode). OK is IDOK, Cancel IDCANCEL.
#define IDC_TAG_LIST_CURRENT 1071
#define IDC_TAG_LIST_SAVED 1073
#define IDC_TAG_LIST_REVIEW 1074
#define IDC_TAG_LIST_SAVE_AS_LABEL 1075
#define IDC_TAG_LIST_SAVE_AS 1076
#define IDC_TAG_LIST_DELETE 1077
#define IDC_TAG_LIST_EXCEL_DDE_EXPORT 1083
#define IDC_TAG_LIST_EXPORT 1084

// TAG_REVIEW, "Tag List Review": the read-only text and OK.
#define IDC_TAG_REVIEW_TEXT 1078

// DIFF_TAGS_DETECTED, "Different Tags Detected": OK, Cancel and the two choices.
#define IDC_DIFF_SAVED_TAGS 1128
#define IDC_DIFF_CURRENT_TAGS 1129

// IMPORT_DIALOG, "Import Taglist": OK, Cancel.
#define IDC_IMPORT_FILE 1085
#define IDC_IMPORT_BROWSE 1086
#define IDC_IMPORT_NAME 1087
#define IDC_IMPORT_LOAD_AFTER 1088

// EXCEEDED_IMPORT, "Points Exceeded": the entries (multiple selection), Remove, the total,
// OK, Cancel.
#define IDC_EXCEEDED_ENTRIES 1096
#define IDC_EXCEEDED_REMOVE 1097
#define IDC_EXCEEDED_TOTAL 1099
