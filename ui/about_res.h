// Resource and control identifiers of the About box, shared by its template and its source.
#pragma once

#define IDD_ABOUT 1400
#define IDC_ABOUT_LABELPRODUCT 1401
#define IDC_ABOUT_LABELPRODUCT1 1402
#define IDC_ABOUT_LABELVERSION 1403
#define IDC_ABOUT_LABELCOPYRIGHT 1404
#define IDC_ABOUT_LABELEMAIL 1405
#define IDC_ABOUT_IMAGELOGO 1406
#define IDC_ABOUT_IMAGE1 1407
#define IDC_ABOUT_MEMOPARAMS 1408

// The configured texts: the copyright line, the support service's name and its e-mail address.
#define IDS_ABOUT_COPYRIGHT 1410
#define IDS_SUPPORT_SERVICE 1411
#define IDS_SUPPORT_EMAIL 1412
