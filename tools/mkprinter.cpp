// Test-world helper: installs a PostScript printer that writes to a file, and makes it the default.
// Usage: mkprinter NAME PORT   (PORT: a Unix path such as /tmp/out.ps)
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkprinter NAME PORT\n");
        return 2;
    }
    const wchar_t* name = argv[1];
    const wchar_t* port = argv[2];

    // The generic PPD built into the spooler, up to its first zero byte.
    HMODULE spool = LoadLibraryW(L"winspool.drv");
    HRSRC res = spool ? FindResourceW(spool, MAKEINTRESOURCEW(1), L"PPDFILE") : nullptr;
    const char* ppd = res ? static_cast<const char*>(LockResource(LoadResource(spool, res))) : nullptr;
    if (!ppd) {
        std::fprintf(stderr, "mkprinter: no generic PPD\n");
        return 1;
    }
    DWORD ppdLen = 0;
    for (DWORD limit = SizeofResource(spool, res); ppdLen < limit && ppd[ppdLen]; ++ppdLen) {
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring ppdPath = std::wstring(temp) + name + L".ppd";
    HANDLE f = CreateFileW(ppdPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (f == INVALID_HANDLE_VALUE || !WriteFile(f, ppd, ppdLen, &written, nullptr) || written != ppdLen) {
        std::fprintf(stderr, "mkprinter: cannot write the PPD\n");
        return 1;
    }
    CloseHandle(f);

    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(name);
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = ppdPath.data();
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY)) {
        std::fprintf(stderr, "mkprinter: AddPrinterDriverEx failed (%lu)\n", GetLastError());
        return 1;
    }
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<wchar_t*>(name);
    info.pPortName = const_cast<wchar_t*>(port);
    info.pDriverName = const_cast<wchar_t*>(name);
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    // A prefix copied from another build folder may hold the printer with another output file.
    HANDLE old = nullptr;
    if (OpenPrinterW(const_cast<wchar_t*>(name), &old, nullptr)) {
        DeletePrinter(old);
        ClosePrinter(old);
    }
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer) {
        std::fprintf(stderr, "mkprinter: AddPrinter failed (%lu)\n", GetLastError());
        return 1;
    }
    ClosePrinter(printer);
    if (!SetDefaultPrinterW(name)) {
        std::fprintf(stderr, "mkprinter: SetDefaultPrinter failed (%lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
