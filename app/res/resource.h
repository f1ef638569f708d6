// Resource ids of Quorvane. Control ids are per dialog; the same number
// names different controls in different dialogs.
#pragma once

// Icons
#define IDR_MAINFRAME                   128

// Dialogs
#define IDD_QUORVANE_DIALOG             102
#define IDD_SOLUTION_PAGE               129
#define IDD_PROJECT_PAGE                130
#define IDD_HISTORY_PAGE                131
#define IDD_INPUT_PLAN                  134

// Menus (134 is also a dialog: different resource types)
#define IDR_PROJECT_MENU                133
#define IDR_SOLUTION_MENU               134

// Main window (102)
#define IDC_TAB                         1010
#define IDC_REBUILD                     1011
#define IDC_BUILD                       1012
#define IDC_VERSION                     1013
#define IDC_EXIT                        1014
#define IDC_STOP                        1015
#define IDC_STATUS                      1016
#define IDC_STOP_ON_ERROR               1017
#define IDC_SHUTDOWN                    1018
#define IDC_CLEAN                       1019
#define IDC_VC_DIRECTORY                1020
#define IDC_RENAME_COMPILE              1021
#define IDC_CHOOSE_VC_DIRECTORY         1022
#define IDC_JOBS                        1023
#define IDC_JOBS_SPIN                   1029
#define IDC_JOBS_LABEL                  1030

// Solution page (129)
#define IDC_PLAN                        1000
#define IDC_SAVE_PLAN_AS                1001
#define IDC_DELETE_PLAN                 1002
#define IDC_CONFIGURATION               1003
#define IDC_SOLUTION_LIST               1004
#define IDC_DELETE_SOLUTIONS            1006
#define IDC_CLEAR_SOLUTIONS             1007

// Project page (130)
#define IDC_GENERATE_BATCH              1005
#define IDC_PROJECT_LIST                1006
#define IDC_COUNTERS                    1007
#define IDC_CHOOSE_LOG_FILE             1008
#define IDC_LOG_FILE                    1009
#define IDC_BATCH_GROUP                 1019
#define IDC_PREV_FAILED                 1026
#define IDC_NEXT_FAILED                 1027
#define IDC_FIND_PROJECT                1028

// History page (131)
#define IDC_SEQUENCE_LIST               1006
#define IDC_IMPORT_SEQUENCE             1008
#define IDC_EXPORT_SEQUENCE             1009

// Plan-name dialog (134)
#define IDC_PLAN_NAME                   1024

// Menu commands
#define ID_LOCATE                       32771
#define ID_OPEN                         32772
#define ID_BUILD_ONE                    32773
#define ID_DELETE_SOLUTIONS             32775
#define ID_REBUILD_ONE                  32776
#define ID_SHOW_LOG                     32777
#define ID_IGNORE                       32778
#define ID_RAISE_PRIORITY               32779
#define ID_COPY_PATH                    32781
#define ID_SHOW_REPORT                  32782

#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif
