// Host programs run from tests under Wine.
#include "support/outside_tools.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/temp_folder.h"

namespace {

using UnixNameCall = char*(CDECL*)(const WCHAR*);

UnixNameCall UnixName()
{
    static const auto call = reinterpret_cast<UnixNameCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    return call;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

bool OutsideToolsAvailable()
{
    return UnixName() && GetFileAttributesA("Z:\\usr\\bin\\identify") != INVALID_FILE_ATTRIBUTES &&
           GetFileAttributesA("Z:\\bin\\sh") != INVALID_FILE_ATTRIBUTES;
}

std::string HostPath(const std::string& windowsPath)
{
    UnixNameCall call = UnixName();
    if (!call) return {};
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH)) return {};
    char* name = call(wide);
    if (!name) return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

OutsideRun RunOutsideTool(const std::string& command)
{
    OutsideRun run;
    TempFolder folder;
    if (folder.path().empty()) return run;
    const std::string output = folder.File("output.txt"), status = folder.File("status.txt");
    const std::string hostOutput = HostPath(output), hostStatus = HostPath(status);
    if (hostOutput.empty() || hostStatus.empty()) return run;
    // The status file appears whole, by a rename, once the command has ended.
    std::string line = "/bin/sh -c \"{ " + command + "; } > '" + hostOutput + "' 2>&1; echo $? > '" + hostStatus +
                       ".part'; mv '" + hostStatus + ".part' '" + hostStatus + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return run;
    // A host process has no handle to wait on: its status file is the sign that it ended.
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    const DWORD limit = (std::getenv("VEXLOR_EMULATED") ? 600 : 120) * 1000;
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(status.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > limit) return run;
        Sleep(20);
    }
    run.status = std::atoi(ReadText(status).c_str());
    run.output = ReadText(output);
    while (!run.output.empty() && (run.output.back() == '\n' || run.output.back() == '\r')) run.output.pop_back();
    return run;
}
