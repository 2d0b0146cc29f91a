#pragma once
// Resource and control numbers of the Live Loop Setup dialog, shared by its resource script,
// its Win32 procedure, the portable checks that name the field to focus, and the end-to-end
// driver. Plain macros: the resource compiler reads this file too.

// Numbered resources under their names: under Wine a resource name with "_" may not be found
// by name (see logging/logging_controls.h).
#define LIVELOOPSETUP 2721
// The tree's bitmaps "IPSETUP_ROOT", "UNCHECKED", "CHECKED", "BLOCK" and "REFERENCE"; the
// macros carry a prefix, as the bare names are too common to be macros.
#define IDB_IPSETUP_ROOT 2722
#define IDB_UNCHECKED 2723
#define IDB_CHECKED 2724
#define IDB_BLOCK 2725
#define IDB_REFERENCE 2726

// LIVELOOPSETUP, "Live Loop Setup". OK is IDOK, Cancel IDCANCEL.
#define IDC_LOOP_SETUP_PORT 1009
#define IDC_LOOP_SETUP_ADDRESS 1010
#define IDC_LOOP_SETUP_LOOP 1015
#define IDC_LOOP_SETUP_INSERT 1017
#define IDC_LOOP_SETUP_DELETE 1018
#define IDC_LOOP_SETUP_PCU 1062
#define IDC_LOOP_SETUP_TREE 1063
#define IDC_LOOP_SETUP_LOWER_LIMIT 1064
#define IDC_LOOP_SETUP_UPPER_LIMIT 1065
#define IDC_LOOP_SETUP_LOCAL_PORT 1066
#define IDC_LOOP_SETUP_DEFAULT_RANGE 1067
