/* Resource ids of unins.exe, shared by the C++ sources and the resource script. */
#ifndef UNINS_RESOURCE_H
#define UNINS_RESOURCE_H

#define IDD_PROGRESS            101
#define IDI_MAIN                104

#define IDC_CLOSE               1000
#define IDC_LEFTOVER_LABEL      1001
#define IDC_LEFTOVER_LIST       1002
#define IDC_DELETE_SELECTED     1003
#define IDC_DELETE_ALL          1004
#define IDC_STATUS_LIST         1005
#define IDC_FINISH              1006
#define IDC_PROGRESS_BAR        1007

/* Private command the progress dialog posts to itself to start the work. */
#define CMD_START_WORK          3024

#endif
