// The Open and Save dialogs.
#include "documents/file_dialogs.h"

#include <commdlg.h>

#include "frame/frame_services.h"

namespace {

int RunRealSaveDialog(char* path, int* fileType, const char* folder)
{
    return RunCommonFileDialog(TRUE, path, fileType, folder);
}

int RunRealOpenDialog(char* path, int* fileType, const char* folder)
{
    return RunCommonFileDialog(FALSE, path, fileType, folder);
}

}  // namespace

int RunCommonFileDialog(BOOL save, char* path, int* fileType, const char* folder)
{
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = g_frameWindow;
    ofn.lpstrFilter = "Drawings (*.VXR)\0*.VXR\0Templates (*.VXT)\0*.VXT\0All Files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = 260;
    ofn.lpstrInitialDir = folder && folder[0] ? folder : nullptr;
    ofn.Flags = OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn))) return 0;
    *fileType = static_cast<int>(ofn.nFilterIndex);
    return 1;
}

SaveFileDialogPrompt g_saveFileDialogPrompt = RunRealSaveDialog;

OpenFileDialogPrompt g_openFileDialogPrompt = RunRealOpenDialog;

int RunOpenFileDialog(HWND, int, char* path, UINT, UINT, BOOL, int, int* fileType, int, char* folder)
{
    path[0] = 0;
    return g_openFileDialogPrompt(path, fileType, folder);
}

int RunSaveFileDialog(HWND owner, int templateId, char* path, UINT filterId, UINT titleId, int helpContext,
                      int* fileType, int typeBase, char* folder)
{
    (void)owner;
    (void)templateId;
    (void)filterId;
    (void)titleId;
    (void)helpContext;
    (void)typeBase;
    return g_saveFileDialogPrompt(path, fileType, folder);
}
