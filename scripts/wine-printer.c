/* Registers Wine's PostScript driver in the test prefix and creates the destination printer
   "Client Test PS", whose output lands in C:\client-print\out.ps. Safe to run again. */
#include <windows.h>
#include <winspool.h>
#include <stdio.h>

static const WCHAR driver[] = L"Wine PostScript Driver";
static const WCHAR printer[] = L"Client Test PS";
static const WCHAR port[] = L"C:\\client-print\\out.ps";

/* The PPD Wine ships as resource PPDFILE #1 of winspool.drv, copied into the driver directory. */
static int copy_ppd(WCHAR *ppd, DWORD size) {
  HMODULE m = LoadLibraryExW(L"winspool.drv", NULL, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC res = m ? FindResourceW(m, MAKEINTRESOURCEW(1), L"PPDFILE") : NULL;
  WCHAR dir[MAX_PATH];
  DWORD needed = 0, written = 0;
  if (!res) { fprintf(stderr, "wine-printer: no PPDFILE resource in winspool.drv\n"); return 0; }
  if (!GetPrinterDriverDirectoryW(NULL, NULL, 1, (BYTE *)dir, sizeof dir, &needed)) return 0;
  _snwprintf(ppd, size, L"%ls\\generic.ppd", dir);
  HANDLE f = CreateFileW(ppd, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return 0;
  DWORD bytes = SizeofResource(m, res);
  BOOL ok = WriteFile(f, LockResource(LoadResource(m, res)), bytes, &written, NULL) && written == bytes;
  CloseHandle(f);
  return ok;
}

int main(void) {
  WCHAR ppd[MAX_PATH];
  DRIVER_INFO_3W di = {0};
  PRINTER_INFO_2W pi = {0};
  HANDLE h = NULL;
  if (!copy_ppd(ppd, MAX_PATH)) { fprintf(stderr, "wine-printer: cannot copy the PPD\n"); return 1; }
  di.cVersion = 3;
  di.pName = (LPWSTR)driver;
  di.pDriverPath = L"wineps.drv";
  di.pDataFile = ppd;
  di.pConfigFile = L"wineps.drv";
  if (!AddPrinterDriverExW(NULL, 3, (BYTE *)&di, APD_COPY_NEW_FILES) && GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
    fprintf(stderr, "wine-printer: AddPrinterDriverEx failed, error %lu\n", GetLastError());
    return 1;
  }
  CreateDirectoryW(L"C:\\client-print", NULL);
  if (OpenPrinterW((LPWSTR)printer, &h, NULL)) { ClosePrinter(h); return 0; }
  pi.pPrinterName = (LPWSTR)printer;
  pi.pPortName = (LPWSTR)port;
  pi.pDriverName = (LPWSTR)driver;
  pi.pPrintProcessor = L"WinPrint";
  pi.pDatatype = L"RAW";
  pi.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  h = AddPrinterW(NULL, 2, (BYTE *)&pi);
  if (!h) { fprintf(stderr, "wine-printer: AddPrinter failed, error %lu\n", GetLastError()); return 1; }
  ClosePrinter(h);
  return 0;
}
