// Resource and control identifiers of the copies dialog, shared by its template and its source.
#pragma once

#define IDD_ACKDIALOGFORM 1100
#define IDC_ACK_LABEL1 1101
#define IDC_ACK_EDITTYPEDOC 1102
#define IDC_ACK_IMAGELOGO 1103
#define IDC_ACK_LABEL2 1104
#define IDC_ACK_EDITCOPIES 1105
#define IDC_ACK_LABEL3 1106
#define IDC_ACK_CPAGES 1107
#define IDC_ACK_MINFO 1108
#define IDC_ACK_STATBAR 1109
