// Resource and control identifiers of the support dialog, shared by its template and its source.
#pragma once

#define IDD_SUPPORT 1500
#define IDC_SUPPORT_IMAGE1 1501
#define IDC_SUPPORT_LABEL1 1502
#define IDC_SUPPORT_BUTTON2 1503
#define IDC_SUPPORT_MEMO 1504
#define IDC_SUPPORT_BUTTON1 1505
#define IDC_SUPPORT_GROUPBOX1 1506
#define IDC_SUPPORT_LABELEMAIL 1507
#define IDC_SUPPORT_LABEL2 1508
#define IDC_SUPPORT_CATTACHSPL 1509
#define IDC_SUPPORT_BUTTON3 1510
#define IDC_SUPPORT_CHECKBOX1 1511
